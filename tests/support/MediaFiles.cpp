#include "support/MediaFiles.h"

#include <algorithm>
#include <cmath>

namespace tess::test {

namespace {

quint32 le32(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}
quint16 le16(const QByteArray& b, qsizetype at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }

} // namespace

double WaveInfo::peak() const
{
    double top = 0;
    for (double s : samples)
        top = std::max(top, std::abs(s));
    return top;
}

double WaveInfo::loudestLevel(double windowSeconds) const
{
    const std::size_t window = std::max<std::size_t>(1, std::min(samples.size(), std::size_t(windowSeconds * sampleRate)));
    double sum = 0;
    double best = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        sum += samples[i] * samples[i];
        if (i >= window)
            sum -= samples[i - window] * samples[i - window];
        if (i + 1 >= window)
            best = std::max(best, sum / double(window));
    }
    return 10 * std::log10(std::max(best, 1e-12));
}

WaveInfo readWave(const QByteArray& b)
{
    WaveInfo info;
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        info.problem = QStringLiteral("not a RIFF WAVE file");
        return info;
    }
    qsizetype at = 12;
    QByteArray data;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = le32(b, at + 4);
        if (at + 8 + qsizetype(size) > b.size()) {
            info.problem = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return info;
        }
        if (id == "fmt " && size >= 16) {
            info.format = le16(b, at + 8);
            info.channels = le16(b, at + 10);
            info.sampleRate = int(le32(b, at + 12));
            info.bitsPerSample = le16(b, at + 22);
        } else if (id == "data") {
            data = b.mid(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    if (info.format != 1 || info.channels < 1 || (info.bitsPerSample != 8 && info.bitsPerSample != 16) || data.isEmpty()) {
        info.problem = QStringLiteral("no PCM format or no data");
        return info;
    }
    const int frameBytes = info.channels * info.bitsPerSample / 8;
    for (qsizetype i = 0; i + frameBytes <= data.size(); i += frameBytes) {
        if (info.bitsPerSample == 16)
            info.samples.push_back(qint16(le16(data, i)) / 32768.0);
        else
            info.samples.push_back((quint8(data[i]) - 128) / 128.0);
    }
    info.valid = true;
    return info;
}

} // namespace tess::test
