#pragma once
// Readers for the carried media, for tests: a WAV header and samples, and the
// layout and playing time of a standard MIDI file.

#include <QByteArray>
#include <QString>

#include <vector>

namespace tess::test {

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

struct MidiInfo {
    bool valid = false;
    QString problem;
    int format = -1;
    int declaredTracks = 0;
    int trackChunks = 0;
    int division = 0;
    long notes = 0;
    double seconds = 0; // until the last event, with every tempo change
};
MidiInfo readMidi(const QByteArray& bytes);

} // namespace tess::test
