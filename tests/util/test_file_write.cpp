// Every file the game writes is written whole or not at all: on a real full
// disk the old file stays byte for byte and no temporary file is left; a
// link planted at a name is replaced, never followed; a name taken is never
// written over; the player hears of each file that failed once.

#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"
#include "util/FileLock.h"
#include "util/FileWrite.h"
#include "util/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;

namespace {

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
}

} // namespace

class TestFileWrite : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        forgetWriteFailures();
    }

    void aFullDiskLeavesTheOldFileWhole()
    {
        const QString folder = test::rootFolder() + "/small";
        test::SmallDisk disk(folder, 256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        const QString path = folder + "/Quadrello.qdr";
        const QByteArray old(110, 'o');
        QCOMPARE(replaceFileWhole(path, old), 0);
        disk.fill();

        // Larger and smaller contents alike: the new file never takes the name.
        QCOMPARE(replaceFileWhole(path, QByteArray(5000, 'n')), ENOSPC);
        QCOMPARE(replaceFileWhole(path, QByteArray("x")), ENOSPC);
        QCOMPARE(readRaw(path), old);
        QCOMPARE(createFileWhole(folder + "/added.jpg", QByteArray(5000, 'p')), ENOSPC);
        QVERIFY(!QFileInfo::exists(folder + "/added.jpg"));
        QCOMPARE(filesIn(folder), (QStringList{".filler", "Quadrello.qdr"})); // no temporary file left

        // The raising form names the run-time error the trap reports.
        try {
            writeFileAtomically(path, QByteArray(5000, 'n'));
            QFAIL("a write to a full disk must fail");
        } catch (const RunTimeError& error) {
            QCOMPARE(error.number(), int(ErrDiskFull));
        }

        disk.free();
        QCOMPARE(replaceFileWhole(path, QByteArray(5000, 'n')), 0);
        QCOMPARE(readRaw(path), QByteArray(5000, 'n'));
    }

    void aLinkAtTheNameIsReplacedNeverFollowed()
    {
        const QString folder = test::dataFolder();
        const QString victim = test::homeFolder() + "/thesis.txt";
        writeRaw(victim, "my thesis");
        const QString linked = folder + "/copy.jpg";
        QVERIFY(QFile::link(victim, linked));
        QCOMPARE(replaceFileWhole(linked, "picture"), 0);
        QCOMPARE(readRaw(victim), QByteArray("my thesis"));
        QVERIFY(!QFileInfo(linked).isSymLink());
        QCOMPARE(readRaw(linked), QByteArray("picture"));

        // A dangling link creates nothing at its target.
        const QString target = test::homeFolder() + "/created-by-the-game";
        const QString dangling = folder + "/dangling.jpg";
        QVERIFY(QFile::link(target, dangling));
        QCOMPARE(replaceFileWhole(dangling, "picture"), 0);
        QVERIFY(!QFileInfo::exists(target));

        // A name taken, by a file or a link, is never written over by a new file.
        QCOMPARE(createFileWhole(linked, "other"), EEXIST);
        QCOMPARE(readRaw(linked), QByteArray("picture"));
        const QString other = folder + "/other.jpg";
        QVERIFY(QFile::link(victim, other));
        QCOMPARE(createFileWhole(other, "other"), EEXIST);
        QCOMPARE(readRaw(victim), QByteArray("my thesis"));
        QCOMPARE(createFileWhole(folder + "/new.jpg", "new"), 0);
        QCOMPARE(readRaw(folder + "/new.jpg"), QByteArray("new"));
        QCOMPARE(filesIn(folder), (QStringList{"copy.jpg", "dangling.jpg", "new.jpg", "other.jpg"}));
    }

    void permissionsAreKeptAndAReadOnlyFileStays()
    {
        const QString path = test::dataFolder() + "/Tessaron.hsc";
        writeRaw(path, "old");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QCOMPARE(replaceFileWhole(path, "new"), 0);
        QCOMPARE(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        // A new file as any program makes it: 0666 less the umask.
        const mode_t mask = ::umask(022);
        QCOMPARE(replaceFileWhole(test::dataFolder() + "/new.qdr", "new"), 0);
        ::umask(mask);
        struct stat made {};
        QCOMPARE(::stat(QFile::encodeName(test::dataFolder() + "/new.qdr").constData(), &made), 0);
        QCOMPARE(made.st_mode & 0777, mode_t(0644));
        // Made read-only by the player: not replaced, also when the game runs as root.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        QCOMPARE(replaceFileWhole(path, "newer"), EACCES);
        QCOMPARE(readRaw(path), QByteArray("new"));
    }

    void eachFileThatFailedIsToldOnce()
    {
        QStringList told;
        tellWriteFailed("/nowhere/a"); // before anybody can tell: kept until then
        setWriteFailureNotice([&told](const QString& path) { told << path; });
        tellWriteFailed("/nowhere/a");
        tellWriteFailed("/nowhere/b");
        tellWriteFailed("/nowhere/b");
        QTRY_COMPARE(told, (QStringList{"/nowhere/a", "/nowhere/b"}));
        QCoreApplication::processEvents();
        QCOMPARE(told.size(), 2);
        setWriteFailureNotice(nullptr);
    }

    void aLockIsGrantedAgainWithinOneCopy()
    {
        const QString file = test::dataFolder() + "/Tessaron.ini";
        FileLock outer(file);
        QCOMPARE(outer.state(), FileLock::State::Held);
        {
            FileLock inner(file, 0); // a write inside a longer change
            QCOMPARE(inner.state(), FileLock::State::Held);
        }
        QVERIFY(QFileInfo::exists(file + ".lock"));
        FileLock elsewhere(test::rootFolder() + "/no such folder/Tessaron.ini", 0);
        QCOMPARE(elsewhere.state(), FileLock::State::NoLockFile);
        QVERIFY(elsewhere.mayWrite());
    }

    void aLockIsHeldOnlyByARunningCopyWhateverItsFileHolds()
    {
        const QString file = test::dataFolder() + "/Tessaron.ini";
        const QString lockFile = file + ".lock";
        // Left by a copy that ended (a power loss leaves it empty), or planted.
        writeRaw(lockFile, "");
        QCOMPARE(FileLock(file, 0).state(), FileLock::State::Held);
        QVERIFY(!QFileInfo::exists(lockFile)); // let go of, and gone
        writeRaw(lockFile, "999999\nsomething\notherhost\n");
        QCOMPARE(FileLock(file, 0).state(), FileLock::State::Held);
        QCOMPARE(::mkfifo(QFile::encodeName(lockFile).constData(), 0600), 0); // would hang an open
        QCOMPARE(FileLock(file, 0).state(), FileLock::State::Held);
        const QString victim = test::homeFolder() + "/notes.txt";
        writeRaw(victim, "notes");
        QVERIFY(QFile::link(victim, lockFile));
        QCOMPARE(FileLock(file, 0).state(), FileLock::State::Held);
        QCOMPARE(readRaw(victim), QByteArray("notes"));
        // A hard link is a second name of the player's file: the holder's note stays out of it.
        QCOMPARE(::link(QFile::encodeName(victim).constData(), QFile::encodeName(lockFile).constData()), 0);
        QCOMPARE(FileLock(file, 0).state(), FileLock::State::Held);
        QCOMPARE(readRaw(victim), QByteArray("notes"));

        // Held by another copy (another open file of the lock): busy for the whole wait.
        writeRaw(lockFile, "");
        const int other = ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
        const FileLock waiting(file, 50);
        QCOMPARE(waiting.state(), FileLock::State::Busy);
        QVERIFY(!waiting.mayWrite());
        ::close(other);
        QCOMPARE(FileLock(file, 0).state(), FileLock::State::Held);
    }
};

TESSARON_TEST_MAIN(TestFileWrite)
#include "test_file_write.moc"
