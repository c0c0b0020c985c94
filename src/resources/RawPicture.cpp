#include "resources/RawPicture.h"

#include <QtEndian>

#include <cstring>

namespace tess {

namespace {

constexpr char Magic[4] = {'T', 'S', 'R', 'A'};
constexpr qsizetype HeaderSize = 16;
constexpr int MaxSide = 8192;

bool storable(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

QByteArray encodeRawPicture(const QImage& picture)
{
    QImage image = picture;
    if (!storable(image.format()))
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const qsizetype rowBytes = qsizetype(image.width()) * 4;
    QByteArray bytes(HeaderSize + rowBytes * image.height(), Qt::Uninitialized);
    char* out = bytes.data();
    std::memcpy(out, Magic, 4);
    qToLittleEndian<quint32>(quint32(image.width()), out + 4);
    qToLittleEndian<quint32>(quint32(image.height()), out + 8);
    qToLittleEndian<quint32>(quint32(image.format()), out + 12);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(out + HeaderSize + rowBytes * y, image.constScanLine(y), size_t(rowBytes));
    return bytes;
}

QImage decodeRawPicture(const QByteArray& bytes)
{
    if (bytes.size() < HeaderSize || std::memcmp(bytes.constData(), Magic, 4) != 0)
        return {};
    const char* in = bytes.constData();
    const quint32 width = qFromLittleEndian<quint32>(in + 4);
    const quint32 height = qFromLittleEndian<quint32>(in + 8);
    const auto format = QImage::Format(qFromLittleEndian<quint32>(in + 12));
    if (width == 0 || height == 0 || width > MaxSide || height > MaxSide || !storable(format))
        return {};
    const qsizetype rowBytes = qsizetype(width) * 4;
    if (bytes.size() != HeaderSize + rowBytes * qsizetype(height))
        return {};
    const auto* pixels = reinterpret_cast<const uchar*>(in + HeaderSize);
    if (reinterpret_cast<quintptr>(pixels) % alignof(quint32) != 0) {
        // Bytes that stand where a pixel cannot be read in one go: copied.
        QImage image(int(width), int(height), format);
        if (!image.isNull())
            std::memcpy(image.bits(), pixels, size_t(rowBytes) * height);
        return image;
    }
    // The picture is read where it stands, not copied: the bytes stay with it
    // (a picture of the frame is over a megabyte). Painting on it copies it first.
    auto* kept = new QByteArray(bytes);
    QImage image(pixels, int(width), int(height), rowBytes, format,
                 [](void* held) { delete static_cast<QByteArray*>(held); }, kept);
    if (image.isNull())
        delete kept; // no image took them
    return image;
}

} // namespace tess
