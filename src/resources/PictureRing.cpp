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

namespace {

// A position outside the ring, from settings or a saved game, starts it anew.
RingPosition inRing(RingPosition at, qsizetype files)
{
    const bool builtIn = at.Album == 0 && at.Picture >= FirstBuiltInPicture && at.Picture <= LastBuiltInPicture;
    const bool file = at.Album == 1 && at.PicFileIndex >= 0 && at.PicFileIndex < files;
    if (!builtIn && !file)
        return {0, FirstBuiltInPicture, 0};
    return at;
}

} // namespace

RingPosition nextInRing(RingPosition at, qsizetype files)
{
    at = inRing(at, files);
    if (at.Album == 0) {
        if (at.Picture < LastBuiltInPicture) {
            ++at.Picture;
        } else if (files > 0) {
            at.Album = 1;
            at.PicFileIndex = 0;
            at.Picture = LastBuiltInPicture; // never a number no picture has
        } else {
            at.Picture = FirstBuiltInPicture;
        }
    } else if (at.PicFileIndex < files - 1) {
        ++at.PicFileIndex;
    } else {
        at.Album = 0;
        at.Picture = FirstBuiltInPicture;
        at.PicFileIndex = files - 1; // the last file visited
    }
    return at;
}

RingPosition previousInRing(RingPosition at, qsizetype files)
{
    at = inRing(at, files);
    if (at.Album == 0) {
        if (at.Picture > FirstBuiltInPicture) {
            --at.Picture;
        } else if (files > 0) {
            at.Album = 1;
            at.PicFileIndex = files - 1;
            at.Picture = FirstBuiltInPicture;
        } else {
            at.Picture = LastBuiltInPicture;
        }
    } else if (at.PicFileIndex > 0) {
        --at.PicFileIndex;
    } else {
        at.Album = 0;
        at.Picture = LastBuiltInPicture;
        at.PicFileIndex = 0; // the last file visited
    }
    return at;
}

} // namespace tess
