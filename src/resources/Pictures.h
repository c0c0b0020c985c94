#pragma once
// Loading pictures from BMP, JPEG and GIF files.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tess {

// Raises 53 (File not found) for a missing file, 75 (Path/File access error)
// for one that is no regular file or larger than MaxPictureFileBytes, 481
// (Invalid picture) for one that does not decode.
QImage LoadPicture(const QString& path);

// "png", "bmp", "gif" or "jpeg" by the first bytes; empty for anything else.
QByteArray pictureFormat(const QByteArray& bytes);

// Decodes picture bytes; 481 when they are not a picture. `name` goes to the log.
QImage decodePicture(const QByteArray& bytes, const QString& name);

// Whether the settings' picture name `fileName` is a plain file name: one that
// stays in the picture folder (no path separator, not "." or "..").
bool isPictureFileName(const QString& fileName);

} // namespace tess
