#include "resources/PictureRing.h"

#include "util/RunTimeError.h"

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

namespace {

// Well inside what the settings file keeps of a value (Profile::MaxValueLength
// characters) and what a file system takes of a name (255 bytes), with room
// for the " (2)" that tells two copies apart.
constexpr int MaxPictureNameBytes = 160;
constexpr int CounterBytes = 8; // " (99999)"

qsizetype utf8Size(const QString& text)
{
    return text.toUtf8().size();
}

// The text without its last characters beyond `bytes` of UTF-8, and without blanks at its end.
QString shortened(QString text, qsizetype bytes)
{
    while (!text.isEmpty() && utf8Size(text) > bytes)
        text.chop(text.size() > 1 && text.back().isLowSurrogate() && text[text.size() - 2].isHighSurrogate() ? 2 : 1);
    return text.trimmed();
}

} // namespace

QString freePictureName(const QString& fileName)
{
    // The chosen picture's name is kept in the settings file, which gives a
    // value back without blanks at its ends, cut after 254 characters and
    // ended by a line break: the copy gets a name it holds exactly. Control
    // characters become "_"; blanks at the ends of name and extension go;
    // leading dots go too (the ring does not list hidden files); a long name
    // is shortened.
    QString plain = fileName;
    for (QChar& c : plain)
        if (c.category() == QChar::Other_Control)
            c = u'_';
    const qsizetype dot = plain.lastIndexOf(u'.');
    QString base = dot > 0 ? plain.left(dot) : plain;
    QString suffix = dot > 0 ? plain.mid(dot + 1).trimmed() : QString();
    if (utf8Size(suffix) > MaxPictureNameBytes / 2) { // no extension of a picture: part of the name
        base = plain;
        suffix.clear();
    }
    base = base.trimmed();
    while (base.startsWith(u'.'))
        base = base.mid(1).trimmed();
    const QString extension = suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
    base = shortened(base, MaxPictureNameBytes - CounterBytes - utf8Size(extension));
    if (base.isEmpty())
        base = QStringLiteral("picture");
    QString name = base + extension;
    for (int n = 2; QFileInfo::exists(playerPicturesFolder() + name) || QFileInfo::exists(picturesFolder() + name); ++n)
        name = base + QStringLiteral(" (") + QString::number(n) + u')' + extension; // a "%2" in the name stays as it is
    return name;
}

namespace {

// A position outside the ring, from settings or a saved game, starts it anew.
RingPosition inRing(RingPosition at, qsizetype files)
{
    const bool builtIn = at.pictureSource == PictureSource::BuiltIn && at.pictureNumber >= FirstBuiltInPicture && at.pictureNumber <= LastBuiltInPicture;
    const bool file = at.pictureSource == PictureSource::File && at.pictureFileIndex >= 0 && at.pictureFileIndex < files;
    if (!builtIn && !file)
        return {PictureSource::BuiltIn, FirstBuiltInPicture, 0};
    return at;
}

} // namespace

RingPosition nextInRing(RingPosition at, qsizetype files)
{
    at = inRing(at, files);
    if (at.pictureSource == PictureSource::BuiltIn) {
        if (at.pictureNumber < LastBuiltInPicture) {
            ++at.pictureNumber;
        } else if (files > 0) {
            at.pictureSource = PictureSource::File;
            at.pictureFileIndex = 0;
            at.pictureNumber = LastBuiltInPicture; // never a number no picture has
        } else {
            at.pictureNumber = FirstBuiltInPicture;
        }
    } else if (at.pictureFileIndex < files - 1) {
        ++at.pictureFileIndex;
    } else {
        at.pictureSource = PictureSource::BuiltIn;
        at.pictureNumber = FirstBuiltInPicture;
        at.pictureFileIndex = files - 1; // the last file visited
    }
    return at;
}

RingPosition previousInRing(RingPosition at, qsizetype files)
{
    at = inRing(at, files);
    if (at.pictureSource == PictureSource::BuiltIn) {
        if (at.pictureNumber > FirstBuiltInPicture) {
            --at.pictureNumber;
        } else if (files > 0) {
            at.pictureSource = PictureSource::File;
            at.pictureFileIndex = files - 1;
            at.pictureNumber = FirstBuiltInPicture;
        } else {
            at.pictureNumber = LastBuiltInPicture;
        }
    } else if (at.pictureFileIndex > 0) {
        --at.pictureFileIndex;
    } else {
        at.pictureSource = PictureSource::BuiltIn;
        at.pictureNumber = LastBuiltInPicture;
        at.pictureFileIndex = 0; // the last file visited
    }
    return at;
}

} // namespace tess
