#pragma once
// Writes to a file that running copies of the game share, without the window
// ever waiting for its lock (util/FileLock.h): the lock is tried once, and a
// write whose lock another copy holds waits in memory and is tried again from
// the event loop until the lock is free. A lock that stays busy for seconds
// is told once as a failed write (tellWriteFailed); the write goes on
// waiting. At program end what still waits gets one last, bounded wait.

#include <QString>
#include <QStringList>

#include <functional>

namespace tess {

enum class LockedWrite {
    Done,    // written now
    Failed,  // tried now and not written
    Waiting, // another copy holds the lock: written when it lets go
};

// How long a lock may stay busy before the player hears of it, and how long
// the program's end waits at most for the locks of what still waits.
inline constexpr int BusyLockNoticeMilliseconds = 5000;
inline constexpr int ProgramEndLockMilliseconds = 5000;

// `write` runs with the file's lock held and writes all that waits for the
// file; it returns whether the file was written. It runs at once when the
// lock is free; else it takes the place of any write of the same file that
// waits already. A waiting write that fails is told (tellWriteFailed).
// Without an application object (no event loop to try again from) the lock
// is waited for as long as the program's end would.
LockedWrite writeUnderLock(const QString& path, std::function<bool()> write);

// Whether a write of the file waits for its lock.
bool isWaitingForLock(const QString& path);

// Runs the writes that still wait, waiting for their locks at most
// `waitMilliseconds` in all; returns the files not written. Called at the
// program's end (also when the application object goes).
QStringList finishWaitingWrites(int waitMilliseconds = ProgramEndLockMilliseconds);

} // namespace tess
