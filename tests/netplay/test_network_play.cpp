// The game session of network play: the snapshot a host sends and the
// checks that refuse a bad one; the host running a joining computer's
// actions only on its seat's turn, over real sockets on 127.0.0.1; a
// joining computer's table showing what the host sends, sending its
// player's clicks only on its turn, and keeping the game when the host ends.

#include "support/GameFixture.h"
#include "netplay/NetworkPlay.h"
#include "language/TextNumbers.h"
#include "sound/SoundEffects.h"
#include "table/SavedGame.h"
#include "table/TableSnapshot.h"
#include "net/GameClient.h"
#include "net/GameHost.h"
#include "resources/Resources.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "support/FreshState.h"
#include "support/PngChunks.h"
#include "support/ThreadClock.h"

#include <QBuffer>
#include <QCborArray>
#include <QDir>
#include <QFile>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTcpServer>
#include <QThread>
#include <QTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QtEndian>
#include <QWebSocket>
#include <QWebSocketServer>

#include <functional>

using namespace tess;
using tess::test::GameFixture;

namespace {

constexpr int Wait = 10000; // generous: the whole suite runs at once on a busy machine
const QString Code = QStringLiteral("471195");

// A 3 x 4 board in the middle of a game: piece 5 laid, piece 7 in hand,
// Ben (seat 1) on the turn.
TableSnapshot midGame()
{
    TableSnapshot t;
    t.rows = 3;
    t.cols = 4;
    t.cells.resize(12);
    t.cells[5] = {Face::Piece, 5, true, false};
    t.cells[2] = {Face::Wrong, -1, false, false};
    t.stack = {Face::Piece, 7, false, false};
    t.stackVisible = true;
    t.names = {QStringLiteral("Anna"), QStringLiteral("Ben")};
    t.scores = {100, 50};
    t.seats = {0, 1};
    t.active = {false, true};
    t.currentPlayer = 1;
    t.timeBar = 0.25;
    t.gameIdle = false;
    t.pictureGeneration = 1;
    t.backSide = 3;
    t.hintEnabled = true;
    return t;
}

net::Message stateMessage(const TableSnapshot& t)
{
    net::Message message;
    message.kind = net::MessageKind::State;
    message.state = encodeSnapshot(t);
    return message;
}

// The snapshot with one change made to its encoded form.
QCborMap changed(const std::function<void(QCborMap&)>& change)
{
    QCborMap map = encodeSnapshot(midGame());
    change(map);
    return map;
}

QCborMap withPlayer(int index, const QCborArray& player)
{
    return changed([&](QCborMap& map) {
        QCborArray players = map.value(QLatin1StringView("p")).toArray();
        players[index] = player;
        map.insert(QLatin1StringView("p"), players);
    });
}

QCborMap withCell(int index, qint64 packed)
{
    return changed([&](QCborMap& map) {
        QCborArray cells = map.value(QLatin1StringView("b")).toArray();
        cells[index] = packed;
        map.insert(QLatin1StringView("b"), cells);
    });
}

// The picture and the states, without the lobby and the sounds between.
// Joins `play` as Ben to a host the test runs on 127.0.0.1; false when no welcome came.
bool joinAsBen(NetworkPlay& play, const net::GameHost& host)
{
    QSignalSpy joined(&play, &NetworkPlay::joined);
    play.join(QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("Ben"), Code);
    return QTest::qWaitFor([&joined] { return joined.size() == 1; }, Wait);
}

QList<net::Message> shownOnly(const QList<net::Message>& messages)
{
    QList<net::Message> shown;
    for (const net::Message& message : messages)
        if (message.kind == net::MessageKind::Picture || message.kind == net::MessageKind::State)
            shown.append(message);
    return shown;
}


// A host that sends `burst` as soon as a computer has said hello and been
// welcomed. It runs on a thread of its own: what sending costs is not the
// joining screen's.
class HostileHost {
public:
    explicit HostileHost(const QList<QByteArray>& burst)
    {
        server_ = new QWebSocketServer(QStringLiteral("hostile host"), QWebSocketServer::NonSecureMode);
        server_->moveToThread(&thread_);
        QObject::connect(&thread_, &QThread::finished, server_, &QObject::deleteLater);
        thread_.start();
        QMetaObject::invokeMethod(server_, [this, burst] {
            server_->listen(QHostAddress::LocalHost, 0);
            port_ = server_->serverPort();
            QObject::connect(server_, &QWebSocketServer::newConnection, server_, [this, burst] {
                QWebSocket* socket = server_->nextPendingConnection();
                QObject::connect(socket, &QWebSocket::binaryMessageReceived, socket, [socket, burst](const QByteArray& bytes) {
                    const std::optional<net::Message> hello = net::decodeMessage(bytes);
                    if (!hello || hello->kind != net::MessageKind::Hello)
                        return;
                    net::Message welcome;
                    welcome.kind = net::MessageKind::Welcome;
                    welcome.seat = 1;
                    socket->sendBinaryMessage(net::encodeMessage(welcome));
                    for (const QByteArray& message : burst)
                        socket->sendBinaryMessage(message);
                });
            });
        }, Qt::BlockingQueuedConnection);
    }
    ~HostileHost()
    {
        thread_.quit();
        thread_.wait();
    }
    quint16 port() const { return port_; }

private:
    QThread thread_;
    QWebSocketServer* server_ = nullptr;
    quint16 port_ = 0;
};

// The longest the window thread worked without coming back to its event loop
// (between two ticks of a timer due every 10 ms, in its own processor time),
// until `done`; -1 when it never came to be.
qint64 longestWork(const std::function<bool()>& done)
{
    constexpr int Tick = 10;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 last = test::threadMilliseconds();
    qint64 worst = 0;
    bool finished = false;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = test::threadMilliseconds();
        worst = std::max(worst, now - last);
        last = now;
        finished = done();
        if (finished || clock.elapsed() > 6 * Wait)
            loop.quit();
    });
    tick.start(Tick);
    loop.exec();
    return finished ? worst : -1;
}

// A plain green PNG of 6532 x 4899 pixels (32 MP) in 94 KB, as its encoder
// packs it at most.
QByteArray plainHugePng()
{
    constexpr int Width = 6532, Height = 4899;
    QByteArray row(1 + 3 * Width, 0);
    for (int x = 0; x < Width; ++x) {
        row[1 + 3 * x] = char(10);
        row[2 + 3 * x] = char(200);
        row[3 + 3 * x] = char(30);
    }
    QByteArray header(13, 0);
    qToBigEndian(quint32(Width), header.data());
    qToBigEndian(quint32(Height), header.data() + 4);
    header[8] = 8; // bits, then colour type 2: RGB
    header[9] = 2;
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + test::pngChunk("IHDR", header)
        + test::pngChunk("IDAT", qCompress(row.repeated(Height), 9).mid(4)) + test::pngChunk("IEND", {});
}
} // namespace

class TestNetworkPlay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // No system bus: a host here must not offer its game on the real
        // network through the machine's Avahi daemon.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tessaron-test/bus");
    }

    void init()
    {
        test::freshState();
        shared().language = English;
    }

    void aSnapshotComesBackAsItWent()
    {
        const TableSnapshot t = midGame();
        const std::optional<TableSnapshot> back = decodeSnapshot(encodeSnapshot(t));
        QVERIFY(back);
        QVERIFY(*back == t);
        // Through CBOR bytes, as on the wire.
        const QCborMap again = QCborValue::fromCbor(QCborValue(encodeSnapshot(t)).toCbor()).toMap();
        QVERIFY(decodeSnapshot(again) == t);

        // A table's own snapshot decodes too, the largest board included.
        GameFixture game(4, 9);
        game.t().startGame();
        game.draw();
        const TableSnapshot table = game.t().snapshot();
        QCOMPARE(table.pieceCount(), 12 * 16);
        QCOMPARE(table.stack.piece, game.t().pieceInHand());
        const std::optional<TableSnapshot> decoded = decodeSnapshot(encodeSnapshot(table));
        QVERIFY(decoded);
        QCOMPARE(decoded->cells.size(), std::size_t(12 * 16));
        QCOMPARE(decoded->names.size(), 4);
        QVERIFY(!decoded->gameIdle);
    }

    void aSnapshotOutOfRangeIsRefused_data()
    {
        QTest::addColumn<QCborMap>("map");
        const auto set = [](const char* key, const QCborValue& value) {
            return changed([&](QCborMap& map) { map.insert(QLatin1StringView(key), value); });
        };
        const auto drop = [](const char* key) {
            return changed([&](QCborMap& map) { map.remove(QLatin1StringView(key)); });
        };
        QTest::newRow("rows below 3") << set("r", 2);
        QTest::newRow("rows beyond 12") << set("r", 13);
        QTest::newRow("rows as text") << set("r", QStringLiteral("3"));
        QTest::newRow("more cells than rows x cols") << set("c", 5);
        QTest::newRow("no cells") << drop("b");
        QTest::newRow("cells as a map") << set("b", QCborMap());
        QTest::newRow("a face beyond the piece") << withCell(0, 5);
        QTest::newRow("a piece beyond the board") << withCell(0, int(Face::Piece) | (13 << 5));
        QTest::newRow("a piece with no piece face") << withCell(0, int(Face::Empty) | (3 << 5));
        QTest::newRow("the piece face with no piece") << withCell(0, int(Face::Piece));
        QTest::newRow("a negative cell") << withCell(0, -1);
        QTest::newRow("a cell as a float") << changed([](QCborMap& map) {
            QCborArray cells = map.value(QLatin1StringView("b")).toArray();
            cells[0] = 1.5;
            map.insert(QLatin1StringView("b"), cells);
        });
        QTest::newRow("the stack's piece beyond the board") << set("k", int(Face::Piece) | (40 << 5));
        QTest::newRow("no players") << set("p", QCborArray());
        QTest::newRow("five players") << changed([](QCborMap& map) {
            QCborArray players;
            for (int i = 0; i < 5; ++i)
                players.append(QCborArray{QStringLiteral("P%1").arg(i), 0, i % 4, false});
            map.insert(QLatin1StringView("p"), players);
        });
        QTest::newRow("a name of 21 characters") << withPlayer(1, {QString(21, QLatin1Char('B')), 50, 1, true});
        QTest::newRow("a name with a line break") << withPlayer(1, {QStringLiteral("B\nn"), 50, 1, true});
        QTest::newRow("a blank name") << withPlayer(1, {QStringLiteral("   "), 50, 1, true});
        QTest::newRow("a negative score") << withPlayer(1, {QStringLiteral("Ben"), -1, 1, true});
        QTest::newRow("a score of seven digits") << withPlayer(1, {QStringLiteral("Ben"), 1000000, 1, true});
        QTest::newRow("a seat taken twice") << withPlayer(1, {QStringLiteral("Ben"), 50, 0, true});
        QTest::newRow("seat 4") << withPlayer(1, {QStringLiteral("Ben"), 50, 4, true});
        QTest::newRow("a player of three fields") << withPlayer(1, {QStringLiteral("Ben"), 50, 1});
        QTest::newRow("a player as a text") << changed([](QCborMap& map) {
            QCborArray players = map.value(QLatin1StringView("p")).toArray();
            players[1] = QStringLiteral("Ben");
            map.insert(QLatin1StringView("p"), players);
        });
        QTest::newRow("the turn of a third player of two") << set("cp", 2);
        QTest::newRow("the time bar beyond the window") << set("tb", 10001);
        QTest::newRow("back side 10") << set("bk", 10);
        QTest::newRow("a negative picture generation") << set("pg", -1);
        QTest::newRow("idle as a number") << set("i", 1);
        QTest::newRow("no hint flag") << drop("h");
        QTest::newRow("options as a number") << set("o", 1);
        QTest::newRow("options without the time limit") << set("o", QCborMap{{QStringLiteral("j"), true}});
    }

    void aSnapshotOutOfRangeIsRefused()
    {
        QFETCH(QCborMap, map);
        QVERIFY(!decodeSnapshot(map));
    }

    void anEmptyNameIsShownAsTheTableHasIt()
    {
        // A host whose own name cannot be shown sends it empty.
        const std::optional<TableSnapshot> t = decodeSnapshot(withPlayer(0, {QString(), 100, 0, false}));
        QVERIFY(t);
        QCOMPARE(t->names[0], QString());
    }

    void aPeerThatBreaksTheRulesIsThrownOut()
    {
        GameFixture game(2, 0);
        shared().names[0] = QStringLiteral("Anna");
        shared().useJokers = false; // a joker would lay itself, and the host's last draw leave no piece in hand
        NetworkPlay play(game.t());
        QVERIFY2(play.host(0, Code), qPrintable(play.lastProblem()));
        QSignalSpy checked(&play, &NetworkPlay::actionChecked);
        const auto join = [&play](net::GameClient& client) {
            QSignalSpy joined(&client, &net::GameClient::joined);
            client.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
            QTRY_COMPARE_WITH_TIMEOUT(joined.size(), 1, Wait);
        };
        net::GameClient ben;
        join(ben);
        QTRY_COMPARE_WITH_TIMEOUT(shared().playerCount, 2, Wait);
        game.t().buttonPressed(int(ToolButton::Start));
        game.t().game().setCurrentPlayer(0);

        // A few clicks that crossed the turn's end are let be; a run of them is not.
        QSignalSpy benLost(&ben, &net::GameClient::lost);
        for (int i = 0; i < 8; ++i)
            ben.sendAction(net::PlayerAction::Draw);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 8, Wait);
        QVERIFY(benLost.isEmpty());
        ben.sendAction(net::PlayerAction::Draw);
        QTRY_COMPARE_WITH_TIMEOUT(benLost.size(), 1, Wait);
        QCOMPARE(game.t().pieceInHand(), -1);

        // Back in its held seat, in its turn: a cell off the board, though
        // within the wire's range, throws it out at once and changes nothing.
        net::GameClient again;
        join(again);
        game.t().game().setCurrentPlayer(1);
        QSignalSpy againLost(&again, &net::GameClient::lost);
        const qsizetype faceDown = game.t().faceDownPieces().size();
        again.sendAction(net::PlayerAction::Place, 200);
        QTRY_COMPARE_WITH_TIMEOUT(againLost.size(), 1, Wait);
        QCOMPARE(game.t().faceDownPieces().size(), faceDown);
        // The game goes on at the host.
        game.t().game().setCurrentPlayer(0);
        game.t().stackClicked();
        QVERIFY(game.t().pieceInHand() >= 0);
    }

    void theHostRunsOnlyTheTurnOfTheSeatThatHasIt()
    {
        GameFixture game(2, 0);
        shared().names[0] = QStringLiteral("Anna");
        shared().useJokers = false; // a joker would lay itself and pass the turn
        NetworkPlay play(game.t());
        QVERIFY2(play.host(0, Code), qPrintable(play.lastProblem()));
        QCOMPARE(play.role(), NetworkPlay::Role::Host);
        QCOMPARE(play.code(), Code);
        QVERIFY(play.port() != 0);
        QSignalSpy checked(&play, &NetworkPlay::actionChecked);

        net::GameClient ben;
        QList<net::Message> received;
        connect(&ben, &net::GameClient::messageReceived, &ben,
                [&received](const net::Message& message) { received.append(message); });
        QSignalSpy joined(&ben, &net::GameClient::joined);
        ben.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
        QTRY_COMPARE_WITH_TIMEOUT(joined.size(), 1, Wait);
        const int seat = joined.first().first().toInt();
        QCOMPARE(seat, 1);

        // The players are the host's and the joined computer's, each with its computer.
        QTRY_COMPARE_WITH_TIMEOUT(shared().playerCount, 2, Wait);
        QCOMPARE(shared().names[1], QStringLiteral("Ben"));
        QCOMPARE(play.players().size(), 2);
        QCOMPARE(play.players()[0].computer, QString());
        QCOMPARE(play.players()[1].name, QStringLiteral("Ben"));
        QCOMPARE(play.players()[1].computer, QStringLiteral("127.0.0.1"));
        // The picture first, then the states that show it.
        const auto lastState = [&received]() -> std::optional<TableSnapshot> {
            for (qsizetype i = received.size() - 1; i >= 0; --i)
                if (received[i].kind == net::MessageKind::State)
                    return decodeSnapshot(received[i].state);
            return std::nullopt;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lastState() && lastState()->names.size() == 2, Wait);
        QCOMPARE(lastState()->names, QStringList({QStringLiteral("Anna"), QStringLiteral("Ben")}));
        QCOMPARE(lastState()->seats, std::vector<int>({0, 1}));
        const QList<net::Message> game0 = shownOnly(received);
        QCOMPARE(game0.first().kind, net::MessageKind::Picture);
        QCOMPARE(game0.first().builtIn, shared().pictureNumber);

        game.t().buttonPressed(int(ToolButton::Start));
        QVERIFY(!game.t().gameIdle);
        game.t().game().setCurrentPlayer(0);

        // The host's turn: Ben's draw changes nothing, the host's own click draws.
        ben.sendAction(net::PlayerAction::Draw);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, Wait);
        QCOMPARE(checked.takeFirst(), QVariantList({1, false}));
        QCOMPARE(game.t().pieceInHand(), -1);
        game.t().stackClicked();
        const int hostPiece = game.t().pieceInHand();
        QVERIFY(hostPiece >= 0);
        // Ben cannot lay the host's piece.
        ben.sendAction(net::PlayerAction::Place, hostPiece);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, Wait);
        QCOMPARE(checked.takeFirst(), QVariantList({1, false}));
        QVERIFY(!game.t().game().placed(hostPiece));
        game.t().cellClicked(hostPiece);
        QVERIFY(game.t().game().placed(hostPiece));
        QCOMPARE(game.t().currentPlayer, 1);

        // Ben's turn: the host's clicks and keys count no more.
        game.t().stackClicked();
        QCOMPARE(game.t().pieceInHand(), -1);
        ben.sendAction(net::PlayerAction::Draw);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, Wait);
        QCOMPARE(checked.takeFirst(), QVariantList({1, true}));
        const int benPiece = game.t().pieceInHand();
        QVERIFY(benPiece >= 0 && benPiece != hostPiece);
        // The piece drawn shows on the stack of the state sent; no face-down piece ever did.
        QTRY_VERIFY_WITH_TIMEOUT(lastState() && lastState()->stack.piece == benPiece, Wait);
        for (const net::Message& message : std::as_const(received)) {
            if (message.kind != net::MessageKind::State)
                continue;
            const std::optional<TableSnapshot> t = decodeSnapshot(message.state);
            QVERIFY(t);
            for (int n = 0; n < t->pieceCount(); ++n)
                if (t->cells[std::size_t(n)].face == Face::Piece)
                    QVERIFY(t->cells[std::size_t(n)].placed);
            QVERIFY(t->stack.face != Face::Piece || t->stack.piece == hostPiece || t->stack.piece == benPiece);
        }
        ben.sendAction(net::PlayerAction::Place, benPiece);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, Wait);
        QCOMPARE(checked.takeFirst(), QVariantList({1, true}));
        QVERIFY(game.t().game().placed(benPiece));
        QVERIFY(game.t().game().scores()[1] > 0);
        QCOMPARE(game.t().currentPlayer, 0);
        // Every screen hears the sounds: at least the placement's.
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(received.begin(), received.end(), [](const net::Message& m) {
            return m.kind == net::MessageKind::Sound && m.number == 10;
        }), Wait);

        // The host's turn again; then Ben's, and Ben's computer goes: the
        // piece goes back and the turn passes at once.
        game.t().stackClicked();
        game.t().cellClicked(game.t().pieceInHand());
        QCOMPARE(game.t().currentPlayer, 1);
        ben.sendAction(net::PlayerAction::Draw);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, Wait);
        const int away = game.t().pieceInHand();
        QVERIFY(away >= 0);
        const qsizetype faceDown = game.t().faceDownPieces().size();
        ben.leave();
        QTRY_COMPARE_WITH_TIMEOUT(game.t().currentPlayer, 0, Wait);
        QCOMPARE(game.t().pieceInHand(), -1);
        QCOMPARE(game.t().faceDownPieces().size(), faceDown + 1);
        QVERIFY(game.t().faceDownPieces().contains(away));
        QVERIFY(!game.t().game().placed(away));

        // Back with the same name and code: the same seat, the picture and the game as it stands.
        net::GameClient again;
        QList<net::Message> later;
        connect(&again, &net::GameClient::messageReceived, &again,
                [&later](const net::Message& message) { later.append(message); });
        QSignalSpy rejoined(&again, &net::GameClient::joined);
        again.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
        QTRY_COMPARE_WITH_TIMEOUT(rejoined.size(), 1, Wait);
        QCOMPARE(rejoined.first().first().toInt(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(shownOnly(later).size() >= 2, Wait);
        QCOMPARE(shownOnly(later)[0].kind, net::MessageKind::Picture);
        QCOMPARE(shownOnly(later)[1].kind, net::MessageKind::State);
        const std::optional<TableSnapshot> shown = decodeSnapshot(shownOnly(later)[1].state);
        QVERIFY(shown);
        QVERIFY(!shown->gameIdle);
        QVERIFY(shown->cells[std::size_t(hostPiece)].placed && shown->cells[std::size_t(benPiece)].placed);
        QCOMPARE(shown->scores[1], game.t().game().scores()[1]);

        // The host ends: the joined computer hears it.
        QSignalSpy ended(&again, &net::GameClient::hostEnded);
        play.leave();
        QCOMPARE(play.role(), NetworkPlay::Role::None);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, Wait);
    }

    void aJoiningTableShowsTheHostsGameAndSendsOnlyItsTurns()
    {
        GameFixture game(2, 0);
        saveSetting(keys::playerCount, QStringLiteral("3"));
        saveSetting(keys::player1Name, QStringLiteral("Zed"));
        net::GameHost host;
        QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
        QSignalSpy actions(&host, &net::GameHost::actionReceived);
        NetworkPlay play(game.t());
        QSignalSpy joined(&play, &NetworkPlay::joined);
        play.join(QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("Ben"), Code);
        QCOMPARE(play.role(), NetworkPlay::Role::Joining);
        QTRY_COMPARE_WITH_TIMEOUT(joined.size(), 1, Wait);
        QVERIFY(game.t().remote());
        QVERIFY(!game.t().toolButton(ToolButton::Start).enabled);
        QVERIFY(!game.t().toolButton(ToolButton::Load).enabled);

        net::Message picture;
        picture.kind = net::MessageKind::Picture;
        picture.builtIn = 102;
        host.sendTo(1, picture);
        TableSnapshot t = midGame();
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(game.t().game().placed(5), Wait);
        QCOMPARE(game.t().boardCells[5].face, Face::Piece);
        QCOMPARE(game.t().boardCells[5].piece, 5);
        QCOMPARE(game.t().boardCells[2].face, Face::Wrong);
        QCOMPARE(game.t().stackCell.face, Face::Piece);
        QCOMPARE(game.t().stackCell.piece, 7);
        QCOMPARE(game.t().pieceInHand(), 7);
        QVERIFY(!game.t().gameIdle);
        QCOMPARE(shared().playerCount, 2);
        QCOMPARE(game.t().playerLabels[1].text, QStringLiteral("Ben"));
        // The options dialog saves what it shows: the network game's players.
        saveSetting(keys::playerCount, QStringLiteral("2"));
        saveSetting(keys::player1Name, QStringLiteral("Anna"));
        QVERIFY(game.t().playerLabels[1].active);
        QVERIFY(!game.t().playerLabels[0].active);
        QCOMPARE(game.t().scoreBoxes[0].digits, QStringLiteral("000100"));
        QCOMPARE(game.t().scoreBoxes[1].digits, QStringLiteral("000050"));
        QCOMPARE(shared().backSide, 3);
        QVERIFY(game.t().toolButton(ToolButton::Hint).enabled);
        // The pieces face down are the rest, whichever the host draws next.
        QCOMPARE(game.t().faceDownPieces().size(), 10);
        QVERIFY(!game.t().faceDownPieces().contains(5) && !game.t().faceDownPieces().contains(7));
        QCOMPARE(game.t().pieceCutter.picture().size(), carriedPicture(202).size());

        // Its turn: a click on a cell and Hint go to the host, nothing runs here.
        game.t().cellClicked(7);
        QTRY_COMPARE_WITH_TIMEOUT(actions.size(), 1, Wait);
        QCOMPARE(actions.first()[0].toInt(), 1);
        QCOMPARE(actions.first()[1].value<net::PlayerAction>(), net::PlayerAction::Place);
        QCOMPARE(actions.takeFirst()[2].toInt(), 7);
        QVERIFY(!game.t().game().placed(7));
        game.t().buttonPressed(int(ToolButton::Hint));
        QTRY_COMPARE_WITH_TIMEOUT(actions.size(), 1, Wait);
        QCOMPARE(actions.takeFirst()[1].value<net::PlayerAction>(), net::PlayerAction::Hint);
        // Start, Load and a disabled cell do nothing at all.
        game.t().buttonPressed(int(ToolButton::Start));
        game.t().buttonPressed(int(ToolButton::Load));
        game.t().cellClicked(2);
        QVERIFY(!game.t().gameIdle);

        // Anna's turn: clicks here are dropped, not sent.
        t.currentPlayer = 0;
        t.active = {true, false};
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(game.t().playerLabels[0].active, Wait);
        game.t().cellClicked(8);
        game.t().stackClicked();
        // Its turn again, the stack to draw: the first action the host gets is that draw.
        t.currentPlayer = 1;
        t.active = {false, true};
        t.stack = {Face::Back, -1, false, true};
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(game.t().playerLabels[1].active, Wait);
        QCOMPARE(game.t().pieceInHand(), -1);
        game.t().stackClicked();
        QTRY_COMPARE_WITH_TIMEOUT(actions.size(), 1, Wait);
        QCOMPARE(actions.takeFirst()[1].value<net::PlayerAction>(), net::PlayerAction::Draw);

        // A state out of range is not shown; the next good one is.
        net::Message bad = stateMessage(t);
        bad.state = withPlayer(1, {QStringLiteral("Ben"), 2000000, 1, true});
        host.sendTo(1, bad);
        t.scores = {100, 75};
        host.sendTo(1, stateMessage(t));
        QTRY_COMPARE_WITH_TIMEOUT(game.t().scoreBoxes[1].digits, QStringLiteral("000075"), Wait);

        // Sounds play here as this screen's options say; the winner shows in this screen's language.
        game.effects.played.clear();
        net::Message sound;
        sound.kind = net::MessageKind::Sound;
        sound.number = 17;
        host.sendTo(1, sound);
        net::Message notice;
        notice.kind = net::MessageKind::Notice;
        notice.number = 127;
        notice.arguments = {QStringLiteral("Anna")};
        host.sendTo(1, notice);
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.informed.size(), 1, Wait);
        QCOMPARE(game.effects.count(117), 1);
        QString winner = langText(127);
        // The name keeps its own direction inside the sentence.
        winner.replace(QStringLiteral("Vodez"), QStringLiteral("\u2068Anna\u2069"));
        QCOMPARE(game.dialogs.informed.first(), winner);

        // The host ends: this screen says so and keeps the game as its own.
        QSignalSpy ended(&play, &NetworkPlay::ended);
        host.endGame();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, Wait);
        QCOMPARE(ended.first().first().toString(), langText(216));
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.informed.size(), 2, Wait);
        QCOMPARE(game.dialogs.informed.last(), langText(216));
        QCOMPARE(play.role(), NetworkPlay::Role::None);
        QVERIFY(!game.t().remote());
        QVERIFY(game.t().toolButton(ToolButton::Load).enabled);
        // This computer's own players are back in its settings; the screen keeps the game's.
        QCOMPARE(readSetting(keys::playerCount), QStringLiteral("3"));
        QCOMPARE(readSetting(keys::player1Name), QStringLiteral("Zed"));
        QCOMPARE(shared().playerCount, 2);
        QVERIFY(game.t().game().placed(5));
        QCOMPARE(game.t().faceDownPieces().size(), 11);
        // A click runs here now: the stack draws one of the pieces left.
        game.t().stackClicked();
        QVERIFY(game.t().pieceInHand() >= 0 && game.t().pieceInHand() != 5);
        game.t().saveGame();
        QVERIFY(QFile::exists(savedGamePath()));
    }

    // On the host, what ends a running game ends it on every screen: with a
    // player at another computer in it, the host is asked first, No by default.
    void theHostIsAskedBeforeEndingTheGameForEveryone_data()
    {
        QTest::addColumn<int>("button"); // -1: the window's close button
        QTest::addColumn<bool>("joined");
        QTest::addColumn<bool>("yes");
        const int end = int(ToolButton::End), options = int(ToolButton::Options), picture = int(ToolButton::Picture);
        QTest::newRow("End, No") << end << true << false;
        QTest::newRow("End, Yes") << end << true << true;
        QTest::newRow("Options, No") << options << true << false;
        QTest::newRow("Picture, No") << picture << true << false;
        QTest::newRow("close, No") << -1 << true << false;
        QTest::newRow("End, nobody joined") << end << false << false;
        QTest::newRow("Options, nobody joined") << options << false << false;
    }

    void theHostIsAskedBeforeEndingTheGameForEveryone()
    {
        QFETCH(int, button);
        QFETCH(bool, joined);
        QFETCH(bool, yes);
        GameFixture game(2, 0);
        NetworkPlay play(game.t());
        QVERIFY2(play.host(0, Code), qPrintable(play.lastProblem()));
        net::GameClient ben;
        if (joined) {
            ben.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
            QTRY_COMPARE_WITH_TIMEOUT(shared().playerCount, 2, Wait);
        }
        game.t().buttonPressed(int(ToolButton::Start));
        game.dialogs.answers = {yes};
        const bool ends = !joined || yes;
        if (button < 0)
            QCOMPARE(game.t().mayEndGameForAll(), ends);
        else
            game.t().buttonPressed(button);
        QCOMPARE(game.dialogs.asked, joined ? QStringList{langText(text::EndForEveryone)} : QStringList());
        QCOMPARE(game.dialogs.defaults, joined ? QList<Dialogs::Answer>{Dialogs::Answer::No} : QList<Dialogs::Answer>());
        if (button >= 0)
            QCOMPARE(game.t().gameIdle, ends);
    }

    // When the host ends, the game on a joining screen goes on with the host's
    // options, not this computer's; a host that sends none leaves this one's.
    void aJoiningScreensGameKeepsTheHostsOptions_data()
    {
        QTest::addColumn<bool>("sent");
        QTest::addColumn<bool>("hostsTimeLimit");
        QTest::newRow("host without a time limit") << true << false;
        QTest::newRow("host with a time limit") << true << true;
        QTest::newRow("an older host, sending none") << false << false;
    }

    void aJoiningScreensGameKeepsTheHostsOptions()
    {
        QFETCH(bool, sent);
        QFETCH(bool, hostsTimeLimit);
        GameFixture game(2, 0);
        shared().timeLimit = !hostsTimeLimit;
        net::GameHost host;
        QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
        NetworkPlay play(game.t());
        play.join(QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("Ben"), Code);
        TableSnapshot t = midGame();
        if (sent)
            t.options = TableSnapshot::GameOptions{hostsTimeLimit, false, true, false};
        QVERIFY(decodeSnapshot(encodeSnapshot(t)) == t);
        QTRY_VERIFY_WITH_TIMEOUT(game.t().remote(), Wait);
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(game.t().game().placed(5), Wait);
        host.endGame();
        QTRY_COMPARE_WITH_TIMEOUT(play.role(), NetworkPlay::Role::None, Wait);
        QCOMPARE(game.t().moveClock().isActive(), sent ? hostsTimeLimit : !hostsTimeLimit);
        QCOMPARE(shared().autoDraw, sent);
    }

    // Each screen says in words when it is its own player's turn and who is
    // away, and shows disabled what does nothing there: the host is Anna
    // with Ben at another computer; the joining screen is Ben's, with Cleo.
    void eachScreenSaysWhoseTurnAndShowsWhatWorks_data()
    {
        QTest::addColumn<bool>("hosting");
        QTest::addColumn<int>("turn");
        QTest::addColumn<bool>("dropped"); // the last player's computer
        QTest::addColumn<QStringList>("words"); // "turn" or "away" for each label that says so
        QTest::addColumn<bool>("hintAndSave");
        QTest::addColumn<bool>("hostButtons"); // Start, Picture, Back side, Load
        const QString none;
        const QString turn = QStringLiteral("turn");
        const QString away = QStringLiteral("away");
        QTest::newRow("host, its turn") << true << 0 << false << QStringList{turn, none} << true << true;
        QTest::newRow("host, Ben's turn") << true << 1 << false << QStringList{none, none} << false << true;
        QTest::newRow("host, Ben away") << true << 0 << true << QStringList{turn, away} << true << true;
        QTest::newRow("joining, its turn") << false << 1 << false << QStringList{none, turn, none} << true << false;
        QTest::newRow("joining, Anna's turn") << false << 0 << false << QStringList{none, none, none} << false << false;
        QTest::newRow("joining, Cleo away") << false << 0 << true << QStringList{none, none, away} << false << false;
    }

    void eachScreenSaysWhoseTurnAndShowsWhatWorks()
    {
        QFETCH(bool, hosting);
        QFETCH(int, turn);
        QFETCH(bool, dropped);
        QFETCH(QStringList, words);
        QFETCH(bool, hintAndSave);
        QFETCH(bool, hostButtons);
        GameFixture game(2, 0);
        shared().names[0] = QStringLiteral("Anna");
        NetworkPlay play(game.t());
        net::GameClient ben;
        net::GameHost host;
        if (hosting) {
            QVERIFY(play.host(0, Code));
            ben.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
            QTRY_COMPARE_WITH_TIMEOUT(shared().playerCount, 2, Wait);
            game.t().buttonPressed(int(ToolButton::Start));
            game.t().game().setCurrentPlayer(turn);
            if (dropped)
                ben.leave();
        } else {
            QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
            QVERIFY(joinAsBen(play, host));
            TableSnapshot t = midGame();
            t.names.append(QStringLiteral("Cleo"));
            t.scores.push_back(0);
            t.seats.push_back(2);
            t.active = {turn == 0, turn == 1, false};
            t.currentPlayer = turn;
            net::Message lobby;
            lobby.kind = net::MessageKind::Lobby;
            lobby.seats = {{0, QStringLiteral("Anna"), true}, {1, QStringLiteral("Ben"), true}, {2, QStringLiteral("Cleo"), !dropped}};
            host.sendTo(1, lobby);
            host.sendTo(1, stateMessage(t));
            QTRY_COMPARE_WITH_TIMEOUT(shared().playerCount, 3, Wait);
        }
        const QStringList names{QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo")};
        for (int i = 0; i < words.size(); ++i) {
            const qint16 said = words[i] == QStringLiteral("turn") ? text::YourTurn : text::PlayerAway;
            const QString expected = words[i].isEmpty() ? QString() : langText(said).replace(QStringLiteral("%1"), names[i]);
            QTRY_COMPARE_WITH_TIMEOUT(game.t().seatWords(i), expected, Wait);
        }
        QCOMPARE(game.t().buttonWorksHere(ToolButton::Hint), hintAndSave);
        QCOMPARE(game.t().buttonWorksHere(ToolButton::Save), hintAndSave);
        for (ToolButton button : {ToolButton::Start, ToolButton::Picture, ToolButton::BackSide, ToolButton::Load})
            QCOMPARE(game.t().buttonWorksHere(button), hostButtons);
        for (ToolButton button : {ToolButton::End, ToolButton::Options, ToolButton::Champions, ToolButton::Help})
            QVERIFY(game.t().buttonWorksHere(button));
    }

    // Every effect the game carries plays on a joining screen; a number past them does not.
    void aJoiningScreenPlaysEverySoundEffect()
    {
        GameFixture game(2, 0);
        net::GameHost host;
        QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
        NetworkPlay play(game.t());
        QSignalSpy joined(&play, &NetworkPlay::joined);
        play.join(QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("Ben"), Code);
        QTRY_COMPARE_WITH_TIMEOUT(joined.size(), 1, Wait);
        game.effects.played.clear();
        for (int number : {FirstSoundEffect, LastSoundEffect, LastSoundEffect + 1}) {
            net::Message sound;
            sound.kind = net::MessageKind::Sound;
            sound.number = number - (FirstSoundEffect - 1); // the wire counts them from 1
            host.sendTo(1, sound);
        }
        // A box after them: once it shows, the sounds have come.
        net::Message notice;
        notice.kind = net::MessageKind::Notice;
        notice.number = 128;
        host.sendTo(1, notice);
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.informed.size(), 1, Wait);
        QCOMPARE(game.effects.count(FirstSoundEffect), 1);
        QCOMPARE(game.effects.count(LastSoundEffect), 1);
        QCOMPARE(game.effects.played.size(), 2);
        play.leave();
    }

    void aSecondCopyHostsOnAnotherPort()
    {
        // Another program (a second copy of the game) has the default port.
        GameFixture game(2, 0);
        QTcpServer other;
        const bool haveIt = other.listen(QHostAddress::Any, net::DefaultPort);
        NetworkPlay play(game.t());
        QVERIFY(play.host(0, Code));
        QVERIFY(play.port() != 0);
        if (haveIt)
            QVERIFY(play.port() != net::DefaultPort);
        // A port asked for by number is that port or none.
        NetworkPlay second(game.t());
        QVERIFY(!second.host(play.port(), Code));
        QVERIFY(!second.lastProblem().isEmpty());
        QCOMPARE(second.role(), NetworkPlay::Role::None);
        QCOMPARE(play.role(), NetworkPlay::Role::Host);
    }

    void aHostsBoxesComeOneAtATime()
    {
        // A host that sends box after box: while one is open, more are not
        // piled up behind it; the host's end is still told.
        GameFixture game(2, 0);
        net::GameHost host;
        QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
        NetworkPlay play(game.t());
        QVERIFY(joinAsBen(play, host));
        TableSnapshot t = midGame();
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(game.t().game().placed(5), Wait);

        bool waited = false;
        game.dialogs.whileInforming = [&] {
            if (waited)
                return;
            waited = true;
            // The state sent after the boxes comes in while the first is open.
            QTRY_COMPARE_WITH_TIMEOUT(game.t().scoreBoxes[1].digits, QStringLiteral("000099"), Wait);
        };
        net::Message notice;
        notice.kind = net::MessageKind::Notice;
        notice.number = 128;
        for (int i = 0; i < 50; ++i)
            host.sendTo(1, notice);
        t.scores = {100, 99};
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(waited, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(game.t().scoreBoxes[1].digits, QStringLiteral("000099"), Wait);
        QCOMPARE(game.dialogs.informed, QStringList{langText(128)});

        // Once it is closed, the host's next box shows.
        host.sendTo(1, notice);
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.informed.size(), 2, Wait);
        host.endGame();
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.informed.size(), 3, Wait);
        QCOMPARE(game.dialogs.informed.last(), langText(216));
    }

    void aPlayersOwnPictureTravelsAsItsBytes()
    {
        // The host sends the file as it is.
        GameFixture game(2, 0);
        QImage own(64, 48, QImage::Format_RGB32);
        own.fill(QColor(10, 200, 30));
        const QString path = QDir::temp().filePath(QStringLiteral("own.png"));
        QVERIFY(own.save(path, "PNG"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        shared().pictureSource = PictureSource::File;
        shared().pictureFile = path;
        NetworkPlay play(game.t());
        QVERIFY(play.host(0, Code));
        net::GameClient ben;
        QList<net::Message> received;
        connect(&ben, &net::GameClient::messageReceived, &ben,
                [&received](const net::Message& message) { received.append(message); });
        ben.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
        QTRY_VERIFY_WITH_TIMEOUT(!shownOnly(received).isEmpty(), Wait);
        QCOMPARE(shownOnly(received).first().kind, net::MessageKind::Picture);
        QCOMPARE(shownOnly(received).first().builtIn, -1);
        QCOMPARE(shownOnly(received).first().pictureBytes, bytes);
        play.leave();
    }

    void picturesPickedQuicklyGoOutAsTheNewest()
    {
        // A host's player who picks picture after picture (or clicks Start
        // over and over) never exceeds what a joining computer takes.
        GameFixture game(2, 0);
        shared().pictureSource = PictureSource::BuiltIn;
        NetworkPlay play(game.t());
        QVERIFY(play.host(0, Code));
        net::GameClient ben;
        QList<int> pictures;
        connect(&ben, &net::GameClient::messageReceived, &ben, [&pictures](const net::Message& message) {
            if (message.kind == net::MessageKind::Picture)
                pictures.append(message.builtIn);
        });
        QSignalSpy lost(&ben, &net::GameClient::lost);
        ben.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("Ben"), Code);
        QTRY_COMPARE_WITH_TIMEOUT(pictures.size(), 1, Wait);
        for (const int number : {202, 203, 204, 205, 201, 203}) {
            game.services.pictureChoice = [number] { shared().pictureNumber = number; };
            game.t().buttonPressed(int(ToolButton::Picture));
            QCoreApplication::processEvents();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!pictures.isEmpty() && pictures.last() == 203, Wait);
        QVERIFY2(pictures.size() <= 3, qPrintable(QString::number(pictures.size())));
        QCOMPARE(lost.size(), 0);
        play.leave();
    }

    void aJoiningTableDecodesThePictureItIsSentAndNothingElse()
    {
        GameFixture game(2, 0);
        net::GameHost host;
        QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
        NetworkPlay play(game.t());
        QVERIFY(joinAsBen(play, host));
        const QStringList before = QDir::temp().entryList(QDir::Files);

        QImage own(64, 48, QImage::Format_RGB32);
        own.fill(QColor(10, 200, 30));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        own.save(&buffer, "PNG");
        net::Message picture;
        picture.kind = net::MessageKind::Picture;
        picture.pictureBytes = buffer.data();
        host.sendTo(1, picture);
        QTRY_COMPARE_WITH_TIMEOUT(game.t().pieceCutter.picture().pixelColor(5, 5), QColor(10, 200, 30), Wait);

        // Bytes that are no picture: the game's own picture instead, and no
        // error box. Each comes after the state that announces it, as a host sends them.
        TableSnapshot t = midGame();
        host.sendTo(1, stateMessage(t));
        picture.pictureBytes = QByteArray("GIF89a") + QByteArray(4000, '\xff');
        host.sendTo(1, picture);
        QTRY_COMPARE_WITH_TIMEOUT(game.t().pieceCutter.picture().size(), carriedPicture(201).size(), Wait);
        QVERIFY(play.role() == NetworkPlay::Role::Joining);
        // A built-in number the game does not carry changes nothing either.
        picture.pictureBytes.clear();
        picture.builtIn = 9999;
        t.pictureGeneration = 2;
        host.sendTo(1, stateMessage(t));
        host.sendTo(1, picture);
        host.sendTo(1, stateMessage(t));
        QTRY_VERIFY_WITH_TIMEOUT(game.t().game().placed(5), Wait);
        QCOMPARE(game.t().pieceCutter.picture().size(), carriedPicture(201).size());
        QCOMPARE(QDir::temp().entryList(QDir::Files), before);
    }

    void aHostileHostCannotFreezeAJoiningScreen_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<bool>("announced"); // each picture after a state that tells a new one
        QTest::addColumn<int>("sounds");
        QTest::addColumn<int>("states");
        QTest::addColumn<bool>("flood"); // beyond what any game sends: the connection ends
        // More than a picture a second (two at once pass) ends the connection.
        QTest::newRow("100 pictures of 32 MP") << 100 << false << 0 << 0 << true;
        QTest::newRow("100 pictures, each announced") << 100 << true << 0 << 0 << true;
        QTest::newRow("2 pictures of 32 MP") << 2 << false << 0 << 0 << false;
        QTest::newRow("2 pictures, each announced") << 2 << true << 0 << 0 << false;
        QTest::newRow("20000 sounds") << 0 << false << 20000 << 0 << true;
        QTest::newRow("500 sounds") << 0 << false << 500 << 0 << false;
        QTest::newRow("20000 states") << 0 << false << 0 << 20000 << true;
        QTest::newRow("800 states") << 0 << false << 0 << 800 << false;
    }

    void aHostileHostCannotFreezeAJoiningScreen()
    {
        QFETCH(int, pictures);
        QFETCH(bool, announced);
        QFETCH(int, sounds);
        QFETCH(int, states);
        QFETCH(bool, flood);
        GameFixture game(2, 0);
        static const QByteArray huge = plainHugePng();
        TableSnapshot t = midGame();
        QList<QByteArray> burst;
        net::Message picture;
        picture.kind = net::MessageKind::Picture;
        picture.pictureBytes = huge;
        for (int n = 0; n < pictures; ++n) {
            burst.append(net::encodeMessage(picture));
            t.pictureGeneration = n + 2;
            if (announced)
                burst.append(net::encodeMessage(stateMessage(t)));
        }
        net::Message sound;
        sound.kind = net::MessageKind::Sound;
        sound.number = 17;
        for (int n = 0; n < sounds; ++n)
            burst.append(net::encodeMessage(sound));
        for (int n = 0; n < states; ++n) {
            t.scores = {n, 0};
            burst.append(net::encodeMessage(stateMessage(t)));
        }
        t.scores = {4242, 0};
        burst.append(net::encodeMessage(stateMessage(t)));
        HostileHost host(burst);

        NetworkPlay play(game.t());
        QSignalSpy ended(&play, &NetworkPlay::ended);
        QElapsedTimer clock;
        clock.start();
        play.join(QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("Ben"), Code);
        const qint64 worst = longestWork([&] {
            if (flood)
                return !ended.isEmpty();
            return game.t().scoreBoxes[0].digits == QStringLiteral("004242")
                && (pictures == 0 || game.t().pieceCutter.picture().pixelColor(5, 5) == QColor(10, 200, 30));
        });
        QVERIFY2(worst >= 0, "the screen never showed the host's last state");
        qInfo("the window's longest work between two events: %lld ms", worst);
        // However much a host sends, the window answers within 100 ms.
        QVERIFY2(worst < 100, qPrintable(QStringLiteral("the window was held %1 ms").arg(worst)));
        if (flood) {
            QCOMPARE(ended.first().first().toString(), langText(217));
        } else {
            QVERIFY(ended.isEmpty());
            // Sounds beyond what a game plays are dropped.
            QVERIFY(game.effects.played.size() <= net::MaxSoundBurst + net::MaxSoundsPerSecond * (clock.elapsed() / 1000 + 1));
            QCOMPARE(play.role(), NetworkPlay::Role::Joining);
        }
        play.leave();
    }

    void aRefusedJoinSaysWhy()
    {
        GameFixture game(2, 0);
        net::GameHost host;
        QVERIFY(host.listen(0, Code, QHostAddress::LocalHost));
        NetworkPlay play(game.t());
        QSignalSpy ended(&play, &NetworkPlay::ended);
        play.join(QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("Ben"), QStringLiteral("000000"));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, Wait);
        QCOMPARE(ended.first().first().toString(), langText(219));
        QCOMPARE(play.lastProblem(), langText(219));
        QCOMPARE(play.role(), NetworkPlay::Role::None);
        QVERIFY(!game.t().remote());
    }

    void anotherMajorVersionIsToldOnBothScreens()
    {
        // The host's screen: a computer of the next major version knocks.
        {
            GameFixture game(2, 0);
            NetworkPlay play(game.t());
            QVERIFY(play.host(0, Code));
            QWebSocket peer;
            QSignalSpy connected(&peer, &QWebSocket::connected);
            peer.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(play.port())));
            QTRY_COMPARE_WITH_TIMEOUT(connected.size(), 1, Wait);
            net::Message hello;
            hello.kind = net::MessageKind::Hello;
            hello.major = net::ProtocolMajor + 1;
            hello.name = QStringLiteral("Zoe");
            hello.code = Code;
            peer.sendBinaryMessage(net::encodeMessage(hello));
            QTRY_COMPARE_WITH_TIMEOUT(play.lastProblem(), langText(226), Wait);
            QCOMPARE(play.role(), NetworkPlay::Role::Host);
            // Said in a box that does not hold up the game, as plain text.
            QMessageBox* box = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* shown = qobject_cast<QMessageBox*>(widget); shown && shown->isVisible())
                    box = shown;
            QVERIFY(box);
            QCOMPARE(box->text(), langText(226));
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QVERIFY(!box->isModal());
            box->close();
            play.leave();
        }
        // The joining computer's screen: a host of the next major version refuses it.
        GameFixture game(2, 0);
        QWebSocketServer server(QStringLiteral("newer host"), QWebSocketServer::NonSecureMode);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        connect(&server, &QWebSocketServer::newConnection, &server, [&server] {
            QWebSocket* socket = server.nextPendingConnection();
            connect(socket, &QWebSocket::binaryMessageReceived, socket, [socket] {
                net::Message refused;
                refused.kind = net::MessageKind::Refused;
                refused.reason = net::RefusalReason::Version;
                refused.major = net::ProtocolMajor + 1;
                socket->sendBinaryMessage(net::encodeMessage(refused));
            });
        });
        NetworkPlay play(game.t());
        QSignalSpy ended(&play, &NetworkPlay::ended);
        play.join(QStringLiteral("127.0.0.1"), server.serverPort(), QStringLiteral("Ben"), Code);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, Wait);
        QCOMPARE(ended.first().first().toString(), langText(218));
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.informed.size(), 1, Wait);
        QCOMPARE(game.dialogs.informed.first(), langText(218));
    }
};

TESSARON_TEST_MAIN(TestNetworkPlay)
#include "test_network_play.moc"
