// The tool buttons, the hint and the language flags.

#include "game/PuzzleTable.h"

#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/SharedState.h"
#include "game/TableHelpers.h"
#include "sound/Sounds.h"
#include "language/Language.h"
#include "resources/BackSides.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "util/Numbers.h"
#include "util/Paths.h"
#include "util/Wait.h"

namespace tess {

using namespace table;

void PuzzleTable::hint()
{
    if (CurrentPiece < 0 || CurrentPiece > CellCount - 1)
        return;
    ImageState& cell = cellAt(imgPuzz, CurrentPiece);
    cell.face = Face::Piece;
    cell.piece = CurrentPiece;
    cell.tag = QStringLiteral("1");
    cell.enabled = false;
    notifyCell(CurrentPiece);
    imgStack.face = Face::Back;
    clearWrongMarks();
    CurrentPiece = -1;
    timer1_.stop();
    setTimeBar(1);
    imgStack.enabled = true;
    PicBut[ButtonHint].enabled = false;
    if (listener_)
        listener_->stackChanged();
    notifyControls();
    if (shared().Flip == 1) {
        Verzoegerung(0.2);
        if (!GameIdle && CurrentPiece == -1)
            imgStack_Click();
    }
}

void PuzzleTable::reloadPicture()
{
    SharedState& s = shared();
    if (s.Album == 0) {
        clpImage.setPicture(LoadResPicture(addInteger(s.Picture, 100)));
        previewPicture = clpImage.picture();
    } else if (s.Album == 1) {
        s.File = programFolder() + QStringLiteral("pics/") + readSetting(keys::File);
        loadPicture(s.File);
    }
    if (listener_) {
        listener_->pictureChanged();
        listener_->previewChanged();
    }
}

void PuzzleTable::PicBut_Click(qint16 Index)
{
    trapped("frmPuzzle", "PicBut_Click", [&](Steps& step) {
        step([&] { play(102, 0); });
        step([&] {
            switch (Index) {
            case 0:
                StartGame();
                break;
            case 1:
                EndGame();
                break;
            case 2:
                hint();
                break;
            case 3:
                ResetGame();
                if (services.pictureChoice)
                    services.pictureChoice();
                reloadPicture();
                break;
            case 4:
                if (services.backChoice)
                    services.backChoice();
                imgBack = backSideCutter().graphicCell(shared().Back);
                if (listener_) {
                    listener_->pictureChanged();
                    listener_->stackChanged();
                }
                break;
            case 5:
                if (services.saveGame)
                    services.saveGame();
                break;
            case 6:
                if (services.loadGame)
                    services.loadGame();
                break;
            case 7:
                if (!GameIdle)
                    EndGame();
                if (services.options)
                    services.options();
                break;
            case 8:
                if (services.champions)
                    services.champions();
                break;
            case 9:
                if (services.helpMenu)
                    services.helpMenu();
                break;
            default:
                break;
            }
        });
    });
}

void PuzzleTable::imgLang_Click(qint16 Index)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgLang_Click", [&](Steps& step) {
        step([&] { play(102, 0); });
        step([&] { s.Sprache = toInteger(Index * 1000.0); });
        step([&] { Sprache(); });
        step([&] { saveSetting(keys::Sprache, numberText(s.Sprache)); });
    });
}

} // namespace tess
