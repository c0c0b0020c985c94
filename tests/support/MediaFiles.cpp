#include "support/MediaFiles.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tess::test {

namespace {

quint32 le32(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}
quint16 le16(const QByteArray& b, qsizetype at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }
quint32 be32(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 | quint32(quint8(b[at + 2])) << 8
        | quint32(quint8(b[at + 3]));
}
quint16 be16(const QByteArray& b, qsizetype at) { return quint16(quint8(b[at]) << 8 | quint8(b[at + 1])); }

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

MidiInfo readMidi(const QByteArray& b)
{
    MidiInfo info;
    if (b.size() < 14 || !b.startsWith("MThd") || be32(b, 4) != 6) {
        info.problem = QStringLiteral("no MThd header");
        return info;
    }
    info.format = be16(b, 8);
    info.declaredTracks = be16(b, 10);
    info.division = be16(b, 12);
    if (info.division <= 0 || (info.division & 0x8000)) {
        info.problem = QStringLiteral("no ticks-per-quarter division");
        return info;
    }
    std::multimap<long, double> tempos; // tick -> microseconds per quarter
    long lastTick = 0;
    qsizetype at = 14;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const qsizetype size = be32(b, at + 4);
        const qsizetype end = at + 8 + size;
        if (end > b.size()) {
            info.problem = QStringLiteral("track runs past the end");
            return info;
        }
        if (id == "MTrk") {
            ++info.trackChunks;
            qsizetype p = at + 8;
            long tick = 0;
            int status = 0;
            const auto varlen = [&]() {
                long value = 0;
                for (int i = 0; i < 4 && p < end; ++i) {
                    const quint8 c = quint8(b[p++]);
                    value = (value << 7) | (c & 0x7F);
                    if (!(c & 0x80))
                        break;
                }
                return value;
            };
            while (p < end) {
                tick += varlen();
                if (p >= end)
                    break;
                quint8 c = quint8(b[p]);
                if (c & 0x80) {
                    status = c;
                    ++p;
                }
                if (status == 0xFF) {
                    const quint8 type = quint8(b[p++]);
                    const long length = varlen();
                    if (type == 0x51 && length == 3)
                        tempos.emplace(tick, double(quint8(b[p]) << 16 | quint8(b[p + 1]) << 8 | quint8(b[p + 2])));
                    p += length;
                    status = 0; // meta events cancel running status
                } else if (status == 0xF0 || status == 0xF7) {
                    p += varlen();
                    status = 0;
                } else {
                    const int kind = status & 0xF0;
                    const int bytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                    if (kind == 0x90 && p + 1 < end && quint8(b[p + 1]) > 0)
                        ++info.notes;
                    p += bytes;
                }
                lastTick = std::max(lastTick, tick);
            }
        }
        at = end;
    }
    // Playing time: sum the stretches between tempo changes.
    double micros = 0;
    long tick = 0;
    double tempo = 500000;
    for (const auto& [changeTick, newTempo] : tempos) {
        if (changeTick > lastTick)
            break;
        micros += double(changeTick - tick) * tempo / info.division;
        tick = changeTick;
        tempo = newTempo;
    }
    micros += double(lastTick - tick) * tempo / info.division;
    info.seconds = micros / 1e6;
    info.valid = true;
    return info;
}

} // namespace tess::test
