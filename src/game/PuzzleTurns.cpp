// The turn: drawing a piece, placing it right or wrong, the joker, the end
// of the turn, and the move clock that fails a turn that takes too long.

#include "game/PuzzleTable.h"
#include "game/Rules.h"

#include "errors/Checked.h"
#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/SharedState.h"
#include "game/TableHelpers.h"
#include "sound/Sounds.h"
#include "util/Numbers.h"
#include "util/Random.h"
#include "util/TickCount.h"
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
            empty = lstNum.isEmpty();
            if (empty) {
                stackCell.visible = false;
                GameIdle = True;
                notify(&TableListener::stackChanged);
            }
        });
        if (empty)
            return;
        step([&] { play(117, 0); });
        qint16 k = 0;
        step([&] {
            k = randomBetween(0, toInt16(double(lstNum.size()) - 1));
            CurrentPiece = textToInt16(at(lstNum, k, "lstNum"));
        });
        step([&] {
            stackCell.face = Face::Piece;
            stackCell.piece = CurrentPiece;
            stackCell.enabled = false;
            notify(&TableListener::stackChanged);
        });
        step([&] { lstNum.removeAt(checkedIndex(lstNum, k, "lstNum")); });
        step([&] { toolButtons[ButtonHint].enabled = s.offerHints != 0; });
        step([&] {
            shared().turnStart = steadyMilliseconds();
            setTimeBar(1);
            if (s.timeLimit != 0)
                timer1_.start();
        });
        step([&] {
            if (s.useJokers != 1 || at(JokerPiece, CurrentPiece, "JokerPiece") != 1)
                return;
            const qint16 joker = CurrentPiece;
            cellAt(boardCells, joker).enabled = false;
            toolButtons[ButtonHint].enabled = false;
            timer1_.stop();
            notifyCell(joker);
            notifyControls();
            handleEvents();
            play(107, 1);
            for (int blink = 0; blink < 3; ++blink) {
                play(111, 0);
                cellAt(boardCells, joker).face = Face::Empty;
                notifyCell(joker);
                waitSeconds(0.2);
                play(111, 0);
                cellAt(boardCells, joker).face = Face::Joker;
                notifyCell(joker);
                waitSeconds(0.2);
            }
            // Clicks go on during the blinking: lay the joker only if it is still in hand.
            if (!GameIdle && CurrentPiece == joker)
                placePiece(joker);
        });
        step([&] {
            if (lstNum.isEmpty()) {
                toolButtons[ButtonHint].enabled = false;
                notifyControls();
            }
        });
    });
    notifyControls();
}

void PuzzleTable::placePiece(qint16 Index)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgPuzz_click", [&](Steps& step) {
        if (GameIdle || CurrentPiece == -1)
            return;
        step([&] { play(110, 0); });
        if (CurrentPiece == Index) {
            step([&] {
                ImageState& cell = cellAt(boardCells, Index);
                cell.face = Face::Piece;
                cell.piece = Index;
                cell.tag = QStringLiteral("1");
                notifyCell(Index);
            });
            step([&] {
                stackCell.visible = false;
                notify(&TableListener::stackChanged);
                handleEvents();
                cellAt(boardCells, Index).enabled = false;
                notifyCell(Index);
                timer1_.stop();
            });
            step([&] {
                if (s.playSounds == 1) {
                    const qint16 r = randomBetween(1, 20);
                    if (r >= 1 && r <= 5)
                        play(qint16(111 + r), 1);
                }
            });
            qint16 Points = 0;
            // The placement's points cannot fail; adding the bonus can overflow.
            step([&] { Points = addInt16(rules::placementPoints(WrongTries), rules::stackBonus(lstNum.size())); });
            step([&] {
                if (s.timeLimit == 1)
                    Points = toInt16(Points + rules::timeBonus(timeBarWidth, metrics.SW));
            });
            step([&] {
                qint32& score = at(s.scores, CurrentPlayer, "PlayerScore");
                score = toInt32(double(score) + Points);
            });
            step([&] { ShowNumber(at(s.scores, CurrentPlayer, "PlayerScore"), CurrentPlayer); });
            step([&] {
                if (s.playerCount > 1)
                    SetPlayer();
            });
            step([&] { endOfTurn(); });
            return;
        }
        if (WrongTries < 2) {
            step([&] { WrongTries = addInt16(WrongTries, 1); });
            step([&] {
                ImageState& cell = cellAt(boardCells, Index);
                cell.face = Face::Wrong;
                cell.enabled = false;
                notifyCell(Index);
            });
            step([&] { at(WrongCell, WrongTries, "WrongCell") = Index; });
            return;
        }
        // The third wrong click: the turn fails.
        step([&] {
            cellAt(boardCells, Index).face = Face::Wrong;
            notifyCell(Index);
            timer1_.stop();
            handleEvents();
        });
        step([&] {
            if (s.playSounds == 1)
                play(randomBetween(104, 106), 1);
        });
        step([&] {
            cellAt(boardCells, Index).face = Face::Wrong;
            notifyCell(Index);
            handleEvents();
            cellAt(boardCells, Index).face = Face::Empty;
            notifyCell(Index);
        });
        step([&] { putPieceBack(); });
    });
}

void PuzzleTable::endOfTurn()
{
    const SharedState& s = shared();
    clearWrongMarks();
    stackCell.face = Face::Back;
    stackCell.visible = true;
    stackCell.enabled = true;
    CurrentPiece = -1;
    setTimeBar(1);
    if (lstNum.isEmpty()) {
        finishGame();
        return;
    }
    notify(&TableListener::stackChanged);
    notifyControls();
    if (GameIdle) {
        endOfGame();
        return;
    }
    if (s.autoDraw == 1) {
        waitSeconds(0.2);
        // The players may have abandoned the game during the wait.
        if (!GameIdle && CurrentPiece == -1)
            drawPiece();
    }
}

void PuzzleTable::clearWrongMarks()
{
    for (int k = 1; k <= WrongTries && k <= 2; ++k) {
        play(110, 0);
        const qint16 wrong = at(WrongCell, k, "WrongCell");
        ImageState& cell = cellAt(boardCells, wrong);
        cell.face = Face::Empty;
        cell.enabled = true;
        notifyCell(wrong);
    }
    WrongTries = 0;
}

void PuzzleTable::failTurn()
{
    play(randomBetween(104, 106), 1);
    putPieceBack();
}

void PuzzleTable::putPieceBack()
{
    // Only a piece of this board goes back: a number outside it could never be laid.
    const int pieces = shared().boardRows * shared().boardCols;
    if (CurrentPiece >= 0 && CurrentPiece < pieces)
        lstNum.append(QString::number(CurrentPiece));
    if (shared().playerCount > 1)
        SetPlayer();
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
        step([&] { TurnElapsed = elapsedHalfSeconds(); });
        const double W = metrics.SW;
        step([&] { setTimeBar(rules::timeBarWidth(TurnElapsed, W)); });
        step([&] { play(120, 0); });
        step([&] {
            if (!rules::timeIsUp(timeBarWidth, W) || CurrentPiece == -1)
                return;
            // The clock stops before the time-out sound: a tick during that
            // sound would cut it short and fail the turn a second time.
            timer1_.stop();
            play(121, 1);
            failTurn();
        });
    });
}

} // namespace tess
