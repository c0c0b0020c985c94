// The tool buttons, the hint and the language flags.

#include "game/ToolButtonProcedures.h"

#include "game/PuzzleTable.h"

#include "game/TableHelpers.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "language/QtTranslations.h"
#include "resources/BackSides.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "util/Dialogs.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void ToolButtonProcedures::hint()
{
    const int piece = game_.pieceInHand();
    if (piece < 0 || piece > CellCount - 1)
        return;
    ImageState& cell = cellAt(table_.boardCells, piece);
    cell.face = Face::Piece;
    cell.piece = piece;
    game_.lay(piece);
    cell.enabled = false;
    table_.notifyCell(piece);
    table_.stackCell.face = Face::Back;
    table_.clearWrongMarks();
    game_.emptyHand();
    table_.moveClock_.stop();
    table_.setTimeBar(1);
    table_.stackCell.enabled = true;
    table_.toolButton(ToolButton::Hint).enabled = false;
    table_.notify(&TableListener::stackChanged);
    table_.notifyControls();
    table_.drawAutomatically();
}

void ToolButtonProcedures::applyOptions()
{
    // The window is idle here: the board takes the new size, frame colour
    // and grid, the thumbnail shows or hides; the panels follow at activation.
    const SharedState& s = shared();
    table_.resizeBoard();
    for (ImageState& cell : table_.boardCells)
        cell.border = s.showGrid;
    table_.previewCell.visible = s.showPreview;
    table_.notifyAllCells();
    table_.notify(&TableListener::previewChanged);
}

bool ToolButtonProcedures::mayEndGameForAll()
{
    if (game_.idle() || !table_.network_ || !table_.network_->othersPlaying())
        return true;
    return dialogs().askYesNo(langText(text::EndForEveryone), langText(text::NetworkGameTitle), Dialogs::Answer::No);
}

void ToolButtonProcedures::runToolButton(ToolButton button)
{
    trapped("frmPuzzle", "PicBut_Click", [&](Steps& step) {
        step(50010, [&] { table_.play(SoundEffect::Click, false); });
        step(50020, [&] {
            switch (button) {
            case ToolButton::Start:
                table_.startGame();
                break;
            case ToolButton::End:
                if (mayEndGameForAll())
                    table_.abandonGameOrQuit();
                break;
            case ToolButton::Hint:
                hint();
                break;
            case ToolButton::Picture:
                if (!mayEndGameForAll())
                    break;
                table_.resetGame();
                // Closed without OK, the game keeps the picture it shows.
                if (!table_.services().choosePicture())
                    break;
                // Unlike at start-up, a missing file is an error here.
                table_.loadChosenPicture(shared().pictureSource == PictureSource::File ? readSetting(keys::pictureFile) : QString(), false);
                break;
            case ToolButton::BackSide:
                table_.services().chooseBackSide();
                table_.backPicture = backSideCutter().cell(shared().backSide);
                table_.notify(&TableListener::pictureChanged, &TableListener::stackChanged);
                break;
            case ToolButton::Save:
                table_.saveGame();
                break;
            case ToolButton::Load:
                if (mayEndGameForAll())
                    table_.loadGame();
                break;
            case ToolButton::Options:
                if (table_.remote()) {
                    // Sounds, music and language are this screen's; the
                    // game is the host's, and the screen shows it again.
                    table_.services().showOptions();
                    table_.network_->refresh();
                    break;
                }
                if (!mayEndGameForAll())
                    break;
                if (!game_.idle())
                    table_.abandonGameOrQuit();
                table_.services().showOptions();
                applyOptions();
                break;
            case ToolButton::Champions:
                table_.services().showChampions();
                break;
            case ToolButton::Help:
                table_.services().showHelpMenu();
                break;
            }
        });
    });
}

void ToolButtonProcedures::chooseLanguage(int languageDigit)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgLang_Click", [&](Steps& step) {
        step(50010, [&] { table_.play(SoundEffect::Click, false); });
        step(50020, [&] {
            s.language = toInt16(languageDigit * 1000.0);
            followLanguageInQt(s.language); // cannot fail: a missing translation is English
        });
        step(50030, [&] { table_.applyLanguage(); });
        step(50040, [&] { saveSetting(keys::language, numberText(s.language)); });
    });
}

} // namespace tess
