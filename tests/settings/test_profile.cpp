// The profile (INI) reader and writer.

#include "settings/Profile.h"
#include "support/TestEnvironment.h"
#include "util/Cp1252.h"

#include <QDir>
#include <QFile>

using namespace tess;

namespace {

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    void namesIgnoreCaseAndBlanks()
    {
        const QString path = test::writeTempFile("a.ini", "[lang]\r\n  0111 \t=Punkte\t\r\n[ Optionen ]\r\nMusicLoop=-1\r\n");
        const Profile profile(path);
        QCOMPARE(profile.read("Lang", "0111"), QStringLiteral("Punkte"));
        QCOMPARE(profile.read("LANG", " 0111 "), QStringLiteral("Punkte"));
        QCOMPARE(profile.read("optionen", "Musicloop"), QStringLiteral("-1"));
    }

    void theFirstOfDuplicateKeysWins()
    {
        const QString path = test::writeTempFile("dup.ini", "[lang]\r\n1143=&Frame\t\r\n1143=&Frame color\t\r\n");
        QCOMPARE(Profile(path).read("lang", "1143"), QStringLiteral("&Frame"));
    }

    void valuesAreTrimmedAndCut()
    {
        const QByteArray longValue(300, 'x');
        const QString path = test::writeTempFile("v.ini", "[s]\nhints=&Permit hints     \ntab=\t a=b \t\nlong=" + longValue + "\n");
        const Profile profile(path);
        QCOMPARE(profile.read("s", "hints"), QStringLiteral("&Permit hints"));
        QCOMPARE(profile.read("s", "tab"), QStringLiteral("a=b")); // the first "=" splits
        QCOMPARE(profile.read("s", "long").size(), 254);
    }

    void anythingMissingGivesTheDefault()
    {
        const QString path = test::writeTempFile("m.ini", "[s]\nkey=value\n");
        const Profile profile(path);
        QCOMPARE(profile.read("s", "other", "dflt"), QStringLiteral("dflt"));
        QCOMPARE(profile.read("t", "key", "dflt"), QStringLiteral("dflt"));
        QCOMPARE(Profile(test::tempFolder() + "/none.ini").read("s", "key", "dflt"), QStringLiteral("dflt"));
        QVERIFY(!profile.find("s", "other").has_value());
        // a key of another section is not found
        QCOMPARE(Profile(test::writeTempFile("n.ini", "[a]\nx=1\n[b]\ny=2\n")).read("a", "y", "none"), QStringLiteral("none"));
    }

    void anEmptyValueIsNotMissing()
    {
        const QString path = test::writeTempFile("e.ini", "[s]\nname=\n");
        QCOMPARE(Profile(path).read("s", "name", "dflt"), QString());
    }

    void writeCreatesFileAndSection()
    {
        const QString path = test::tempFolder() + "/sub/folder/new.ini";
        const Profile profile(path, ProfileEncoding::Utf8);
        QVERIFY(profile.write("Optionen", "Size", "3"));
        QVERIFY(profile.write("Pictures", "Back", "9"));
        QVERIFY(profile.write("optionen", "Grid", "0"));
        QCOMPARE(readRaw(path), QByteArray("[Optionen]\nSize=3\nGrid=0\n[Pictures]\nBack=9\n"));
    }

    void writeReplacesTheFirstKeyAndKeepsTheRest()
    {
        const QString path = test::writeTempFile("k.ini", "; my notes\r\n[Optionen]\r\nSize=1\r\nmusicloop=0\r\n\r\n"
                                               "[Pictures]\r\nFile=a.jpg\r\nFile=b.jpg\r\n");
        const Profile profile(path);
        QVERIFY(profile.write("OPTIONEN", "MusicLoop", "-1"));
        QVERIFY(profile.write("Pictures", "file", "c.jpg"));
        QVERIFY(profile.write("Optionen", "Joker", "0"));
        QCOMPARE(readRaw(path), QByteArray("; my notes\r\n[Optionen]\r\nSize=1\r\nMusicLoop=-1\r\nJoker=0\r\n\r\n"
                                           "[Pictures]\r\nfile=c.jpg\r\nFile=b.jpg\r\n"));
        QCOMPARE(profile.read("optionen", "musicloop"), QStringLiteral("-1"));
    }

    void writeWithoutKeyRemovesTheWholeSection()
    {
        const QString path = test::writeTempFile("r.ini", "[4]\n1=a\n2=b\n[5]\n1=c\n");
        const Profile profile(path, ProfileEncoding::Utf8);
        QVERIFY(profile.removeSection("4"));
        QCOMPARE(readRaw(path), QByteArray("[5]\n1=c\n"));
        QVERIFY(profile.removeSection("missing"));
        QVERIFY(profile.removeKey("5", "1"));
        QCOMPARE(readRaw(path), QByteArray("[5]\n"));
    }

    void aLineBreakInAValueCannotForgeEntries()
    {
        const Profile profile(test::tempFolder() + "/inject.ini", ProfileEncoding::Utf8);
        QVERIFY(profile.write("Optionen", "Spieler1", "Eve\n[Optionen]\nSize=99"));
        QCOMPARE(profile.read("Optionen", "Size", "none"), QStringLiteral("none"));
        QVERIFY(profile.read("Optionen", "Spieler1").startsWith("Eve "));
    }

    void codePage1252RoundTrips()
    {
        const QString text = QStringLiteral("Rückseite auswählen € – “ok” œ Ÿ");
        QCOMPARE(fromCp1252(toCp1252(text)), text);
        QCOMPARE(toCp1252(QStringLiteral("€")), QByteArray("\x80"));
        QCOMPARE(toCp1252(QStringLiteral("日")), QByteArray("?"));
        const QString path = test::writeTempFile("cp.ini", "[lang]\r\n0115=Bild ausw\xe4hlen...\t\r\n");
        QCOMPARE(Profile(path).read("lang", "0115"), QStringLiteral("Bild auswählen..."));
    }

    void aFailedWriteLeavesTheOldFile()
    {
        // No temporary file can be made in a folder that cannot be written.
        const QString folder = test::tempFolder() + "/gone";
        QDir().mkpath(folder);
        const QString path = folder + "/keep.ini";
        const Profile profile(path, ProfileEncoding::Utf8);
        QVERIFY(profile.write("s", "k", "1"));
        if (!test::makeUnwritable(folder))
            QSKIP("this machine cannot make a folder unwritable");
        const bool written = profile.write("s", "k", "2");
        test::makeWritable(folder);
        QVERIFY(!written);
        QCOMPARE(readRaw(path), QByteArray("[s]\nk=1\n"));
    }
};

TESSARON_TEST_MAIN(TestProfile)
#include "test_profile.moc"
