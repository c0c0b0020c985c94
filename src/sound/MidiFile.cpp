#include "sound/MidiFile.h"

#include <algorithm>
#include <array>
#include <climits>
#include <map>

namespace tess {

namespace {

quint32 be32(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 | quint32(quint8(b[at + 2])) << 8
        | quint32(quint8(b[at + 3]));
}

quint16 be16(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) << 8 | quint8(b[at + 1]));
}

constexpr int DrumChannel = 9; // channel 10 as musicians count

} // namespace

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
    // A channel sounds with program 0 until its first program change.
    std::array<long, 16> firstNote, firstProgram;
    firstNote.fill(LONG_MAX);
    firstProgram.fill(LONG_MAX);
    const auto instrumentsOf = [&](int channel) -> std::set<int>& {
        return channel == DrumChannel ? info.instruments.drumKits : info.instruments.programs;
    };
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
                if (status == 0 || p >= end) {
                    info.problem = QStringLiteral("an event without status");
                    return info;
                }
                if (status == 0xFF) {
                    const quint8 type = quint8(b[p++]);
                    const long length = varlen();
                    if (type == 0x51 && length == 3 && p + 3 <= end)
                        tempos.emplace(tick, double(quint8(b[p]) << 16 | quint8(b[p + 1]) << 8 | quint8(b[p + 2])));
                    p += length;
                    status = 0; // meta events cancel running status
                } else if (status == 0xF0 || status == 0xF7) {
                    p += varlen();
                    status = 0;
                } else {
                    const int kind = status & 0xF0;
                    const int bytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                    const int channel = status & 0x0F;
                    if (kind == 0x90 && p + 1 < end && quint8(b[p + 1]) > 0) {
                        ++info.notes;
                        firstNote[channel] = std::min(firstNote[channel], tick);
                    } else if (kind == 0xC0 && p < end) {
                        instrumentsOf(channel).insert(quint8(b[p]) & 0x7F);
                        firstProgram[channel] = std::min(firstProgram[channel], tick);
                    }
                    p += bytes;
                }
                lastTick = std::max(lastTick, tick);
            }
        }
        at = end;
    }
    for (int channel = 0; channel < 16; ++channel) {
        if (firstNote[channel] < firstProgram[channel])
            instrumentsOf(channel).insert(0);
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
    info.lastTick = lastTick;
    info.valid = true;
    return info;
}

} // namespace tess
