// The end of a game: the champions for one player, the winner for several,
// and the end button.

#include "game/GameEnd.h"

#include "game/PuzzleTable.h"
#include "table/Rules.h"

#include "game/TableHelpers.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "settings/SharedState.h"
#include "util/Checked.h"
#include "util/Dialogs.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Shutdown.h"
#include "util/Text.h"
#include "util/Trap.h"

namespace tess {

using namespace table;

void GameEnd::finishGame()
{
    game_.finish();
    table_.stackCell.visible = false;
    table_.play(SoundEffect::GameWon, false);
    table_.toolButton(ToolButton::Start).enabled = true;
    table_.toolButton(ToolButton::BackSide).enabled = true;
    table_.toolButton(ToolButton::Champions).enabled = true;
    table_.notify(&TableListener::stackChanged);
    table_.notifyControls();
    showResult();
}

void GameEnd::showResult()
{
    SharedState& s = shared();
    if (s.playerCount == 1) {
        // The champions list keeps five digits: more would shift the name.
        const qint32 score = game_.score(0);
        if (score < 0 || score > 99999)
            raiseError(ErrOverflow, QStringLiteral("HSScore %1").arg(score));
        s.championScore = paddedNumber(score, 5);
        s.newResultPending = true;
        table_.services().showChampions();
        s.newResultPending = false;
        game_.setScore(0, 0);
        return;
    }
    announceWinner();
}

void GameEnd::announceWinner()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "CheckWinner", [&](Steps& step) {
        rules::Outcome result;
        step(50010, [&] { result = rules::outcome(game_.scores(), s.playerCount); });
        // The turn passed after the last piece: the marker shows the winner
        // instead, nobody on a draw, while the boxes say so.
        step(50015, [&] {
            for (int i = 0; i < s.playerCount; ++i)
                at(table_.playerLabels, i, "lblPlayer").active = !result.draw && i == result.winner;
            table_.notifyControls();
        });
        step(50020, [&] {
            if (result.draw) {
                table_.play(SoundEffect::Draw, false);
                if (table_.network_)
                    table_.network_->notice(text::ItsADraw, {});
                dialogs().inform(langText(text::ItsADraw), langText(text::DrawTitle));
            } else {
                table_.play(SoundEffect::GameWon, false);
                QString message = langText(text::PlayerHasWon);
                const QString winner = at(s.names, result.winner, "PlayerName");
                if (table_.network_)
                    table_.network_->notice(text::PlayerHasWon, {winner});
                message.replace(QStringLiteral("Vodez"), isolated(winner));
                dialogs().inform(message, langText(text::Congratulations));
            }
        });
        step(50030, [&] {
            if (dialogs().askYesNo(langText(text::OneMoreRound), langText(text::GameOver)))
                table_.greetOnActivation();
            else
                table_.endProgram();
        });
    });
}

void GameEnd::abandonGameOrQuit()
{
    ignoringErrors([&](Steps& step) {
        step(50010, [&] {
            // A joining computer's game is the host's to end: only quitting is left.
            if (!game_.idle() && !table_.remote()) {
                table_.resetGame();
                return;
            }
            if (dialogs().askYesNo(langText(text::ReallyStop), QStringLiteral("Tessaron")))
                quitProgram();
        });
    });
}

} // namespace tess
