#pragma once
// The state the game window and its dialogs share for the life of the process.
// Options carry the names of their settings keys; their defaults are the
// settings store's defaults. Integer fields are 16-bit like the stored values.

#include <QString>
#include <QtGlobal>

#include <array>

namespace tess {

// One entry of the board size table.
struct BoardSize {
    qint16 rows = 0;
    qint16 cols = 0;
};

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
    QString File; // the full path of the picture file
    qint16 Back = 9;

    std::array<QString, 4> PlayerName;
    std::array<qint32, 4> PlayerScore{};

    qint16 BoardRows = 0;
    qint16 BoardCols = 0;
    std::array<BoardSize, 11> GSize{};
    qint32 TurnStart = 0;
    qint16 GameLoaded = 0; // a flag: -1 once the start-up window has loaded the game window
    QString HSScore;
    qint16 HSCheck = 0;
    qsizetype PicFileIndex = 0; // a folder may hold more files than an Integer counts; not stored

    // The two temporary files: the language table and the current song.
    QString LangFile;
    QString MidiFile;
};

// The one shared state of the process.
SharedState& shared();

// Fills the board size table: entry i holds i + 3 rows and the integer part
// of (i + 3) x 1.334 columns, from 3 x 4 to 12 x 16; entry 10 stays 0 x 0.
void dimGSize();
// Entry `index` (0 to 9) of the board size table by its rule.
BoardSize sizeRule(int index);

// GSize(index), raising 9 (Subscript out of range) outside 0 to 10.
const BoardSize& boardSize(qint16 index);

inline constexpr qint16 True = -1;
inline constexpr qint16 False = 0;

} // namespace tess
