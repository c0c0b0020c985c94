#pragma once
// The state the game window and its dialogs share for the life of the process.
// Options carry the names of their settings keys; their defaults are the
// settings store's defaults. The settings file keeps its numbers: the
// readers and writers convert (settings/OptionChoices.h).

#include "settings/OptionChoices.h"

#include <QString>
#include <QtGlobal>

#include <array>

namespace tess {

// One entry of the board size table.
struct BoardSize {
    int rows = 0;
    int cols = 0;
};

struct SharedState {
    // Options ("Optionen")
    bool playSounds = true;
    bool playMusic = true;
    bool repeatSong = false; // songs follow one another endlessly; else one plays once
    bool useJokers = true;
    bool showGrid = true;
    bool autoDraw = false;
    FrameColour frameColour = FrameColour::Gold;
    bool showPreview = true;
    bool timeLimit = true;
    bool offerHints = true;
    int playerCount = 4;
    int sizeIndex = 1;
    int language = 0; // a language base: 0, 1000, 2000 ...
    // Picture ("Pictures")
    PictureSource pictureSource = PictureSource::BuiltIn;
    int pictureNumber = 101;
    QString pictureFile; // the full path of the picture file
    int backSide = 9;

    std::array<QString, 4> names;

    int boardRows = 0;
    int boardCols = 0;
    std::array<BoardSize, 11> boardSizes{};
    bool gameWindowLoaded = false; // once the start-up window has loaded the game window
    QString championScore;
    bool newResultPending = false;
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
const BoardSize& boardSize(int index);

} // namespace tess
