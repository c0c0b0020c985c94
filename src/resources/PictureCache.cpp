#include "resources/PictureCache.h"

#include "util/Files.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tess {

namespace {

// Files smaller than this decode fast enough as they are.
constexpr qint64 WorthKeeping = 1024 * 1024;
constexpr int MostCopies = 300;
constexpr qint64 MaxCopyBytes = 16 * 1024 * 1024;

QString cacheFolder()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/Tessaron/pictures/");
}

// Named by the file, its size and time, and the size shown: a changed file
// or another screen finds no copy and makes a new one.
QString copyPath(const QString& path, const QSize& shownAt)
{
    const QFileInfo file(path);
    if (!file.isFile() || file.size() < WorthKeeping)
        return {};
    const QString key = QStringLiteral("%1|%2|%3|%4x%5")
                            .arg(file.absoluteFilePath())
                            .arg(file.size())
                            .arg(file.lastModified().toMSecsSinceEpoch())
                            .arg(shownAt.width())
                            .arg(shownAt.height());
    return cacheFolder() + QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex())
        + QStringLiteral(".jpg");
}

void pruneOldest(const QString& folder)
{
    QDir dir(folder);
    const QFileInfoList copies = dir.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Time);
    for (qsizetype i = MostCopies; i < copies.size(); ++i)
        QFile::remove(copies.at(i).absoluteFilePath());
}

} // namespace

std::optional<QImage> cachedPicture(const QString& path, const QSize& shownAt)
{
    if (shownAt.isEmpty())
        return std::nullopt;
    const QString copy = copyPath(path, shownAt);
    if (copy.isEmpty())
        return std::nullopt;
    const FileContent content = readRegularFile(copy, MaxCopyBytes);
    if (content.result != FileRead::Ok)
        return std::nullopt;
    QImage picture = QImage::fromData(content.bytes, "JPG");
    if (picture.isNull())
        return std::nullopt; // a damaged copy: the file is decoded again
    return picture;
}

void keepCachedPicture(const QString& path, const QSize& shownAt, qint64 fileBytes, const QImage& picture)
{
    if (shownAt.isEmpty() || fileBytes < WorthKeeping || picture.isNull() || picture.hasAlphaChannel())
        return;
    const QString copy = copyPath(path, shownAt);
    if (copy.isEmpty() || !QDir().mkpath(cacheFolder()))
        return;
    // Written whole or not at all: another copy of the game may read it.
    QSaveFile file(copy);
    if (!file.open(QIODevice::WriteOnly) || !picture.convertToFormat(QImage::Format_RGB32).save(&file, "JPG", 95))
        return;
    if (file.commit())
        pruneOldest(cacheFolder());
}

} // namespace tess
