// Files that running copies share (settings, champions, error log) while
// another process holds their lock: no write and no start waits for it, the
// keys land once it is free, a lock that stays busy is told once, and what
// still waits at the end is not lost. A large settings file is read once;
// one above a megabyte counts as unreadable.

#include "champions/ChampionsList.h"
#include "errors/ErrorLog.h"
#include "settings/Profile.h"
#include "settings/SettingsStore.h"
#include "support/TestEnvironment.h"
#include "util/FileWrite.h"
#include "util/LockedWrites.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

using namespace tess;

namespace {

// Generous for a busy machine (the sanitizer round beside other tests), half
// the five seconds a held lock cost each key.
constexpr qint64 QuickMilliseconds = 2500;

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Bytes this process has read from files so far.
qint64 bytesRead()
{
    const QByteArray io = readRaw("/proc/self/io");
    return io.mid(io.indexOf("rchar:") + 6).split('\n').first().trimmed().toLongLong();
}

// What the file on the disk holds under the key.
QString stored(const SettingKey& key, const QString& path = settingsFilePath(), ProfileEncoding encoding = ProfileEncoding::Utf8)
{
    return Profile::readSection(readRaw(path), encoding, QString::fromLatin1(key.section)).value(QString::fromLatin1(key.key).toLower());
}

// Another process holding the file's lock, as `flock` does, until released.
class LockHolder {
public:
    explicit LockHolder(const QString& file)
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        process_.start("flock", {"-o", QFileInfo(file).absoluteFilePath() + ".lock", "sh", "-c", "echo held; read line"});
        held_ = process_.waitForReadyRead(30000) && process_.readLine() == "held\n";
    }
    ~LockHolder() { release(); }
    bool held() const { return held_; }
    void release() // the shell reads the end of its input, ends, and the lock goes with it
    {
        process_.closeWriteChannel();
        process_.waitForFinished(30000);
    }

private:
    QProcess process_;
    bool held_ = false;
};

ErrorLog& errorLog()
{
    static ErrorLog log(test::dataFolder() + "/tessaron.EPT");
    return log;
}

const QString Report = "Fehler 75 in frmPuzzle.Form_Load\r\n";

// One thing the player does, as the game's windows do it, and whether its keys are on the disk.
struct Action {
    std::function<QString()> file;
    std::function<void()> act;
    std::function<bool()> landed;
};

const QList<Action>& actions()
{
    const auto settingsFile = [] { return settingsFilePath(); };
    static const QList<Action> all{
        {settingsFile, [] { saveOnOffSetting(keys::showGrid, false); }, [] { return stored(keys::showGrid) == "0"; }},
        {settingsFile,
         [] {
             const SettingsAction one;
             saveIntegerSetting(keys::pictureNumber, 107);
             saveIntegerSetting(keys::pictureSource, 1);
             saveSetting(keys::pictureFile, "cat.jpg");
         },
         [] {
             const int there = int(stored(keys::pictureNumber) == "107") + int(stored(keys::pictureSource) == "1")
                 + int(stored(keys::pictureFile) == "cat.jpg");
             if (there == 1 || there == 2) // one action, one write
                 qFatal("the picture's keys were written apart");
             return there == 3;
         }},
        {settingsFile,
         [] {
             const SettingsAction start;
             QVERIFY(readOnOffSetting(keys::showGrid)); // "abc" gives the default, written back
         },
         [] { return stored(keys::showGrid) == "1"; }},
        {[] { return QFileInfo(ChampionsFile::path()).absoluteFilePath(); },
         [] {
             RankedList list;
             QVERIFY(ChampionsFile(4).addResult(makeEntry("00045", "Anna"), list));
             ChampionsFile(4).readList(list); // as the list window shows it
             QCOMPARE(rowsToShow(list)[0].name, QStringLiteral("Anna"));
         },
         [] { return !stored({"m4", "1", ""}, ChampionsFile::path(), ProfileEncoding::Cp1252).isEmpty(); }},
        {[] { return errorLog().path(); }, [] { QVERIFY(errorLog().add(Report, "75|frmPuzzle|Form_Load|0")); },
         [] { return readRaw(errorLog().path()).contains(Report.toUtf8()); }},
    };
    return all;
}

} // namespace

class TestSharedFileLocks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        forgetWriteFailures();
    }

    void aHeldLockNeverStallsTheWindow_data()
    {
        QTest::addColumn<int>("action");
        QTest::newRow("a flag click") << 0;
        QTest::newRow("the picture choice's three keys") << 1;
        QTest::newRow("a start that resets a value") << 2;
        QTest::newRow("a champions result") << 3;
        QTest::newRow("an error report") << 4;
    }

    void aHeldLockNeverStallsTheWindow()
    {
        QFETCH(int, action);
        const Action& the = actions().at(action);
        const QString file = the.file();
        writeRaw(settingsFilePath(), "[Optionen]\nGrid=abc\n");
        QStringList told;
        setWriteFailureNotice([&told](const QString& path) { told << path; });
        LockHolder holder(file);
        QVERIFY(holder.held());

        for (int time = 0; time < 2; ++time) { // a second time after the notice: no second one
            QElapsedTimer call;
            call.start();
            the.act();
            QVERIFY2(call.elapsed() < QuickMilliseconds, qPrintable(QString::number(call.elapsed())));
            QVERIFY(isWaitingForLock(file) && !the.landed());
            if (action == 0)
                QCOMPARE(readOnOffSetting(keys::showGrid), false); // the run goes on with the player's choice
            QTRY_COMPARE_WITH_TIMEOUT(told, QStringList{file}, 4 * BusyLockNoticeMilliseconds);
        }
        holder.release();
        QTRY_VERIFY_WITH_TIMEOUT(the.landed(), 30000);
        QVERIFY(!isWaitingForLock(file));
        QCOMPARE(told, QStringList{file});
        setWriteFailureNotice(nullptr);
    }

    void whatWaitsIsNotLostAtTheEnd_data()
    {
        QTest::addColumn<bool>("freed");
        QTest::newRow("the lock is freed while the copy ends") << true;
        QTest::newRow("the lock stays held past the end's wait") << false;
    }

    void whatWaitsIsNotLostAtTheEnd()
    {
        QFETCH(bool, freed);
        saveIntegerSetting(keys::sizeIndex, 7);
        const QByteArray before = readRaw(settingsFilePath());
        LockHolder holder(settingsFilePath());
        QVERIFY(holder.held());
        QProcess copy;
        copy.start(TESSARON_SETTINGS_WRITER, {"0", "20"});
        QVERIFY(copy.waitForReadyRead(60000));
        QCOMPARE(copy.readLine(), QByteArray("written\n")); // every key made, none on the disk yet
        if (freed)
            holder.release();
        QVERIFY(copy.waitForFinished(60000)); // bounded also while the lock stays held
        QCOMPARE(copy.exitCode(), 0);
        if (!freed) { // never written over the other's lock, and said so
            QCOMPARE(readRaw(settingsFilePath()), before);
            QVERIFY(copy.readAllStandardError().contains(QFile::encodeName(settingsFilePath())));
            return;
        }
        for (int n = 0; n < 20; ++n)
            QCOMPARE(stored({"Optionen", qPrintable(QStringLiteral("copy0key%1").arg(n)), ""}), QString::number(n));
        QCOMPARE(stored(keys::sizeIndex), QStringLiteral("7"));
    }

    void aLargeSettingsFileIsReadOnce_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("900 KB of blank lines") << qint64(900 * 1024) << false;
        QTest::newRow("a megabyte and a byte") << qint64(Profile::MaxFileBytes + 1) << true;
        QTest::newRow("4 MB of blank lines") << qint64(4 * 1024 * 1024) << true;
    }

    void aLargeSettingsFileIsReadOnce()
    {
        QFETCH(qint64, size);
        QFETCH(bool, unreadable);
        const QByteArray content = QByteArray(size - 16, '\n') + "[Optionen]\nSize=3\n";
        writeRaw(settingsFilePath(), content);
        QStringList told;
        Profile::setUnreadableNotice([&told](const QString& path) { told << path; });

        const qint64 start = bytesRead();
        for (int action = 0; action < 2; ++action) { // the start, then a flag click and what follows
            for (const SettingKey& key : AllSettingKeys)
                readSetting(key);
            saveOnOffSetting(keys::showGrid, action == 1);
        }
        const qint64 read = bytesRead() - start;
        QCOMPARE(readIntegerSetting(keys::sizeIndex), qint16(unreadable ? 1 : 3));
        QCOMPARE(readOnOffSetting(keys::showGrid), true);
        Profile::setUnreadableNotice({});
        if (unreadable) { // not read, not replaced, told once
            QVERIFY2(read < size, qPrintable(QString::number(read)));
            QCOMPARE(readRaw(settingsFilePath()), content);
            QCOMPARE(told, QStringList{settingsFilePath()});
            return;
        }
        QVERIFY2(read >= 3 * size && read < 4 * size, qPrintable(QString::number(read))); // the start, each write under its lock
        QCOMPARE(stored(keys::showGrid), QStringLiteral("1"));
        QCOMPARE(stored(keys::sizeIndex), QStringLiteral("3"));
        QVERIFY(told.isEmpty());
    }
};

TESSARON_TEST_MAIN(TestSharedFileLocks)
#include "test_shared_file_locks.moc"
