// Whole games on the table without a screen: starting, drawing and placing,
// scoring, jokers, hints, the move clock, the winner and the tool buttons.

#include "support/GameFixture.h"
#include "support/PieceCheck.h"
#include "window/PuzzleWindow.h"
#include "controls/ImageControl.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "table/Rules.h"
#include "language/Languages.h"
#include "language/TextNumbers.h"

#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QRandomGenerator>
#include <QToolButton>

using namespace tess;
using tess::test::GameFixture;

namespace {

// How many of the pieces 0 .. pieces - 1 are jokers.
long jokersAmong(const PuzzleTable& table, int pieces)
{
    long jokers = 0;
    for (int piece = 0; piece < pieces; ++piece)
        jokers += table.game().isJoker(piece);
    return jokers;
}

bool waited(const tess::test::RecordingEffects& effects, qint16 number)
{
    for (const auto& [played, wait] : effects.played)
        if (played == number)
            return wait;
    return false;
}

int countIn(const tess::test::RecordingEffects& effects, qint16 low, qint16 high)
{
    int n = 0;
    for (const auto& entry : effects.played)
        n += entry.first >= low && entry.first <= high;
    return n;
}

QString checkPieces(GameFixture& game)
{
    return tess::test::checkPieces(game.t(), game.pieces());
}

} // namespace

class TestGame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startingFillsTheStackAndOpensTheFirstTurn()
    {
        GameFixture game(2);
        game.t().startGame();
        PuzzleTable& t = game.t();
        QCOMPARE(t.faceDownPieces().size(), 20);
        QCOMPARE(t.faceDownPieces().first(), 0);
        QCOMPARE(t.faceDownPieces().last(), 19);
        QCOMPARE(t.gameIdle, false);
        QCOMPARE(t.pieceInHand(), -1);
        QVERIFY(t.stackCell.visible && t.stackCell.enabled);
        QCOMPARE(t.stackCell.face, Face::Back);
        QVERIFY(!t.toolButton(ToolButton::Start).enabled && !t.toolButton(ToolButton::BackSide).enabled && !t.toolButton(ToolButton::Champions).enabled);
        QVERIFY(!t.toolButton(ToolButton::Hint).enabled);
        for (int n = 0; n < 20; ++n) {
            QCOMPARE(t.boardCells[std::size_t(n)].face, Face::Empty);
            QVERIFY(t.boardCells[std::size_t(n)].enabled);
        }
        QVERIFY(waited(game.effects, 108)); // the shuffle is heard to its end
        QVERIFY(!t.idleTimer().isActive());
    }

    void noIdleMarkIsLeftWhenAGameStarts()
    {
        GameFixture game(2);
        setWaitScale(1);
        game.effects.soundSeconds = 0.7; // the shuffle sound, while the idle animation would tick on
        game.t().greetOnActivation();
        waitSeconds(0.35);
        QVERIFY(game.t().idleMarkedCell() >= 0);
        game.t().startGame();
        for (int n = 0; n < game.pieces(); ++n)
            QCOMPARE(game.t().boardCells[std::size_t(n)].face, Face::Empty);
        QVERIFY(!game.t().idleTimer().isActive());
    }

    void jokersAreAboutOneInTen()
    {
        {
            GameFixture game(2, 0); // 3 x 4: exactly one joker
            game.t().startGame();
            QCOMPARE(jokersAmong(game.t(), 12), 1L);
        }
        {
            GameFixture game(2, 9); // 12 x 16: up to 19
            game.t().startGame();
            const long jokers = jokersAmong(game.t(), 192);
            QVERIFY(jokers >= 1 && jokers <= 19);
            QCOMPARE(game.t().faceDownPieces().size(), 192);
        }
    }

    void everyResetMovesTheFirstPlayerOn()
    {
        GameFixture game(4);
        const int before = game.t().currentPlayer;
        game.t().startGame();
        QCOMPARE(game.t().currentPlayer, (before + 1) % 4);
        game.t().startGame();
        QCOMPARE(game.t().currentPlayer, (before + 2) % 4);
        GameFixture alone(1);
        alone.t().startGame();
        QCOMPARE(alone.t().currentPlayer, 0);
    }

    void aRightFirstTryWithTenLeftScores140()
    {
        GameFixture game(2);
        game.startWithStack({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        const int player = game.t().currentPlayer;
        const int piece = game.draw();
        QCOMPARE(game.t().faceDownPieces().size(), 10);
        QCOMPARE(game.t().timeBarWidth, 1.0);
        // A piece in hand: shown on the stack, which no longer takes clicks; the clock runs; hints allowed.
        QCOMPARE(game.t().stackCell.face, Face::Piece);
        QCOMPARE(game.t().stackCell.piece, piece);
        QVERIFY(!game.t().stackCell.enabled);
        QVERIFY(game.t().moveClock().isActive());
        QVERIFY(game.t().toolButton(ToolButton::Hint).enabled);
        game.t().placePiece(piece);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 140); // 100 + 20 + 19.98
        QCOMPARE(game.t().scoreBoxes[std::size_t(player)].digits, QStringLiteral("000140"));
        QVERIFY(game.t().game().placed(piece));
        QVERIFY(!game.t().boardCells[std::size_t(piece)].enabled);
        QCOMPARE(game.t().currentPlayer, (player + 1) % 2);
        QCOMPARE(game.t().pieceInHand(), -1);
        // Waiting for the next draw: the stack face down and enabled, the clock stopped at width 1.
        QVERIFY(game.t().stackCell.visible && game.t().stackCell.enabled);
        QCOMPARE(game.t().stackCell.face, Face::Back);
        QVERIFY(!game.t().moveClock().isActive());
        QCOMPARE(game.t().timeBar.width(), 1);
        QVERIFY(!game.t().toolButton(ToolButton::Start).enabled && !game.t().toolButton(ToolButton::BackSide).enabled && !game.t().toolButton(ToolButton::Champions).enabled);
        QVERIFY(waited(game.effects, 125));
        QCOMPARE(game.effects.played.first().first, 117);
    }

    void twoWrongClicksThenRightScores25()
    {
        GameFixture game(1);
        shared().timeLimit = false;
        QString result;
        game.services.champions = [&] { result = shared().championScore; QVERIFY(shared().newResultPending); };
        game.startWithStack({7});
        const int piece = game.draw();
        QVERIFY(game.t().toolButton(ToolButton::Hint).enabled == false); // the last piece: no hint
        game.t().placePiece(game.wrongCellFor(piece));
        game.t().placePiece(game.wrongCellFor(piece));
        QCOMPARE(game.t().game().wrongTries(), 2);
        game.t().placePiece(piece);
        // The game is over: the one-player result went to the champions and was cleared.
        QCOMPARE(result, QStringLiteral("00025"));
        QVERIFY(!shared().newResultPending);
        QCOMPARE(game.t().game().scores()[0], 0);
        QCOMPARE(game.t().scoreBoxes[0].digits, QStringLiteral("000025"));
        QCOMPARE(game.t().gameIdle, true);
        QVERIFY(!game.t().stackCell.visible);
        QVERIFY(game.t().toolButton(ToolButton::Start).enabled && game.t().toolButton(ToolButton::BackSide).enabled && game.t().toolButton(ToolButton::Champions).enabled);
        QCOMPARE(game.effects.count(101), 1);
        QCOMPARE(game.effects.count(110), 3 + 2); // three clicks, two marks cleared
    }

    void theTimeBonusFallsWithTheClock()
    {
        GameFixture game(2);
        game.startWithStack({3});
        const int player = game.t().currentPlayer;
        const int piece = game.draw();
        game.now += 5000; // ten half-seconds
        game.t().advanceMoveClock();
        QCOMPARE(game.t().game().turnHalfSeconds(), 10);
        QVERIFY(qAbs(game.t().timeBarWidth - 10 / 20.1 * 1000) < 1e-9);
        QCOMPARE(game.t().timeBar.width(), 498);
        QVERIFY(waited(game.effects, 120) == false && game.effects.count(120) == 1);
        game.t().placePiece(piece);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 110); // 100 + 10.05 rounded
    }

    void withoutTheTimeLimitThereIsNoClockAndNoBonus()
    {
        GameFixture game(2);
        shared().timeLimit = false;
        game.startWithStack({3, 4});
        const int player = game.t().currentPlayer;
        const int piece = game.draw();
        QVERIFY(!game.t().moveClock().isActive());
        game.t().placePiece(piece);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 102);
    }

    void aThirdWrongClickSendsThePieceBack()
    {
        GameFixture game(4);
        game.startWithStack({5, 6, 7});
        const int player = game.t().currentPlayer;
        const int piece = game.draw();
        QCOMPARE(game.t().faceDownPieces().size(), 2);
        const int first = game.wrongCellFor(piece);
        game.t().placePiece(first);
        const int second = game.wrongCellFor(piece);
        game.t().placePiece(second);
        QCOMPARE(game.t().boardCells[std::size_t(first)].face, Face::Wrong);
        QVERIFY(!game.t().boardCells[std::size_t(first)].enabled);
        const int third = game.wrongCellFor(piece);
        game.t().placePiece(third);
        QCOMPARE(game.t().faceDownPieces().size(), 3);
        QCOMPARE(game.t().faceDownPieces().last(), piece); // put back at the end
        for (int cell : {first, second, third}) {
            QCOMPARE(game.t().boardCells[std::size_t(cell)].face, Face::Empty);
            QVERIFY(game.t().boardCells[std::size_t(cell)].enabled);
        }
        QCOMPARE(game.t().currentPlayer, (player + 1) % 4);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 0);
        QCOMPARE(countIn(game.effects, 104, 106), 1);
        QCOMPARE(game.t().game().wrongTries(), 0);
    }

    void timeRunsOutAfterTwentyOneTicks()
    {
        GameFixture game(2);
        game.startWithStack({1, 2, 3, 4});
        const int player = game.t().currentPlayer;
        const int piece = game.draw();
        const int marked = game.wrongCellFor(piece);
        game.t().placePiece(marked);
        std::vector<Face> before;
        for (const ImageState& cell : game.t().boardCells)
            before.push_back(cell.face);
        game.now += 10000; // 20 half-seconds: still in time
        game.t().advanceMoveClock();
        QCOMPARE(game.t().pieceInHand(), piece);
        game.now += 500;
        game.t().advanceMoveClock();
        QCOMPARE(game.t().pieceInHand(), -1);
        QVERIFY(waited(game.effects, 121));
        QCOMPARE(countIn(game.effects, 104, 106), 1);
        QCOMPARE(game.t().faceDownPieces().size(), 4); // the piece is back
        QCOMPARE(game.t().boardCells[std::size_t(marked)].face, Face::Empty);
        for (int n = 0; n < game.pieces(); ++n)
            if (n != marked)
                QCOMPARE(game.t().boardCells[std::size_t(n)].face, before[std::size_t(n)]);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 0);
        QCOMPARE(game.t().currentPlayer, (player + 1) % 2);
        QVERIFY(!game.t().moveClock().isActive());
        QCOMPARE(game.t().timeBar.width(), 1);
    }

    void aJokerLaysItself()
    {
        GameFixture game(2);
        game.startWithStack({4, 5});
        game.t().game().setJoker(4, true);
        game.t().game().setJoker(5, true);
        const int player = game.t().currentPlayer;
        game.draw();
        const int piece = game.t().faceDownPieces().contains(4) ? 5 : 4;
        QCOMPARE(game.t().pieceInHand(), -1); // laid already
        QCOMPARE(game.t().boardCells[std::size_t(piece)].face, Face::Piece);
        QVERIFY(game.t().game().placed(piece));
        QVERIFY(waited(game.effects, 107));
        QCOMPARE(game.effects.count(111), 6);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 100 + 2 + 20); // scored like a right first try
    }

    void withJokersOffAJokerIsAnOrdinaryPiece()
    {
        GameFixture game(2);
        shared().useJokers = false;
        game.startWithStack({4, 5});
        game.t().game().setJoker(4, true);
        game.t().game().setJoker(5, true);
        const int piece = game.draw();
        QCOMPARE(game.t().pieceInHand(), piece);
        QCOMPARE(game.effects.count(107), 0);
        QVERIFY(game.t().toolButton(ToolButton::Hint).enabled);
    }

    void theHintLaysThePieceForNothing()
    {
        GameFixture game(2);
        game.startWithStack({1, 2, 3});
        const int player = game.t().currentPlayer;
        const int piece = game.draw();
        QVERIFY(game.t().toolButton(ToolButton::Hint).enabled);
        const int marked = game.wrongCellFor(piece);
        game.t().placePiece(marked);
        game.t().runToolButton(ToolButton::Hint);
        QCOMPARE(game.t().boardCells[std::size_t(piece)].face, Face::Piece);
        QVERIFY(game.t().game().placed(piece));
        QCOMPARE(game.t().boardCells[std::size_t(marked)].face, Face::Empty);
        QVERIFY(game.t().boardCells[std::size_t(marked)].enabled);
        QCOMPARE(game.t().game().scores()[std::size_t(player)], 0);
        QCOMPARE(game.t().currentPlayer, player); // the same player draws again
        QCOMPARE(game.t().stackCell.face, Face::Back);
        QVERIFY(game.t().stackCell.enabled);
        QVERIFY(!game.t().toolButton(ToolButton::Hint).enabled);
        QVERIFY(!game.t().moveClock().isActive());
        // Pressed again with nothing in hand, it only clicks.
        game.effects.played.clear();
        game.t().runToolButton(ToolButton::Hint);
        QCOMPARE(game.effects.played, (QList<QPair<int, bool>>{{102, false}}));
    }

    void withAutomaticDrawTheNextPieceTurnsOver()
    {
        GameFixture game(2);
        shared().autoDraw = true;
        shared().useJokers = false; // the start draws from the full stack, where a joker would lay itself
        game.startWithStack({});
        QVERIFY(game.t().pieceInHand() >= 0); // the start drew the first piece
        const int piece = game.t().pieceInHand();
        for (int other : {10, 11, 12, 13})
            if (other != piece && game.t().faceDownPieces().size() < 3)
                game.t().game().addToStack(other);
        game.t().placePiece(piece);
        QVERIFY(game.t().pieceInHand() >= 0 && game.t().pieceInHand() != piece);
        QCOMPARE(game.t().faceDownPieces().size(), 2);
        game.t().runToolButton(ToolButton::Hint); // and after a hint too
        QVERIFY(game.t().pieceInHand() >= 0);
        QCOMPARE(game.t().faceDownPieces().size(), 1);
    }

    void turnsGoRoundThePlayers()
    {
        for (int players : {1, 2, 4}) {
            GameFixture game(players);
            game.startWithStack({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
            QList<int> order;
            for (int turn = 0; turn < 5; ++turn) {
                order << game.t().currentPlayer;
                game.t().placePiece(game.draw());
            }
            for (int turn = 1; turn < 5; ++turn)
                QCOMPARE(order[turn], (order[turn - 1] + 1) % players);
        }
    }

    void clicksThatMeanNothingDoNothing()
    {
        GameFixture game(2);
        game.t().placePiece(3); // idle
        QVERIFY(game.effects.played.isEmpty());
        game.startWithStack({1, 2});
        game.t().placePiece(3); // waiting for a draw
        QVERIFY(game.effects.played.isEmpty());
        QCOMPARE(game.t().boardCells[3].face, Face::Empty);
    }

    void theWinnerIsNamedOrADrawDeclared_data()
    {
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::newRow("two equal") << QList<int>{300, 300} << "Unentschieden!" << "";
        QTest::newRow("tie for the lead") << QList<int>{500, 700, 700} << "Unentschieden!" << "";
        // The name keeps its own direction inside the sentence (isolated).
        QTest::newRow("player 1 wins") << QList<int>{700, 500, 600} << "\u2068Reridu\u2069 hat gewonnen!" << "Glückwunsch!";
        QTest::newRow("above 16 bits") << QList<int>{40000, 39999} << "\u2068Reridu\u2069 hat gewonnen!" << "Glückwunsch!";
    }
    void theWinnerIsNamedOrADrawDeclared()
    {
        QFETCH(QList<int>, scores);
        QFETCH(QString, message);
        QFETCH(QString, title);
        GameFixture game(int(scores.size()));
        for (int i = 0; i < scores.size(); ++i)
            game.t().game().setScore(i, scores[i]);
        game.dialogs.answers = {true};
        game.t().announceWinner();
        QCOMPARE(game.dialogs.informed, QStringList{message});
        QCOMPARE(game.dialogs.titles.first(), title);
        QCOMPARE(game.dialogs.asked, QStringList{"Noch 'ne Runde?"});
        QCOMPARE(game.dialogs.titles.last(), QStringLiteral("Spielende!"));
        QCOMPARE(game.effects.count(message.startsWith("Un") ? 103 : 101), 1);
        QCOMPARE(game.effects.count(102), 1); // Yes: the window is activated again
        QVERIFY(!game.ended);
    }

    // The player who lays the last piece wins, or draws with the others:
    // the turn passes after that piece, yet the marker shows the result.
    void theMarkerShowsTheWinnerOrNobodyWhenTheGameEnds_data()
    {
        QTest::addColumn<bool>("draw");
        QTest::addColumn<bool>("anotherRound");
        QTest::newRow("a win, no more rounds") << false << false;
        QTest::newRow("a win, another round") << false << true;
        QTest::newRow("a draw") << true << false;
    }
    void theMarkerShowsTheWinnerOrNobodyWhenTheGameEnds()
    {
        QFETCH(bool, draw);
        QFETCH(bool, anotherRound);
        GameFixture game(3);
        shared().timeLimit = false;
        game.startWithStack({4});
        const int last = game.t().currentPlayer;
        const int points = rules::placementPoints(0) + rules::stackBonus(0);
        for (int i = 0; i < 3; ++i)
            game.t().game().setScore(i, draw ? (i == last ? 500 : 500 + points) : (i == last ? 900 : 100));
        auto marked = [&] {
            QList<int> players;
            for (int i = 0; i < 4; ++i)
                if (game.t().playerLabels[std::size_t(i)].active)
                    players << i;
            return players;
        };
        const QList<int> result = draw ? QList<int>{} : QList<int>{last};
        QList<int> whileShown{-1};
        game.dialogs.whileInforming = [&] { whileShown = marked(); };
        game.dialogs.answers = {anotherRound};
        game.t().placePiece(game.draw());
        QCOMPARE(game.dialogs.informed.size(), 1);
        QCOMPARE(whileShown, result);
        if (anotherRound)
            QCOMPARE(marked(), QList<int>{game.t().currentPlayer}); // the next round's turn, once
        else
            QCOMPARE(marked(), result);
    }

    // Qt's own box, as the game shows it: the title bar must not cut the title.
    void everyMessageBoxIsAsWideAsItsTitleInEveryLanguage()
    {
        GameFixture game(2);
        setDialogs(nullptr);
        const auto scripted = qScopeGuard([&] { setDialogs(&game.dialogs); });
        const QList<qint16> titles{text::Congratulations, text::GameOver, text::DrawTitle, text::SavedGameTitle,
                                   text::ClearChampionsTitle, text::NetworkGameTitle};
        for (const LanguageInfo& language : Languages) {
            shared().language = language.base;
            for (const qint16 number : titles) {
                const QString title = langText(number);
                int width = -1;
                int least = 0;
                QTimer poll; // closes the box once it is up
                poll.setInterval(10);
                connect(&poll, &QTimer::timeout, [&] {
                    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                    if (!box || !box->isVisible())
                        return;
                    QFont bold = box->font();
                    bold.setBold(true);
                    // The title in bold, and an icon and three buttons of the text's height.
                    least = QFontMetrics(bold).horizontalAdvance(title) + 4 * QFontMetrics(bold).height();
                    width = box->width();
                    box->done(0);
                });
                poll.start();
                dialogs().inform(QStringLiteral("OK"), title);
                QVERIFY2(width >= least, qPrintable(QStringLiteral("%1: %2 < %3").arg(title).arg(width).arg(least)));
            }
        }
    }

    void theWinnersNameReplacesThePlaceholderInEveryLanguage()
    {
        GameFixture game(2);
        shared().names[1] = QStringLiteral("Oma");
        game.t().game().setScore(0, 10);
        game.t().game().setScore(1, 20);
        shared().language = 2000;
        game.dialogs.answers = {true};
        game.t().announceWinner();
        QCOMPARE(game.dialogs.informed.first(), QStringLiteral("¡\u2068Oma\u2069 ha ganado!"));
    }

    void noMoreRoundsEndsTheProgram()
    {
        GameFixture game(2);
        game.t().game().setScore(0, 10);
        game.t().game().setScore(1, 20);
        game.dialogs.answers = {false};
        game.t().announceWinner();
        QVERIFY(game.ended);
    }

    void theEndButtonAbandonsAGameOrAsksToQuit()
    {
        GameFixture game(2);
        game.startWithStack({1, 2, 3});
        game.draw();
        game.t().game().setScore(0, 50);
        game.t().runToolButton(ToolButton::End);
        QCOMPARE(game.t().gameIdle, true);
        QCOMPARE(game.t().game().scores()[0], 0);
        QVERIFY(game.dialogs.asked.isEmpty()); // no question while a game runs
        QVERIFY(!game.t().stackCell.visible);

        game.dialogs.answers = {false};
        game.t().runToolButton(ToolButton::End);
        QCOMPARE(game.dialogs.asked, QStringList{"Wirklich schon aufhören?"});
        QCOMPARE(game.dialogs.titles.last(), QStringLiteral("Tessaron"));
        QCOMPARE(game.t().gameIdle, true);
    }

    void optionsAbandonARunningGameFirst()
    {
        GameFixture game(2);
        bool opened = false;
        game.services.options = [&] {
            opened = true;
            QCOMPARE(game.t().gameIdle, true);
        };
        game.startWithStack({1, 2});
        game.t().runToolButton(ToolButton::Options);
        QVERIFY(opened);
        QVERIFY(game.dialogs.asked.isEmpty());
    }

    void aNewPictureResetsAndReloads()
    {
        GameFixture game(2);
        game.services.pictureChoice = [] { shared().pictureNumber = 104; };
        game.startWithStack({1, 2});
        game.t().runToolButton(ToolButton::Picture);
        QCOMPARE(game.t().gameIdle, true);
        QCOMPARE(game.t().pieceCutter.picture(), carriedPicture(204));
    }

    void theFlagsSwitchTheLanguage()
    {
        GameFixture game(2);
        game.t().chooseLanguage(1);
        QCOMPARE(shared().language, 1000);
        QCOMPARE(game.t().toolButtons[0].tip, QStringLiteral("Start a game"));
        QFile stored(settingsFilePath());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QVERIFY(stored.readAll().contains("Sprache= 1000\n")); // with the blank of the number text
        QCOMPARE(readAppSetting("Tessaron", "Optionen", "Sprache", "x"), QStringLiteral("1000"));
        QCOMPARE(game.effects.count(102), 1);
    }

    void manyRandomGamesKeepEveryPieceOnce()
    {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 24; ++round) {
            const int players = 1 + round % 4;
            GameFixture game(players, round % 3);
            shared().autoDraw = round % 2 == 1;
            shared().useJokers = (round / 2) % 2 == 1;
            game.dialogs.answers = QList<bool>(8, true);
            game.t().startGame();
            QCOMPARE(checkPieces(game), QString());
            int actions = 0;
            while (!game.t().gameIdle && actions < 3000) {
                ++actions;
                PuzzleTable& t = game.t();
                if (t.pieceInHand() < 0) {
                    QVERIFY(t.stackCell.visible && t.stackCell.enabled);
                    t.drawPiece();
                } else {
                    const int choice = int(random.bounded(10));
                    if (choice < 5) {
                        t.placePiece(t.pieceInHand());
                    } else if (choice < 8) {
                        const int wrong = game.wrongCellFor(t.pieceInHand(), int(random.bounded(3)));
                        if (wrong >= 0)
                            t.placePiece(wrong);
                    } else if (choice == 8 && t.toolButton(ToolButton::Hint).enabled) {
                        t.runToolButton(ToolButton::Hint);
                    } else {
                        game.now += 11000; // let the time run out
                        t.advanceMoveClock();
                    }
                }
                const QString problem = checkPieces(game);
                QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("round %1, action %2: %3").arg(round).arg(actions).arg(problem)));
            }
            QCOMPARE(game.t().gameIdle, true);
            QCOMPARE(game.t().faceDownPieces().size(), 0);
            for (int n = 0; n < game.pieces(); ++n)
                QVERIFY(game.t().game().placed(n));
        }
    }

    void aGameThroughTheRealWidgets()
    {
        GameFixture game(2);
        PuzzleWindow window;
        window.table().load();
        shared().playMusic = false;
        shared().useJokers = false;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PuzzleTable& t = window.table();
        QTest::mouseClick(window.button(0), Qt::LeftButton);
        QVERIFY(window.stack()->isVisible());
        QVERIFY(!window.button(0)->isEnabled());
        QTest::mouseClick(window.stack(), Qt::LeftButton);
        const int piece = t.pieceInHand();
        QVERIFY(piece >= 0);
        QVERIFY(!window.stack()->isActive());
        QVERIFY(window.button(2)->isEnabled());
        const int player = t.currentPlayer;
        QTest::mouseClick(window.cell(piece), Qt::LeftButton);
        QVERIFY(!window.cell(piece)->isActive());
        QVERIFY(t.game().scores()[std::size_t(player)] > 100);
        QVERIFY(window.stack()->isActive());
        QTest::mouseClick(window.button(1), Qt::LeftButton); // abandon
        QVERIFY(!window.stack()->isVisible());
        QVERIFY(window.button(0)->isEnabled());
    }
};

TESSARON_TEST_MAIN(TestGame)
#include "test_game.moc"
