#pragma once
// The raw picture form the window art is carried in: "TSRA", then width,
// height and Qt's pixel format as 32-bit little-endian numbers, then the rows
// of 32-bit pixels. The carried copy is compressed by the resource compiler
// (zstd), so the program stays small, and reading one is a copy, not a PNG
// decode: the start shows its first windows sooner.

#include <QByteArray>
#include <QImage>

namespace tess {

QByteArray encodeRawPicture(const QImage& picture);
// A null image for bytes that are not a whole raw picture. The image shares
// the bytes' buffer and copies it on a write; it keeps the bytes while it
// lives, but bytes made by QByteArray::fromRawData (as a resource stored
// uncompressed gives) must outlive it themselves.
QImage decodeRawPicture(const QByteArray& bytes);

} // namespace tess
