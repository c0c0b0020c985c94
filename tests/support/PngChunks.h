#pragma once
// PNG chunks made by hand, for pictures no encoder writes.

#include <QByteArray>
#include <QtEndian>

namespace tess::test {

inline quint32 pngCrc(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// Length, type, data and CRC.
inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    QByteArray length(4, 0);
    qToBigEndian(quint32(data.size()), length.data());
    const QByteArray body = QByteArray(type, 4) + data;
    QByteArray crc(4, 0);
    qToBigEndian(pngCrc(body), crc.data());
    return length + body + crc;
}

} // namespace tess::test
