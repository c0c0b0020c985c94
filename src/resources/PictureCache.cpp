#include "resources/PictureCache.h"

#include "resources/PictureSideData.h"
#include "resources/Pictures.h"
#include "util/Files.h"
#include "util/FileWrite.h"
#include "util/OwnFolder.h"
#include "util/RunTimeError.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>

namespace tess {

namespace {

// Files smaller than this decode fast enough as they are.
constexpr qint64 WorthKeeping = 1024 * 1024;
constexpr int MostCopies = 300;
constexpr qint64 MaxCopyBytes = 16 * 1024 * 1024;

QString cacheBase()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base;
}

// The folder when it is the game's own: where a link (to the player's
// photos, say), a file or another user's folder stands, the game goes on
// without copies and leaves it alone.
QString ownCacheFolder(bool make)
{
    return ownFolder(cacheBase(), {QStringLiteral("Tessaron"), QStringLiteral("pictures")}, make);
}

const QRegularExpression& copyNames()
{
    static const QRegularExpression names(QRegularExpression::anchoredPattern(pictureCopyNames()));
    return names;
}

// Named by the file, its size and time, and the size shown: a changed file
// or another screen finds no copy and makes a new one.
QString copyName(const QString& path, const QSize& shownAt)
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
    return QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex()) + QStringLiteral(".jpg");
}

// Only copies the game named go, newest kept: a photo of the player's that
// found its way into the folder stays.
void pruneOldest(const QString& folder)
{
    const OwnFolder own(folder);
    const QList<OwnFolder::File> copies = own.files(copyNames());
    for (qsizetype i = MostCopies; i < copies.size(); ++i)
        own.remove(copies.at(i).name, copyNames());
}

} // namespace

QString pictureCacheFolder()
{
    return cacheBase() + QStringLiteral("/Tessaron/pictures/");
}

QString pictureCopyNames()
{
    return QStringLiteral("[0-9a-f]{40}\\.jpg");
}

std::optional<QImage> cachedPicture(const QString& path, const QSize& shownAt)
{
    if (shownAt.isEmpty())
        return std::nullopt;
    const QString name = copyName(path, shownAt);
    const QString folder = name.isEmpty() ? QString() : ownCacheFolder(false);
    if (folder.isEmpty())
        return std::nullopt;
    const QString copy = folder + name;
    // Only a file the game wrote itself: a link planted there is not followed.
    FileContent content = readRegularFile(copy, MaxCopyBytes, Links::Refused);
    if (content.result != FileRead::Ok)
        return std::nullopt;
    // Its size read with no comment or profile a planted file may pile up.
    QByteArray bare = withoutSideData(content.bytes, "jpeg");
    QBuffer buffer(&bare);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);
    // A copy is already the size shown: anything else (a damaged or planted
    // file) is not decoded at all, and the picture is made again.
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty() || shownFrom(stored, shownAt) != stored)
        return std::nullopt;
    // Within the limits of every picture (a planted copy may hold a thousand scans).
    try {
        QImage picture = decodePicture(content.bytes, copy);
        if (picture.size() == stored)
            return picture;
    } catch (const RunTimeError&) {
    }
    return std::nullopt;
}

void keepCachedPicture(const QString& path, const QSize& shownAt, qint64 fileBytes, const QImage& picture)
{
    if (shownAt.isEmpty() || fileBytes < WorthKeeping || picture.isNull() || picture.hasAlphaChannel())
        return;
    const QString name = copyName(path, shownAt);
    const QString folder = name.isEmpty() ? QString() : ownCacheFolder(true);
    if (folder.isEmpty())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", 95))
        return;
    // Written whole or not at all (another copy of the game may read it), and
    // never through a link planted at its name.
    if (replaceFileWhole(folder + name, bytes) != 0) {
        // Told once for the whole folder, however many pictures follow.
        tellWriteFailed(pictureCacheFolder());
        return;
    }
    pruneOldest(folder);
}

} // namespace tess
