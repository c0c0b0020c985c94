#pragma once
// A lock that several running copies of the game take before they change a
// file they share (the settings, the champions list, the error log): each
// copy reads the file as it stands, changes its own part and replaces it, one
// at a time, so no copy writes over another's change. The lock is the file
// "<path>.lock" held with flock(): the kernel lets go of it when its copy
// ends however it ends, so a lock is never stale, whatever the file holds.
// Taking it again in the same copy while it is held (a write inside a longer
// change) is granted at once.

#include <QString>

namespace tess {

class FileLock {
public:
    enum class State {
        Held,       // this copy may change the file
        Busy,       // another copy held it for the whole wait (none unless asked for)
        NoLockFile, // the lock file cannot be made (a folder that cannot be written)
    };

    // Tried once unless a wait is asked for: the window thread never waits
    // for another copy (util/LockedWrites.h tries again later).
    explicit FileLock(const QString& lockedFile, int waitMilliseconds = 0);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    State state() const { return state_; }
    // Whether a change may go ahead: held, or no lock file could be made (the
    // write is then tried all the same and fails as it would).
    bool mayWrite() const { return state_ != State::Busy; }

private:
    QString key_;
    int fd_ = -1;
    State state_ = State::Busy;
    bool counted_ = false;
};

} // namespace tess
