#include "util/FileLock.h"

#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMutex>

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
    lock_ = std::make_unique<QLockFile>(key_);
    // Stale only when the copy that holds it no longer runs, however long it held it.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(waitMilliseconds)) {
        QMutexLocker guard(&held().mutex);
        held().count.insert(key_, 1);
        counted_ = true;
        state_ = State::Held;
        return;
    }
    state_ = lock_->error() == QLockFile::LockFailedError ? State::Busy : State::NoLockFile;
}

FileLock::~FileLock()
{
    if (!counted_)
        return;
    QMutexLocker guard(&held().mutex);
    auto it = held().count.find(key_);
    if (it != held().count.end() && --*it == 0) {
        held().count.erase(it);
        if (lock_)
            lock_->unlock();
    }
}

} // namespace tess
