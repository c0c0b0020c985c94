// The turn: drawing a piece, placing it right or wrong, the joker, the end
// of the turn, and the move clock that fails a turn that takes too long.

#include "game/PuzzleTable.h"
#include "table/Rules.h"

#include "game/TableHelpers.h"
#include "settings/SharedState.h"
#include "sound/Sounds.h"
#include "util/Checked.h"
#include "util/Numbers.h"
#include "util/Random.h"
#include "util/RunTimeError.h"
#include "util/TickCount.h"
#include "util/Trap.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void PuzzleTable::drawPiece()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "imgStack_Click", [&](Steps& step) {
        step.leaveSilentlyOn(32006);
        bool empty = false;
        step([&] {
            empty = faceDownPieces.isEmpty();
            if (empty) {
                stackCell.visible = false;
                gameIdle = true;
                notify(&TableListener::stackChanged);
            }
        });
        if (empty)
            return;
        step([&] { play(117, false); });
        int k = 0;
        step([&] {
            k = randomBetween(0, toInt16(double(faceDownPieces.size()) - 1));
            pieceInHand = at(faceDownPieces, k, "lstNum");
        });
        step([&] {
            stackCell.face = Face::Piece;
            stackCell.piece = pieceInHand;
            stackCell.enabled = false;
            notify(&TableListener::stackChanged);
        });
        step([&] { faceDownPieces.removeAt(checkedIndex(faceDownPieces, k, "lstNum")); });
        step([&] { toolButton(ToolButton::Hint).enabled = s.offerHints; });
        step([&] {
            shared().turnStart = steadyMilliseconds();
            setTimeBar(1);
            if (s.timeLimit)
                moveClock_.start();
        });
        step([&] {
            if (!s.useJokers || !at(jokerPieces, pieceInHand, "JokerPiece"))
                return;
            const int joker = pieceInHand;
            cellAt(boardCells, joker).enabled = false;
            toolButton(ToolButton::Hint).enabled = false;
            moveClock_.stop();
            notifyCell(joker);
            notifyControls();
            handleEvents();
            play(107, true);
            for (int blink = 0; blink < 3; ++blink) {
                play(111, false);
                cellAt(boardCells, joker).face = Face::Empty;
                notifyCell(joker);
                waitSeconds(0.2);
                play(111, false);
                cellAt(boardCells, joker).face = Face::Joker;
                notifyCell(joker);
                waitSeconds(0.2);
            }
            // Clicks go on during the blinking: lay the joker only if it is still in hand.
            if (!gameIdle && pieceInHand == joker)
                placePiece(joker);
        });
        step([&] {
            if (faceDownPieces.isEmpty()) {
                toolButton(ToolButton::Hint).enabled = false;
                notifyControls();
            }
        });
    });
    notifyControls();
}

void PuzzleTable::placePiece(int index)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgPuzz_click", [&](Steps& step) {
        if (gameIdle || pieceInHand == -1)
            return;
        step([&] { play(110, false); });
        if (pieceInHand == index) {
            step([&] {
                ImageState& cell = cellAt(boardCells, index);
                cell.face = Face::Piece;
                cell.piece = index;
                cell.placed = true;
                notifyCell(index);
            });
            step([&] {
                stackCell.visible = false;
                notify(&TableListener::stackChanged);
                handleEvents();
                cellAt(boardCells, index).enabled = false;
                notifyCell(index);
                moveClock_.stop();
            });
            step([&] {
                if (s.playSounds) {
                    const int r = randomBetween(1, 20);
                    if (r >= 1 && r <= 5)
                        play(111 + r, true);
                }
            });
            qint16 points = 0;
            // The placement's points cannot fail; adding the bonus can overflow.
            step([&] { points = addInt16(rules::placementPoints(wrongTries), rules::stackBonus(faceDownPieces.size())); });
            step([&] {
                if (s.timeLimit)
                    points = toInt16(points + rules::timeBonus(timeBarWidth, metrics.clientWidth));
            });
            step([&] {
                qint32& score = at(s.scores, currentPlayer, "PlayerScore");
                score = toInt32(double(score) + points);
            });
            step([&] { showScore(at(s.scores, currentPlayer, "PlayerScore"), currentPlayer); });
            step([&] {
                if (s.playerCount > 1)
                    advancePlayer();
            });
            step([&] { endOfTurn(); });
            return;
        }
        if (wrongTries < 2) {
            step([&] { ++wrongTries; });
            step([&] {
                ImageState& cell = cellAt(boardCells, index);
                cell.face = Face::Wrong;
                cell.enabled = false;
                notifyCell(index);
            });
            step([&] { at(wrongCells, wrongTries, "WrongCell") = index; });
            return;
        }
        // The third wrong click: the turn fails.
        step([&] {
            cellAt(boardCells, index).face = Face::Wrong;
            notifyCell(index);
            moveClock_.stop();
            handleEvents();
        });
        step([&] {
            if (s.playSounds)
                play(randomBetween(104, 106), true);
        });
        step([&] {
            cellAt(boardCells, index).face = Face::Wrong;
            notifyCell(index);
            handleEvents();
            cellAt(boardCells, index).face = Face::Empty;
            notifyCell(index);
        });
        step([&] { putPieceBack(); });
    });
}

void PuzzleTable::endOfTurn()
{
    clearWrongMarks();
    stackCell.face = Face::Back;
    stackCell.visible = true;
    stackCell.enabled = true;
    pieceInHand = -1;
    setTimeBar(1);
    if (faceDownPieces.isEmpty()) {
        finishGame();
        return;
    }
    notify(&TableListener::stackChanged);
    notifyControls();
    if (gameIdle) {
        showResult();
        return;
    }
    drawAutomatically();
}

void PuzzleTable::drawAutomatically()
{
    if (!shared().autoDraw)
        return;
    waitSeconds(0.2);
    // Only into a running game with no piece in hand: the players may have
    // abandoned the game during the wait.
    if (!gameIdle && pieceInHand == -1)
        drawPiece();
}

void PuzzleTable::clearWrongMarks()
{
    for (int k = 1; k <= wrongTries && k <= 2; ++k) {
        play(110, false);
        const int wrong = at(wrongCells, k, "WrongCell");
        ImageState& cell = cellAt(boardCells, wrong);
        cell.face = Face::Empty;
        cell.enabled = true;
        notifyCell(wrong);
    }
    wrongTries = 0;
}

void PuzzleTable::failTurn()
{
    play(randomBetween(104, 106), true);
    putPieceBack();
}

void PuzzleTable::putPieceBack()
{
    // Only a piece of this board goes back: a number outside it could never be laid.
    const int pieces = shared().boardRows * shared().boardCols;
    if (pieceInHand >= 0 && pieceInHand < pieces)
        faceDownPieces.append(pieceInHand);
    if (shared().playerCount > 1)
        advancePlayer();
    endOfTurn();
}

qint32 PuzzleTable::elapsedHalfSeconds() const
{
    const quint32 elapsed = quint32(steadyMilliseconds()) - quint32(shared().turnStart);
    return toInt32(elapsed / 500.0);
}

void PuzzleTable::advanceMoveClock()
{
    trapped("frmPuzzle", "Timer1_Timer", [&](Steps& step) {
        step([&] { turnHalfSeconds = elapsedHalfSeconds(); });
        const double windowWidth = metrics.clientWidth;
        step([&] { setTimeBar(rules::timeBarWidth(turnHalfSeconds, windowWidth)); });
        step([&] { play(120, false); });
        step([&] {
            if (!rules::timeIsUp(timeBarWidth, windowWidth) || pieceInHand == -1)
                return;
            // The clock stops before the time-out sound: a tick during that
            // sound would cut it short and fail the turn a second time.
            moveClock_.stop();
            play(121, true);
            failTurn();
        });
    });
}

} // namespace tess
