#pragma once
// The table in a network game: what a screen shows as a snapshot for the
// other screens, a joining computer's screen taking it over, and the turn of
// a player whose computer is away, and what each screen says of its seats.

#include "table/TableSnapshot.h"
#include "table/TableState.h"

#include <QImage>
#include <QString>

namespace tess {

class GameTable;
class PuzzleTable;

class TableMirror {
public:
    TableMirror(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    TableSnapshot snapshot() const;
    void applySnapshot(const TableSnapshot& snapshot);
    void skipAwayTurn();
    void showNetworkPicture(const QImage& picture);
    void endRemote();
    QString seatWords(int player) const;
    bool buttonWorksHere(ToolButton button) const;

private:
    // The scores and panels of a snapshot, without the sounds of showScore.
    void applyPlayers(const TableSnapshot& snapshot);

    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
