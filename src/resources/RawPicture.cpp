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
    QImage image(int(width), int(height), format);
    if (image.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), in + HeaderSize + rowBytes * y, size_t(rowBytes));
    return image;
}

} // namespace tess
