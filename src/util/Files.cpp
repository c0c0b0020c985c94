#include "util/Files.h"

#include "errors/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

int fileErrorNumber(const QFileDevice& file, const QString& path)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return ErrPathNotFound;
    if (file.error() == QFileDevice::PermissionsError)
        return ErrPermissionDenied;
    if (file.error() == QFileDevice::ResourceError || file.error() == QFileDevice::WriteError) {
        const QStorageInfo storage(info.absolutePath());
        if (storage.isValid() && storage.bytesAvailable() == 0)
            return ErrDiskFull;
    }
    if (info.exists() && !info.isWritable())
        return ErrPermissionDenied;
    return ErrPathFileAccess;
}

void writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        raiseError(fileErrorNumber(file, path), path);
    if (file.write(bytes) != bytes.size()) {
        const int number = fileErrorNumber(file, path);
        file.cancelWriting();
        raiseError(number, path);
    }
    if (!file.commit())
        raiseError(fileErrorNumber(file, path), path);
}

FileContent readRegularFile(const QString& path, qint64 maxBytes)
{
    FileContent content;
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return content;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        content.result = errno == ENOENT || errno == ENOTDIR ? FileRead::Missing
                         : errno == ENXIO || errno == EISDIR ? FileRead::NotAFile // a socket, a FIFO nobody writes
                                                             : FileRead::Unreadable;
        return content;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        content.result = FileRead::Unreadable;
    } else if (!S_ISREG(info.st_mode)) {
        content.result = FileRead::NotAFile;
    } else if (info.st_size > maxBytes) {
        content.result = FileRead::TooLarge;
    } else {
        // Read to the end, not to the size: a file that grows meanwhile is still capped.
        content.result = FileRead::Ok;
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
        content.bytes.resize(content.result == FileRead::Ok ? have : 0);
    }
    ::close(fd);
    if (content.result != FileRead::Ok)
        content.bytes.clear();
    return content;
}

bool isSaneFile(const QString& path, qint64 maxBytes)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool sane = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= maxBytes;
    ::close(fd);
    return sane;
}

QByteArray readWholeFile(const QString& path, qint64 maxBytes)
{
    FileContent content = readRegularFile(path, maxBytes);
    switch (content.result) {
    case FileRead::Ok: return std::move(content.bytes);
    case FileRead::Missing: raiseError(ErrFileNotFound, path);
    case FileRead::Unreadable:
        if (QFileInfo(path).exists() && !QFileInfo(path).isReadable())
            raiseError(ErrPermissionDenied, path);
        raiseError(ErrPathFileAccess, path);
    case FileRead::NotAFile:
    case FileRead::TooLarge: raiseError(ErrPathFileAccess, path);
    }
    raiseError(ErrPathFileAccess, path);
}

} // namespace tess
