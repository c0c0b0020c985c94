// A new game: reset, shuffle and start.

#include "game/NewGame.h"

#include "game/PuzzleTable.h"

#include "game/TableHelpers.h"
#include "settings/SharedState.h"
#include "util/Checked.h"
#include "util/Numbers.h"
#include "util/Random.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void NewGame::resetGame()
{
    SharedState& s = shared();
    trapped("frmPuzzle", "ResetGame", [&](Steps& step) {
        if (!s.gameWindowLoaded) {
            step(50010, [&] { s.gameWindowLoaded = true; });
            return;
        }
        step(50010, [&] { game_.finish(); });
        step(50020, [&] {
            game_.resetClock();
            table_.setTimeBar(1);
            table_.moveClock_.stop();
        });
        step(50030, [&] { game_.clearScores(); });
        step(50040, [&] { table_.resizeBoard(); });
        step(50050, [&] { table_.stackCell.visible = false; });
        step(50060, [&] {
            table_.toolButton(ToolButton::Start).enabled = true;
            table_.toolButton(ToolButton::Hint).enabled = false;
            table_.toolButton(ToolButton::BackSide).enabled = true;
            table_.toolButton(ToolButton::Champions).enabled = true;
        });
        step(50070, [&] { table_.arrangePlayerPanels(); });
        step(50080, [&] {
            for (ImageState& cell : table_.boardCells) {
                cell.enabled = true;
                cell.border = s.showGrid;
            }
        });
        step(50090, [&] { game_.clearHand(); });
        step(50100, [&] { table_.previewCell.visible = s.showPreview; });
    });
    table_.idleCell_ = -1;
    table_.notify(&TableListener::stackChanged, &TableListener::previewChanged);
    table_.notifyAllCells();
    table_.notifyControls();
}

void NewGame::shuffle()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "Shuffle", [&](Steps& step) {
        const int n = s.boardRows * s.boardCols;
        int jokerMax = 0;
        int chosen = 0;
        step(50010, [&] { table_.play(SoundEffect::Shuffle, true); });
        step(50020, [&] { game_.clearStack(); });
        step(50030, [&] { jokerMax = n / 10; });
        step(50040, [&] { game_.fillStack(n); });
        step(50050, [&] {
            // A piece drawn twice is a joker once: fewer jokers, as ever.
            for (int k = 0; k < jokerMax; ++k)
                if (game_.makeJoker(randomBetween(0, toInt16(n - 1))))
                    ++chosen;
        });
    });
}

void NewGame::startGame()
{
    trapped("frmPuzzle", "StartGame", [&](Steps& step) {
        // The idle animation stops first: the shuffle sound lets timers run
        // while it plays, and no joker mark may be left on the new board.
        table_.stopIdleAnimation();
        if (table_.network_)
            table_.network_->gameStarting();
        step(50010, [&] { resetGame(); });
        step(50020, [&] {
            if (game_.idle())
                shuffle();
            game_.start();
        });
        step(50030, [&] {
            table_.stackCell.face = Face::Back;
            table_.stackCell.enabled = true;
            table_.stackCell.visible = true;
            table_.notify(&TableListener::stackChanged);
        });
        step(50040, [&] {
            table_.toolButton(ToolButton::Start).enabled = false;
            table_.toolButton(ToolButton::BackSide).enabled = false;
            table_.toolButton(ToolButton::Champions).enabled = false;
            table_.notifyControls();
        });
        step(50050, [&] { table_.drawAutomatically(); });
    });
}

} // namespace tess
