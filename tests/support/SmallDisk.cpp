#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tess::test {

namespace {

QString ownNamespace()
{
    static QString failure = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return QStringLiteral("no mount namespace of its own: ") + QString::fromLocal8Bit(std::strerror(errno));
        // Mounts made here must not reach the machine's namespace.
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return QStringLiteral("mounts cannot be made private: ") + QString::fromLocal8Bit(std::strerror(errno));
        return QString();
    }();
    return failure;
}

QByteArray fillerOf(const QString& folder)
{
    return QFile::encodeName(folder + QStringLiteral("/.filler"));
}

} // namespace

SmallDisk::SmallDisk(const QString& folder, int kilobytes)
    : folder_(folder)
{
    QDir().mkpath(folder);
    reason_ = ownNamespace();
    if (!reason_.isEmpty())
        return;
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0) {
        reason_ = QStringLiteral("tmpfs cannot be mounted here: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

void SmallDisk::fill()
{
    const int fd = ::open(fillerOf(folder_).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray block(4096, '\0');
    for (qsizetype size = block.size(); size > 0; size /= 2) {
        while (::write(fd, block.constData(), std::size_t(size)) == size) {
        }
    }
    ::close(fd);
}

void SmallDisk::free()
{
    ::unlink(fillerOf(folder_).constData());
}

bool SmallDisk::makeReadOnly()
{
    return mounted_
        && ::mount("tmpfs", QFile::encodeName(folder_).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace tess::test
