#include "resources/Pictures.h"

#include "errors/RunTimeError.h"
#include "util/Files.h"

#include <QBuffer>
#include <QImageReader>

namespace tess {

QImage decodePicture(const QByteArray& bytes, const QString& name)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer);
    QImage picture = reader.read();
    if (picture.isNull())
        raiseError(ErrInvalidPicture, name);
    return picture;
}

QImage LoadPicture(const QString& path)
{
    return decodePicture(readWholeFile(path), path);
}

} // namespace tess
