#include "util/FileLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSysInfo>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

struct HeldLocks {
    QMutex mutex;
    QHash<QString, int> count; // by lock file, how many FileLocks of this copy hold it
};

HeldLocks& held()
{
    static HeldLocks locks;
    return locks;
}

enum class Attempt {
    Taken,
    Busy,
    Cleared, // something else stood at the name and is gone: try again at once
    Impossible,
};

// One try: the lock file opened without following a link or waiting on a
// FIFO, locked without waiting, and still the file at its name afterwards
// (the copy before may have removed it in between).
Attempt tryOnce(const QByteArray& name, int& fd)
{
    fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        struct stat planted {};
        // Something else at the name in the game's own folder (a link, a
        // FIFO, a device): it goes, and the next try makes a real lock file.
        if ((errno == ELOOP || errno == ENXIO) && ::lstat(name.constData(), &planted) == 0 && !S_ISDIR(planted.st_mode)
            && ::unlink(name.constData()) == 0)
            return Attempt::Cleared;
        return Attempt::Impossible;
    }
    struct stat opened {};
    // A second name for the file (a hard link to one of the player's files)
    // would have the holder's note written into that file.
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_nlink > 1) {
        ::close(fd);
        fd = -1;
        return ::unlink(name.constData()) == 0 ? Attempt::Cleared : Attempt::Impossible;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        fd = -1;
        return Attempt::Busy;
    }
    struct stat named {};
    if (::lstat(name.constData(), &named) != 0 || named.st_dev != opened.st_dev || named.st_ino != opened.st_ino) {
        ::close(fd);
        fd = -1;
        return Attempt::Busy;
    }
    // Who holds it, as older versions of the game wrote it (process id,
    // program, host): they take a lock of a copy that ended over.
    const QByteArray holder = QByteArray::number(qint64(::getpid())) + '\n'
        + QFile::encodeName(QCoreApplication::applicationName()) + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, holder.constData(), std::size_t(holder.size()), 0) < 0) {
        // The lock holds without its note (a full disk): nothing is lost.
    }
    return Attempt::Taken;
}

} // namespace

FileLock::FileLock(const QString& lockedFile, int waitMilliseconds)
    : key_(QFileInfo(lockedFile).absoluteFilePath() + QStringLiteral(".lock"))
{
    {
        QMutexLocker guard(&held().mutex);
        auto it = held().count.find(key_);
        if (it != held().count.end()) {
            ++*it;
            counted_ = true;
            state_ = State::Held;
            return;
        }
    }
    const QByteArray name = QFile::encodeName(key_);
    const QDeadlineTimer deadline(waitMilliseconds);
    for (int cleared = 0;;) {
        const Attempt attempt = tryOnce(name, fd_);
        if (attempt == Attempt::Taken)
            break;
        if (attempt == Attempt::Impossible || (attempt == Attempt::Cleared && ++cleared > 3)) {
            state_ = State::NoLockFile;
            return;
        }
        if (attempt == Attempt::Cleared)
            continue;
        if (deadline.hasExpired())
            return; // Busy
        QThread::msleep(10);
    }
    QMutexLocker guard(&held().mutex);
    held().count.insert(key_, 1);
    counted_ = true;
    state_ = State::Held;
}

FileLock::~FileLock()
{
    if (!counted_)
        return;
    QMutexLocker guard(&held().mutex);
    auto it = held().count.find(key_);
    if (it == held().count.end() || --*it > 0)
        return;
    held().count.erase(it);
    if (fd_ >= 0) {
        // Removed while still held: a copy waiting on this file finds it gone
        // from its name and tries again with a new one.
        ::unlink(QFile::encodeName(key_).constData());
        ::close(fd_);
    }
}

} // namespace tess
