// The tool buttons, the hint and the language flags.

#include "game/PuzzleTable.h"

#include "game/TableHelpers.h"
#include "language/Language.h"
#include "language/QtTranslations.h"
#include "resources/BackSides.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "sound/Sounds.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void PuzzleTable::hint()
{
    const int piece = game_.pieceInHand();
    if (piece < 0 || piece > CellCount - 1)
        return;
    ImageState& cell = cellAt(boardCells, piece);
    cell.face = Face::Piece;
    cell.piece = piece;
    game_.lay(piece);
    cell.enabled = false;
    notifyCell(piece);
    stackCell.face = Face::Back;
    clearWrongMarks();
    game_.emptyHand();
    moveClock_.stop();
    setTimeBar(1);
    stackCell.enabled = true;
    toolButton(ToolButton::Hint).enabled = false;
    notify(&TableListener::stackChanged);
    notifyControls();
    drawAutomatically();
}

void PuzzleTable::applyOptions()
{
    // The window is idle here: the board takes the new size, frame colour
    // and grid, the thumbnail shows or hides; the panels follow at activation.
    const SharedState& s = shared();
    resizeBoard();
    for (ImageState& cell : boardCells)
        cell.border = s.showGrid;
    previewCell.visible = s.showPreview;
    notifyAllCells();
    notify(&TableListener::previewChanged);
}

void PuzzleTable::runToolButton(ToolButton button)
{
    trapped("frmPuzzle", "PicBut_Click", [&](Steps& step) {
        step(50010, [&] { play(SoundEffect::Click, false); });
        step(50020, [&] {
            switch (button) {
            case ToolButton::Start:
                startGame();
                break;
            case ToolButton::End:
                abandonGameOrQuit();
                break;
            case ToolButton::Hint:
                hint();
                break;
            case ToolButton::Picture:
                resetGame();
                services().choosePicture();
                // Unlike at start-up, a missing file is an error here.
                loadChosenPicture(shared().pictureSource == PictureSource::File ? readSetting(keys::pictureFile) : QString(), false);
                break;
            case ToolButton::BackSide:
                services().chooseBackSide();
                backPicture = backSideCutter().cell(shared().backSide);
                notify(&TableListener::pictureChanged, &TableListener::stackChanged);
                break;
            case ToolButton::Save:
                saveGame();
                break;
            case ToolButton::Load:
                loadGame();
                break;
            case ToolButton::Options:
                if (remote()) {
                    // Sounds, music and language are this screen's; the
                    // game is the host's, and the screen shows it again.
                    services().showOptions();
                    if (network.refresh)
                        network.refresh();
                    break;
                }
                if (!game_.idle())
                    abandonGameOrQuit();
                services().showOptions();
                applyOptions();
                break;
            case ToolButton::Champions:
                services().showChampions();
                break;
            case ToolButton::Help:
                services().showHelpMenu();
                break;
            }
        });
    });
}

void PuzzleTable::chooseLanguage(int languageDigit)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgLang_Click", [&](Steps& step) {
        step(50010, [&] { play(SoundEffect::Click, false); });
        step(50020, [&] {
            s.language = toInt16(languageDigit * 1000.0);
            followLanguageInQt(s.language); // cannot fail: a missing translation is English
        });
        step(50030, [&] { applyLanguage(); });
        step(50040, [&] { saveSetting(keys::language, numberText(s.language)); });
    });
}

} // namespace tess
