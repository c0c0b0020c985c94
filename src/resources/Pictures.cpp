#include "resources/Pictures.h"

#include "errors/RunTimeError.h"
#include "util/Files.h"

#include <QBuffer>
#include <QImageReader>

namespace tess {

QByteArray pictureFormat(const QByteArray& bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return QByteArrayLiteral("png");
    if (bytes.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (bytes.startsWith("\xff\xd8\xff"))
        return QByteArrayLiteral("jpeg");
    return {};
}

namespace {

QImage read(const QByteArray& bytes, const QByteArray& format)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer, format);
    // Named by its first bytes, a picture goes straight to its reader; left
    // to guess, Qt would load every image plugin there is to ask each one.
    reader.setAutoDetectImageFormat(format.isEmpty());
    return reader.read();
}

} // namespace

QImage decodePicture(const QByteArray& bytes, const QString& name)
{
    const QByteArray format = pictureFormat(bytes);
    QImage picture = read(bytes, format);
    if (picture.isNull() && !format.isEmpty())
        picture = read(bytes, {}); // what its first bytes promised it is not: let Qt guess
    if (picture.isNull())
        raiseError(ErrInvalidPicture, name);
    return picture;
}

bool isPictureFileName(const QString& fileName)
{
    return !fileName.isEmpty() && fileName != QStringLiteral(".") && fileName != QStringLiteral("..")
        && !fileName.contains(u'/') && !fileName.contains(QChar(u'\0'));
}

QImage LoadPicture(const QString& path)
{
    return decodePicture(readWholeFile(path, MaxPictureFileBytes), path);
}

} // namespace tess
