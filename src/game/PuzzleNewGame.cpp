// A new game: reset, shuffle and start.

#include "game/PuzzleTable.h"

#include "errors/Checked.h"
#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/SharedState.h"
#include "game/TableHelpers.h"
#include "sound/Sounds.h"
#include "util/Numbers.h"
#include "util/Random.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void PuzzleTable::play(int number, bool wait)
{
    if (shared().playSounds)
        playSoundEffect(number, wait);
}

void PuzzleTable::setTimeBar(double width)
{
    timeBarWidth = width;
    timeBar.setWidth(std::max(1, near(width)));
    notifyControls();
}

void PuzzleTable::resetGame()
{
    SharedState& s = shared();
    trapped("frmPuzzle", "ResetGame", [&](Steps& step) {
        if (!s.gameWindowLoaded) {
            step([&] { s.gameWindowLoaded = true; });
            return;
        }
        step([&] { gameIdle = True; });
        step([&] {
            turnHalfSeconds = 0;
            setTimeBar(1);
            moveClock_.stop();
        });
        step([&] { s.scores = {}; });
        step([&] { resizeBoard(); });
        step([&] { stackCell.visible = false; });
        step([&] {
            toolButtons[StartButton].enabled = true;
            toolButtons[HintButton].enabled = false;
            toolButtons[BackSideButton].enabled = true;
            toolButtons[ChampionsButton].enabled = true;
        });
        step([&] { arrangePlayerPanels(); });
        step([&] {
            for (ImageState& cell : boardCells) {
                cell.enabled = true;
                cell.border = s.showGrid;
            }
        });
        step([&] {
            pieceInHand = -1;
            wrongTries = 0;
        });
        step([&] { previewCell.visible = s.showPreview; });
    });
    idleCell_ = -1;
    notify(&TableListener::stackChanged, &TableListener::previewChanged);
    notifyAllCells();
    notifyControls();
}

void PuzzleTable::shuffle()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "Shuffle", [&](Steps& step) {
        const int n = s.boardRows * s.boardCols;
        int jokerMax = 0;
        int chosen = 0;
        step([&] { play(108, true); });
        step([&] { faceDownPieces.clear(); });
        step([&] { jokerMax = n / 10; });
        step([&] {
            for (int i = 0; i < n; ++i) {
                faceDownPieces.append(numberText(i));
                at(jokerPieces, i, "JokerPiece") = 0;
            }
        });
        step([&] {
            for (int k = 0; k < jokerMax; ++k) {
                const qint16 r = randomBetween(0, toInt16(n - 1));
                qint16& mark = at(jokerPieces, r, "JokerPiece");
                if (mark == 0 && chosen < jokerMax) {
                    mark = 1;
                    ++chosen;
                }
            }
        });
    });
}

void PuzzleTable::startGame()
{
    trapped("frmPuzzle", "StartGame", [&](Steps& step) {
        // The idle animation stops first: the shuffle sound lets timers run
        // while it plays, and no joker mark may be left on the new board.
        stopIdleAnimation();
        step([&] { resetGame(); });
        step([&] {
            if (gameIdle)
                shuffle();
            gameIdle = False;
        });
        step([&] {
            stackCell.face = Face::Back;
            stackCell.enabled = true;
            stackCell.visible = true;
            notify(&TableListener::stackChanged);
        });
        step([&] {
            toolButtons[StartButton].enabled = false;
            toolButtons[BackSideButton].enabled = false;
            toolButtons[ChampionsButton].enabled = false;
            notifyControls();
        });
        step([&] {
            if (shared().autoDraw) {
                waitSeconds(0.2);
                // Like every automatic draw: only into a running game with no piece in hand.
                if (!gameIdle && pieceInHand == -1)
                    drawPiece();
            }
        });
    });
}

} // namespace tess
