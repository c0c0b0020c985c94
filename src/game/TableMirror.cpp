#include "game/TableMirror.h"

#include "game/PuzzleTable.h"

#include "table/Layout.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "net/Wire.h"
#include "resources/BackSides.h"
#include "settings/SharedState.h"
#include "util/Numbers.h"
#include "util/TickCount.h"
#include "util/Trap.h"

#include <algorithm>

namespace tess {

TableSnapshot TableMirror::snapshot() const
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
        TableSnapshot::Cell cell = cellOf(table_.boardCells[std::size_t(n)], game_.placed(n));
        // The idle animation's mark is each screen's own.
        if (game_.idle() && n == table_.idleCell_ && cell.face == Face::Joker)
            cell.face = Face::Empty;
        t.cells.push_back(cell);
    }
    t.stack = cellOf(table_.stackCell, false);
    t.stackVisible = table_.stackCell.visible;
    t.previewShown = table_.previewCell.visible;
    const int players = std::clamp(s.playerCount, 1, 4);
    for (int i = 0; i < players; ++i) {
        const QString name = s.names[std::size_t(i)].left(net::MaxNameLength);
        t.names.append(net::isPlayableName(name) ? name : QString());
        t.scores.push_back(std::clamp(table_.scoreBoxes[std::size_t(i)].digits.toInt(), 0, MaxShownScore));
        t.seats.push_back(i);
        t.active.push_back(table_.playerLabels[std::size_t(i)].active);
    }
    t.currentPlayer = std::clamp(game_.currentPlayer(), 0, players - 1);
    t.timeBar = table_.metrics.clientWidth > 0 ? std::clamp(table_.timeBarWidth / table_.metrics.clientWidth, 0.0, 1.0) : 0;
    t.gameIdle = game_.idle();
    t.backSide = std::clamp(s.backSide, 0, BackSideCount - 1);
    t.gridShown = s.showGrid;
    t.hintEnabled = table_.toolButton(ToolButton::Hint).enabled;
    t.options = TableSnapshot::GameOptions{s.timeLimit, s.useJokers, s.autoDraw, s.offerHints};
    return t;
}

void TableMirror::applySnapshot(const TableSnapshot& t)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "ShowHostState", [&](Steps& step) {
        step(50010, [&] {
            if (!t.gameIdle)
                table_.stopIdleAnimation();
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
                table_.resizeBoard();
            }
            if (newBoard || t.gridShown != s.showGrid) {
                s.showGrid = t.gridShown;
                for (ImageState& cell : table_.boardCells)
                    cell.border = s.showGrid;
                table_.notify(&TableListener::pictureChanged);
                table_.notifyAllCells();
            }
            if (t.backSide != s.backSide) {
                s.backSide = t.backSide;
                table_.backPicture = backSideCutter().cell(s.backSide);
                table_.notify(&TableListener::pictureChanged, &TableListener::stackChanged);
            }
        });
        step(50020, [&] {
            const int pieces = t.pieceCount();
            for (int n = 0; n < pieces && n < CellCount; ++n) {
                const TableSnapshot::Cell& from = t.cells[std::size_t(n)];
                ImageState& cell = table_.boardCells[std::size_t(n)];
                if (n == table_.idleCell_)
                    table_.idleCell_ = -1;
                if (cell.face == from.face && cell.piece == from.piece && game_.placed(n) == from.placed
                    && cell.enabled == from.enabled)
                    continue;
                cell.face = from.face;
                cell.piece = from.piece;
                game_.setPlaced(n, from.placed);
                cell.enabled = from.enabled;
                table_.notifyCell(n);
            }
            ImageState& stack = table_.stackCell;
            if (stack.face != t.stack.face || stack.piece != t.stack.piece || stack.enabled != t.stack.enabled
                || stack.visible != t.stackVisible) {
                stack.face = t.stack.face;
                stack.piece = t.stack.piece;
                stack.enabled = t.stack.enabled;
                stack.visible = t.stackVisible;
                table_.notify(&TableListener::stackChanged);
            }
            game_.setPieceInHand(t.stack.face == Face::Piece ? t.stack.piece : -1);
            // The pieces face down are those neither laid nor in hand; which
            // comes next is the host's secret, so they are kept in order.
            QList<int> faceDown;
            for (int n = 0; n < pieces; ++n)
                if (!t.cells[std::size_t(n)].placed && n != game_.pieceInHand())
                    faceDown.append(n);
            game_.setStack(faceDown);
            if (table_.previewCell.visible != t.previewShown) {
                table_.previewCell.visible = t.previewShown;
                table_.notify(&TableListener::previewChanged);
            }
            table_.toolButton(ToolButton::Hint).enabled = t.hintEnabled;
        });
        step(50030, [&] { applyPlayers(t); });
        step(50040, [&] { table_.setTimeBar(std::max(1.0, t.timeBar * table_.metrics.clientWidth)); });
    });
}

void TableMirror::applyPlayers(const TableSnapshot& t)
{
    SharedState& s = shared();
    const int count = int(t.names.size());
    s.playerCount = count;
    for (int i = 0; i < 4; ++i) {
        const std::size_t at = std::size_t(i);
        if (i < count && !t.names[i].isEmpty())
            s.names[at] = t.names[i];
        game_.setScore(i, i < count ? t.scores[at] : 0);
        table_.playerLabels[at].visible = false;
        table_.playerLabels[at].active = false;
        table_.scoreBoxes[at].visible = false;
    }
    game_.setCurrentPlayer(t.currentPlayer);
    const PlayersLayout players = layoutPlayers(table_.metrics, count, table_.playerLabels[0].geometry.size(), table_.scoreBoxes[0].geometry.size());
    const double fontScale = table_.metrics.fontScale();
    table_.digitCutter.setStretch(near(table_.layoutScale * 18 * fontScale), near(table_.layoutScale * 27 * fontScale));
    for (int i = 0; i < count; ++i) {
        const std::size_t at = std::size_t(i);
        LabelState& label = table_.playerLabels[at];
        ScoreState& score = table_.scoreBoxes[at];
        label.geometry = players.labels[at];
        score.geometry = players.scores[at];
        label.text = count > 1 ? s.names[at] : langText(text::Points);
        label.visible = true;
        label.active = t.active[at];
        score.digits = paddedNumber(t.scores[at], 6);
        int x = 2;
        for (int& digit : score.x) {
            digit = x;
            x += table_.scoreBoxes[0].geometry.width() / 6;
        }
        score.visible = true;
    }
    table_.notifyControls();
}

void TableMirror::skipAwayTurn()
{
    trapped("frmPuzzle", "SkipAwayTurn", [&](Steps& step) {
        step(50010, [&] {
            if (game_.idle())
                return;
            table_.moveClock_.stop();
            table_.failTurn();
        });
    });
}

void TableMirror::showNetworkPicture(const QImage& picture)
{
    table_.showPicture(picture);
}

void TableMirror::endRemote()
{
    table_.network_ = nullptr;
    game_.clearJokers();
    for (ToolButton button : {ToolButton::Picture, ToolButton::Load, ToolButton::Options, ToolButton::Save})
        table_.toolButton(button).enabled = true;
    for (ToolButton button : {ToolButton::Start, ToolButton::BackSide, ToolButton::Champions})
        table_.toolButton(button).enabled = game_.idle();
    // A turn under way goes on here, its time from now.
    if (!game_.idle() && game_.pieceInHand() >= 0 && shared().timeLimit) {
        game_.startClock(steadyMilliseconds());
        table_.setTimeBar(1);
        table_.moveClock_.start();
    }
    table_.notifyControls();
}

QString TableMirror::seatWords(int player) const
{
    const SeatNetwork* network = table_.network();
    if (!network || game_.idle() || player < 0 || player >= int(table_.playerLabels.size()))
        return {};
    const LabelState& label = table_.playerLabels[std::size_t(player)];
    if (!label.visible)
        return {};
    const bool ownTurn = player == game_.currentPlayer() && table_.turnIsLocal();
    const qint16 words = network->away(player) ? text::PlayerAway : ownTurn ? text::YourTurn : 0;
    return words ? langText(words).replace(QStringLiteral("%1"), label.text) : QString();
}

// A button that would change the game only on this screen's turn, or only
// on the host, looks disabled elsewhere rather than do nothing at a click.
bool TableMirror::buttonWorksHere(ToolButton button) const
{
    if (!table_.network())
        return true;
    switch (button) {
    case ToolButton::Hint:
    case ToolButton::Save:
        return game_.idle() || table_.turnIsLocal();
    case ToolButton::Start:
    case ToolButton::Picture:
    case ToolButton::BackSide:
    case ToolButton::Load:
        return !table_.remote();
    default:
        return true;
    }
}

} // namespace tess
