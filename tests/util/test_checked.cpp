// Indexes checked where they are used: an index outside raises 9 at that
// statement, and Retry, Ignore or leaving never touch memory outside.

#include "support/GameFixture.h"
#include "support/Errors.h"
#include "support/ScriptedReporter.h"
#include "util/Checked.h"
#include "util/Trap.h"

#include <QList>

#include <array>

using namespace tess;
using tess::test::GameFixture;

namespace {

// Guards on both sides of the array a step writes into.
struct Guarded {
    std::array<qint32, 4> before{};
    std::array<qint32, 4> items{};
    std::array<qint32, 4> after{};
};

QList<int> linesOf(const test::ScriptedReporter& reporter, const QString& procedure, int number)
{
    QList<int> lines;
    for (const test::Report& report : reporter.reports)
        if (report.procedure == procedure && report.number == number)
            lines << report.line;
    return lines;
}

} // namespace

class TestChecked : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anIndexOutsideRaises9AndIgnoreLeavesMemoryUntouched()
    {
        // Inside it gives the element; outside it raises 9, and Retry then
        // Ignore never write: the guards around stay 0, the next step runs.
        Guarded memory;
        at(memory.items, 3, "items") = 5;
        QCOMPARE(memory.items[3], 5);
        QList<QString> list{QStringLiteral("a")};
        QCOMPARE(test::errorOf([&] { list.removeAt(checkedIndex(list, 1, "list")); }), int(ErrSubscript));
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer::Retry, ErrorAnswer::Ignore};
        bool nextRan = false;
        trapped("Allgemein", "Sample", [&](Steps& step) {
            step(50010, [&] { at(memory.items, -1, "items") = 7; });
            step(50020, [&] { nextRan = true; });
        });
        QCOMPARE(linesOf(reporter, "Sample", ErrSubscript), (QList<int>{50010, 50010}));
        QVERIFY(nextRan);
        QCOMPARE(memory.before, (std::array<qint32, 4>{}));
        QCOMPARE(memory.after, (std::array<qint32, 4>{}));

        // Five players: the check in one step is ignored, and the loop of the
        // next raises 9 at the fifth label instead of writing past the four.
        {
            GameFixture game(2, 0);
            test::ScriptedReporter ignoring;
            ignoring.then = ErrorAnswer::Ignore;
            shared().playerCount = 5;
            game.t().arrangePlayerPanels();
            QCOMPARE(linesOf(ignoring, "SizePlayers", ErrSubscript), (QList<int>{50020, 50030}));
            for (std::size_t i = 0; i < 4; ++i)
                QVERIFY(game.t().playerLabels[i].visible && game.t().scoreBoxes[i].visible);
        }

        // A player outside the four on a right placement: each step that
        // takes that player's score raises 9; the scores stay as they were.
        {
            GameFixture game(2, 0);
            game.startWithStack({3, 5});
            const int piece = game.draw();
            test::ScriptedReporter ignoring;
            ignoring.then = ErrorAnswer::Ignore;
            game.t().game().setCurrentPlayer(4);
            game.t().placePiece(piece);
            QCOMPARE(linesOf(ignoring, "imgPuzz_click", ErrSubscript).size(), 2);
            QCOMPARE(game.t().game().scores(), (std::array<qint32, 4>{}));
        }
    }
};

TESSARON_TEST_MAIN(TestChecked)
#include "test_checked.moc"
