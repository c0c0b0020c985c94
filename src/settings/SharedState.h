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
    qint16 playSounds = 1;
    qint16 playMusic = 1;
    qint16 repeatMusic = 0;
    qint16 useJokers = 1;
    qint16 showGrid = 1;
    qint16 autoDraw = 0;
    qint16 frameColour = 0;
    qint16 showPreview = 1;
    qint16 timeLimit = 1;
    qint16 offerHints = 1;
    qint16 playerCount = 4;
    qint16 sizeIndex = 1;
    qint16 language = 0;
    // Picture ("Pictures")
    qint16 album = 0;
    qint16 pictureNumber = 101;
    QString pictureFile; // the full path of the picture file
    qint16 backSide = 9;

    std::array<QString, 4> names;
    std::array<qint32, 4> scores{};

    qint16 boardRows = 0;
    qint16 boardCols = 0;
    std::array<BoardSize, 11> boardSizes{};
    qint32 turnStart = 0;
    qint16 gameWindowLoaded = 0; // a flag: -1 once the start-up window has loaded the game window
    QString championScore;
    qint16 checkChampion = 0;
    qsizetype pictureFileIndex = 0; // a folder may hold more files than an Integer counts; not stored

    // The two temporary files: the language table and the current song.
    QString languageTableFile;
    QString songFile;
};

// The one shared state of the process.
SharedState& shared();

// Fills the board size table: entry i holds i + 3 rows and the integer part
// of (i + 3) x 1.334 columns, from 3 x 4 to 12 x 16; entry 10 stays 0 x 0.
void fillBoardSizes();
// Entry `index` (0 to 9) of the board size table by its rule.
BoardSize sizeRule(int index);

// boardSizes(index), raising 9 (Subscript out of range) outside 0 to 10.
const BoardSize& boardSize(qint16 index);

inline constexpr qint16 True = -1;
inline constexpr qint16 False = 0;

} // namespace tess
