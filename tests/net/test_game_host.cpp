// The host's server and the joining computer's connection, over real sockets
// on 127.0.0.1: joining and refusals, held seats taken back and released, a
// hostile peer thrown out while the others play on, and a joining computer
// that notices a host gone silent or gone wrong.

#include "net/GameClient.h"
#include "net/GameHost.h"
#include "net/WebSocketWire.h"
#include "support/RawPeer.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <functional>
#include <memory>

using namespace tess::net;
using namespace tess::test;

namespace {

constexpr int Wait = 10000; // generous: the whole suite runs at once on a busy machine
const QString Code = QStringLiteral("471195");

Message soundMessage(int number)
{
    Message message;
    message.kind = MessageKind::Sound;
    message.number = number;
    return message;
}

Message helloMessage(const QString& name, const QString& code = Code, int major = ProtocolMajor)
{
    Message message;
    message.kind = MessageKind::Hello;
    message.name = name;
    message.code = code;
    message.major = major;
    return message;
}

QByteArray acceptKey(const QByteArray& key)
{
    return QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1).toBase64();
}

// A fake host's side of the handshake on `socket`, for the request read so
// far, and a welcome to seat 1 in one unmasked frame.
void upgradeAndWelcome(QTcpSocket* socket, const QByteArray& request)
{
    QByteArray key;
    for (const QByteArray& line : request.split('\n'))
        if (line.toLower().startsWith("sec-websocket-key:"))
            key = line.mid(18).trimmed();
    socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Accept: " + acceptKey(key) + "\r\n\r\n");
    Message welcome;
    welcome.kind = MessageKind::Welcome;
    welcome.seat = 1;
    const QByteArray bytes = encodeMessage(welcome);
    socket->write(QByteArray(1, char(0x82)) + QByteArray(1, char(bytes.size())) + bytes);
}

// A stand-in host over plain TCP: it upgrades each joining computer and
// welcomes it to seat 1 (`tweak` may change the request first); the rest is
// the test's to send. With `readsNothing` it reads nothing after that, so
// what the joining computer sends piles up on its side.
class TcpHost : public QObject {
public:
    QTcpServer server;
    QList<QTcpSocket*> upgraded;
    std::function<void(QByteArray&)> tweak;
    bool readsNothing = false;

    TcpHost()
    {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = server.nextPendingConnection();
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                if (request->contains("\r\n\r\n")) {
                    if (!readsNothing)
                        socket->readAll();
                    return;
                }
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n"))
                    return;
                if (tweak)
                    tweak(*request);
                upgradeAndWelcome(socket, *request);
                if (readsNothing)
                    socket->setReadBufferSize(1);
                upgraded.append(socket);
            });
        });
        server.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return server.serverPort(); }
    QTcpSocket* host() const { return upgraded.isEmpty() ? nullptr : upgraded.first(); }
};

// A stand-in host speaking real WebSocket, answering each message of a
// joining computer as the test says.
class FakeHost : public QObject {
public:
    QWebSocketServer server{QStringLiteral("fake"), QWebSocketServer::NonSecureMode};
    std::function<void(QWebSocket*, const QByteArray&)> answer;
    QList<QWebSocket*> sockets;

    FakeHost()
    {
        connect(&server, &QWebSocketServer::newConnection, this, [this] {
            while (QWebSocket* socket = server.nextPendingConnection()) {
                socket->setParent(this);
                sockets.append(socket);
                connect(socket, &QWebSocket::binaryMessageReceived, this,
                        [this, socket](const QByteArray& bytes) { answer(socket, bytes); });
            }
        });
        server.listen(QHostAddress::LocalHost, 0);
    }
};

// A joining computer and what it heard.
struct Joiner {
    std::unique_ptr<GameClient> client = std::make_unique<GameClient>();
    QSignalSpy joined{client.get(), &GameClient::joined};
    QSignalSpy refused{client.get(), &GameClient::refused};
    QSignalSpy messages{client.get(), &GameClient::messageReceived};
    QSignalSpy ended{client.get(), &GameClient::hostEnded};
    QSignalSpy lost{client.get(), &GameClient::lost};

    Joiner(quint16 port, const QString& name, const QString& code = Code, const Timings& timings = {})
    {
        client->setTimings(timings);
        client->connectTo(QStringLiteral("127.0.0.1"), port, name, code);
    }
    Message message(int i) const { return messages.at(i).at(0).value<Message>(); }
    RefusalReason reason() const { return refused.at(0).at(0).value<RefusalReason>(); }
};

// The host and what it told.
struct Host {
    GameHost host;
    QSignalSpy joined{&host, &GameHost::seatJoined};
    QSignalSpy lost{&host, &GameHost::seatLost};
    QSignalSpy released{&host, &GameHost::seatReleased};
    QSignalSpy actions{&host, &GameHost::actionReceived};
    QSignalSpy refusals{&host, &GameHost::joinRefused};

    explicit Host(const Timings& timings = {})
    {
        host.setTimings(timings);
        host.setHostNames({QStringLiteral("Host")});
    }
    bool listen() { return host.listen(0, Code, QHostAddress::LocalHost); }
    // A computer that came and said hello with `code` from `from`; true when it took a seat.
    bool tryCode(const QHostAddress& from, const QString& code)
    {
        const qsizetype seated = joined.size();
        RawPeer peer(from);
        peer.connectTo(port());
        peer.sendHandshake();
        if (!QTest::qWaitFor([&] { return peer.upgraded(); }, Wait))
            return false;
        peer.send(helloMessage(QStringLiteral("Mallory"), code));
        const bool settled = QTest::qWaitFor([&] { return peer.gone() || joined.size() > seated; }, Wait);
        return settled && joined.size() > seated;
    }
    quint16 port() const { return host.port(); }
    int actionsOf(int seat) const
    {
        int count = 0;
        for (const QList<QVariant>& each : actions)
            count += each.at(0).toInt() == seat ? 1 : 0;
        return count;
    }
};

// Waits until `joiner` has its seat and returns it.
#define JOIN(joiner, expectedSeat)                                             \
    do {                                                                       \
        QTRY_COMPARE_WITH_TIMEOUT((joiner).joined.size(), 1, Wait);            \
        QCOMPARE((joiner).joined.at(0).at(0).toInt(), expectedSeat);           \
        QCOMPARE((joiner).client->seat(), expectedSeat);                       \
    } while (false)

#define REFUSED(joiner, expectedReason)                                        \
    do {                                                                       \
        QTRY_COMPARE_WITH_TIMEOUT((joiner).refused.size(), 1, Wait);           \
        QCOMPARE((joiner).reason(), expectedReason);                           \
        QCOMPARE((joiner).refused.at(0).at(1).toInt(), ProtocolMajor);         \
        QCOMPARE((joiner).joined.size(), 0);                                   \
        QCOMPARE((joiner).lost.size(), 0);                                     \
    } while (false)

// This process's resident memory, in bytes.
qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

// Upgraded connections that never say hello (or, without `handshake`, never
// send a byte), each reopened as soon as the host closes it, from `addresses`
// addresses of 127.0.1.x.
class IdleCrowd : public QObject {
public:
    int reopened = 0;

    IdleCrowd(quint16 port, int connections, int addresses, bool handshake = true) : port_(port), handshake_(handshake)
    {
        for (int i = 0; i < connections; ++i)
            open(QHostAddress(QStringLiteral("127.0.1.%1").arg(1 + i % addresses)));
    }
    ~IdleCrowd() override
    {
        for (QTcpSocket* socket : std::as_const(sockets_))
            socket->disconnect(this);
    }

private:
    void open(const QHostAddress& from)
    {
        auto* socket = new QTcpSocket(this);
        sockets_.append(socket);
        socket->bind(from);
        connect(socket, &QTcpSocket::connected, this, [this, socket] {
            if (handshake_)
                socket->write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
        });
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, from] {
            sockets_.removeOne(socket);
            socket->deleteLater();
            ++reopened;
            open(from);
        });
        socket->connectToHost(QHostAddress::LocalHost, port_);
    }

    quint16 port_;
    bool handshake_;
    QList<QTcpSocket*> sockets_;
};

} // namespace

class TestGameHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void joiningComputersTakeSeatsAndHearTheHost();
    void computersAreRefusedWithAReason();
    void anotherMajorVersionIsRefusedOnBothSides();
    void aDroppedComputerTakesItsSeatBack();
    void aHeldSeatIsReleasedInTime();
    void aHostilePeerIsThrownOutAndTheGameGoesOn_data();
    void aHostilePeerIsThrownOutAndTheGameGoesOn();
    void aSilentPeerIsLost();
    void lookAlikeNamesAreOneName();
    void namesThatPassForAnotherTakeNoSeat_data();
    void namesThatPassForAnotherTakeNoSeat();
    void guessingTheCodeIsCutShort();
    void aPeerThatReadsNothingIsCutOff();
    void aJoiningComputerNoticesAHostGoneWrong_data();
    void aJoiningComputerNoticesAHostGoneWrong();
    void aJoiningComputerNoticesASilentHost();
    void aJoiningComputerLeavesAHostThatReadsNothing();
    void aJoiningComputerLeavesAHostileHostAtOnce_data();
    void aJoiningComputerLeavesAHostileHostAtOnce();
    void aFloodOfControlFramesIsCutShort_data();
    void aFloodOfControlFramesIsCutShort();
    void idleConnectionsNeverKeepAPlayerOut_data();
    void idleConnectionsNeverKeepAPlayerOut();
    void guessingFromManyAddressesSpendsTheCode_data();
    void guessingFromManyAddressesSpendsTheCode();
    void neighboursCountApart_data();
    void neighboursCountApart();
    void onlyAJoiningComputerIsTakenIn_data();
    void onlyAJoiningComputerIsTakenIn();
};

void TestGameHost::joiningComputersTakeSeatsAndHearTheHost()
{
    Host h;
    QVERIFY2(h.listen(), qPrintable(h.host.errorText()));
    QVERIFY(h.host.listening());
    QVERIFY(h.port() != 0);
    QCOMPARE(h.host.code(), Code);

    Joiner anna(h.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);
    QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 1, Wait);
    Joiner bob(h.port(), QStringLiteral("Bob"));
    JOIN(bob, 2);
    QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 2, Wait);
    QCOMPARE(h.joined.at(1).at(0).toInt(), 2);
    const QList<GameHost::Seat> seats = h.host.seats();
    QCOMPARE(seats.size(), 2);
    QCOMPARE(seats[0].seat, 1);
    QCOMPARE(seats[0].name, QStringLiteral("Anna"));
    QCOMPARE(seats[0].address, QStringLiteral("127.0.0.1"));
    QVERIFY(seats[0].connected);
    QCOMPARE(seats[1].name, QStringLiteral("Bob"));

    // What the players do reaches the host with their seats.
    anna.client->sendAction(PlayerAction::Place, 17);
    bob.client->sendAction(PlayerAction::Draw);
    QTRY_COMPARE_WITH_TIMEOUT(h.actions.size(), 2, Wait);
    for (const QList<QVariant>& action : std::as_const(h.actions)) {
        if (action.at(0).toInt() == 1) {
            QCOMPARE(action.at(1).value<PlayerAction>(), PlayerAction::Place);
            QCOMPARE(action.at(2).toInt(), 17);
        } else {
            QCOMPARE(action.at(0).toInt(), 2);
            QCOMPARE(action.at(1).value<PlayerAction>(), PlayerAction::Draw);
            QCOMPARE(action.at(2).toInt(), -1);
        }
    }

    // To one seat, then to all: Anna hears only the second.
    h.host.sendTo(2, soundMessage(7));
    h.host.sendToAll(soundMessage(8));
    QTRY_COMPARE_WITH_TIMEOUT(bob.messages.size(), 2, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(anna.messages.size(), 1, Wait);
    QCOMPARE(bob.message(0).number, 7);
    QCOMPARE(bob.message(1).number, 8);
    QCOMPARE(anna.message(0).number, 8);

    // A player's own picture, as large as it may be, gets through.
    Message picture;
    picture.kind = MessageKind::Picture;
    picture.pictureBytes = QByteArray(MaxPictureBytes, 'q');
    h.host.sendTo(1, picture);
    QTRY_COMPARE_WITH_TIMEOUT(anna.messages.size(), 2, 3 * Wait);
    QCOMPARE(anna.message(1).pictureBytes.size(), MaxPictureBytes);
    QCOMPARE(anna.lost.size(), 0);

    // Nobody else gets the port meanwhile.
    GameHost second;
    QVERIFY(!second.listen(h.port(), Code, QHostAddress::LocalHost));
    QVERIFY(!second.errorText().isEmpty());

    h.host.endGame();
    QVERIFY(!h.host.listening());
    QTRY_COMPARE_WITH_TIMEOUT(anna.ended.size(), 1, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(bob.ended.size(), 1, Wait);
    QVERIFY(h.host.seats().isEmpty());
    QCOMPARE(anna.lost.size() + bob.lost.size(), 0);
    QVERIFY(!anna.client->connected());
}

void TestGameHost::computersAreRefusedWithAReason()
{
    Host h;
    QVERIFY(h.listen());

    Joiner wrongCode(h.port(), QStringLiteral("Carl"), QStringLiteral("000000"));
    REFUSED(wrongCode, RefusalReason::Code);
    QTRY_COMPARE_WITH_TIMEOUT(h.refusals.size(), 1, Wait);
    QCOMPARE(h.refusals.at(0).at(0).toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(h.refusals.at(0).at(1).toString(), QStringLiteral("Carl"));
    QCOMPARE(h.refusals.at(0).at(2).value<RefusalReason>(), RefusalReason::Code);

    Joiner hostsName(h.port(), QStringLiteral("HOST"));
    REFUSED(hostsName, RefusalReason::NameTaken);

    Joiner anna(h.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);
    Joiner secondAnna(h.port(), QStringLiteral("anna"));
    REFUSED(secondAnna, RefusalReason::NameTaken);

    Joiner bob(h.port(), QStringLiteral("Bob"));
    JOIN(bob, 2);
    Joiner carl(h.port(), QStringLiteral("Carl"));
    JOIN(carl, 3);
    Joiner dora(h.port(), QStringLiteral("Dora"));
    REFUSED(dora, RefusalReason::Full);

    // While the game runs, a free (here: released) seat takes no newcomer.
    h.host.setGameRunning(true);
    Joiner eve(h.port(), QStringLiteral("Eve"));
    REFUSED(eve, RefusalReason::GameRunning);

    QCOMPARE(h.host.seats().size(), 3);
    QCOMPARE(h.refusals.size(), 5);
    QCOMPARE(h.lost.size(), 0);
    QCOMPARE(anna.lost.size() + bob.lost.size() + carl.lost.size(), 0);
}

void TestGameHost::anotherMajorVersionIsRefusedOnBothSides()
{
    // A newer joining computer at this host: both sides learn the other's version.
    Host h;
    QVERIFY(h.listen());
    RawPeer newer;
    newer.connectTo(h.port());
    newer.sendHandshake();
    QTRY_VERIFY_WITH_TIMEOUT(newer.upgraded(), Wait);
    Message hello = helloMessage(QStringLiteral("Future"));
    hello.major = ProtocolMajor + 1;
    hello.minor = 3;
    newer.send(hello);
    QTRY_VERIFY_WITH_TIMEOUT(newer.firstMessage().has_value(), Wait);
    const Message refusal = *newer.firstMessage();
    QCOMPARE(refusal.kind, MessageKind::Refused);
    QCOMPARE(refusal.reason, RefusalReason::Version);
    QCOMPARE(refusal.major, ProtocolMajor);
    QCOMPARE(refusal.minor, ProtocolMinor);
    QTRY_COMPARE_WITH_TIMEOUT(h.refusals.size(), 1, Wait);
    QCOMPARE(h.refusals.at(0).at(2).value<RefusalReason>(), RefusalReason::Version);
    QCOMPARE(h.refusals.at(0).at(3).toInt(), ProtocolMajor + 1);
    QCOMPARE(h.refusals.at(0).at(4).toInt(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(newer.gone(), Wait);
    QCOMPARE(h.joined.size(), 0);

    // This joining computer at a host of another major version.
    FakeHost fake;
    fake.answer = [](QWebSocket* socket, const QByteArray&) {
        Message welcome;
        welcome.kind = MessageKind::Welcome;
        welcome.seat = 1;
        welcome.major = ProtocolMajor + 1;
        welcome.minor = 2;
        socket->sendBinaryMessage(encodeMessage(welcome));
    };
    Joiner anna(fake.server.serverPort(), QStringLiteral("Anna"));
    QTRY_COMPARE_WITH_TIMEOUT(anna.refused.size(), 1, Wait);
    QCOMPARE(anna.reason(), RefusalReason::Version);
    QCOMPARE(anna.refused.at(0).at(1).toInt(), ProtocolMajor + 1);
    QCOMPARE(anna.refused.at(0).at(2).toInt(), 2);
    QCOMPARE(anna.joined.size(), 0);
    QVERIFY(!anna.client->connected());
}

void TestGameHost::aDroppedComputerTakesItsSeatBack()
{
    Host h;
    QVERIFY(h.listen());
    auto anna = std::make_unique<Joiner>(h.port(), QStringLiteral("Anna"));
    JOIN(*anna, 1);
    Joiner bob(h.port(), QStringLiteral("Bob"));
    JOIN(bob, 2);
    h.host.setGameRunning(true);

    // Gone without a word, as when the program is killed.
    anna.reset();
    QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
    QCOMPARE(h.lost.at(0).at(0).toInt(), 1);
    QCOMPARE(h.host.seats().size(), 2);
    QVERIFY(!h.host.seats()[0].connected);
    QVERIFY(h.host.seats()[1].connected);
    h.host.sendToAll(soundMessage(4)); // the game goes on for Bob
    QTRY_COMPARE_WITH_TIMEOUT(bob.messages.size(), 1, Wait);

    // The seat is Anna's: a stranger cannot have it, nor Anna without the code.
    Joiner stranger(h.port(), QStringLiteral("Mallory"));
    REFUSED(stranger, RefusalReason::GameRunning);
    Joiner wrongCode(h.port(), QStringLiteral("Anna"), QStringLiteral("111111"));
    REFUSED(wrongCode, RefusalReason::Code);

    Joiner back(h.port(), QStringLiteral("Anna"));
    JOIN(back, 1);
    QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 3, Wait);
    QCOMPARE(h.joined.at(2).at(0).toInt(), 1);
    QVERIFY(h.host.seats()[0].connected);
    back.client->sendAction(PlayerAction::Hint);
    QTRY_COMPARE_WITH_TIMEOUT(h.actionsOf(1), 1, Wait);

    // Leaving in good order holds the seat just the same.
    back.client->leave();
    QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 2, Wait);
    QCOMPARE(back.lost.size(), 0);
    QCOMPARE(h.released.size(), 0);
    QCOMPARE(bob.lost.size(), 0);
}

void TestGameHost::aHeldSeatIsReleasedInTime()
{
    Timings timings;
    timings.seatHold = 300;
    Host h(timings);
    QVERIFY(h.listen());
    auto anna = std::make_unique<Joiner>(h.port(), QStringLiteral("Anna"));
    JOIN(*anna, 1);
    Joiner bob(h.port(), QStringLiteral("Bob"));
    JOIN(bob, 2);
    anna->client->leave();
    QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(h.released.size(), 1, Wait);
    QCOMPARE(h.released.at(0).at(0).toInt(), 1);
    QCOMPARE(h.host.seats().size(), 1);
    QCOMPARE(h.host.seats()[0].name, QStringLiteral("Bob"));

    // The free seat goes to the next computer.
    Joiner dora(h.port(), QStringLiteral("Dora"));
    JOIN(dora, 1);
    // A seat taken back in time is not released later by the old hold.
    bob.client->leave();
    QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 2, Wait);
    Joiner bobAgain(h.port(), QStringLiteral("Bob"));
    JOIN(bobAgain, 2);
    // Dora's hold starts after Bob's old one and ends after it.
    dora.client->leave();
    QTRY_COMPARE_WITH_TIMEOUT(h.released.size(), 2, Wait);
    QCOMPARE(h.released.at(1).at(0).toInt(), 1);
    QCOMPARE(h.host.seats().size(), 1);
    QCOMPARE(h.host.seats()[0].name, QStringLiteral("Bob"));
    QVERIFY(h.host.seats()[0].connected);
}

void TestGameHost::aHostilePeerIsThrownOutAndTheGameGoesOn_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<bool>("saysHello");
    QTest::newRow("random bytes") << QStringLiteral("random") << true;
    QTest::newRow("random bytes instead of a handshake") << QStringLiteral("noise") << false;
    QTest::newRow("an oversized frame") << QStringLiteral("frame") << true;
    QTest::newRow("an oversized message in small frames") << QStringLiteral("fragments") << true;
    QTest::newRow("a text frame") << QStringLiteral("text") << true;
    QTest::newRow("a flood") << QStringLiteral("flood") << true;
    QTest::newRow("a state, which only the host sends") << QStringLiteral("state") << true;
    QTest::newRow("a second hello") << QStringLiteral("hello") << true;
    QTest::newRow("a malformed message") << QStringLiteral("malformed") << true;
    QTest::newRow("an action before the hello") << QStringLiteral("action") << false;
    QTest::newRow("no hello") << QStringLiteral("silence") << false;
}

void TestGameHost::aHostilePeerIsThrownOutAndTheGameGoesOn()
{
    QFETCH(QString, attack);
    QFETCH(bool, saysHello);
    Host h;
    QVERIFY(h.listen());
    Joiner anna(h.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);
    QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 1, Wait);
    if (attack == QLatin1String("silence")) {
        // Counted from each connection's start: Anna is in already.
        Timings timings;
        timings.helloTimeout = 500;
        h.host.setTimings(timings);
    }

    RawPeer mallory;
    mallory.connectTo(h.port());
    QRandomGenerator random(4711);
    if (attack == QLatin1String("noise")) {
        QByteArray noise(64 * 1024, '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        mallory.socket.write(noise);
    } else {
        mallory.sendHandshake();
        QTRY_VERIFY_WITH_TIMEOUT(mallory.upgraded(), Wait);
    }
    if (saysHello) {
        mallory.send(helloMessage(QStringLiteral("Mallory")));
        QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 2, Wait);
        QCOMPARE(h.joined.at(1).at(0).toInt(), 2);
    }

    constexpr int FloodSize = 1000;
    if (attack == QLatin1String("random")) {
        QByteArray noise(4096, '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        noise[0] = char(noise[0] | 0x70); // reserved bits: never a frame
        mallory.socket.write(noise);
    } else if (attack == QLatin1String("frame")) {
        mallory.socket.write(clientFrame(2, QByteArray(MaxMessageBytes + 1, 'x')));
    } else if (attack == QLatin1String("fragments")) {
        const QByteArray part(64 * 1024, 'x');
        mallory.socket.write(clientFrame(2, part, false));
        for (int i = 0; i < 4; ++i)
            mallory.socket.write(clientFrame(0, part, false));
        mallory.socket.write(clientFrame(0, part, true));
    } else if (attack == QLatin1String("text")) {
        mallory.socket.write(clientFrame(1, "{\"t\":\"action\"}"));
    } else if (attack == QLatin1String("flood")) {
        Message draw;
        draw.kind = MessageKind::Action;
        QByteArray frames;
        for (int i = 0; i < FloodSize; ++i)
            frames += clientFrame(2, encodeMessage(draw));
        mallory.socket.write(frames);
    } else if (attack == QLatin1String("state")) {
        Message state;
        state.kind = MessageKind::State;
        mallory.send(state);
    } else if (attack == QLatin1String("hello")) {
        mallory.send(helloMessage(QStringLiteral("Mallory")));
    } else if (attack == QLatin1String("malformed")) {
        mallory.socket.write(clientFrame(2, QByteArray::fromHex("a2617466616374696f6e")));
    } else if (attack == QLatin1String("action")) {
        Message draw;
        draw.kind = MessageKind::Action;
        mallory.send(draw);
    }

    QTRY_VERIFY_WITH_TIMEOUT(mallory.gone(), Wait);
    if (saysHello) {
        QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
        QCOMPARE(h.lost.at(0).at(0).toInt(), 2);
    }
    QVERIFY(h.actionsOf(2) < (attack == QLatin1String("flood") ? FloodSize : 1));
    QCOMPARE(h.joined.size(), saysHello ? 2 : 1);

    // Anna plays on and hears the host.
    anna.client->sendAction(PlayerAction::Place, 5);
    QTRY_COMPARE_WITH_TIMEOUT(h.actionsOf(1), 1, Wait);
    h.host.sendToAll(soundMessage(3));
    QTRY_COMPARE_WITH_TIMEOUT(anna.messages.size(), 1, Wait);
    QCOMPARE(anna.message(0).number, 3);
    QCOMPARE(anna.lost.size(), 0);
    QVERIFY(h.host.seats()[0].connected);
}

void TestGameHost::lookAlikeNamesAreOneName()
{
    Host h;
    QVERIFY(h.listen());
    Joiner anna(h.port(), QStringLiteral("Jos\u00e9"));
    JOIN(anna, 1);
    // Full-width letters, a decomposed accent, spaces around: the same names to the eye.
    Joiner wideHost(h.port(), QStringLiteral("\uff28\uff4f\uff53\uff54"));
    REFUSED(wideHost, RefusalReason::NameTaken);
    Joiner decomposed(h.port(), QStringLiteral("Jose\u0301"));
    REFUSED(decomposed, RefusalReason::NameTaken);
    Joiner spaced(h.port(), QStringLiteral(" JOS\u00c9 "));
    REFUSED(spaced, RefusalReason::NameTaken);
    QCOMPARE(h.host.seats().size(), 1);
    QCOMPARE(anna.lost.size(), 0);

    // The held seat is taken back under a name that looks the same.
    anna.client->leave();
    QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
    Joiner back(h.port(), QStringLiteral("JOSE\u0301"));
    JOIN(back, 1);
    QCOMPARE(h.host.seats().size(), 1);
    QCOMPARE(h.host.seats()[0].name, QStringLiteral("Jos\u00e9"));
}

// What became of a hello.
enum class HelloOutcome { Seat, NameTaken, Closed };
Q_DECLARE_METATYPE(HelloOutcome)

void TestGameHost::namesThatPassForAnotherTakeNoSeat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<HelloOutcome>("outcome");
    QTest::addColumn<bool>("annaLeft"); // her seat is held for her
    using O = HelloOutcome;
    // The host plays as "Reridu", and "Anna" has joined.
    QTest::newRow("Cyrillic e in Reridu") << QStringLiteral("R\u0435ridu") << O::NameTaken << false;
    QTest::newRow("Cyrillic A in Anna") << QStringLiteral("\u0410nna") << O::NameTaken << false;
    QTest::newRow("Anna and a Hangul filler") << QStringLiteral("Anna\u3164") << O::NameTaken << false;
    QTest::newRow("Reridu and invisible marks") << QStringLiteral("Rer\u034fidu\ufe0f\U000E0100") << O::NameTaken << false;
    QTest::newRow("Reridu and marks of other scripts") << QStringLiteral("Reridu\u17b4\U00016FE4") << O::NameTaken << false;
    QTest::newRow("Cyrillic Anna at Anna's held seat") << QStringLiteral("\u0410nna") << O::NameTaken << true;
    QTest::newRow("Anna back at her held seat") << QStringLiteral("ANNA") << O::Seat << true;
    QTest::newRow("braille blank") << QStringLiteral("\u2800") << O::Closed << false;
    QTest::newRow("Hangul filler") << QStringLiteral("\u3164") << O::Closed << false;
    QTest::newRow("other fillers, spaces, a lone accent") << QStringLiteral("\uffa0\u115f\u1160\u3000\u0301") << O::Closed << false;
    QTest::newRow("line separator") << QStringLiteral("Reridu\u2028(10.0.0.1)") << O::Closed << false;
    QTest::newRow("paragraph separator") << QStringLiteral("Bea\u2029free") << O::Closed << false;
    QTest::newRow("accents piled up") << QStringLiteral("Bea\u0301\u0302\u0303\u0304\u0305") << O::Closed << false;
    QTest::newRow("Vietnamese") << QStringLiteral("Nguy\u00ea\u0303n") << O::Seat << false;
    QTest::newRow("Greek Rho, which looks like P") << QStringLiteral("\u03a1eridu") << O::Seat << false;
    QTest::newRow("Anne beside Anna") << QStringLiteral("Anne") << O::Seat << false;
    QTest::newRow("Hebrew") << QStringLiteral("\u05d0\u05d1\u05d2") << O::Seat << false;
    QTest::newRow("Hindi, with its own vowel signs") << QStringLiteral("\u0905\u0928\u093f\u0924\u093e") << O::Seat << false;
    QTest::newRow("Arabic") << QStringLiteral("\u0633\u0627\u0631\u0629") << O::Seat << false;
    QTest::newRow("German") << QStringLiteral("J\u00fcrgen Gro\u00df") << O::Seat << false;
    QTest::newRow("Spanish") << QStringLiteral("Bego\u00f1a") << O::Seat << false;
    QTest::newRow("Italian") << QStringLiteral("Niccol\u00f2") << O::Seat << false;
    QTest::newRow("French") << QStringLiteral("Ana\u00efs \u00c9lo\u00efse") << O::Seat << false;
    QTest::newRow("English, an accent beside Anna") << QStringLiteral("\u00c1nna") << O::Seat << false;
}

void TestGameHost::namesThatPassForAnotherTakeNoSeat()
{
    QFETCH(QString, name);
    QFETCH(HelloOutcome, outcome);
    QFETCH(bool, annaLeft);
    Host h;
    h.host.setHostNames({QStringLiteral("Reridu")});
    QVERIFY(h.listen());
    Joiner anna(h.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);
    if (annaLeft) {
        anna.client->leave();
        QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
    }

    // Sent by hand: the game's own dialog would not let most of these names go out.
    RawPeer peer;
    peer.connectTo(h.port());
    QVERIFY(peer.socket.waitForConnected(Wait));
    peer.sendHandshake();
    QTRY_VERIFY_WITH_TIMEOUT(peer.upgraded(), Wait);
    peer.send(helloMessage(name));
    if (outcome == HelloOutcome::Closed) {
        QTRY_VERIFY_WITH_TIMEOUT(peer.gone(), Wait);
        QVERIFY(!peer.firstMessage() || peer.firstMessage()->kind != MessageKind::Welcome);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(peer.firstMessage().has_value(), Wait);
        const bool seated = outcome == HelloOutcome::Seat;
        QCOMPARE(peer.firstMessage()->kind, seated ? MessageKind::Welcome : MessageKind::Refused);
        QVERIFY(seated || peer.firstMessage()->reason == RefusalReason::NameTaken);
    }
    const int seats = outcome == HelloOutcome::Seat && !annaLeft ? 2 : 1;
    QCOMPARE(h.host.seats().size(), seats);
    if (seats == 2)
        QCOMPARE(h.host.seats()[1].name, name);
    QCOMPARE(h.host.seats()[0].name, QStringLiteral("Anna"));
    QCOMPARE(anna.lost.size(), 0);
    QCOMPARE(h.host.seats()[0].connected, outcome == HelloOutcome::Seat || !annaLeft);
}

void TestGameHost::guessingTheCodeIsCutShort()
{
    Host h;
    QVERIFY(h.listen());
    Joiner first(h.port(), QStringLiteral("Anna"));
    JOIN(first, 1);
    int tries = 0;
    for (; tries < 10; ++tries) {
        Joiner guess(h.port(), QStringLiteral("Mallory"), QStringLiteral("%1").arg(tries, JoinCodeDigits, 10, QLatin1Char('0')));
        REFUSED(guess, RefusalReason::Code);
    }
    // From this address, even the right code is refused now...
    Joiner right(h.port(), QStringLiteral("Bob"));
    REFUSED(right, RefusalReason::Code);
    QCOMPARE(h.host.seats().size(), 1);
    // ...while the computer already in plays on.
    first.client->sendAction(PlayerAction::Draw, -1);
    QTRY_COMPARE_WITH_TIMEOUT(h.actionsOf(1), 1, Wait);
    QCOMPARE(first.lost.size(), 0);

    // Hosting anew starts counting anew.
    QVERIFY(h.listen());
    Joiner again(h.port(), QStringLiteral("Bob"));
    JOIN(again, 1);
}

void TestGameHost::aPeerThatReadsNothingIsCutOff()
{
    // It makes the host answer (pings) and reads nothing, and keeps itself
    // heard with pongs of its own: what the host owes it must not pile up.
    Timings timings;
    timings.pingInterval = 100;
    Host h(timings);
    QVERIFY(h.listen());
    Joiner anna(h.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);

    RawPeer mallory;
    mallory.connectTo(h.port());
    mallory.sendHandshake();
    QTRY_VERIFY_WITH_TIMEOUT(mallory.upgraded(), Wait);
    mallory.send(helloMessage(QStringLiteral("Mallory")));
    QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 2, Wait);
    mallory.socket.disconnect(&mallory);
    mallory.socket.setReadBufferSize(1);

    QByteArray chunk;
    const QByteArray payload(125, 'p');
    while (chunk.size() < 1024 * 1024)
        chunk += clientFrame(9, payload);
    chunk += clientFrame(10, "still here");
    qint64 sent = 0;
    QElapsedTimer waited;
    waited.start();
    while (h.lost.isEmpty() && waited.elapsed() < 120000 && sent < 1024LL * 1024 * 1024) {
        if (mallory.socket.bytesToWrite() < 4 * chunk.size()) {
            mallory.socket.write(chunk);
            sent += chunk.size();
        }
        QTest::qWait(5);
    }
    QCOMPARE(h.lost.size(), 1);
    QCOMPARE(h.lost.at(0).at(0).toInt(), 2);

    anna.client->sendAction(PlayerAction::Place, 5);
    QTRY_COMPARE_WITH_TIMEOUT(h.actionsOf(1), 1, Wait);
    QCOMPARE(anna.lost.size(), 0);
}

void TestGameHost::aSilentPeerIsLost()
{
    // A peer that says hello and then never answers a ping.
    Timings timings;
    timings.pingInterval = 100;
    timings.peerLost = 1000;
    Host h(timings);
    QVERIFY(h.listen());
    RawPeer silent;
    silent.connectTo(h.port());
    silent.sendHandshake();
    QTRY_VERIFY_WITH_TIMEOUT(silent.upgraded(), Wait);
    silent.send(helloMessage(QStringLiteral("Quiet")));
    QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 1, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
    QCOMPARE(h.lost.at(0).at(0).toInt(), 1);
    // It was pinged on the way (a ping frame: opcode 9).
    QVERIFY(silent.received.contains(char(0x89)));
    QVERIFY(!h.host.seats()[0].connected);
}

void TestGameHost::aJoiningComputerNoticesAHostGoneWrong_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("detail");
    QTest::newRow("a malformed message") << QStringLiteral("malformed") << QStringLiteral("malformed");
    QTest::newRow("a text message") << QStringLiteral("text") << QStringLiteral("text");
    QTest::newRow("the game before the welcome") << QStringLiteral("early") << QStringLiteral("before the welcome");
    QTest::newRow("a hello, which only a joining computer sends") << QStringLiteral("hello") << QStringLiteral("only a joining");
    QTest::newRow("the connection cut") << QStringLiteral("cut") << QString();
    QTest::newRow("nobody at the port") << QStringLiteral("nobody") << QString();
}

void TestGameHost::aJoiningComputerNoticesAHostGoneWrong()
{
    QFETCH(QString, fault);
    QFETCH(QString, detail);
    FakeHost fake;
    fake.answer = [fault](QWebSocket* socket, const QByteArray& bytes) {
        const std::optional<Message> hello = decodeMessage(bytes);
        if (!hello || hello->kind != MessageKind::Hello)
            return;
        if (fault == QLatin1String("early")) {
            socket->sendBinaryMessage(encodeMessage(soundMessage(1)));
            return;
        }
        Message welcome;
        welcome.kind = MessageKind::Welcome;
        welcome.seat = 2;
        socket->sendBinaryMessage(encodeMessage(welcome));
        if (fault == QLatin1String("malformed"))
            socket->sendBinaryMessage(QByteArray::fromHex("a1617465736f756e64ff"));
        else if (fault == QLatin1String("text"))
            socket->sendTextMessage(QStringLiteral("{}"));
        else if (fault == QLatin1String("hello"))
            socket->sendBinaryMessage(encodeMessage(*hello));
        else if (fault == QLatin1String("cut"))
            socket->abort();
    };
    quint16 port = fake.server.serverPort();
    if (fault == QLatin1String("nobody"))
        fake.server.close();
    Joiner anna(port, QStringLiteral("Anna"));
    QTRY_COMPARE_WITH_TIMEOUT(anna.lost.size(), 1, Wait);
    const QString said = anna.lost.at(0).at(0).toString();
    QVERIFY2(said.contains(detail), qPrintable(said));
    QVERIFY(!said.isEmpty());
    QVERIFY(!anna.client->connected());
    QCOMPARE(anna.messages.size(), 0);
}

void TestGameHost::aJoiningComputerNoticesASilentHost()
{
    // A host that says welcome and then nothing, not even pongs.
    TcpHost silent;
    Timings timings;
    timings.pingInterval = 100;
    timings.peerLost = 1000;
    Joiner anna(silent.port(), QStringLiteral("Anna"), Code, timings);
    JOIN(anna, 1);
    QTRY_COMPARE_WITH_TIMEOUT(anna.lost.size(), 1, Wait);
    QVERIFY2(anna.lost.at(0).at(0).toString().contains(QStringLiteral("not answered")),
             qPrintable(anna.lost.at(0).at(0).toString()));
    QVERIFY(!anna.client->connected());
}

void TestGameHost::aJoiningComputerLeavesAHostThatReadsNothing()
{
    // A host that welcomes, then pings on and on and reads none of the
    // pongs, keeping itself heard with pongs of its own.
    TcpHost stand;
    stand.readsNothing = true;
    Joiner anna(stand.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);
    QTcpSocket* host = stand.host();
    QVERIFY(host);

    QByteArray chunk;
    const QByteArray ping = QByteArray(1, char(0x89)) + QByteArray(1, char(125)) + QByteArray(125, 'p');
    while (chunk.size() < 1024 * 1024)
        chunk += ping;
    chunk += QByteArray(1, char(0x8A)) + QByteArray(1, char(4)) + QByteArray("here");
    qint64 sent = 0;
    QElapsedTimer waited;
    waited.start();
    while (anna.lost.isEmpty() && waited.elapsed() < 120000 && sent < 1024LL * 1024 * 1024) {
        if (host->state() == QAbstractSocket::ConnectedState && host->bytesToWrite() < 4 * chunk.size()) {
            host->write(chunk);
            sent += chunk.size();
        }
        QTest::qWait(5);
    }
    QCOMPARE(anna.lost.size(), 1);
    QVERIFY(!anna.client->connected());
}

void TestGameHost::aJoiningComputerLeavesAHostileHostAtOnce_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("detail"); // empty: the game goes on
    QTest::newRow("pings on and on, reading nothing") << QStringLiteral("pings") << 0 << QStringLiteral("control frames");
    QTest::newRow("an answer to another key") << QStringLiteral("answer") << 0 << QStringLiteral("did not open");
    QTest::newRow("a masked frame") << QStringLiteral("masked") << 1 << QStringLiteral("malformed frame");
    QTest::newRow("four pictures at once") << QStringLiteral("pictures") << 4 << QStringLiteral("pictures");
    QTest::newRow("two pictures at once") << QStringLiteral("pictures") << 2 << QString();
}

void TestGameHost::aJoiningComputerLeavesAHostileHostAtOnce()
{
    QFETCH(QString, attack);
    QFETCH(int, count);
    QFETCH(QString, detail);
    TcpHost stand;
    stand.readsNothing = true;
    if (attack == QLatin1String("answer"))
        stand.tweak = [](QByteArray& request) { request.replace("Sec-WebSocket-Key: ", "Sec-WebSocket-Key: x"); };
    Joiner anna(stand.port(), QStringLiteral("Anna"));
    if (attack == QLatin1String("answer")) {
        QTRY_COMPARE_WITH_TIMEOUT(anna.lost.size(), 1, Wait);
        QVERIFY2(anna.lost.at(0).at(0).toString().contains(detail), qPrintable(anna.lost.at(0).at(0).toString()));
        QVERIFY(anna.joined.isEmpty());
        return;
    }
    JOIN(anna, 1);
    QTcpSocket* host = stand.host();
    QVERIFY(host);
    const QByteArray sound = encodeMessage(soundMessage(4));
    if (attack == QLatin1String("pings")) {
        const QByteArray chunk = serverFrame(Opcode::Ping, QByteArray(125, 'p')).repeated(8000);
        const qint64 before = residentBytes() / 1024;
        qint64 sent = 0;
        qint64 peak = before;
        QElapsedTimer waited;
        waited.start();
        while (anna.lost.isEmpty() && waited.elapsed() < 60000 && sent < 512LL * 1024 * 1024) {
            if (host->state() == QAbstractSocket::ConnectedState && host->bytesToWrite() < 4 * chunk.size()) {
                host->write(chunk);
                sent += chunk.size();
            }
            peak = std::max(peak, residentBytes() / 1024);
            QTest::qWait(5);
        }
        // It answered a few pings, not all it was sent: its memory never followed them.
        QVERIFY2(sent < 32 * 1024 * 1024, qPrintable(QStringLiteral("%1 bytes of pings").arg(sent)));
        QVERIFY2(peak - before < 64 * 1024, qPrintable(QStringLiteral("%1 KB more").arg(peak - before)));
    } else if (attack == QLatin1String("masked")) {
        host->write(maskedFrame(Opcode::Binary, sound));
    } else {
        Message picture;
        picture.kind = MessageKind::Picture;
        picture.builtIn = 201;
        for (int n = 0; n < count; ++n)
            host->write(serverFrame(Opcode::Binary, encodeMessage(picture)));
        host->write(serverFrame(Opcode::Binary, sound));
    }
    if (detail.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(anna.messages.size(), count + 1, Wait);
        QCOMPARE(anna.message(count).kind, MessageKind::Sound);
        QVERIFY(anna.lost.isEmpty());
        QVERIFY(anna.client->connected());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(anna.lost.size(), 1, Wait);
    QVERIFY2(anna.lost.at(0).at(0).toString().contains(detail), qPrintable(anna.lost.at(0).at(0).toString()));
    QVERIFY(!anna.client->connected());
    // Nothing after the fault was handed on: at most the two pictures a host may send at once.
    QVERIFY(anna.messages.size() <= 2);
    for (const QList<QVariant>& message : anna.messages)
        QCOMPARE(message.at(0).value<Message>().kind, MessageKind::Picture);
}

void TestGameHost::aFloodOfControlFramesIsCutShort_data()
{
    QTest::addColumn<int>("peers");
    QTest::addColumn<bool>("withSeats");
    QTest::addColumn<int>("opcode");
    QTest::newRow("eight that never say hello, pinging") << 8 << false << 9;
    QTest::newRow("two with seats, pinging") << 2 << true << 9;
    QTest::newRow("two with seats, sending pongs") << 2 << true << 10;
}

void TestGameHost::aFloodOfControlFramesIsCutShort()
{
    // They flood and read nothing: each is closed at once, nothing of
    // theirs piles up in the host, and the player already in plays on.
    QFETCH(int, peers);
    QFETCH(bool, withSeats);
    QFETCH(int, opcode);
    Host h;
    QVERIFY(h.listen());
    Joiner anna(h.port(), QStringLiteral("Anna"));
    JOIN(anna, 1);

    std::vector<std::unique_ptr<RawPeer>> flooders;
    for (int i = 0; i < peers; ++i) {
        auto peer = std::make_unique<RawPeer>();
        peer->connectTo(h.port());
        peer->sendHandshake();
        QTRY_VERIFY_WITH_TIMEOUT(peer->upgraded(), Wait);
        if (withSeats)
            peer->send(helloMessage(QStringLiteral("Flood %1").arg(i)));
        flooders.push_back(std::move(peer));
    }
    QTRY_COMPARE_WITH_TIMEOUT(int(h.joined.size()), 1 + (withSeats ? peers : 0), Wait);
    // Those with seats read nothing; the others read all, to see nothing answered.
    for (const auto& peer : flooders) {
        if (!withSeats)
            break;
        peer->socket.disconnect(peer.get());
        peer->socket.setReadBufferSize(1);
    }

    QByteArray chunk;
    while (chunk.size() < 256 * 1024)
        chunk += clientFrame(opcode, QByteArray(125, 'p'));
    const qint64 before = residentBytes();
    qint64 peak = before;
    QElapsedTimer waited;
    waited.start();
    const auto allGone = [&] {
        return std::all_of(flooders.begin(), flooders.end(), [](const auto& peer) { return peer->gone(); });
    };
    while (!allGone() && waited.elapsed() < 6 * Wait) {
        for (const auto& peer : flooders)
            if (!peer->gone() && peer->socket.bytesToWrite() < 2 * chunk.size())
                peer->socket.write(chunk);
        QTest::qWait(5);
        peak = std::max(peak, residentBytes());
    }
    qInfo("resident memory %lld MB before the flood, %lld MB at most during it, closed after %lld ms",
          before >> 20, peak >> 20, waited.elapsed());
    QVERIFY2(allGone(), "a flooding connection stayed open");
    QVERIFY2(peak - before < 64 * 1024 * 1024, qPrintable(QStringLiteral("grew by %1 MB").arg((peak - before) >> 20)));
    for (const auto& peer : flooders)
        QVERIFY2(withSeats || !peer->afterHandshake().contains(char(0x8A)), "a ping was answered before hello");
    if (withSeats)
        QTRY_COMPARE_WITH_TIMEOUT(int(h.lost.size()), peers, Wait);
    anna.client->sendAction(PlayerAction::Place, 5);
    QTRY_COMPARE_WITH_TIMEOUT(h.actionsOf(1), 1, Wait);
    QCOMPARE(anna.lost.size(), 0);
}

void TestGameHost::idleConnectionsNeverKeepAPlayerOut_data()
{
    QTest::addColumn<int>("connections");
    QTest::addColumn<int>("addresses");
    QTest::addColumn<bool>("handshake");
    QTest::newRow("eight from one address") << 8 << 1 << true;
    QTest::newRow("eight from eight addresses") << 8 << 8 << true;
    QTest::newRow("forty from eight addresses") << 40 << 8 << true;
    QTest::newRow("forty from one address") << 40 << 1 << true;
    QTest::newRow("a thousand that never send a byte") << 1000 << 250 << false;
}

void TestGameHost::idleConnectionsNeverKeepAPlayerOut()
{
    QFETCH(int, connections);
    QFETCH(int, addresses);
    QFETCH(bool, handshake);
    Timings timings;
    timings.helloTimeout = 2000; // a newcomer's hello has a second before it can be closed
    Host h(timings);
    QVERIFY(h.listen());
    IdleCrowd crowd(h.port(), connections, addresses, handshake);
    // The host has begun closing them, and they come back at once.
    QTRY_VERIFY_WITH_TIMEOUT(crowd.reopened >= std::min(connections, 100), Wait);
    int seat = 0;
    for (const QString& name : {QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Cleo")}) {
        QElapsedTimer took;
        took.start();
        Joiner player(h.port(), name);
        ++seat;
        JOIN(player, seat);
        QCOMPARE(player.refused.size(), 0);
        // Well before a joining computer gives up, even on a busy machine.
        QVERIFY2(took.elapsed() < 10000, qPrintable(QStringLiteral("%1 ms").arg(took.elapsed())));
    }
    QCOMPARE(h.host.seats().size(), 3);
}

void TestGameHost::guessingFromManyAddressesSpendsTheCode_data()
{
    QTest::addColumn<int>("addresses");
    QTest::addColumn<int>("guessesEach");
    QTest::addColumn<bool>("heldSeat"); // Anna's computer dropped before the guessing
    QTest::newRow("one guess from each of thirty addresses") << 30 << 1 << false;
    QTest::newRow("ten guesses from each of three addresses") << 3 << 10 << false;
    QTest::newRow("a held seat taken back with its own code") << 3 << 10 << true;
}

void TestGameHost::guessingFromManyAddressesSpendsTheCode()
{
    QFETCH(int, addresses);
    QFETCH(int, guessesEach);
    QFETCH(bool, heldSeat);
    Timings timings;
    timings.codePause = 2000;
    Host h(timings);
    QSignalSpy guessed(&h.host, &GameHost::codeGuessed);
    QVERIFY(h.listen());
    if (heldSeat) {
        auto anna = std::make_unique<Joiner>(h.port(), QStringLiteral("Anna"));
        JOIN(*anna, 1);
        h.host.setGameRunning(true);
        anna.reset();
        QTRY_COMPARE_WITH_TIMEOUT(h.lost.size(), 1, Wait);
    }
    int guess = 0;
    for (int address = 0; address < addresses; ++address)
        for (int i = 0; i < guessesEach; ++i) {
            const QString wrong = QStringLiteral("%1").arg(++guess, JoinCodeDigits, 10, QLatin1Char('0'));
            QVERIFY(wrong != Code);
            QVERIFY(!h.tryCode(QHostAddress(QStringLiteral("127.1.%1.%2").arg(address / 200).arg(1 + address % 200)), wrong));
        }
    // The host's player was told once, with the fresh code to give out.
    QCOMPARE(guessed.size(), 1);
    const QString fresh = guessed.at(0).at(0).toString();
    QVERIFY(isJoinCode(fresh));
    QVERIFY(fresh != Code);
    QCOMPARE(h.host.code(), fresh);
    QVERIFY(guessed.at(0).at(1).toInt() >= 2);
    QCOMPARE(h.host.seats().size(), heldSeat ? 1 : 0);
    if (heldSeat) {
        // Anna comes back with the code she joined with, during the pause; a
        // stranger with her name and a wrong code does not.
        Joiner stranger(h.port(), QStringLiteral("Anna"), QStringLiteral("000000"));
        REFUSED(stranger, RefusalReason::Code);
        Joiner back(h.port(), QStringLiteral("Anna"));
        JOIN(back, 1);
        QVERIFY(h.host.seats()[0].connected);
        return;
    }

    // The old code is spent, and no code is taken during the pause...
    QVERIFY(!h.tryCode(QHostAddress(QStringLiteral("127.2.0.1")), Code));
    QVERIFY(!h.tryCode(QHostAddress(QStringLiteral("127.2.0.2")), fresh));
    // ...after which a player with the fresh code gets in.
    QVERIFY(QTest::qWaitFor([&] { return h.tryCode(QHostAddress(QStringLiteral("127.2.0.3")), fresh); }, 3 * Wait));
    QCOMPARE(h.host.seats().size(), 1);
}

void TestGameHost::neighboursCountApart_data()
{
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("together");
    QTest::newRow("two computers of one IPv6 home network") << QStringLiteral("2001:db8:1:2::10") << QStringLiteral("2001:db8:1:2::11") << false;
    QTest::newRow("two computers by their link-local IPv6 addresses") << QStringLiteral("fe80::1c2a:3bff:fe4d:5e6f") << QStringLiteral("fe80::a1b2:c3ff:fed4:e5f6") << false;
    QTest::newRow("two IPv4 computers") << QStringLiteral("192.168.1.20") << QStringLiteral("192.168.1.21") << false;
    QTest::newRow("one IPv4 computer, also as IPv6") << QStringLiteral("192.168.1.20") << QStringLiteral("::ffff:192.168.1.20") << true;
    QTest::newRow("one IPv6 computer, written two ways") << QStringLiteral("2001:db8::10") << QStringLiteral("2001:0db8:0:0::0010") << true;
}

// One computer's wrong codes and idle sockets never count against its neighbours.
void TestGameHost::neighboursCountApart()
{
    QFETCH(QString, one);
    QFETCH(QString, other);
    QFETCH(bool, together);
    QCOMPARE(GameHost::peerKey(QHostAddress(one)) == GameHost::peerKey(QHostAddress(other)), together);
}

void TestGameHost::onlyAJoiningComputerIsTakenIn_data()
{
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<bool>("masked");
    QTest::addColumn<bool>("takesSeat");
    QTest::newRow("a joining computer") << QByteArray() << true << true;
    QTest::newRow("a browser's page") << QByteArray("Origin: http://192.168.1.20\r\n") << true << false;
    QTest::newRow("an old browser's page") << QByteArray("Sec-WebSocket-Origin: http://example.org\r\n") << true << false;
    QTest::newRow("an unmasked hello") << QByteArray() << false << false;
}

void TestGameHost::onlyAJoiningComputerIsTakenIn()
{
    QFETCH(QByteArray, headers);
    QFETCH(bool, masked);
    QFETCH(bool, takesSeat);
    Host h;
    QVERIFY(h.listen());
    RawPeer peer;
    peer.connectTo(h.port());
    peer.sendHandshake(headers);
    QTRY_VERIFY_WITH_TIMEOUT(peer.received.contains("\r\n\r\n") || peer.gone(), Wait);
    if (!headers.isEmpty()) {
        // A page in a browser is refused before any WebSocket is made.
        QVERIFY2(peer.received.startsWith("HTTP/1.1 403"), peer.received.constData());
        QTRY_VERIFY_WITH_TIMEOUT(peer.gone(), Wait);
        QCOMPARE(h.joined.size(), 0);
        return;
    }
    QVERIFY(peer.upgraded());
    if (masked)
        peer.send(helloMessage(QStringLiteral("Anna")));
    else
        peer.sendUnmasked(helloMessage(QStringLiteral("Anna")));
    if (takesSeat) {
        QTRY_COMPARE_WITH_TIMEOUT(h.joined.size(), 1, Wait);
        QCOMPARE(peer.firstMessage()->kind, MessageKind::Welcome);
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(peer.gone(), Wait);
    QCOMPARE(h.joined.size(), 0);
    QVERIFY(h.host.seats().isEmpty());
}

TESSARON_TEST_MAIN(TestGameHost)
#include "test_game_host.moc"
