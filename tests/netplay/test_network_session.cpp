// Network play is part of the program: the game window makes its network
// game the first time one is asked for and keeps it; until a game is hosted
// or joined, the one-screen game is as it always was.

#include "support/GameFixture.h"
#include "netplay/NetworkPlay.h"
#include "window/PuzzleWindow.h"
#include "support/FreshState.h"

using namespace tess;

class TestNetworkSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
        shared().language = English;
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo"), QStringLiteral("Dan")};
    }

    void theWindowMakesItsNetworkGameOnceAndTheOneScreenGameGoesOn()
    {
        PuzzleWindow window;
        window.table().load();
        NetworkPlay* play = window.network();
        QVERIFY(play);
        QCOMPARE(play->role(), NetworkPlay::Role::None);
        QCOMPARE(window.network(), play);
        QVERIFY(!window.table().network());

        // The one-screen game goes on: Start deals a game.
        QVERIFY(window.table().gameIdle);
        window.table().startGame();
        QTRY_VERIFY_WITH_TIMEOUT(!window.table().gameIdle, 10000);
        QVERIFY(!window.table().remote());
        QVERIFY(!window.table().network());
    }

    void hostingPutsTheNetworkGameOnTheTableAndLeavingTakesItOff()
    {
        test::GameFixture game;
        NetworkPlay play(*game.table);
        QVERIFY2(play.host(0, QStringLiteral("123456")), qPrintable(play.lastProblem()));
        QVERIFY(game.table->network());
        QVERIFY(!game.table->remote());
        QVERIFY(game.table->network()->turnIsLocal());
        play.leave();
        QVERIFY(!game.table->network());
    }
};

TESSARON_TEST_MAIN(TestNetworkSession)
#include "test_network_session.moc"
