// The rules in a few lines a reader can check by hand.

#include "table/Rules.h"
#include "support/TestEnvironment.h"

#include <cmath>

using namespace tess;
using namespace tess::rules;

class TestRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aRightPlacementScores()
    {
        // wrong clicks before | pieces left | time bar of a 1000 wide window | points
        struct Row {
            int wrong;
            int left;
            double bar; // 0: time limit off
            int points;
        };
        const Row table[] = {
            {0, 0, 0, 100},     // the first try
            {1, 0, 0, 50},      // one wrong click halves it
            {2, 0, 0, 25},      // two: a third would put the piece back
            {0, 10, 0, 120},    // 2 for each piece still on the stack
            {0, 10, 1, 140},    // 100 + 20 + 19.98, rounded
            {0, 10, 500, 130},  // half the time gone: 10 of the 20
            {1, 3, 1000, 56},   // all the time gone: no time bonus
            {0, 0, 975, 100},   // 100.5 rounds to the even 100
            {0, 0, 925, 102},   // 101.5 rounds to the even 102
        };
        for (const Row& row : table) {
            double points = placementPoints(row.wrong) + stackBonus(row.left);
            if (row.bar > 0)
                points += timeBonus(row.bar, 1000);
            QCOMPARE(int(std::nearbyint(points)), row.points);
        }
    }

    void aGameBringsAtMostEveryPieceAtItsBest()
    {
        // 12 pieces: 120 each (the first try, the whole time bonus) and 2 x (11 + 10 + ... + 0).
        QCOMPARE(mostPoints(12), 12 * 120 + 2 * 66);
        QCOMPARE(mostPoints(12), 1572);
        QCOMPARE(mostPoints(192), 59712); // 12 x 16: five digits, as the champions list keeps them
    }

    void theTimeRunsOutAfterTenSeconds()
    {
        QCOMPARE(timeBarWidth(0, 1000), 0.0);
        QVERIFY(!timeIsUp(timeBarWidth(20, 1000), 1000)); // 10 s: the bar just short of the window
        QVERIFY(timeIsUp(timeBarWidth(21, 1000), 1000));  // 10.5 s: past it
    }

    void theMostPointsWinAndEqualBestsDraw()
    {
        Outcome o = outcome({120, 340, 90, 0}, 3);
        QCOMPARE(o.winner, 1);
        QCOMPARE(o.best, 340);
        QVERIFY(!o.draw);
        o = outcome({200, 150, 200, 0}, 3); // two with the best: a draw
        QVERIFY(o.draw);
        QCOMPARE(o.winner, 0);
        o = outcome({0, 0, 0, 0}, 2); // nobody scored
        QVERIFY(o.draw);
        o = outcome({50, 0, 0, 0}, 1); // alone at the table
        QVERIFY(!o.draw);
        QCOMPARE(o.best, 50);
    }
};

TESSARON_TEST_MAIN(TestRules)
#include "test_rules.moc"
