// A new game: reset, shuffle and start.

#include "game/PuzzleTable.h"

#include "game/TableHelpers.h"
#include "settings/SharedState.h"
#include "sound/Sounds.h"
#include "util/Checked.h"
#include "util/Numbers.h"
#include "util/Random.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void PuzzleTable::play(int number, bool wait)
{
    // Each screen of a network game hears it as its own options say.
    if (network_)
        network_->sound(number);
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
        step([&] { gameIdle = true; });
        step([&] {
            turnHalfSeconds = 0;
            setTimeBar(1);
            moveClock_.stop();
        });
        step([&] { s.scores = {}; });
        step([&] { resizeBoard(); });
        step([&] { stackCell.visible = false; });
        step([&] {
            toolButton(ToolButton::Start).enabled = true;
            toolButton(ToolButton::Hint).enabled = false;
            toolButton(ToolButton::BackSide).enabled = true;
            toolButton(ToolButton::Champions).enabled = true;
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
                faceDownPieces.append(i);
                at(jokerPieces, i, "JokerPiece") = false;
            }
        });
        step([&] {
            for (int k = 0; k < jokerMax; ++k) {
                const int r = randomBetween(0, toInt16(n - 1));
                bool& joker = at(jokerPieces, r, "JokerPiece");
                if (!joker && chosen < jokerMax) {
                    joker = true;
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
        if (network_)
            network_->gameStarting();
        step([&] { resetGame(); });
        step([&] {
            if (gameIdle)
                shuffle();
            gameIdle = false;
        });
        step([&] {
            stackCell.face = Face::Back;
            stackCell.enabled = true;
            stackCell.visible = true;
            notify(&TableListener::stackChanged);
        });
        step([&] {
            toolButton(ToolButton::Start).enabled = false;
            toolButton(ToolButton::BackSide).enabled = false;
            toolButton(ToolButton::Champions).enabled = false;
            notifyControls();
        });
        step([&] { drawAutomatically(); });
    });
}

} // namespace tess
