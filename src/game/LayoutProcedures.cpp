#include "game/LayoutProcedures.h"

#include "game/PuzzleTable.h"

#include "game/TableHelpers.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "settings/SharedState.h"
#include "util/Checked.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

#include <QCoreApplication>

namespace tess {

using table::cellAt;

void LayoutProcedures::layOut()
{
    trapped("frmPuzzle", "positionieren", [&](Steps& step) {
        WindowLayout window;
        step(50010, [&] {
            window = layoutWindow(table_.metrics);
            table_.layoutScale = window.layoutScale;
        });
        step(50020, [&] { resizeBoard(); });
        step(50030, [&] {
            addPaint(table_.background, window.paint);
            table_.copyright = window.copyright;
            table_.timeBar = window.time;
            for (std::size_t i = 0; i < table_.toolButtons.size(); ++i) {
                table_.toolButtons[i].geometry = window.buttons[i];
                table_.toolButtons[i].visible = true;
            }
            for (std::size_t i = 0; i < table_.languageFlags.size(); ++i) {
                table_.languageFlags[i].geometry = window.flags[i];
                table_.languageFlags[i].visible = true;
            }
        });
    });
    table_.notify(&TableListener::backgroundChanged);
    table_.notifyControls();
}

void LayoutProcedures::resizeBoard()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "ResizeGame", [&](Steps& step) {
        BoardLayout board;
        step(50010, [&] { board = layoutBoard(table_.metrics, s.boardRows, s.boardCols, s.frameColour); });
        step(50020, [&] {
            table_.pieceCutter.setCols(s.boardCols);
            table_.pieceCutter.setRows(s.boardRows);
        });
        step(50030, [&] {
            for (ImageState& cell : table_.boardCells)
                cell.visible = false;
            const int used = s.boardRows * s.boardCols;
            if (used > CellCount)
                raiseError(ErrSubscript);
            for (int n = 0; n < used; ++n) {
                ImageState& cell = cellAt(table_.boardCells, n);
                game_.setPlaced(n, false);
                cell.face = Face::Empty;
                cell.geometry = at(board.cells, n, "imgPuzz");
                cell.visible = true;
            }
        });
        step(50040, [&] { addPaint(table_.background, board.paint); });
        step(50050, [&] {
            table_.previewCell.geometry = board.preview;
            table_.stackCell.face = Face::Back;
            table_.stackCell.geometry = board.stack;
        });
    });
    table_.notify(&TableListener::pictureChanged, &TableListener::backgroundChanged, &TableListener::stackChanged,
           &TableListener::previewChanged);
    table_.notifyAllCells();
}

void LayoutProcedures::arrangePlayerPanels()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "SizePlayers", [&](Steps& step) {
        step(50010, [&] {
            for (std::size_t i = 0; i < 4; ++i) {
                // The last game's winner loses the marker: only the player whose turn it is has it.
                table_.playerLabels[i].active = false;
                table_.playerLabels[i].visible = false;
                table_.scoreBoxes[i].visible = false;
            }
        });
        PlayersLayout players;
        step(50020, [&] {
            at(table_.playerLabels, s.playerCount - 1, "lblPlayer"); // a label for each player
            players = layoutPlayers(table_.metrics, s.playerCount, table_.playerLabels[0].geometry.size(), table_.scoreBoxes[0].geometry.size());
        });
        step(50030, [&] {
            if (s.playerCount > 1) {
                // playerCount was checked a step before; Ignore skips that check.
                for (int i = 0; i < s.playerCount; ++i) {
                    LabelState& label = at(table_.playerLabels, i, "lblPlayer");
                    ScoreState& score = at(table_.scoreBoxes, i, "picScore");
                    label.geometry = at(players.labels, i, "lblPlayer");
                    score.geometry = at(players.scores, i, "picScore");
                    label.text = at(s.names, i, "PlayerName");
                    label.visible = true;
                    showScore(0, i);
                    score.visible = true;
                }
            } else {
                table_.playerLabels[0].geometry = players.labels[0];
                table_.scoreBoxes[0].geometry = players.scores[0];
                table_.playerLabels[0].text = langText(text::Points);
                table_.playerLabels[0].visible = true;
                showScore(0, 0);
                table_.scoreBoxes[0].visible = true;
            }
        });
        step(50040, [&] { advancePlayer(); });
    });
    table_.notifyControls();
}

void LayoutProcedures::advancePlayer()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "SetPlayer", [&](Steps& step) {
        step(50010, [&] { at(table_.playerLabels, game_.currentPlayer(), "lblPlayer").active = false; });
        step(50020, [&] { game_.passTurn(s.playerCount); });
        step(50030, [&] {
            at(table_.playerLabels, game_.currentPlayer(), "lblPlayer").active = true;
            table_.notifyControls();
        });
        step(50040, [&] { QCoreApplication::processEvents(); });
    });
}

void LayoutProcedures::showScore(qint32 score, int player)
{
    trapped("frmPuzzle", "ShowNumber", [&](Steps& step) {
        QString digits;
        step(50010, [&] {
            // The box has six digits: a score beyond them would lose its first ones.
            if (score < 0 || score > 999999)
                raiseError(ErrOverflow, QStringLiteral("picScore %1").arg(score));
            digits = paddedNumber(score, 6);
        });
        step(50020, [&] {
            const double fontScale = table_.metrics.fontScale();
            table_.digitCutter.setStretch(near(table_.layoutScale * 18 * fontScale), near(table_.layoutScale * 27 * fontScale));
        });
        step(50030, [&] {
            ScoreState& box = at(table_.scoreBoxes, player, "picScore");
            box.digits = digits;
            int x = 2;
            for (std::size_t i = 0; i < box.x.size(); ++i) {
                box.x[i] = x;
                x += table_.scoreBoxes[0].geometry.width() / 6;
            }
        });
        step(50040, [&] { table_.notifyControls(); });
        // A score of 0 blinks and is not waited for.
        step(50050, [&] { table_.play(score == 0 ? SoundEffect::Blink : SoundEffect::Score, score != 0); });
    });
}

void LayoutProcedures::applyLanguage()
{
    trapped("frmPuzzle", "Sprache", [&](Steps& step) {
        step(50010, [&] {
            for (std::size_t i = 0; i < table_.toolButtons.size(); ++i)
                table_.toolButtons[i].tip = langText(qint16(text::FirstButtonTip + i));
        });
        step(50020, [&] {
            table_.menuCaptions[0] = langText(text::HelpMenuCaption);
            table_.menuCaptions[1] = langText(text::MailMenuCaption);
            table_.menuCaptions[2] = langText(text::AboutMenuCaption);
        });
    });
    table_.notifyControls();
}
} // namespace tess
