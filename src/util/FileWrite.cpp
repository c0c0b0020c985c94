#include "util/FileWrite.h"

#include "util/OwnFolder.h"
#include "util/RunTimeError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

constexpr const char* TemporaryMark = ".tmp-";

// Hidden beside the file, and known for what it is should a crash leave it:
// ".<name>.tmp-XXXXXX".
QByteArray temporaryName(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + '.' + target.mid(slash + 1) + TemporaryMark + "XXXXXX";
}

// The process's umask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t creationMask()
{
    static const mode_t mask = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("Umask:"))
                    return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
            }
        }
        return mode_t(022);
    }();
    return mask;
}

// Closes the descriptor and removes the temporary file unless it was taken.
class TemporaryFile {
public:
    explicit TemporaryFile(const QByteArray& target)
        : name_(temporaryName(target))
    {
        // mkostemp creates with O_EXCL: a link planted at the name is never followed.
        fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
        created_ = fd_ >= 0;
        if (!created_)
            error_ = errno;
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (created_ && !taken_)
            ::unlink(name_.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int error() const { return error_; }
    const QByteArray& name() const { return name_; }

    // Writes everything, keeps the old file's permissions, flushes to the disk
    // and checks the size the disk now holds.
    bool fill(const QByteArray& bytes, const QByteArray& target)
    {
        qsizetype written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.constData() + written, std::size_t(bytes.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return fail(n < 0 ? errno : ENOSPC);
            written += n;
        }
        struct stat old {};
        const bool replacing = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
        ::fchmod(fd_, replacing ? old.st_mode & 07777 : 0666 & ~creationMask());
        if (::fsync(fd_) != 0)
            return fail(errno);
        struct stat now {};
        if (::fstat(fd_, &now) != 0)
            return fail(errno);
        if (now.st_size != bytes.size())
            return fail(EIO);
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            return fail(errno);
        return true;
    }
    bool fail(int error)
    {
        error_ = error;
        return false;
    }
    void taken() { taken_ = true; }
    bool opened() const { return error_ == 0; }

private:
    QByteArray name_;
    int fd_ = -1;
    int error_ = 0;
    bool created_ = false;
    bool taken_ = false;
};

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// After a rename the folder's entry must reach the disk too, or a crash could
// bring back the old name's content.
void flushFolder(const QByteArray& path)
{
    const int fd = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

enum class Replace { Yes, Never };

int writeWhole(const QString& path, const QByteArray& bytes, Replace replace)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')) || path.endsWith(u'/'))
        return ENOENT;
    const QByteArray target = QFile::encodeName(path);
    // A file the player made read-only stays as it is, also for root.
    struct stat old {};
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode) && (old.st_mode & 0222) == 0)
        return EACCES;
    TemporaryFile temporary(target);
    if (!temporary.opened())
        return temporary.error();
    if (!temporary.fill(bytes, target))
        return temporary.error();
    if (replace == Replace::Yes) {
        if (::rename(temporary.name().constData(), target.constData()) != 0)
            return errno;
    } else {
        // Fails when the name is taken, whoever took it; a file system
        // without the flag gets a hard link, which fails the same way.
        if (::renameat2(AT_FDCWD, temporary.name().constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL && errno != ENOSYS)
                return errno;
            if (::link(temporary.name().constData(), target.constData()) != 0)
                return errno;
            ::unlink(temporary.name().constData());
        }
    }
    temporary.taken();
    flushFolder(target);
    return 0;
}

struct Failures {
    QMutex mutex;
    QSet<QString> told;
    QStringList untold; // failed before anybody could tell the player
    std::function<void(const QString&)> notice;
};

Failures& failures()
{
    static Failures state;
    return state;
}

void hand(const std::function<void(const QString&)>& notice, const QString& path)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        notice(path);
        return;
    }
    // Found in the middle of a step, maybe on another thread: the player
    // hears of it when the event loop next runs.
    QMetaObject::invokeMethod(app, [notice, path] { notice(path); }, Qt::QueuedConnection);
}

} // namespace

int replaceFileWhole(const QString& path, const QByteArray& bytes)
{
    return writeWhole(path, bytes, Replace::Yes);
}

int createFileWhole(const QString& path, const QByteArray& bytes)
{
    return writeWhole(path, bytes, Replace::Never);
}

int writeErrorNumber(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrPermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return ErrPathNotFound;
    case ENOSPC:
    case EDQUOT:
        return ErrDiskFull;
    default:
        return ErrPathFileAccess;
    }
}

void writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    const int error = replaceFileWhole(path, bytes);
    if (error != 0)
        raiseError(writeErrorNumber(error), path);
}

void sweepLeftoverTemporaryFiles(const QString& folder, const QString& written)
{
    // Only in a real folder of this user, and only the game's own files.
    const OwnFolder own(folder);
    const QRegularExpression names(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.(?:") + written + QStringLiteral(")") + QRegularExpression::escape(QLatin1String(TemporaryMark))
        + QStringLiteral("[A-Za-z0-9]{6}")));
    // Older than any write takes: another copy may be writing one right now.
    const qint64 before = QDateTime::currentMSecsSinceEpoch() - 600 * 1000;
    for (const OwnFolder::File& file : own.files(names)) {
        if (file.modified < before)
            own.remove(file.name, names);
    }
}

void tellWriteFailed(const QString& path)
{
    Failures& state = failures();
    std::function<void(const QString&)> notice;
    {
        QMutexLocker lock(&state.mutex);
        if (state.told.contains(path))
            return;
        state.told.insert(path);
        if (!state.notice) {
            state.untold.append(path);
            return;
        }
        notice = state.notice;
    }
    hand(notice, path);
}

bool markWriteFailureTold(const QString& path)
{
    Failures& state = failures();
    QMutexLocker lock(&state.mutex);
    if (state.told.contains(path))
        return false;
    state.told.insert(path);
    return true;
}

void setWriteFailureNotice(std::function<void(const QString& path)> notice)
{
    Failures& state = failures();
    QStringList untold;
    {
        QMutexLocker lock(&state.mutex);
        state.notice = std::move(notice);
        if (!state.notice)
            return;
        untold = std::exchange(state.untold, {});
    }
    for (const QString& path : untold)
        hand(state.notice, path);
}

void forgetWriteFailures()
{
    Failures& state = failures();
    QMutexLocker lock(&state.mutex);
    state.told.clear();
    state.untold.clear();
}

} // namespace tess
