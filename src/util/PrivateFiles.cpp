#include "util/PrivateFiles.h"

#include "util/OwnFolder.h"
#include "util/Paths.h"
#include "util/RunTimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

bool ownedAndClosed(const QByteArray& path, bool mustBeClosed)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    return !mustBeClosed || (info.st_mode & 077) == 0;
}

// Makes `folder` a private folder of this user, or says it cannot be one.
bool makePrivate(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    // Ours but open to others (made by an older umask): close it.
    if (ownedAndClosed(path, false) && !ownedAndClosed(path, true))
        ::chmod(path.constData(), 0700);
    return ownedAndClosed(path, true);
}

QString& madeFolder()
{
    static QString folder; // a fresh folder, once the usual ones were taken
    return folder;
}

constexpr const char* RunningFile = ".running";

struct File {
    QString shared;
    QString folder;
    int lock = -1;
};

File& own()
{
    static File folder;
    return folder;
}

// Whether the copy that made `folder` has ended: its lock can be taken. A
// folder without a lock file is one that is being made or was left half
// made; only an old one counts as ended.
bool copyEnded(const OwnFolder& folder)
{
    const int fd = folder.openFile(QLatin1String(RunningFile));
    if (fd < 0)
        return errno == ENOENT && QDateTime::currentMSecsSinceEpoch() - folder.modified() > 60 * 1000;
    const bool ended = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return ended;
}

// What a copy's folder holds: its lock, its temporary files "~tmp.<type>"
// and the temporary files of their writes.
const QRegularExpression& copyFileNames()
{
    static const QRegularExpression names(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.running|~tmp\\.[a-z]{3}|\\.~tmp\\.[a-z]{3}\\.tmp-[A-Za-z0-9]{6}")));
    return names;
}

} // namespace

void sweepEndedCopies(const QString& shared)
{
    static const QRegularExpression copyName(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]+-[A-Za-z0-9]{6}")));
    const OwnFolder folder(shared);
    for (const QString& name : folder.folders(copyName)) {
        if (withSeparator(withSeparator(shared) + name) != own().folder)
            folder.removeFolder(name, copyFileNames(), copyEnded);
    }
}

QString copyFolder(const QString& shared)
{
    File& mine = own();
    struct stat info {};
    if (mine.shared == shared && ::lstat(QFile::encodeName(mine.folder).constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return mine.folder;
    sweepEndedCopies(shared);
    QByteArray pattern = QFile::encodeName(withSeparator(shared) + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return withSeparator(shared) + QString::number(::getpid()) + u'/'; // writes there fail, and say so
    const QString folder = withSeparator(QFile::decodeName(pattern));
    const int lock = ::open(QFile::encodeName(folder + QLatin1String(RunningFile)).constData(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock >= 0)
        ::flock(lock, LOCK_EX | LOCK_NB);
    if (mine.lock >= 0)
        ::close(mine.lock);
    mine = {shared, folder, lock};
    return folder;
}

bool isPrivateFolder(const QString& folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return ownedAndClosed(QFile::encodeName(path), true);
}

QString privateTempFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime)) {
        const QString folder = withSeparator(runtime) + QStringLiteral("Tessaron");
        if (makePrivate(folder))
            return withSeparator(folder);
    }
    const QString temp = withSeparator(QDir::tempPath());
    const QString usual = temp + QStringLiteral("Tessaron-") + QString::number(::geteuid());
    if (makePrivate(usual))
        return withSeparator(usual);
    // Somebody else holds the usual name: a folder of our own with a name nobody can guess.
    if (madeFolder().isEmpty() || !isPrivateFolder(madeFolder())) {
        QByteArray pattern = QFile::encodeName(temp + QStringLiteral("Tessaron-XXXXXX"));
        if (::mkdtemp(pattern.data()))
            madeFolder() = QFile::decodeName(pattern);
    }
    return madeFolder().isEmpty() ? usual + u'/' : withSeparator(madeFolder());
}

} // namespace tess
