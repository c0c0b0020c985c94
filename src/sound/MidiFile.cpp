#include "sound/MidiFile.h"

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <set>

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

// What the tracks tell, gathered over all of them.
struct TrackEvents {
    std::multimap<long, double> tempos; // tick -> microseconds per quarter
    // A channel sounds with program 0 until its first program change.
    std::array<long, 16> firstNote;
    std::array<long, 16> firstProgram;
    long lastTick = 0;

    TrackEvents()
    {
        firstNote.fill(LONG_MAX);
        firstProgram.fill(LONG_MAX);
    }
};

std::set<int>& instrumentsOf(MidiInfo& info, int channel)
{
    return channel == DrumChannel ? info.instruments.drumKits : info.instruments.programs;
}

// Reads one MTrk chunk's events, from `p` to `end`; false, with the problem
// noted, when an event has no status.
class TrackReader {
public:
    TrackReader(const QByteArray& b, qsizetype begin, qsizetype end, MidiInfo& info, TrackEvents& events)
        : b_(b), p_(begin), end_(end), info_(info), events_(events)
    {
    }

    bool read()
    {
        while (p_ < end_) {
            tick_ += varlen();
            if (p_ >= end_)
                break;
            const quint8 c = quint8(b_[p_]);
            if (c & 0x80) {
                status_ = c;
                ++p_;
            }
            if (status_ == 0 || p_ >= end_) {
                info_.problem = QStringLiteral("an event without status");
                return false;
            }
            if (status_ == 0xFF)
                readMeta();
            else if (status_ == 0xF0 || status_ == 0xF7)
                skipSysEx();
            else
                readChannelEvent();
            events_.lastTick = std::max(events_.lastTick, tick_);
        }
        return true;
    }

private:
    long varlen()
    {
        long value = 0;
        for (int i = 0; i < 4 && p_ < end_; ++i) {
            const quint8 c = quint8(b_[p_++]);
            value = (value << 7) | (c & 0x7F);
            if (!(c & 0x80))
                break;
        }
        return value;
    }

    void readMeta()
    {
        const quint8 type = quint8(b_[p_++]);
        const long length = varlen();
        if (type == 0x51 && length == 3 && p_ + 3 <= end_)
            events_.tempos.emplace(tick_, double(quint8(b_[p_]) << 16 | quint8(b_[p_ + 1]) << 8 | quint8(b_[p_ + 2])));
        p_ += length;
        status_ = 0; // meta events cancel running status
    }

    void skipSysEx()
    {
        p_ += varlen();
        status_ = 0;
    }

    void readChannelEvent()
    {
        const int kind = status_ & 0xF0;
        const int bytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        const int channel = status_ & 0x0F;
        if (kind == 0x90 && p_ + 1 < end_ && quint8(b_[p_ + 1]) > 0) {
            ++info_.notes;
            events_.firstNote[channel] = std::min(events_.firstNote[channel], tick_);
        } else if (kind == 0xC0 && p_ < end_) {
            instrumentsOf(info_, channel).insert(quint8(b_[p_]) & 0x7F);
            events_.firstProgram[channel] = std::min(events_.firstProgram[channel], tick_);
        }
        p_ += bytes;
    }

    const QByteArray& b_;
    qsizetype p_;
    const qsizetype end_;
    MidiInfo& info_;
    TrackEvents& events_;
    long tick_ = 0;
    int status_ = 0;
};

// Playing time: the sum of the stretches between tempo changes.
double playingSeconds(const TrackEvents& events, int division)
{
    double micros = 0;
    long tick = 0;
    double tempo = 500000;
    for (const auto& [changeTick, newTempo] : events.tempos) {
        if (changeTick > events.lastTick)
            break;
        micros += double(changeTick - tick) * tempo / division;
        tick = changeTick;
        tempo = newTempo;
    }
    micros += double(events.lastTick - tick) * tempo / division;
    return micros / 1e6;
}

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
    TrackEvents events;
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
            if (!TrackReader(b, at + 8, end, info, events).read())
                return info;
        }
        at = end;
    }
    for (int channel = 0; channel < 16; ++channel) {
        if (events.firstNote[channel] < events.firstProgram[channel])
            instrumentsOf(info, channel).insert(0);
    }
    info.seconds = playingSeconds(events, info.division);
    info.lastTick = events.lastTick;
    info.valid = true;
    return info;
}

} // namespace tess
