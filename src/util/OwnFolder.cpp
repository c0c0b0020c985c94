#include "util/OwnFolder.h"

#include "util/Paths.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

bool isOwnRealFolder(int fd)
{
    struct stat info {};
    return fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// Opens the folder `name` inside `parent` without following a link at it.
int openInside(int parent, const QByteArray& name)
{
    if (name.isEmpty() || name.contains('/') || name == "." || name == "..")
        return -1;
    const int fd = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && !isOwnRealFolder(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool matchesWhole(const QRegularExpression& names, const QString& name)
{
    const QRegularExpressionMatch match = names.match(name);
    return match.hasMatch() && match.capturedStart() == 0 && match.capturedLength() == name.size();
}

qint64 milliseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

QByteArray withoutTrailingSlashes(const QString& folder)
{
    // "link/" would follow the link whatever the flags say.
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return QFile::encodeName(path);
}

// Every entry of the open folder whose name `names` matches, with what lstat says of it.
template <typename Take>
void eachEntry(int fd, const QRegularExpression& names, Take take)
{
    const int listing = ::dup(fd);
    if (listing < 0)
        return;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const QString decoded = QFile::decodeName(name);
        if (name == "." || name == ".." || !matchesWhole(names, decoded))
            continue;
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
            take(decoded, info);
    }
    ::closedir(dir);
}

} // namespace

QString ownFolder(const QString& base, const QStringList& parts, bool make)
{
    if (base.isEmpty() || base.contains(QChar(u'\0')))
        return {};
    if (make)
        QDir().mkpath(base);
    int fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QString path = withSeparator(base);
    for (const QString& part : parts) {
        if (fd < 0)
            return {};
        const QByteArray name = QFile::encodeName(part);
        if (make && !name.contains('/'))
            ::mkdirat(fd, name.constData(), 0700);
        const int inside = openInside(fd, name);
        ::close(fd);
        fd = inside;
        path += part + u'/';
    }
    if (fd < 0)
        return {};
    ::close(fd);
    return path;
}

OwnFolder::OwnFolder(const QString& folder)
{
    if (folder.isEmpty() || folder.contains(QChar(u'\0')))
        return;
    fd_ = ::open(withoutTrailingSlashes(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ >= 0 && !isOwnRealFolder(fd_)) {
        ::close(fd_);
        fd_ = -1;
    }
}

OwnFolder::OwnFolder(int parent, const QString& name)
    : fd_(openInside(parent, QFile::encodeName(name)))
{
}

OwnFolder::~OwnFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

qint64 OwnFolder::modified() const
{
    struct stat info {};
    return fd_ >= 0 && ::fstat(fd_, &info) == 0 ? milliseconds(info.st_mtim) : 0;
}

QList<OwnFolder::File> OwnFolder::files(const QRegularExpression& names) const
{
    QList<File> found;
    if (fd_ < 0)
        return found;
    eachEntry(fd_, names, [&](const QString& name, const struct stat& info) {
        if (S_ISREG(info.st_mode))
            found.append({name, milliseconds(info.st_mtim)});
    });
    std::stable_sort(found.begin(), found.end(), [](const File& a, const File& b) { return a.modified > b.modified; });
    return found;
}

QStringList OwnFolder::folders(const QRegularExpression& names) const
{
    QStringList found;
    if (fd_ < 0)
        return found;
    eachEntry(fd_, names, [&](const QString& name, const struct stat& info) {
        if (S_ISDIR(info.st_mode) && info.st_uid == ::geteuid())
            found.append(name);
    });
    return found;
}

bool OwnFolder::remove(const QString& name, const QRegularExpression& names) const
{
    if (fd_ < 0 || !matchesWhole(names, name))
        return false;
    const QByteArray encoded = QFile::encodeName(name);
    struct stat info {};
    if (encoded.contains('/') || ::fstatat(fd_, encoded.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return false;
    // Swapped for a link in between, only the link would go: unlinkat never follows one.
    return ::unlinkat(fd_, encoded.constData(), 0) == 0;
}

bool OwnFolder::removeFolder(const QString& name, const QRegularExpression& names,
                             const std::function<bool(const OwnFolder&)>& mayGo) const
{
    if (fd_ < 0)
        return false;
    const OwnFolder inside(fd_, name);
    if (!inside.isOpen() || (mayGo && !mayGo(inside)))
        return false;
    for (const File& file : inside.files(names))
        inside.remove(file.name, names);
    // Whatever else it holds keeps it there.
    return ::unlinkat(fd_, QFile::encodeName(name).constData(), AT_REMOVEDIR) == 0;
}

int OwnFolder::openFile(const QString& name) const
{
    const QByteArray encoded = QFile::encodeName(name);
    if (fd_ < 0 || encoded.isEmpty() || encoded.contains('/'))
        return -1;
    return ::openat(fd_, encoded.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

} // namespace tess
