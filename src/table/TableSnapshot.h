#pragma once
// What a screen of a network game shows, as the host sends it: the board,
// the stack, the preview, the players and their scores, the turn, the time
// bar and the few flags the buttons follow. Logical state only, no
// geometry: each screen lays it out for its own window. A face-down piece
// is not in it; the piece in hand is, once drawn.
//
// decodeSnapshot reads what a peer sent: every field is checked for its
// type and range, and anything out of place refuses the whole snapshot.

#include "table/TableState.h"

#include <QCborMap>
#include <QStringList>

#include <optional>
#include <vector>

namespace tess {

struct TableSnapshot {
    struct Cell {
        Face face = Face::Empty;
        int piece = -1; // with Face::Piece: 0 .. rows * cols - 1; else -1
        bool placed = false;
        bool enabled = true;
        friend bool operator==(const Cell&, const Cell&) = default;
    };

    int rows = 3;
    int cols = 4;
    std::vector<Cell> cells; // rows * cols, row by row
    Cell stack;
    bool stackVisible = false;
    bool previewShown = true;
    // One entry per player (1 .. 4): names are plain text, empty or fit to
    // show; scores 0 .. 999999; seats 0 .. 3, each once.
    QStringList names;
    std::vector<qint32> scores;
    std::vector<int> seats;
    std::vector<bool> active; // the player labels shown as the turn's
    int currentPlayer = 0;
    double timeBar = 0; // the part of the window the time bar covers, 0 .. 1
    bool gameIdle = true;
    int pictureGeneration = 0; // counts the pictures the host sent
    int backSide = 0;          // 0 .. BackSideCount - 1
    bool gridShown = true;
    bool hintEnabled = false;
    // The host's options for the game shown, which a joining screen's game
    // keeps when the host ends; none from a host that does not send them.
    struct GameOptions {
        bool timeLimit = true;
        bool useJokers = true;
        bool autoDraw = false;
        bool offerHints = true;
        friend bool operator==(const GameOptions&, const GameOptions&) = default;
    };
    std::optional<GameOptions> options;

    int pieceCount() const { return rows * cols; }
    friend bool operator==(const TableSnapshot&, const TableSnapshot&) = default;
};

inline constexpr int BackSideCount = 10;
inline constexpr int MaxBoardRows = 12;
inline constexpr int MaxBoardCols = 16;
inline constexpr qint32 MaxShownScore = 999999;

QCborMap encodeSnapshot(const TableSnapshot& snapshot);
// The snapshot in `map`, or nothing when any field is missing, of the wrong
// type or out of range.
std::optional<TableSnapshot> decodeSnapshot(const QCborMap& map);

} // namespace tess
