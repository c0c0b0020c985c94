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

namespace {
// A dialog or service that a later part of the game plugs in; nothing until then.
void openService(const std::function<void()>& service)
{
    if (service)
        service();
}
} // namespace

void PuzzleTable::hint()
{
    if (pieceInHand < 0 || pieceInHand > CellCount - 1)
        return;
    ImageState& cell = cellAt(boardCells, pieceInHand);
    cell.face = Face::Piece;
    cell.piece = pieceInHand;
    cell.placed = true;
    cell.enabled = false;
    notifyCell(pieceInHand);
    stackCell.face = Face::Back;
    clearWrongMarks();
    pieceInHand = -1;
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
        step([&] { play(102, false); });
        step([&] {
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
                openService(services.pictureChoice);
                // Unlike at start-up, a missing file is an error here.
                loadChosenPicture(shared().pictureSource == PictureSource::File ? readSetting(keys::pictureFile) : QString(), false);
                break;
            case ToolButton::BackSide:
                openService(services.backChoice);
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
                    openService(services.options);
                    network_->refresh();
                    break;
                }
                if (!gameIdle)
                    abandonGameOrQuit();
                openService(services.options);
                applyOptions();
                break;
            case ToolButton::Champions:
                openService(services.champions);
                break;
            case ToolButton::Help:
                openService(services.helpMenu);
                break;
            }
        });
    });
}

void PuzzleTable::chooseLanguage(int languageDigit)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgLang_Click", [&](Steps& step) {
        step([&] { play(102, false); });
        step([&] {
            s.language = toInt16(languageDigit * 1000.0);
            followLanguageInQt(s.language); // cannot fail: a missing translation is English
        });
        step([&] { applyLanguage(); });
        step([&] { saveSetting(keys::language, numberText(s.language)); });
    });
}

} // namespace tess
