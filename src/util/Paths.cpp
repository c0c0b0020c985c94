#include "util/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

QString writableFolder()
{
    // Beside the program only when it runs unpacked, its pictures beside it
    // (a build, a folder of its own). An installed program keeps its pictures
    // in share/tessaron and writes to the player's folder, also when the
    // folder of the program could be written (root, a prefix in the home).
    const QFileInfo program(programFolder());
    if (program.isDir() && program.isWritable() && QFileInfo(programFolder() + QStringLiteral("pics")).isDir())
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
