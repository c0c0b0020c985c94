#include "util/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {
QString& folderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString withSeparator(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString programFolder()
{
    if (!folderOverride().isEmpty())
        return withSeparator(folderOverride());
    return withSeparator(QCoreApplication::applicationDirPath());
}

void setProgramFolder(const QString& folder)
{
    folderOverride() = folder;
}

QString sharedDataFolder()
{
    const QString beside = programFolder();
    if (QFileInfo(beside + QStringLiteral("pics")).isDir())
        return beside;
    const QString installed = QDir::cleanPath(beside + QStringLiteral("../share/tessaron")) + u'/';
    if (QFileInfo(installed + QStringLiteral("pics")).isDir())
        return installed;
    return beside; // neither: the picture folder is missing, and its users say so
}

QString picturesFolder()
{
    return sharedDataFolder() + QStringLiteral("pics/");
}

QString userDataFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = withSeparator(base) + QStringLiteral("Tessaron/");
    QDir().mkpath(folder);
    return folder;
}

QString playerPicturesFolder()
{
    return userDataFolder() + QStringLiteral("pics/");
}

QString writableFolder()
{
    // Beside the program only when it runs unpacked, its pictures beside it
    // (a build, a folder of its own). An installed program keeps its pictures
    // in share/tessaron and writes to the player's folder, also when the
    // folder of the program could be written (root, a prefix in the home).
    // And only a folder of this user that nobody else may write: a link or a
    // FIFO planted there by someone else would take the logs of a root run.
    struct stat folder {};
    const bool own = ::lstat(QFile::encodeName(programFolder()).constData(), &folder) == 0 && S_ISDIR(folder.st_mode)
        && folder.st_uid == ::geteuid() && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    if (own && QFileInfo(programFolder()).isWritable() && QFileInfo(programFolder() + QStringLiteral("pics")).isDir())
        return programFolder();
    return userDataFolder();
}

QString programBaseName()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return QStringLiteral("tessaron");
    return QFileInfo(path).completeBaseName();
}

} // namespace tess
