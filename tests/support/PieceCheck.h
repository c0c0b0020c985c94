#pragma once
// The invariant of a game: every piece is exactly once on the board, in hand
// or on the stack, and the stack holds only pieces of the board.

#include "game/PuzzleTable.h"

#include <QString>

#include <vector>

namespace tess::test {

// Empty when the invariant holds, else what is wrong.
inline QString checkPieces(const PuzzleTable& t, int pieces)
{
    std::vector<int> seen(std::size_t(pieces), 0);
    for (int cell = 0; cell < pieces; ++cell) {
        const ImageState& state = t.boardCells[std::size_t(cell)];
        if (t.game().placed(cell)) {
            if (state.face != Face::Piece || state.piece != cell)
                return QStringLiteral("cell %1 is taken but does not show its piece").arg(cell);
            ++seen[std::size_t(cell)];
        }
    }
    if (t.pieceInHand() >= 0 && !t.gameIdle) {
        if (t.pieceInHand() >= pieces)
            return QStringLiteral("piece %1 in hand").arg(t.pieceInHand());
        ++seen[std::size_t(t.pieceInHand())];
    }
    for (const int piece : t.faceDownPieces()) {
        if (piece < 0 || piece >= pieces)
            return QStringLiteral("stack holds %1").arg(piece);
        ++seen[std::size_t(piece)];
    }
    for (int piece = 0; piece < pieces; ++piece)
        if (seen[std::size_t(piece)] != 1)
            return QStringLiteral("piece %1 is there %2 times").arg(piece).arg(seen[std::size_t(piece)]);
    return {};
}

} // namespace tess::test
