#pragma once
// What the game needs to know of a standard MIDI file: its format, its tracks
// and its length in ticks (the sequencer's "status length") and in seconds.

#include <QByteArray>
#include <QString>

namespace tess {

struct MidiInfo {
    bool valid = false;
    QString problem;
    int format = -1;
    int declaredTracks = 0;
    int trackChunks = 0;
    int division = 0;   // ticks per quarter note
    long notes = 0;
    long lastTick = 0;  // the tick of the last event of any track
    double seconds = 0; // until the last event, with every tempo change
};

MidiInfo readMidi(const QByteArray& bytes);

} // namespace tess
