#pragma once
// The state the game window and its dialogs share for the life of the process.
// Options carry the names of their settings keys; their defaults are the
// settings store's defaults. Integer fields are 16-bit like the stored values.

#include <QString>
#include <QtGlobal>

#include <array>

namespace tess {

struct SharedState {
    // Options ("Optionen")
    qint16 PlaySound = 1;
    qint16 PlayMusic = 1;
    qint16 Musicloop = 0;
    qint16 Joker = 1;
    qint16 Grid = 1;
    qint16 Flip = 0;
    qint16 Rahmen = 0;
    qint16 Miniatur = 1;
    qint16 Time = 1;
    qint16 Tipp = 1;
    qint16 numPlayers = 4;
    qint16 Size = 1;
    qint16 Sprache = 0;
    // Picture ("Pictures")
    qint16 Album = 0;
    qint16 Picture = 101;
    QString File;
    qint16 Back = 9;

    std::array<QString, 4> PlayerName;
    std::array<qint32, 4> PlayerScore{};

    // The two temporary files: the language table and the current song.
    QString LangFile;
    QString MidiFile;
};

// The one shared state of the process.
SharedState& shared();

} // namespace tess
