#include "util/Files.h"

#include "util/RunTimeError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

// What a stat of the path says before anything is opened: opening a device
// can act on it (a watchdog, a tape that rewinds), so only a regular file of
// sane size is opened at all.
FileRead lookAt(const QByteArray& name, qint64 maxBytes, struct stat& info, Links links = Links::Followed)
{
    if ((links == Links::Refused ? ::lstat(name.constData(), &info) : ::stat(name.constData(), &info)) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Unreadable;
    if (!S_ISREG(info.st_mode))
        return FileRead::NotAFile;
    return info.st_size > maxBytes ? FileRead::TooLarge : FileRead::Ok;
}

// Opens the file looked at, without blocking, and checks on the open handle
// that it is still that file (not swapped for a FIFO or a device meanwhile).
int openLookedAt(const QByteArray& name, const struct stat& seen, FileRead& result, Links links = Links::Followed)
{
    const int fd = ::open(name.constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::Refused ? O_NOFOLLOW : 0));
    if (fd < 0) {
        result = errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Unreadable;
        return -1;
    }
    struct stat now {};
    if (::fstat(fd, &now) != 0 || !S_ISREG(now.st_mode) || now.st_dev != seen.st_dev || now.st_ino != seen.st_ino) {
        ::close(fd);
        result = FileRead::NotAFile;
        return -1;
    }
    return fd;
}

// Looks at the file and opens it. A regular file replaced in between (another
// copy of the game wrote it anew, renaming its new file over it) is looked at
// again, a few times, rather than taken for something else.
int lookAndOpen(const QByteArray& name, qint64 maxBytes, struct stat& info, FileRead& result, Links links)
{
    for (int tries = 0; tries < 5; ++tries) {
        result = lookAt(name, maxBytes, info, links);
        if (result != FileRead::Ok)
            return -1;
        const int fd = openLookedAt(name, info, result, links);
        if (fd >= 0 || result != FileRead::NotAFile)
            return fd;
        struct stat again {};
        const bool replaced = (links == Links::Refused ? ::lstat(name.constData(), &again) : ::stat(name.constData(), &again)) == 0
            && S_ISREG(again.st_mode) && (again.st_dev != info.st_dev || again.st_ino != info.st_ino);
        if (!replaced)
            return -1;
    }
    return -1;
}

bool usableName(const QString& path)
{
    return !path.isEmpty() && !path.contains(QChar(u'\0'));
}

} // namespace

FileContent readRegularFile(const QString& path, qint64 maxBytes, Links links)
{
    FileContent content;
    if (!usableName(path))
        return content;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    const int fd = lookAndOpen(name, maxBytes, info, content.result, links);
    if (fd < 0)
        return content;
    // Read to the end, not to the size: a file that grows meanwhile is still capped.
    content.bytes.resize(qsizetype(info.st_size));
    qsizetype have = 0;
    for (;;) {
        if (have == content.bytes.size()) {
            if (have > maxBytes) {
                content.result = FileRead::TooLarge;
                break;
            }
            content.bytes.resize(have + std::min<qsizetype>(qsizetype(maxBytes - have + 1), 64 * 1024));
        }
        const ssize_t n = ::read(fd, content.bytes.data() + have, std::size_t(content.bytes.size() - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            content.result = FileRead::Unreadable;
            break;
        }
        if (n == 0)
            break;
        have += n;
    }
    ::close(fd);
    if (content.result == FileRead::Ok)
        content.bytes.resize(have);
    else
        content.bytes.clear();
    return content;
}

bool isSaneFile(const QString& path, qint64 maxBytes)
{
    if (!usableName(path))
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    FileRead result = FileRead::Missing;
    const int fd = lookAndOpen(name, maxBytes, info, result, Links::Followed);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void raiseReadError(FileRead result, const QString& path)
{
    if (result == FileRead::Missing)
        raiseError(ErrFileNotFound, path);
    if (result == FileRead::Unreadable && QFileInfo(path).exists() && !QFileInfo(path).isReadable())
        raiseError(ErrPermissionDenied, path);
    raiseError(ErrPathFileAccess, path);
}

QByteArray readWholeFile(const QString& path, qint64 maxBytes)
{
    FileContent content = readRegularFile(path, maxBytes);
    if (content.result != FileRead::Ok)
        raiseReadError(content.result, path);
    return std::move(content.bytes);
}

} // namespace tess
