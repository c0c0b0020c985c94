// Files that running copies of the game share (settings, champions, error
// log) while another process holds their lock: no write and no start waits
// for it, what was written lands once the lock is free, a lock that stays
// busy is told once, and what still waits at the end is not lost. A large
// settings file is read once; one above a megabyte counts as unreadable.

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

// Generous for a busy machine, far below the five seconds one held lock cost per key.
constexpr qint64 QuickMilliseconds = 1000;

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bytes this process has read from files so far.
qint64 bytesRead()
{
    for (const QByteArray& line : readRaw(QStringLiteral("/proc/self/io")).split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

QString stored(const QString& path, ProfileEncoding encoding, const char* section, const char* key)
{
    return Profile::readSection(readRaw(path), encoding, QString::fromLatin1(section)).value(QString::fromLatin1(key).toLower());
}

QString stored(const SettingKey& key)
{
    return stored(settingsFilePath(), ProfileEncoding::Utf8, key.section, key.key);
}

// Another process holding the file's lock, as `flock` would, until released.
class LockHolder {
public:
    explicit LockHolder(const QString& file)
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        process_.start(QStringLiteral("flock"), {QStringLiteral("-o"), QFileInfo(file).absoluteFilePath() + QStringLiteral(".lock"),
                                                  QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo held; read line")});
        while (process_.state() != QProcess::NotRunning && !process_.canReadLine())
            process_.waitForReadyRead(1000);
        held_ = process_.readLine() == "held\n";
    }
    ~LockHolder() { release(); }
    bool held() const { return held_; }
    void release()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(30000))
            process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
    bool held_ = false;
};

enum class Action { Flag, PictureChoice, StartReset, ChampionsResult, ErrorReport };

ErrorLog& errorLog()
{
    static ErrorLog log(test::dataFolder() + QStringLiteral("/tessaron.EPT"));
    return log;
}

QString fileOf(Action action)
{
    if (action == Action::ChampionsResult)
        return QFileInfo(ChampionsFile::path()).absoluteFilePath();
    return action == Action::ErrorReport ? errorLog().path() : settingsFilePath();
}

const QString Report = QStringLiteral("Fehler 75 in frmPuzzle.Form_Load\r\n");

// What the player does, as the game's windows do it.
void act(Action action)
{
    switch (action) {
    case Action::Flag:
        saveOnOffSetting(keys::showGrid, false);
        break;
    case Action::PictureChoice: {
        const SettingsAction one;
        saveIntegerSetting(keys::pictureNumber, 107);
        saveIntegerSetting(keys::pictureSource, 1);
        saveSetting(keys::pictureFile, QStringLiteral("cat.jpg"));
        break;
    }
    case Action::StartReset: {
        const SettingsAction start;
        QCOMPARE(readOnOffSetting(keys::showGrid), true); // "abc" gives the default, written back
        break;
    }
    case Action::ChampionsResult: {
        RankedList list;
        QVERIFY(ChampionsFile(4).addResult(makeEntry(QStringLiteral("00045"), QStringLiteral("Anna")), list));
        ChampionsFile(4).readList(list); // as the list window reads it to show it
        QCOMPARE(rowsToShow(list)[0].name, QStringLiteral("Anna")); // shown at once
        break;
    }
    case Action::ErrorReport:
        QVERIFY(errorLog().add(Report, QStringLiteral("75|frmPuzzle|Form_Load|0")));
        break;
    }
}

// Whether the action's keys are in the file; none of them is before.
bool landed(Action action)
{
    switch (action) {
    case Action::Flag:
        return stored(keys::showGrid) == QStringLiteral("0");
    case Action::PictureChoice: {
        const bool any = stored(keys::pictureNumber) == QStringLiteral("107") || stored(keys::pictureSource) == QStringLiteral("1")
            || stored(keys::pictureFile) == QStringLiteral("cat.jpg");
        // One action, one write: either all three keys are there or none.
        if (any && (stored(keys::pictureNumber) != QStringLiteral("107") || stored(keys::pictureSource) != QStringLiteral("1")
                    || stored(keys::pictureFile) != QStringLiteral("cat.jpg")))
            qFatal("the picture's keys were written apart");
        return any;
    }
    case Action::StartReset:
        return stored(keys::showGrid) == QStringLiteral("1");
    case Action::ChampionsResult:
        return !stored(fileOf(action), ProfileEncoding::Cp1252, "m4", "1").isEmpty();
    case Action::ErrorReport:
        return readRaw(fileOf(action)).contains(Report.toUtf8());
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Action)

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
        QTest::addColumn<Action>("action");
        QTest::newRow("a flag click") << Action::Flag;
        QTest::newRow("the picture choice's three keys") << Action::PictureChoice;
        QTest::newRow("a start that resets a value") << Action::StartReset;
        QTest::newRow("a champions result") << Action::ChampionsResult;
        QTest::newRow("an error report") << Action::ErrorReport;
    }

    void aHeldLockNeverStallsTheWindow()
    {
        QFETCH(Action, action);
        const QString file = fileOf(action);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile before(settingsFilePath());
        QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
        QVERIFY(before.open(QIODevice::WriteOnly) && before.write("[Optionen]\nGrid=abc\n") > 0);
        before.close();
        QStringList told;
        setWriteFailureNotice([&told](const QString& path) { told << path; });

        LockHolder holder(file);
        QVERIFY(holder.held());
        QElapsedTimer call;
        call.start();
        act(action);
        QVERIFY2(call.elapsed() < QuickMilliseconds, qPrintable(QString::number(call.elapsed())));
        QVERIFY(isWaitingForLock(file));
        QVERIFY(!landed(action));
        if (action == Action::Flag)
            QCOMPARE(readOnOffSetting(keys::showGrid), false); // the run goes on with what the player chose

        // However long the lock stays busy, and whatever else is written meanwhile: one notice.
        QTRY_COMPARE_WITH_TIMEOUT(told, QStringList{file}, 4 * BusyLockNoticeMilliseconds);
        call.restart();
        act(action);
        QVERIFY(call.elapsed() < QuickMilliseconds);
        QVERIFY(!landed(action));

        holder.release();
        QTRY_VERIFY_WITH_TIMEOUT(landed(action), 30000);
        QVERIFY(!isWaitingForLock(file));
        QCOMPARE(told, QStringList{file});
        if (action == Action::ChampionsResult) {
            Profile::forgetUnreadableFiles(); // read from the disk again
            RankedList list;
            ChampionsFile(4).readList(list);
            QCOMPARE(rowsToShow(list)[0].name, QStringLiteral("Anna"));
            QCOMPARE(rowsToShow(list)[1].name, QStringLiteral("Anna")); // entered twice, both kept
        }
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
        copy.start(QStringLiteral(TESSARON_SETTINGS_WRITER), {QStringLiteral("0"), QStringLiteral("20")});
        QVERIFY(copy.waitForStarted());
        while (copy.state() == QProcess::Running && !copy.canReadLine())
            copy.waitForReadyRead(1000);
        QCOMPARE(copy.readLine(), QByteArray("written\n")); // every key made, none on the disk
        QElapsedTimer end;
        end.start();
        if (freed)
            holder.release();
        QVERIFY(copy.waitForFinished(60000));
        QCOMPARE(copy.exitCode(), 0);
        if (freed) {
            const QHash<QString, QString> keys = Profile::readSection(readRaw(settingsFilePath()), ProfileEncoding::Utf8, "Optionen");
            for (int n = 0; n < 20; ++n)
                QCOMPARE(keys.value(QStringLiteral("copy0key%1").arg(n)), QString::number(n));
            QCOMPARE(keys.value("size"), QStringLiteral("7"));
        } else {
            // Bounded: the copy ends after its last wait, never written over the other's lock.
            QVERIFY(end.elapsed() < ProgramEndLockMilliseconds + 20000);
            QCOMPARE(readRaw(settingsFilePath()), before);
            QVERIFY(copy.readAllStandardError().contains(QFile::encodeName(settingsFilePath())));
        }
    }

    void aLargeSettingsFileIsReadOnce_data()
    {
        QTest::addColumn<qint64>("blankLines");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("900 KB of blank lines") << qint64(900 * 1024) << false;
        QTest::newRow("a megabyte and a byte") << qint64(Profile::MaxFileBytes + 1) << true;
        QTest::newRow("4 MB of blank lines") << qint64(4 * 1024 * 1024) << true;
    }

    void aLargeSettingsFileIsReadOnce()
    {
        QFETCH(qint64, blankLines);
        QFETCH(bool, unreadable);
        const QByteArray content = QByteArray(blankLines - 16, '\n') + "[Optionen]\nSize=3\n";
        QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
        QFile file(settingsFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QStringList told;
        Profile::setUnreadableNotice([&told](const QString& path) { told << path; });

        const qint64 start = bytesRead();
        const auto readAll = [] {
            for (const SettingKey& key : AllSettingKeys)
                readSetting(key);
        };
        readAll();                                  // the start
        QCOMPARE(readIntegerSetting(keys::sizeIndex), qint16(unreadable ? 1 : 3));
        saveOnOffSetting(keys::showGrid, false);    // a flag click
        readAll();
        QCOMPARE(readOnOffSetting(keys::showGrid), false);
        const qint64 read = bytesRead() - start;
        if (unreadable) {
            QVERIFY2(read < blankLines, qPrintable(QString::number(read)));
            QCOMPARE(readRaw(settingsFilePath()), content); // the player's file stays as it is
            QCOMPARE(told, QStringList{settingsFilePath()});
        } else {
            QVERIFY2(read >= blankLines && read < 2 * blankLines, qPrintable(QString::number(read)));
            QCOMPARE(stored(keys::showGrid), QStringLiteral("0"));
            QCOMPARE(stored(keys::sizeIndex), QStringLiteral("3"));
            QVERIFY(told.isEmpty());
        }
        Profile::setUnreadableNotice({});
    }
};

TESSARON_TEST_MAIN(TestSharedFileLocks)
#include "test_shared_file_locks.moc"
