// The tool buttons, the hint and the language flags.

#include "game/PuzzleTable.h"

#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/SharedState.h"
#include "game/TableHelpers.h"
#include "sound/Sounds.h"
#include "language/Language.h"
#include "resources/BackSides.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "util/Numbers.h"
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
    cell.tag = QStringLiteral("1");
    cell.enabled = false;
    notifyCell(pieceInHand);
    stackCell.face = Face::Back;
    clearWrongMarks();
    pieceInHand = -1;
    moveClock_.stop();
    setTimeBar(1);
    stackCell.enabled = true;
    toolButtons[HintButton].enabled = false;
    notify(&TableListener::stackChanged);
    notifyControls();
    if (shared().autoDraw) {
        waitSeconds(0.2);
        if (!gameIdle && pieceInHand == -1)
            drawPiece();
    }
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

void PuzzleTable::runToolButton(qint16 index)
{
    trapped("frmPuzzle", "PicBut_Click", [&](Steps& step) {
        step([&] { play(102, false); });
        step([&] {
            switch (index) {
            case 0:
                startGame();
                break;
            case 1:
                abandonGameOrQuit();
                break;
            case 2:
                hint();
                break;
            case 3:
                resetGame();
                openService(services.pictureChoice);
                // Unlike at start-up, a missing file is an error here.
                loadChosenPicture(shared().album == PictureSource::OwnFolder ? readSetting(keys::pictureFile) : QString(), false);
                break;
            case 4:
                openService(services.backChoice);
                backPicture = backSideCutter().graphicCell(shared().backSide);
                notify(&TableListener::pictureChanged, &TableListener::stackChanged);
                break;
            case 5:
                saveGame();
                break;
            case 6:
                loadGame();
                break;
            case 7:
                if (!gameIdle)
                    abandonGameOrQuit();
                openService(services.options);
                applyOptions();
                break;
            case 8:
                openService(services.champions);
                break;
            case 9:
                openService(services.helpMenu);
                break;
            default:
                break;
            }
        });
    });
}

void PuzzleTable::chooseLanguage(qint16 index)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgLang_Click", [&](Steps& step) {
        step([&] { play(102, false); });
        step([&] { s.language = toInt16(index * 1000.0); });
        step([&] { applyLanguage(); });
        step([&] { saveSetting(keys::language, numberText(s.language)); });
    });
}

} // namespace tess
