#include "resources/PictureRing.h"

#include "errors/RunTimeError.h"

#include "util/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tess {

QStringList pictureFiles(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        raiseError(ErrPathNotFound, folder);
    // Name filters match without regard to case unless told otherwise.
    return dir.entryList({QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                          QStringLiteral("*.png")},
                         QDir::Files, QDir::Name | QDir::IgnoreCase);
}

namespace {

QStringList filesIfAny(const QString& folder)
{
    return QDir(folder).exists() ? pictureFiles(folder) : QStringList();
}

} // namespace

QStringList pictureFileNames()
{
    const QStringList own = filesIfAny(playerPicturesFolder());
    QStringList names;
    for (const QString& name : filesIfAny(picturesFolder()))
        if (!own.contains(name))
            names << name;
    return names + own;
}

QString pictureFilePath(const QString& fileName)
{
    const QString own = playerPicturesFolder() + fileName;
    return QFileInfo::exists(own) ? own : picturesFolder() + fileName;
}

QString freePictureName(const QString& fileName)
{
    // A line break or another control character in a name would not survive
    // the settings file, where the chosen name is kept: it becomes "_".
    QString plain = fileName;
    for (QChar& c : plain)
        if (c.category() == QChar::Other_Control)
            c = u'_';
    const QFileInfo info(plain);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    QString name = plain;
    for (int n = 2; QFileInfo::exists(playerPicturesFolder() + name) || QFileInfo::exists(picturesFolder() + name); ++n)
        name = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
    return name;
}

RingPosition nextInRing(RingPosition at, qsizetype files)
{
    if (at.Album == 0) {
        at.Picture = qint16(at.Picture + 1);
        if (at.Picture >= 106) {
            if (files > 0) {
                at.Album = 1;
                at.PicFileIndex = 0;
                at.Picture = 105; // never a number no picture has
            } else {
                at.Picture = 101;
            }
        }
    } else {
        at.PicFileIndex = qint16(at.PicFileIndex + 1);
        if (at.PicFileIndex >= files) {
            at.Album = 0;
            at.Picture = 101;
            at.PicFileIndex = qint16(std::max<qsizetype>(0, files - 1)); // the last file visited
        }
    }
    return at;
}

RingPosition previousInRing(RingPosition at, qsizetype files)
{
    if (at.Album == 0) {
        at.Picture = qint16(at.Picture - 1);
        if (at.Picture <= 100) {
            if (files > 0) {
                at.Album = 1;
                at.PicFileIndex = qint16(files - 1);
                at.Picture = 101;
            } else {
                at.Picture = 105;
            }
        }
    } else {
        at.PicFileIndex = qint16(at.PicFileIndex - 1);
        if (at.PicFileIndex < 0 || at.PicFileIndex >= files) {
            at.Album = 0;
            at.Picture = 105;
            at.PicFileIndex = 0; // the last file visited
        }
    }
    return at;
}

} // namespace tess
