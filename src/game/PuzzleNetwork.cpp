// The table in a network game: what a screen shows as a snapshot for the
// other screens, a joining computer's screen taking it over, and the turn of
// a player whose computer is away.

#include "game/PuzzleTable.h"

#include "table/Layout.h"
#include "language/Language.h"
#include "net/Wire.h"
#include "resources/BackSides.h"
#include "settings/SharedState.h"
#include "util/Numbers.h"
#include "util/TickCount.h"
#include "util/Trap.h"

#include <algorithm>

namespace tess {

TableSnapshot PuzzleTable::snapshot() const
{
    const SharedState& s = shared();
    TableSnapshot t;
    t.rows = s.boardRows;
    t.cols = s.boardCols;
    const int pieces = std::clamp(t.rows * t.cols, 0, CellCount);
    const auto cellOf = [pieces](const ImageState& state, bool placed) {
        TableSnapshot::Cell cell;
        cell.face = state.face;
        cell.placed = placed;
        cell.enabled = state.enabled;
        if (state.face == Face::Piece) {
            if (state.piece >= 0 && state.piece < pieces)
                cell.piece = state.piece;
            else
                cell.face = Face::Empty;
        }
        return cell;
    };
    t.cells.reserve(std::size_t(pieces));
    for (int n = 0; n < pieces; ++n) {
        TableSnapshot::Cell cell = cellOf(boardCells[std::size_t(n)], game_.placed(n));
        // The idle animation's mark is each screen's own.
        if (game_.idle() && n == idleCell_ && cell.face == Face::Joker)
            cell.face = Face::Empty;
        t.cells.push_back(cell);
    }
    t.stack = cellOf(stackCell, false);
    t.stackVisible = stackCell.visible;
    t.previewShown = previewCell.visible;
    const int players = std::clamp(s.playerCount, 1, 4);
    for (int i = 0; i < players; ++i) {
        const QString name = s.names[std::size_t(i)].left(net::MaxNameLength);
        t.names.append(net::isPlayableName(name) ? name : QString());
        t.scores.push_back(std::clamp(scoreBoxes[std::size_t(i)].digits.toInt(), 0, MaxShownScore));
        t.seats.push_back(i);
        t.active.push_back(playerLabels[std::size_t(i)].active);
    }
    t.currentPlayer = std::clamp(game_.currentPlayer(), 0, players - 1);
    t.timeBar = metrics.clientWidth > 0 ? std::clamp(timeBarWidth / metrics.clientWidth, 0.0, 1.0) : 0;
    t.gameIdle = game_.idle();
    t.backSide = std::clamp(s.backSide, 0, BackSideCount - 1);
    t.gridShown = s.showGrid;
    t.hintEnabled = toolButton(ToolButton::Hint).enabled;
    return t;
}

void PuzzleTable::applySnapshot(const TableSnapshot& t)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "ShowHostState", [&](Steps& step) {
        step(50010, [&] {
            if (!t.gameIdle)
                stopIdleAnimation();
            if (t.gameIdle)
                game_.finish();
            else
                game_.start();
            const bool newBoard = t.rows != s.boardRows || t.cols != s.boardCols;
            if (newBoard) {
                s.boardRows = t.rows;
                s.boardCols = t.cols;
                for (std::size_t i = 0; i < s.boardSizes.size(); ++i)
                    if (s.boardSizes[i].rows == t.rows && s.boardSizes[i].cols == t.cols)
                        s.sizeIndex = int(i);
                resizeBoard();
            }
            if (newBoard || t.gridShown != s.showGrid) {
                s.showGrid = t.gridShown;
                for (ImageState& cell : boardCells)
                    cell.border = s.showGrid;
                notify(&TableListener::pictureChanged);
                notifyAllCells();
            }
            if (t.backSide != s.backSide) {
                s.backSide = t.backSide;
                backPicture = backSideCutter().cell(s.backSide);
                notify(&TableListener::pictureChanged, &TableListener::stackChanged);
            }
        });
        step(50020, [&] {
            const int pieces = t.pieceCount();
            for (int n = 0; n < pieces && n < CellCount; ++n) {
                const TableSnapshot::Cell& from = t.cells[std::size_t(n)];
                ImageState& cell = boardCells[std::size_t(n)];
                if (n == idleCell_)
                    idleCell_ = -1;
                if (cell.face == from.face && cell.piece == from.piece && game_.placed(n) == from.placed
                    && cell.enabled == from.enabled)
                    continue;
                cell.face = from.face;
                cell.piece = from.piece;
                game_.setPlaced(n, from.placed);
                cell.enabled = from.enabled;
                notifyCell(n);
            }
            if (stackCell.face != t.stack.face || stackCell.piece != t.stack.piece || stackCell.enabled != t.stack.enabled
                || stackCell.visible != t.stackVisible) {
                stackCell.face = t.stack.face;
                stackCell.piece = t.stack.piece;
                stackCell.enabled = t.stack.enabled;
                stackCell.visible = t.stackVisible;
                notify(&TableListener::stackChanged);
            }
            game_.setPieceInHand(t.stack.face == Face::Piece ? t.stack.piece : -1);
            // The pieces face down are those neither laid nor in hand; which
            // comes next is the host's secret, so they are kept in order.
            QList<int> faceDown;
            for (int n = 0; n < pieces; ++n)
                if (!t.cells[std::size_t(n)].placed && n != game_.pieceInHand())
                    faceDown.append(n);
            game_.setStack(faceDown);
            if (previewCell.visible != t.previewShown) {
                previewCell.visible = t.previewShown;
                notify(&TableListener::previewChanged);
            }
            toolButton(ToolButton::Hint).enabled = t.hintEnabled;
        });
        step(50030, [&] { applyPlayers(t); });
        step(50040, [&] { setTimeBar(std::max(1.0, t.timeBar * metrics.clientWidth)); });
    });
}

void PuzzleTable::applyPlayers(const TableSnapshot& t)
{
    SharedState& s = shared();
    const int count = int(t.names.size());
    s.playerCount = count;
    for (int i = 0; i < 4; ++i) {
        const std::size_t at = std::size_t(i);
        if (i < count && !t.names[i].isEmpty())
            s.names[at] = t.names[i];
        game_.setScore(i, i < count ? t.scores[at] : 0);
        playerLabels[at].visible = false;
        playerLabels[at].active = false;
        scoreBoxes[at].visible = false;
    }
    game_.setCurrentPlayer(t.currentPlayer);
    const PlayersLayout players = layoutPlayers(metrics, count, playerLabels[0].geometry.size(), scoreBoxes[0].geometry.size());
    const double fontScale = metrics.fontScale();
    digitCutter.setStretch(near(layoutScale * 18 * fontScale), near(layoutScale * 27 * fontScale));
    for (int i = 0; i < count; ++i) {
        const std::size_t at = std::size_t(i);
        LabelState& label = playerLabels[at];
        ScoreState& score = scoreBoxes[at];
        label.geometry = players.labels[at];
        score.geometry = players.scores[at];
        label.text = count > 1 ? s.names[at] : langText(111);
        label.visible = true;
        label.active = t.active[at];
        score.digits = paddedNumber(t.scores[at], 6);
        int x = 2;
        for (int& digit : score.x) {
            digit = x;
            x += scoreBoxes[0].geometry.width() / 6;
        }
        score.visible = true;
    }
    notifyControls();
}

void PuzzleTable::skipAwayTurn()
{
    trapped("frmPuzzle", "SkipAwayTurn", [&](Steps& step) {
        step(50010, [&] {
            if (game_.idle())
                return;
            moveClock_.stop();
            failTurn();
        });
    });
}

void PuzzleTable::showNetworkPicture(const QImage& picture)
{
    showPicture(picture);
}

void PuzzleTable::endRemote()
{
    network = {};
    game_.clearJokers();
    for (ToolButton button : {ToolButton::Picture, ToolButton::Load, ToolButton::Options, ToolButton::Save})
        toolButton(button).enabled = true;
    for (ToolButton button : {ToolButton::Start, ToolButton::BackSide, ToolButton::Champions})
        toolButton(button).enabled = game_.idle();
    // A turn under way goes on here, its time from now.
    if (!game_.idle() && game_.pieceInHand() >= 0 && shared().timeLimit) {
        game_.startClock(steadyMilliseconds());
        setTimeBar(1);
        moveClock_.start();
    }
    notifyControls();
}

} // namespace tess
