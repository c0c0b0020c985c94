// The game on the table by its verbs alone: what the procedures rely on when
// a step runs again, is skipped, or meets a number that data brought in.

#include "table/GameTable.h"
#include "support/TestEnvironment.h"
#include "util/RunTimeError.h"

#include <QSignalSpy>

#include <functional>

using namespace tess;

namespace {

// The run-time error a verb raises: its number and what it names; 0 for none.
std::pair<int, QString> raised(const std::function<void()>& verb)
{
    try {
        verb();
    } catch (const RunTimeError& error) {
        return {error.number(), error.detail()};
    }
    return {0, {}};
}

} // namespace

class TestGameTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDrawnPieceLeavesTheStackAndAPieceBackGoesUnderIt()
    {
        GameTable table;
        table.fillStack(4);
        table.draw(1);
        QCOMPARE(table.pieceInHand(), 1);
        table.removeFromStack(1);
        QCOMPARE(table.stack(), (QList<int>{0, 2, 3}));
        table.putBack(4);
        QCOMPARE(table.stack(), (QList<int>{0, 2, 3, 1}));
        // A piece of a larger board (another screen's, a damaged file's) never goes back.
        table.setPieceInHand(7);
        table.putBack(4);
        QCOMPARE(table.stack().size(), 4);
    }

    void aPlaceBeyondTheStackRaisesNineAndTakesNothing()
    {
        GameTable table;
        table.fillStack(2);
        table.setPieceInHand(-1);
        QCOMPARE(raised([&] { table.draw(2); }), std::make_pair(int(ErrSubscript), QStringLiteral("lstNum(2)")));
        QCOMPARE(table.pieceInHand(), -1);
        QCOMPARE(raised([&] { table.removeFromStack(-1); }).first, int(ErrSubscript));
        QCOMPARE(table.stack().size(), 2);
    }

    void theTurnGoesRoundThePlayers()
    {
        GameTable table;
        QSignalSpy passed(&table, &GameTable::turnPassed);
        for (int turn = 0; turn < 4; ++turn)
            table.passTurn(3);
        QCOMPARE(table.currentPlayer(), 1);
        QCOMPARE(passed.size(), 4);
        QCOMPARE(passed.last().at(0).toInt(), 1);
        table.passTurn(1);
        QCOMPARE(table.currentPlayer(), 0);
    }

    void pointsGoToThePlayerWhoseTurnItIs()
    {
        GameTable table;
        QSignalSpy changed(&table, &GameTable::scoreChanged);
        table.setCurrentPlayer(2);
        table.addPoints(120);
        table.addPoints(25);
        QCOMPARE(table.scores(), (std::array<qint32, 4>{0, 0, 145, 0}));
        QCOMPARE(changed.last(), (QVariantList{2, 145}));
        // Beyond 32 bits raises 6 and the score stays; a fifth player raises 9.
        table.setScore(2, 2147483600);
        QCOMPARE(raised([&] { table.addPoints(100); }).first, int(ErrOverflow));
        QCOMPARE(table.score(2), 2147483600);
        table.setCurrentPlayer(4);
        QCOMPARE(raised([&] { table.addPoints(1); }), std::make_pair(int(ErrSubscript), QStringLiteral("PlayerScore(4)")));
        table.clearScores();
        QCOMPARE(table.scores(), (std::array<qint32, 4>{}));
    }

    void threeWrongTriesAtMostAreRemembered()
    {
        GameTable table;
        table.countWrongTry();
        table.markWrong(5);
        table.countWrongTry();
        table.markWrong(9);
        QCOMPARE(table.wrongCell(1), 5);
        QCOMPARE(table.wrongCell(2), 9);
        table.countWrongTry();
        table.countWrongTry(); // a step run again
        QCOMPARE(raised([&] { table.markWrong(3); }), std::make_pair(int(ErrSubscript), QStringLiteral("WrongCell(4)")));
        table.clearWrongTries();
        QCOMPARE(table.wrongTries(), 0);
    }

    void aJokerIsMadeOnceAndAFreshStackHasNone()
    {
        GameTable table;
        QVERIFY(table.makeJoker(3));
        QVERIFY(!table.makeJoker(3));
        QVERIFY(table.isJoker(3));
        table.fillStack(4);
        QVERIFY(!table.isJoker(3));
        QCOMPARE(raised([&] { table.makeJoker(501); }).first, int(ErrSubscript));
    }

    void theBoardAndTheGameSayWhatChanged()
    {
        GameTable table;
        QSignalSpy idle(&table, &GameTable::idleChanged);
        QSignalSpy cells(&table, &GameTable::cellChanged);
        QVERIFY(table.idle());
        table.start();
        table.lay(7);
        QVERIFY(!table.idle());
        QVERIFY(table.placed(7) && !table.placed(6) && !table.placed(300));
        QCOMPARE(idle.takeFirst(), QVariantList{false});
        QCOMPARE(cells.takeFirst(), QVariantList{7});
        table.finish();
        QCOMPARE(idle.takeFirst(), QVariantList{true});
        QCOMPARE(raised([&] { table.lay(300); }).first, int(ErrSubscript));
    }
};

TESSARON_TEST_MAIN(TestGameTable)
#include "test_game_table.moc"
