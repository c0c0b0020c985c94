// The turn: drawing a piece, placing it right or wrong, the joker, the end
// of the turn, and the move clock that fails a turn that takes too long.

#include "game/TurnProcedures.h"

#include "game/PuzzleTable.h"
#include "table/Rules.h"

#include "game/TableHelpers.h"
#include "settings/SharedState.h"
#include "util/Checked.h"
#include "util/Numbers.h"
#include "util/Random.h"
#include "util/RunTimeError.h"
#include "util/TickCount.h"
#include "util/Trap.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void TurnProcedures::drawPiece()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "imgStack_Click", [&](Steps& step) {
        step.leaveSilentlyOn(32006);
        bool empty = false;
        step(50010, [&] {
            empty = game_.stack().isEmpty();
            if (empty) {
                table_.stackCell.visible = false;
                game_.finish();
                table_.notify(&TableListener::stackChanged);
            }
        });
        if (empty)
            return;
        step(50020, [&] { table_.play(SoundEffect::PieceDrawn, false); });
        int k = 0;
        step(50030, [&] {
            k = randomBetween(0, toInt16(double(game_.stack().size()) - 1));
            game_.draw(k);
        });
        step(50040, [&] {
            table_.stackCell.face = Face::Piece;
            table_.stackCell.piece = game_.pieceInHand();
            table_.stackCell.enabled = false;
            table_.notify(&TableListener::stackChanged);
        });
        step(50050, [&] { game_.removeFromStack(k); });
        step(50060, [&] { table_.toolButton(ToolButton::Hint).enabled = s.offerHints; });
        step(50070, [&] {
            game_.startClock(steadyMilliseconds());
            table_.setTimeBar(1);
            if (s.timeLimit)
                table_.moveClock_.start();
        });
        step(50080, [&] { blinkJoker(); });
        step(50090, [&] {
            if (game_.stack().isEmpty()) {
                table_.toolButton(ToolButton::Hint).enabled = false;
                table_.notifyControls();
            }
        });
    });
    table_.notifyControls();
}

void TurnProcedures::blinkJoker()
{
    const SharedState& s = shared();
    if (!s.useJokers || !game_.isJoker(game_.pieceInHand()))
        return;
    const int joker = game_.pieceInHand();
    cellAt(table_.boardCells, joker).enabled = false;
    table_.toolButton(ToolButton::Hint).enabled = false;
    table_.moveClock_.stop();
    table_.notifyCell(joker);
    table_.notifyControls();
    handleEvents();
    table_.play(SoundEffect::Joker, true);
    for (int blink = 0; blink < 3; ++blink) {
        table_.play(SoundEffect::Blink, false);
        cellAt(table_.boardCells, joker).face = Face::Empty;
        table_.notifyCell(joker);
        waitSeconds(0.2);
        table_.play(SoundEffect::Blink, false);
        cellAt(table_.boardCells, joker).face = Face::Joker;
        table_.notifyCell(joker);
        waitSeconds(0.2);
    }
    // Clicks go on during the blinking: lay the joker only if it is still in hand.
    if (!game_.idle() && game_.pieceInHand() == joker)
        placePiece(joker);
}

void TurnProcedures::placePiece(int index)
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "imgPuzz_click", [&](Steps& step) {
        if (game_.idle() || game_.pieceInHand() == -1)
            return;
        step(50010, [&] { table_.play(SoundEffect::CellClick, false); });
        if (game_.pieceInHand() == index) {
            step(50020, [&] {
                ImageState& cell = cellAt(table_.boardCells, index);
                cell.face = Face::Piece;
                cell.piece = index;
                game_.lay(index);
                table_.notifyCell(index);
            });
            step(50030, [&] {
                table_.stackCell.visible = false;
                table_.notify(&TableListener::stackChanged);
                handleEvents();
                cellAt(table_.boardCells, index).enabled = false;
                table_.notifyCell(index);
                table_.moveClock_.stop();
            });
            step(50040, [&] {
                if (s.playSounds) {
                    const int r = randomBetween(1, 20);
                    if (r >= 1 && r <= 5)
                        table_.play(soundEffectAfter(SoundEffect::CommentFirst, r - 1), true);
                }
            });
            qint16 points = 0;
            // The placement's points cannot fail; adding the bonus can overflow.
            step(50050, [&] { points = addInt16(rules::placementPoints(game_.wrongTries()), rules::stackBonus(game_.stack().size())); });
            step(50060, [&] {
                if (s.timeLimit)
                    points = toInt16(points + rules::timeBonus(table_.timeBarWidth, table_.metrics.clientWidth));
            });
            step(50070, [&] { game_.addPoints(points); });
            step(50080, [&] { table_.showScore(game_.score(game_.currentPlayer()), game_.currentPlayer()); });
            step(50090, [&] {
                if (s.playerCount > 1)
                    table_.advancePlayer();
            });
            step(50100, [&] { endOfTurn(); });
            return;
        }
        if (game_.wrongTries() < 2) {
            step(50020, [&] { game_.countWrongTry(); });
            step(50030, [&] {
                ImageState& cell = cellAt(table_.boardCells, index);
                cell.face = Face::Wrong;
                cell.enabled = false;
                table_.notifyCell(index);
            });
            step(50040, [&] { game_.markWrong(index); });
            return;
        }
        // The third wrong click: the turn fails.
        step(50020, [&] {
            cellAt(table_.boardCells, index).face = Face::Wrong;
            table_.notifyCell(index);
            table_.moveClock_.stop();
            handleEvents();
        });
        step(50030, [&] {
            if (s.playSounds)
                table_.play(randomPieceBackSound(), true);
        });
        step(50040, [&] {
            cellAt(table_.boardCells, index).face = Face::Wrong;
            table_.notifyCell(index);
            handleEvents();
            cellAt(table_.boardCells, index).face = Face::Empty;
            table_.notifyCell(index);
        });
        step(50050, [&] { putPieceBack(); });
    });
}

SoundEffect TurnProcedures::randomPieceBackSound()
{
    // Drawn over the effects' own numbers, as always, so a seeded game hears the same one.
    const int first = int(SoundEffect::PieceBackFirst);
    return soundEffectAfter(SoundEffect::PieceBackFirst, randomBetween(first, int(SoundEffect::PieceBackLast)) - first);
}

void TurnProcedures::endOfTurn()
{
    clearWrongMarks();
    table_.stackCell.face = Face::Back;
    table_.stackCell.visible = true;
    table_.stackCell.enabled = true;
    game_.emptyHand();
    table_.setTimeBar(1);
    if (game_.stack().isEmpty()) {
        table_.finishGame();
        return;
    }
    table_.notify(&TableListener::stackChanged);
    table_.notifyControls();
    if (game_.idle()) {
        table_.showResult();
        return;
    }
    drawAutomatically();
}

void TurnProcedures::drawAutomatically()
{
    if (!shared().autoDraw)
        return;
    waitSeconds(0.2);
    // Only into a running game with no piece in hand: the players may have
    // abandoned the game during the wait.
    if (!game_.idle() && game_.pieceInHand() == -1)
        drawPiece();
}

void TurnProcedures::clearWrongMarks()
{
    for (int k = 1; k <= game_.wrongTries() && k <= 2; ++k) {
        table_.play(SoundEffect::CellClick, false);
        const int wrong = game_.wrongCell(k);
        ImageState& cell = cellAt(table_.boardCells, wrong);
        cell.face = Face::Empty;
        cell.enabled = true;
        table_.notifyCell(wrong);
    }
    game_.clearWrongTries();
}

void TurnProcedures::failTurn()
{
    table_.play(randomPieceBackSound(), true);
    putPieceBack();
}

void TurnProcedures::putPieceBack()
{
    game_.putBack(shared().boardRows * shared().boardCols);
    if (shared().playerCount > 1)
        table_.advancePlayer();
    endOfTurn();
}

qint32 TurnProcedures::elapsedHalfSeconds() const
{
    const quint32 elapsed = quint32(steadyMilliseconds()) - quint32(game_.turnStart());
    return toInt32(elapsed / 500.0);
}

void TurnProcedures::advanceMoveClock()
{
    trapped("frmPuzzle", "Timer1_Timer", [&](Steps& step) {
        step(50010, [&] { game_.setTurnHalfSeconds(elapsedHalfSeconds()); });
        const double windowWidth = table_.metrics.clientWidth;
        step(50020, [&] { table_.setTimeBar(rules::timeBarWidth(game_.turnHalfSeconds(), windowWidth)); });
        step(50030, [&] { table_.play(SoundEffect::Tick, false); });
        step(50040, [&] {
            if (!rules::timeIsUp(table_.timeBarWidth, windowWidth) || game_.pieceInHand() == -1)
                return;
            // The clock stops before the time-out sound: a tick during that
            // sound would cut it short and fail the turn a second time.
            table_.moveClock_.stop();
            table_.play(SoundEffect::TimeUp, true);
            failTurn();
        });
    });
}

} // namespace tess
