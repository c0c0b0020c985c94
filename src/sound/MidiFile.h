#pragma once
// What the game needs to know of a standard MIDI file: its format, its tracks
// its length in ticks (the sequencer's "status length") and in seconds, and
// the instruments it plays.

#include "sound/SoundFontSubset.h"

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
    SongInstruments instruments; // the programs its notes sound with
};

MidiInfo readMidi(const QByteArray& bytes);

} // namespace tess
