#pragma once
// A table ready to play on, without a screen: sounds are only listened to,
// message boxes answered from a script, waits run fast and the move clock is
// set by hand.

#include "game/PuzzleTable.h"
#include "language/Language.h"
#include "settings/SharedState.h"
#include "support/RecordingEffects.h"
#include "support/ScriptedDialogs.h"
#include "support/TestServices.h"
#include "support/TestEnvironment.h"
#include "util/ProgramEnd.h"
#include "util/TickCount.h"
#include "util/Wait.h"

#include <memory>

namespace tess::test {

struct GameFixture {
    RecordingEffects effects;
    ScriptedDialogs dialogs;
    TestServices services;
    std::unique_ptr<PuzzleTable> table;
    qint32 now = 100000;
    bool ended = false;

    // A table of `rows` x `cols` for `players`, laid out on a window 1000 wide.
    explicit GameFixture(int players = 2, int sizeIndex = 1)
    {
        clearFolders();
        shared() = SharedState{};
        writeLanguageTable();
        setWaitScale(0.01);
        setTickSource([this] { return now; });
        setProgramEnder([this] { ended = true; });
        table = std::make_unique<PuzzleTable>();
        table->setServices(&services);
        table->load();
        shared().playMusic = false;
        shared().playerCount = players;
        shared().sizeIndex = sizeIndex;
        shared().boardRows = shared().boardSizes[std::size_t(sizeIndex)].rows;
        shared().boardCols = shared().boardSizes[std::size_t(sizeIndex)].cols;
        table->layOutOnce(1000, 750);
        effects.played.clear();
    }
    ~GameFixture()
    {
        setWaitScale(1);
        setTickSource({});
        setProgramEnder({});
    }

    PuzzleTable& t() { return *table; }
    int pieces() const { return shared().boardRows * shared().boardCols; }

    // Starts a game and leaves only the given pieces on the stack.
    void startWithStack(const QList<int>& stack)
    {
        t().startGame();
        t().game().setStack(stack);
        t().game().clearJokers();
        effects.played.clear();
    }

    // Draws and returns the piece in hand.
    int draw()
    {
        t().drawPiece();
        return t().pieceInHand();
    }

    // A cell other than `piece` that is still empty and enabled.
    int wrongCellFor(int piece, int skip = 0) const
    {
        for (int n = 0; n < pieces(); ++n) {
            const ImageState& cell = table->boardCells[std::size_t(n)];
            if (n != piece && cell.enabled && cell.face == Face::Empty && skip-- == 0)
                return n;
        }
        return -1;
    }
};

} // namespace tess::test
