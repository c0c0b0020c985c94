// Nothing but the game's own files is ever removed: not through a folder that
// is a link, not a file of the player's that stands in a game folder, not the
// target of a link found there.

#include "game/LeftoverFiles.h"
#include "resources/PictureCache.h"
#include "resources/Resources.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"
#include "util/PrivateFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <fcntl.h>
#include <sys/stat.h>

using namespace tess;

namespace {

// The player's own photos, somewhere outside the game's folders.
QString photos()
{
    return test::homeFolder() + "/photos";
}

// Ages a file or a link (never its target) by `minutes`.
void age(const QString& path, int minutes)
{
    const struct timespec then[2] = {{::time(nullptr) - minutes * 60, 0}, {::time(nullptr) - minutes * 60, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), then, AT_SYMLINK_NOFOLLOW), 0);
}

void write(const QString& path, const QByteArray& bytes, int minutesOld)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    age(path, minutesOld);
}

void link(const QString& target, const QString& at, int minutesOld = 0)
{
    QDir().mkpath(QFileInfo(at).absolutePath());
    QVERIFY(QFile::link(target, at));
    age(at, minutesOld);
}

// A name as the game gives its copies.
QString copyName(int n)
{
    return QString::fromLatin1(QCryptographicHash::hash(QByteArray::number(n), QCryptographicHash::Sha1).toHex()) + ".jpg";
}

// What stands at `path`: a file by its bytes, a link by its target.
QByteArray entryAt(const QString& path)
{
    const QFileInfo entry(path);
    QFile file(path);
    if (entry.isSymLink() || entry.isDir() || !entry.exists())
        return entry.isSymLink() ? QFile::encodeName(entry.symLinkTarget()) : QByteArray(entry.isDir() ? "folder" : "nothing");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

// What each case plants before the game runs: the player's files and links.
void plant(const QString& layout)
{
    const QString cache = test::rootFolder() + "/cache/Tessaron/pictures";
    const QString copies = test::rootFolder() + "/runtime/Tessaron/";
    if (layout == "linked cache") {
        link(photos(), cache);
    } else if (layout == "linked game folder") {
        link(photos(), test::rootFolder() + "/cache/Tessaron");
    } else if (layout == "file in its place") {
        write(cache, "the player's notes", 60);
    } else if (layout == "the player's in the cache") {
        for (int n = 0; n < 300; ++n)
            write(cache + '/' + copyName(n), "an older copy", 60 + n);
        write(cache + "/holiday_000.jpg", "a photo", 60 * 24 * 400);
        link(photos() + "/holiday_000.jpg", cache + '/' + copyName(1000), 60 * 24 * 400);
        link(photos() + "/holiday_001.jpg", cache + "/." + copyName(1001) + ".tmp-abcdef", 60 * 24 * 400);
        write(cache + '/' + copyName(1002) + "/inside.jpg", "a folder's photo", 60 * 24 * 400);
    } else if (layout == "linked picture folder") {
        link(photos(), test::dataFolder() + "/Tessaron/pics");
        write(photos() + "/.holiday_002.jpg.tmp-abcdef", "another program's half file", 60);
    } else if (layout == "beside the settings") {
        write(test::configFolder() + "/Tessaron/.Tessaron.ini.tmp-abcdef", "a write cut short", 60);
        write(test::configFolder() + "/Tessaron/.notes.txt.tmp-abcdef", "another program's half file", 60);
        write(cache + "/." + copyName(7) + ".tmp-Xy3zQ9", "a copy cut short", 60);
        write(cache + "/." + copyName(8) + ".tmp-Xy3zQ9", "a copy being written", 1);
    } else if (layout == "ended copy with foreign files") {
        write(copies + "4243-ghijkl/.running", "", 60);
        write(copies + "4243-ghijkl/~tmp.lng", "a language table", 60);
        write(copies + "4243-ghijkl/notes.txt", "the player's notes", 60);
        link(photos(), copies + "4243-ghijkl/album");
    }
}

} // namespace

class TestForeignFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    void nothingButTheGamesOwnFilesIsEverRemoved_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("copies"); // the game's copies in the cache folder (or what stands there) afterwards
        QTest::addColumn<QStringList>("gone"); // the game's leftovers it removes (below the test's root)
        QTest::addColumn<QStringList>("kept"); // the player's files that stay (below the test's root)
        const QString cache = "/cache/Tessaron/pictures/";
        QTest::newRow("the cache folder is a link to the photos") << "linked cache" << 0 << QStringList() << QStringList();
        QTest::newRow("the game's cache folder is a link to the photos")
            << "linked game folder" << 0 << QStringList() << QStringList();
        QTest::newRow("a file of the player's stands at the cache folder")
            << "file in its place" << 0 << QStringList() << QStringList{"/cache/Tessaron/pictures"};
        QTest::newRow("a photo, links and a folder of the player's in a real cache folder")
            << "the player's in the cache" << 300 << QStringList{cache + copyName(299)}
            << QStringList{cache + "holiday_000.jpg", cache + copyName(1000), cache + '.' + copyName(1001) + ".tmp-abcdef",
                           cache + copyName(1002) + "/inside.jpg"};
        QTest::newRow("the player's picture folder is a link to the photos")
            << "linked picture folder" << 1 << QStringList() << QStringList();
        QTest::newRow("another program's half files beside the game's")
            << "beside the settings" << 1
            << QStringList{"/config/Tessaron/.Tessaron.ini.tmp-abcdef", cache + '.' + copyName(7) + ".tmp-Xy3zQ9"}
            << QStringList{"/config/Tessaron/.notes.txt.tmp-abcdef", cache + '.' + copyName(8) + ".tmp-Xy3zQ9"};
        QTest::newRow("an ended copy's folder holds a file and a link of the player's")
            << "ended copy with foreign files" << 1
            << QStringList{"/runtime/Tessaron/4243-ghijkl/.running", "/runtime/Tessaron/4243-ghijkl/~tmp.lng"}
            << QStringList{"/runtime/Tessaron/4243-ghijkl/notes.txt", "/runtime/Tessaron/4243-ghijkl/album"};
    }

    void nothingButTheGamesOwnFilesIsEverRemoved()
    {
        QFETCH(QString, layout);
        QFETCH(int, copies);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, kept);
        QDir(photos()).removeRecursively();
        // 305 older photos, as a camera names them.
        for (int n = 0; n < 305; ++n)
            write(photos() + QString("/holiday_%1.jpg").arg(n, 3, 10, QChar(u'0')), "photo " + QByteArray::number(n),
                  60 * 24 * 400 + n);
        plant(layout);
        // Every photo, and each file or link of the player's in the game's folders.
        QStringList watched = kept;
        for (QDirIterator it(photos(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); it.hasNext();)
            watched << it.next().mid(test::rootFolder().size());
        QStringList before;
        for (const QString& path : watched)
            before << entryAt(test::rootFolder() + path);

        // A start with a 3 MB photo as the chosen picture, then the sweeps of a start.
        const QString large = test::writeTempFile("large.jpg", QByteArray(3 * 1024 * 1024, 'x'));
        QImage small(40, 30, QImage::Format_RGB32);
        small.fill(Qt::blue);
        keepCachedPicture(large, QSize(400, 300), 3 * 1024 * 1024, small);
        sweepLeftoverFiles();
        sweepEndedCopies(gameTempFolder());

        for (qsizetype i = 0; i < watched.size(); ++i)
            QVERIFY2(entryAt(test::rootFolder() + watched.at(i)) == before.at(i), qPrintable(watched.at(i)));
        QCOMPARE(QDir(photos()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), before.size() - kept.size());
        // The game's copies: regular files under the game's names, in the cache folder or what stands there.
        const QStringList copiesKept = QDir(pictureCacheFolder()).entryList(QDir::Files | QDir::NoSymLinks);
        QCOMPARE(copiesKept.filter(QRegularExpression(QRegularExpression::anchoredPattern(pictureCopyNames()))).size(), copies);
        for (const QString& path : gone)
            QVERIFY2(entryAt(test::rootFolder() + path) == "nothing", qPrintable(path));
    }
};

TESSARON_TEST_MAIN(TestForeignFiles)
#include "test_foreign_files.moc"
