#include "util/LockedWrites.h"

#include "util/FileLock.h"
#include "util/FileWrite.h"
#include "util/Trap.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace tess {

namespace {

struct Waiting {
    std::function<bool()> write;
    QElapsedTimer busySince;
    bool told = false;
};

struct WaitingWrites {
    QMutex mutex;
    QHash<QString, Waiting> files;
    bool retryPlanned = false;
    int retryDelay = 0;
    bool endRoutineAdded = false;
};

WaitingWrites& waiting()
{
    static WaitingWrites writes;
    return writes;
}

constexpr int FirstRetryMilliseconds = 20;
constexpr int LastRetryMilliseconds = 250;

void retryWaiting();

// Called with the mutex held.
void planRetry()
{
    WaitingWrites& state = waiting();
    if (state.retryPlanned || state.files.isEmpty())
        return;
    state.retryPlanned = true;
    // A lock held for a moment is tried again soon; one held long, a few times a second.
    state.retryDelay = state.retryDelay == 0 ? FirstRetryMilliseconds : qMin(state.retryDelay * 2, LastRetryMilliseconds);
    QTimer::singleShot(state.retryDelay, QCoreApplication::instance(), &retryWaiting);
}

// Takes the waiting write of `path` out, when there is one.
bool takeWaiting(const QString& path, Waiting& taken)
{
    QMutexLocker guard(&waiting().mutex);
    auto it = waiting().files.find(path);
    if (it == waiting().files.end())
        return false;
    taken = std::move(*it);
    waiting().files.erase(it);
    return true;
}

// Puts a write back to wait, unless a newer one of the same file waits already.
void keepWaiting(const QString& path, Waiting write)
{
    QMutexLocker guard(&waiting().mutex);
    auto it = waiting().files.find(path);
    if (it == waiting().files.end())
        waiting().files.insert(path, std::move(write));
    else {
        // The newer write stays; the lock has been busy since the older one.
        if (write.busySince.isValid() && (!it->busySince.isValid() || write.busySince < it->busySince))
            it->busySince = write.busySince;
        it->told = it->told || write.told;
    }
    planRetry();
}

// The application goes: what still waits is written, or named on the terminal.
void finishAtApplicationEnd()
{
    for (const QString& path : finishWaitingWrites())
        std::fprintf(stderr, "tessaron: %s could not be written: another copy of the game held it\n", qPrintable(path));
}

void retryWaiting()
{
    QStringList paths;
    {
        QMutexLocker guard(&waiting().mutex);
        waiting().retryPlanned = false;
        paths = waiting().files.keys();
    }
    for (const QString& path : std::as_const(paths)) {
        Waiting write;
        if (!takeWaiting(path, write))
            continue;
        const FileLock lock(path, 0);
        if (lock.mayWrite()) {
            // From the event loop, where nobody waits for the answer: a
            // failure, also one that raises, is told as a failed write.
            bool written = false;
            ignoringErrors([&](Steps& step) { step(50010, [&] { written = write.write(); }); });
            if (!written)
                tellWriteFailed(path);
            continue;
        }
        if (!write.told && write.busySince.hasExpired(BusyLockNoticeMilliseconds)) {
            write.told = true;
            tellWriteFailed(path);
        }
        keepWaiting(path, std::move(write));
    }
    QMutexLocker guard(&waiting().mutex);
    if (waiting().files.isEmpty())
        waiting().retryDelay = 0;
}

} // namespace

LockedWrite writeUnderLock(const QString& path, std::function<bool()> write)
{
    // A write of this file that waits already is done by this one: each
    // writes all that waits for the file.
    Waiting entry;
    const bool waited = takeWaiting(path, entry);
    entry.write = std::move(write);
    const bool eventLoop = QCoreApplication::instance() != nullptr;
    {
        const FileLock lock(path, eventLoop ? 0 : ProgramEndLockMilliseconds);
        if (lock.mayWrite())
            return entry.write() ? LockedWrite::Done : LockedWrite::Failed;
    }
    if (!eventLoop)
        return LockedWrite::Failed;
    if (!waited)
        entry.busySince.start();
    {
        QMutexLocker guard(&waiting().mutex);
        if (!waiting().endRoutineAdded) {
            waiting().endRoutineAdded = true;
            qAddPostRoutine(&finishAtApplicationEnd);
        }
    }
    keepWaiting(path, std::move(entry));
    return LockedWrite::Waiting;
}

bool isWaitingForLock(const QString& path)
{
    QMutexLocker guard(&waiting().mutex);
    return waiting().files.contains(path);
}

QStringList finishWaitingWrites(int waitMilliseconds)
{
    const QDeadlineTimer deadline(waitMilliseconds);
    QStringList unwritten;
    QStringList paths;
    {
        QMutexLocker guard(&waiting().mutex);
        paths = waiting().files.keys();
    }
    for (const QString& path : std::as_const(paths)) {
        Waiting write;
        if (!takeWaiting(path, write))
            continue;
        const FileLock lock(path, int(qMax<qint64>(0, deadline.remainingTime())));
        if (!lock.mayWrite() || !write.write())
            unwritten << path;
    }
    return unwritten;
}

} // namespace tess
