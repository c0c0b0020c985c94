// The turn: drawing a piece, placing it right or wrong, the joker, the end
// of the turn, and the move clock that fails a turn that takes too long, with
// its time bar.

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
        step(50010, [&] {
            empty = game_.stack().isEmpty();
            if (empty) {
                stackCell.visible = false;
                game_.finish();
                notify(&TableListener::stackChanged);
            }
        });
        if (empty)
            return;
        step(50020, [&] { play(SoundEffect::PieceDrawn, false); });
        int k = 0;
        step(50030, [&] {
            k = randomBetween(0, toInt16(double(game_.stack().size()) - 1));
            game_.draw(k);
        });
        step(50040, [&] {
            stackCell.face = Face::Piece;
            stackCell.piece = game_.pieceInHand();
            stackCell.enabled = false;
            notify(&TableListener::stackChanged);
        });
        step(50050, [&] { game_.removeFromStack(k); });
        step(50060, [&] { toolButton(ToolButton::Hint).enabled = s.offerHints; });
        step(50070, [&] {
            game_.startClock(steadyMilliseconds());
            setTimeBar(1);
            if (s.timeLimit)
                moveClock_.start();
        });
        step(50080, [&] { blinkJoker(); });
        step(50090, [&] {
            if (game_.stack().isEmpty()) {
                toolButton(ToolButton::Hint).enabled = false;
                notifyControls();
            }
        });
    });
    notifyControls();
}

void PuzzleTable::blinkJoker()
{
    const SharedState& s = shared();
    if (!s.useJokers || !game_.isJoker(game_.pieceInHand()))
        return;
    const int joker = game_.pieceInHand();
    cellAt(boardCells, joker).enabled = false;
    toolButton(ToolButton::Hint).enabled = false;
    moveClock_.stop();
    notifyCell(joker);
    notifyControls();
    handleEvents();
    play(SoundEffect::Joker, true);
    for (int blink = 0; blink < 3; ++blink) {
        play(SoundEffect::Blink, false);
        cellAt(boardCells, joker).face = Face::Empty;
        notifyCell(joker);
        waitSeconds(0.2);
        play(SoundEffect::Blink, false);
        cellAt(boardCells, joker).face = Face::Joker;
        notifyCell(joker);
        waitSeconds(0.2);
    }
    // Clicks go on during the blinking: lay the joker only if it is still in hand.
    if (!game_.idle() && game_.pieceInHand() == joker)
        placePiece(joker);
}

void PuzzleTable::placePiece(int index)
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "imgPuzz_click", [&](Steps& step) {
        if (game_.idle() || game_.pieceInHand() == -1)
            return;
        step(50010, [&] { play(SoundEffect::CellClick, false); });
        if (game_.pieceInHand() == index) {
            step(50020, [&] {
                ImageState& cell = cellAt(boardCells, index);
                cell.face = Face::Piece;
                cell.piece = index;
                game_.lay(index);
                notifyCell(index);
            });
            step(50030, [&] {
                stackCell.visible = false;
                notify(&TableListener::stackChanged);
                handleEvents();
                cellAt(boardCells, index).enabled = false;
                notifyCell(index);
                moveClock_.stop();
            });
            step(50040, [&] {
                if (s.playSounds) {
                    const int r = randomBetween(1, 20);
                    if (r >= 1 && r <= 5)
                        play(soundEffectAfter(SoundEffect::CommentFirst, r - 1), true);
                }
            });
            qint16 points = 0;
            // The placement's points cannot fail; adding the bonus can overflow.
            step(50050, [&] { points = addInt16(rules::placementPoints(game_.wrongTries()), rules::stackBonus(game_.stack().size())); });
            step(50060, [&] {
                if (s.timeLimit)
                    points = toInt16(points + rules::timeBonus(timeBarWidth, metrics.clientWidth));
            });
            step(50070, [&] { game_.addPoints(points); });
            step(50080, [&] { showScore(game_.score(game_.currentPlayer()), game_.currentPlayer()); });
            step(50090, [&] {
                if (s.playerCount > 1)
                    advancePlayer();
            });
            step(50100, [&] { endOfTurn(); });
            return;
        }
        if (game_.wrongTries() < 2) {
            step(50020, [&] { game_.countWrongTry(); });
            step(50030, [&] {
                ImageState& cell = cellAt(boardCells, index);
                cell.face = Face::Wrong;
                cell.enabled = false;
                notifyCell(index);
            });
            step(50040, [&] { game_.markWrong(index); });
            return;
        }
        // The third wrong click: the turn fails.
        step(50020, [&] {
            cellAt(boardCells, index).face = Face::Wrong;
            notifyCell(index);
            moveClock_.stop();
            handleEvents();
        });
        step(50030, [&] {
            if (s.playSounds)
                play(randomPieceBackSound(), true);
        });
        step(50040, [&] {
            cellAt(boardCells, index).face = Face::Wrong;
            notifyCell(index);
            handleEvents();
            cellAt(boardCells, index).face = Face::Empty;
            notifyCell(index);
        });
        step(50050, [&] { putPieceBack(); });
    });
}

SoundEffect PuzzleTable::randomPieceBackSound()
{
    // Drawn over the effects' own numbers, as always, so a seeded game hears the same one.
    const int first = int(SoundEffect::PieceBackFirst);
    return soundEffectAfter(SoundEffect::PieceBackFirst, randomBetween(first, int(SoundEffect::PieceBackLast)) - first);
}

void PuzzleTable::endOfTurn()
{
    clearWrongMarks();
    stackCell.face = Face::Back;
    stackCell.visible = true;
    stackCell.enabled = true;
    game_.emptyHand();
    setTimeBar(1);
    if (game_.stack().isEmpty()) {
        finishGame();
        return;
    }
    notify(&TableListener::stackChanged);
    notifyControls();
    if (game_.idle()) {
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
    if (!game_.idle() && game_.pieceInHand() == -1)
        drawPiece();
}

void PuzzleTable::clearWrongMarks()
{
    for (int k = 1; k <= game_.wrongTries() && k <= 2; ++k) {
        play(SoundEffect::CellClick, false);
        const int wrong = game_.wrongCell(k);
        ImageState& cell = cellAt(boardCells, wrong);
        cell.face = Face::Empty;
        cell.enabled = true;
        notifyCell(wrong);
    }
    game_.clearWrongTries();
}

void PuzzleTable::failTurn()
{
    play(randomPieceBackSound(), true);
    putPieceBack();
}

void PuzzleTable::putPieceBack()
{
    game_.putBack(shared().boardRows * shared().boardCols);
    if (shared().playerCount > 1)
        advancePlayer();
    endOfTurn();
}

qint32 PuzzleTable::elapsedHalfSeconds() const
{
    const quint32 elapsed = quint32(steadyMilliseconds()) - quint32(game_.turnStart());
    return toInt32(elapsed / 500.0);
}

void PuzzleTable::setTimeBar(double width)
{
    timeBarWidth = width;
    timeBar.setWidth(std::max(1, near(width)));
    notifyControls();
}

void PuzzleTable::advanceMoveClock()
{
    trapped("frmPuzzle", "Timer1_Timer", [&](Steps& step) {
        step(50010, [&] { game_.setTurnHalfSeconds(elapsedHalfSeconds()); });
        const double windowWidth = metrics.clientWidth;
        step(50020, [&] { setTimeBar(rules::timeBarWidth(game_.turnHalfSeconds(), windowWidth)); });
        step(50030, [&] { play(SoundEffect::Tick, false); });
        step(50040, [&] {
            if (!rules::timeIsUp(timeBarWidth, windowWidth) || game_.pieceInHand() == -1)
                return;
            // The clock stops before the time-out sound: a tick during that
            // sound would cut it short and fail the turn a second time.
            moveClock_.stop();
            play(SoundEffect::TimeUp, true);
            failTurn();
        });
    });
}

} // namespace tess
