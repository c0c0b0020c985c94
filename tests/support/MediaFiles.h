#pragma once
// A reader for the carried sound effects, for tests: WAV header and samples.
// Songs are read by the game's own MIDI reader (sound/songFile.h).

#include "sound/MidiFile.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tess::test {

using tess::MidiInfo;
using tess::readMidi;

struct WaveInfo {
    bool valid = false;
    QString problem;
    int format = 0; // 1 is PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<double> samples; // the first channel, scaled to -1..1

    double seconds() const { return sampleRate ? double(samples.size()) / sampleRate : 0; }
    double peak() const;
    // RMS level of the loudest window, in dB below full scale.
    double loudestLevel(double windowSeconds = 0.05) const;
};
WaveInfo readWave(const QByteArray& bytes);



} // namespace tess::test
