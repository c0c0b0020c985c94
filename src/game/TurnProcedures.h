#pragma once
// The turn: drawing a piece, placing it right or wrong, the joker, the end
// of the turn, and the move clock that fails a turn that takes too long.

#include "sound/SoundEffects.h"

#include <QtGlobal>

namespace tess {

class GameTable;
class PuzzleTable;

class TurnProcedures {
public:
    TurnProcedures(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    void drawPiece();
    void placePiece(int index);
    void advanceMoveClock();
    // With automatic drawing on: the next piece turns over after a short wait.
    void drawAutomatically();
    void clearWrongMarks();
    void failTurn(); // a time-out: the piece goes back; the turn passes
    qint32 elapsedHalfSeconds() const; // since the draw, rounded

private:
    void blinkJoker(); // a joker drawn blinks, then lays itself
    static SoundEffect randomPieceBackSound();
    void endOfTurn();
    void putPieceBack();

    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
