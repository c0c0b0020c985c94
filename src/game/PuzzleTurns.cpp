// The course of a game on the table: reset, shuffle and start; drawing and
// placing pieces; the joker; the hint; the move clock; the end of the game;
// the tool buttons and the language flags.

#include "game/PuzzleTable.h"

#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/SharedState.h"
#include "language/Language.h"
#include "resources/BackSides.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "sound/Sounds.h"
#include "util/Dialogs.h"
#include "util/Numbers.h"
#include "util/Paths.h"
#include "util/Random.h"
#include "util/Shutdown.h"
#include "util/TickCount.h"
#include "util/Wait.h"

#include <QCoreApplication>

namespace tess {

namespace {

constexpr int ButtonStart = 0;
constexpr int ButtonHint = 2;
constexpr int ButtonBack = 4;
constexpr int ButtonChampions = 8;

void handleEvents()
{
    QCoreApplication::processEvents();
}

ImageState& cellAt(std::array<ImageState, CellCount>& cells, int n)
{
    if (n < 0 || n >= CellCount)
        raiseError(ErrSubscript, QStringLiteral("imgPuzz(%1)").arg(n));
    return cells[std::size_t(n)];
}

} // namespace

void PuzzleTable::play(qint16 number, qint16 mode)
{
    if (shared().PlaySound == 1)
        PlayWAV(number, mode);
}

void PuzzleTable::setTimeBar(double width)
{
    timeBarWidth = width;
    lblTime.setWidth(std::max(1, near(width)));
    notifyControls();
}

// ------------------------------------------------------------ new game

void PuzzleTable::ResetGame()
{
    SharedState& s = shared();
    trapped("frmPuzzle", "ResetGame", [&](Steps& step) {
        if (s.GameLoaded == False) {
            step([&] { s.GameLoaded = True; });
            return;
        }
        step([&] { GameIdle = True; });
        step([&] {
            TurnElapsed = 0;
            setTimeBar(1);
            timer1_.stop();
        });
        step([&] { s.PlayerScore = {}; });
        step([&] { ResizeGame(); });
        step([&] { imgStack.visible = false; });
        step([&] {
            PicBut[ButtonStart].enabled = true;
            PicBut[ButtonHint].enabled = false;
            PicBut[ButtonBack].enabled = true;
            PicBut[ButtonChampions].enabled = true;
        });
        step([&] { SizePlayers(); });
        step([&] {
            for (ImageState& cell : imgPuzz) {
                cell.enabled = true;
                cell.border = s.Grid;
            }
        });
        step([&] {
            CurrentPiece = -1;
            WrongTries = 0;
        });
        step([&] { imgPreview.visible = s.Miniatur != 0; });
    });
    idleCell_ = -1;
    if (listener_) {
        listener_->stackChanged();
        listener_->previewChanged();
        for (int n = 0; n < CellCount; ++n)
            listener_->cellChanged(n);
    }
    notifyControls();
}

void PuzzleTable::Shuffle()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "Shuffle", [&](Steps& step) {
        const int n = s.BoardRows * s.BoardCols;
        int jokerMax = 0;
        int chosen = 0;
        step([&] { play(108, 1); });
        step([&] { lstNum.clear(); });
        step([&] { jokerMax = n / 10; });
        step([&] {
            for (int i = 0; i < n; ++i) {
                lstNum.append(numberText(i));
                if (i > 500)
                    raiseError(ErrSubscript, QStringLiteral("JokerPiece(%1)").arg(i));
                JokerPiece[std::size_t(i)] = 0;
            }
        });
        step([&] {
            for (int k = 0; k < jokerMax; ++k) {
                const qint16 r = zz(0, qint16(n - 1));
                if (JokerPiece[std::size_t(r)] == 0 && chosen < jokerMax) {
                    JokerPiece[std::size_t(r)] = 1;
                    ++chosen;
                }
            }
        });
    });
}

void PuzzleTable::StartGame()
{
    trapped("frmPuzzle", "StartGame", [&](Steps& step) {
        // The idle animation stops first: the shuffle sound lets timers run
        // while it plays, and no joker mark may be left on the new board.
        stopIdleAnimation();
        step([&] { ResetGame(); });
        step([&] {
            if (GameIdle)
                Shuffle();
            GameIdle = False;
        });
        step([&] {
            imgStack.face = Face::Back;
            imgStack.enabled = true;
            imgStack.visible = true;
            if (listener_)
                listener_->stackChanged();
        });
        step([&] {
            PicBut[ButtonStart].enabled = false;
            PicBut[ButtonBack].enabled = false;
            PicBut[ButtonChampions].enabled = false;
            notifyControls();
        });
        step([&] {
            if (shared().Flip == 1) {
                Verzoegerung(0.2);
                imgStack_Click();
            }
        });
    });
}

// ------------------------------------------------------------ drawing and placing

void PuzzleTable::imgStack_Click()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "imgStack_Click", [&](Steps& step) {
        step.leaveSilentlyOn(32006);
        bool empty = false;
        step([&] {
            empty = lstNum.isEmpty();
            if (empty) {
                imgStack.visible = false;
                GameIdle = True;
                if (listener_)
                    listener_->stackChanged();
            }
        });
        if (empty)
            return;
        step([&] { play(117, 0); });
        qint16 k = 0;
        step([&] {
            k = zz(0, qint16(lstNum.size() - 1));
            CurrentPiece = textToInteger(lstNum.at(k));
        });
        step([&] {
            imgStack.face = Face::Piece;
            imgStack.piece = CurrentPiece;
            imgStack.enabled = false;
            if (listener_)
                listener_->stackChanged();
        });
        step([&] { lstNum.removeAt(k); });
        step([&] { PicBut[ButtonHint].enabled = s.Tipp != 0; });
        step([&] {
            shared().TurnStart = GetTickCount();
            setTimeBar(1);
            if (s.Time != 0)
                timer1_.start();
        });
        step([&] {
            if (CurrentPiece < 0 || CurrentPiece > 500 || JokerPiece[std::size_t(CurrentPiece)] != 1 || s.Joker != 1)
                return;
            const qint16 joker = CurrentPiece;
            cellAt(imgPuzz, joker).enabled = false;
            PicBut[ButtonHint].enabled = false;
            timer1_.stop();
            notifyCell(joker);
            notifyControls();
            handleEvents();
            play(107, 1);
            for (int blink = 0; blink < 3; ++blink) {
                play(111, 0);
                cellAt(imgPuzz, joker).face = Face::Empty;
                notifyCell(joker);
                Verzoegerung(0.2);
                play(111, 0);
                cellAt(imgPuzz, joker).face = Face::Joker;
                notifyCell(joker);
                Verzoegerung(0.2);
            }
            // Clicks go on during the blinking: lay the joker only if it is still in hand.
            if (!GameIdle && CurrentPiece == joker)
                imgPuzz_Click(joker);
        });
        step([&] {
            if (lstNum.isEmpty()) {
                PicBut[ButtonHint].enabled = false;
                notifyControls();
            }
        });
    });
    notifyControls();
}

void PuzzleTable::imgPuzz_Click(qint16 Index)
{
    SharedState& s = shared();
    trapped("frmPuzzle", "imgPuzz_click", [&](Steps& step) {
        if (GameIdle || CurrentPiece == -1)
            return;
        step([&] { play(110, 0); });
        if (CurrentPiece == Index) {
            step([&] {
                ImageState& cell = cellAt(imgPuzz, Index);
                cell.face = Face::Piece;
                cell.piece = Index;
                cell.tag = QStringLiteral("1");
                notifyCell(Index);
            });
            step([&] {
                imgStack.visible = false;
                if (listener_)
                    listener_->stackChanged();
                handleEvents();
                cellAt(imgPuzz, Index).enabled = false;
                notifyCell(Index);
                timer1_.stop();
            });
            step([&] {
                if (s.PlaySound == 1) {
                    const qint16 r = zz(1, 20);
                    if (r >= 1 && r <= 5)
                        play(qint16(111 + r), 1);
                }
            });
            qint16 Points = 0;
            step([&] {
                Points = 200;
                for (int i = 0; i <= WrongTries; ++i)
                    Points = qint16(Points / 2);
            });
            step([&] { Points = addInteger(Points, qint16(2 * lstNum.size())); });
            step([&] {
                if (s.Time == 1) {
                    const double W = metrics.SW;
                    Points = toInteger(Points + (W - timeBarWidth) / W * 20);
                }
            });
            step([&] {
                if (CurrentPlayer < 0 || CurrentPlayer > 3)
                    raiseError(ErrSubscript);
                s.PlayerScore[std::size_t(CurrentPlayer)] = toLong(double(s.PlayerScore[std::size_t(CurrentPlayer)]) + Points);
            });
            step([&] { ShowNumber(s.PlayerScore[std::size_t(CurrentPlayer)], CurrentPlayer); });
            step([&] {
                if (s.numPlayers > 1)
                    SetPlayer();
            });
            step([&] { endOfTurn(); });
            return;
        }
        if (WrongTries < 2) {
            step([&] { WrongTries = qint16(WrongTries + 1); });
            step([&] {
                ImageState& cell = cellAt(imgPuzz, Index);
                cell.face = Face::Wrong;
                cell.enabled = false;
                notifyCell(Index);
            });
            step([&] { WrongCell[std::size_t(WrongTries)] = Index; });
            return;
        }
        // The third wrong click: the turn fails.
        step([&] {
            cellAt(imgPuzz, Index).face = Face::Wrong;
            notifyCell(Index);
            timer1_.stop();
            handleEvents();
        });
        step([&] {
            if (s.PlaySound == 1)
                play(zz(104, 106), 1);
        });
        step([&] {
            cellAt(imgPuzz, Index).face = Face::Wrong;
            notifyCell(Index);
            handleEvents();
            cellAt(imgPuzz, Index).face = Face::Empty;
            notifyCell(Index);
        });
        step([&] { putPieceBack(); });
    });
}

void PuzzleTable::endOfTurn()
{
    const SharedState& s = shared();
    clearWrongMarks();
    imgStack.face = Face::Back;
    imgStack.visible = true;
    imgStack.enabled = true;
    CurrentPiece = -1;
    setTimeBar(1);
    if (lstNum.isEmpty()) {
        GameIdle = True;
        imgStack.visible = false;
        play(101, 0);
        PicBut[ButtonStart].enabled = true;
        PicBut[ButtonBack].enabled = true;
        PicBut[ButtonChampions].enabled = true;
    }
    if (listener_)
        listener_->stackChanged();
    notifyControls();
    if (GameIdle) {
        endOfGame();
        return;
    }
    if (s.Flip == 1) {
        Verzoegerung(0.2);
        // The players may have abandoned the game during the wait.
        if (!GameIdle && CurrentPiece == -1)
            imgStack_Click();
    }
}

void PuzzleTable::clearWrongMarks()
{
    for (int k = 1; k <= WrongTries && k <= 2; ++k) {
        play(110, 0);
        ImageState& cell = cellAt(imgPuzz, WrongCell[std::size_t(k)]);
        cell.face = Face::Empty;
        cell.enabled = true;
        notifyCell(WrongCell[std::size_t(k)]);
    }
    WrongTries = 0;
}

void PuzzleTable::failTurn()
{
    play(zz(104, 106), 1);
    putPieceBack();
}

void PuzzleTable::putPieceBack()
{
    lstNum.append(QString::number(CurrentPiece));
    if (shared().numPlayers > 1)
        SetPlayer();
    endOfTurn();
}

// ------------------------------------------------------------ the clock and the end

void PuzzleTable::Timer1_Timer()
{
    trapped("frmPuzzle", "Timer1_Timer", [&](Steps& step) {
        step([&] {
            const quint32 elapsed = quint32(GetTickCount()) - quint32(shared().TurnStart);
            TurnElapsed = toLong(elapsed / 500.0);
        });
        const double W = metrics.SW;
        step([&] { setTimeBar(TurnElapsed / 20.1 * W); });
        step([&] { play(120, 0); });
        step([&] {
            if (timeBarWidth <= W || CurrentPiece == -1)
                return;
            play(121, 1);
            timer1_.stop();
            failTurn();
        });
    });
}

void PuzzleTable::endOfGame()
{
    SharedState& s = shared();
    if (s.numPlayers == 1) {
        s.HSScore = paddedNumber(s.PlayerScore[0], 5);
        s.HSCheck = True;
        if (services.champions)
            services.champions();
        s.HSCheck = False;
        s.PlayerScore[0] = 0;
        return;
    }
    CheckWinner();
}

void PuzzleTable::CheckWinner()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "CheckWinner", [&](Steps& step) {
        qint32 best = 0;
        qint16 winner = 0;
        bool draw = false;
        step([&] {
            for (qint16 i = 0; i < s.numPlayers && i < 4; ++i) {
                if (s.PlayerScore[std::size_t(i)] > best) {
                    best = s.PlayerScore[std::size_t(i)];
                    winner = i;
                }
            }
        });
        step([&] {
            for (qint16 i = 0; i < 4; ++i)
                draw = draw || (i != winner && s.PlayerScore[std::size_t(i)] == best);
        });
        step([&] {
            if (draw) {
                play(103, 0);
                dialogs().inform(langText(128), langText(138));
            } else {
                play(101, 0);
                QString text = langText(127);
                text.replace(QStringLiteral("Vodez"), s.PlayerName[std::size_t(winner)]);
                dialogs().inform(text, langText(125));
            }
        });
        step([&] {
            if (dialogs().askYesNo(langText(130), langText(129)))
                Form_Activate();
            else
                Form_Unload();
        });
    });
}

void PuzzleTable::EndGame()
{
    ignoringErrors([&](Steps& step) {
        step([&] {
            if (!GameIdle) {
                ResetGame();
                return;
            }
            if (dialogs().askYesNo(langText(124), QStringLiteral("Tessaron")))
                Shutdown();
        });
    });
}

// ------------------------------------------------------------ tool buttons

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
