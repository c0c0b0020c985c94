// The end of a game: the champions for one player, the winner for several,
// and the end button.

#include "game/PuzzleTable.h"
#include "table/Rules.h"

#include "game/TableHelpers.h"
#include "language/Language.h"
#include "settings/SharedState.h"
#include "sound/Sounds.h"
#include "util/Checked.h"
#include "util/Dialogs.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Shutdown.h"
#include "util/Text.h"
#include "util/Trap.h"

namespace tess {

using namespace table;

void PuzzleTable::finishGame()
{
    gameIdle = true;
    stackCell.visible = false;
    play(101, false);
    toolButton(ToolButton::Start).enabled = true;
    toolButton(ToolButton::BackSide).enabled = true;
    toolButton(ToolButton::Champions).enabled = true;
    notify(&TableListener::stackChanged);
    notifyControls();
    showResult();
}

void PuzzleTable::showResult()
{
    SharedState& s = shared();
    if (s.playerCount == 1) {
        // The champions list keeps five digits: more would shift the name.
        if (s.scores[0] < 0 || s.scores[0] > 99999)
            raiseError(ErrOverflow, QStringLiteral("HSScore %1").arg(s.scores[0]));
        s.championScore = paddedNumber(s.scores[0], 5);
        s.newResultPending = true;
        if (services.champions)
            services.champions();
        s.newResultPending = false;
        s.scores[0] = 0;
        return;
    }
    announceWinner();
}

void PuzzleTable::announceWinner()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "CheckWinner", [&](Steps& step) {
        rules::Outcome result;
        step([&] { result = rules::outcome(s.scores, s.playerCount); });
        step([&] {
            if (result.draw) {
                play(103, false);
                if (network_)
                    network_->notice(128, {});
                dialogs().inform(langText(128), langText(138));
            } else {
                play(101, false);
                QString text = langText(127);
                const QString winner = at(s.names, result.winner, "PlayerName");
                if (network_)
                    network_->notice(127, {winner});
                text.replace(QStringLiteral("Vodez"), isolated(winner));
                dialogs().inform(text, langText(125));
            }
        });
        step([&] {
            if (dialogs().askYesNo(langText(130), langText(129)))
                greetOnActivation();
            else
                endProgram();
        });
    });
}

void PuzzleTable::abandonGameOrQuit()
{
    ignoringErrors([&](Steps& step) {
        step([&] {
            // A joining computer's game is the host's to end: only quitting is left.
            if (!gameIdle && !remote()) {
                resetGame();
                return;
            }
            if (dialogs().askYesNo(langText(124), QStringLiteral("Tessaron")))
                quitProgram();
        });
    });
}

} // namespace tess
