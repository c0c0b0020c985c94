#include "net/GameHost.h"

#include "net/NameLook.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <map>

namespace tess::net {

namespace {

// Connections that have not said hello yet; more are closed at once, so a
// peer cannot tie the host up with idle sockets.
constexpr int MaxWaitingConnections = 8;
// A connection told to close that does not finish its closing handshake is cut.
constexpr int CloseGraceMilliseconds = 2000;
// Wrong join codes one address may try; after that, it is refused whatever
// code it gives, so the four digits cannot be found by trying them all.
constexpr int MaxWrongCodesPerAddress = 10;
// What may wait to go out to one peer: a player's picture twice over and the
// states after it. A peer that reads nothing while it makes the host answer
// (pings) would otherwise fill the host's memory.
constexpr qint64 MaxOutgoingBacklogBytes = 2 * MaxPictureBytes + 4 * MaxMessageBytes;

QString addressText(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

// Whose wrong join codes count together: an IPv4 address, or an IPv6
// address's network (/64), where one computer may take any address it likes.
QString codeTriesKey(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString();
    Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 8; i < 16; ++i)
        bytes[i] = 0;
    return QHostAddress(bytes).toString();
}

} // namespace

struct GameHost::Private {
    struct Connection {
        int seat = 0; // 0 while it has not said hello
        qint64 lastHeard = 0;
        double tokens = MaxMessageBurst;
        qint64 lastRefill = 0;
    };
    struct SeatState {
        QString name;
        QString address;
        QWebSocket* socket = nullptr; // null while the seat is held
        int holdRound = 0;            // a newer hold outdates an older hold's timer
    };

    GameHost* q;
    QWebSocketServer server{QStringLiteral("Tessaron"), QWebSocketServer::NonSecureMode};
    Timings timings;
    QString code;
    QString errorText;
    QStringList hostNames;
    bool gameRunning = false;
    QHash<QWebSocket*, Connection> connections;
    QHash<QString, int> wrongCodes; // by address, while this host listens
    std::map<int, SeatState> seats; // 1 .. MaxSeats - 1
    QTimer pingTimer;
    QElapsedTimer clock;

    explicit Private(GameHost* host) : q(host) { clock.start(); }

    void accept();
    void receive(QWebSocket* socket, const QByteArray& bytes);
    void hello(QWebSocket* socket, const Message& message);
    void refuse(QWebSocket* socket, const Message& hello, RefusalReason reason);
    bool takeToken(Connection& connection);
    void pingAll();
    void drop(QWebSocket* socket, QWebSocketProtocol::CloseCode code, const QString& why);
    void send(QWebSocket* socket, const QByteArray& bytes);
    int freeSeat() const;
};

GameHost::GameHost() : d(std::make_unique<Private>(this))
{
    connect(&d->server, &QWebSocketServer::newConnection, this, [this] { d->accept(); });
    connect(&d->pingTimer, &QTimer::timeout, this, [this] { d->pingAll(); });
}

GameHost::~GameHost()
{
    d->pingTimer.stop();
    d->server.close();
    // The sockets are children of the host: silence them before they go.
    for (QWebSocket* socket : findChildren<QWebSocket*>(Qt::FindDirectChildrenOnly)) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

void GameHost::setTimings(const Timings& timings)
{
    d->timings = timings;
}

void GameHost::setHostNames(const QStringList& names)
{
    d->hostNames = names;
}

bool GameHost::listen(quint16 port, const QString& code, const QHostAddress& address)
{
    close();
    d->code = isJoinCode(code)
        ? code
        : QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(10000), JoinCodeDigits, 10, QLatin1Char('0'));
    d->server.setHandshakeTimeout(d->timings.helloTimeout);
    if (!d->server.listen(address, port)) {
        d->errorText = QStringLiteral("cannot listen on port %1: %2").arg(port).arg(d->server.errorString());
        return false;
    }
    d->errorText.clear();
    d->wrongCodes.clear();
    d->pingTimer.start(d->timings.pingInterval);
    return true;
}

void GameHost::close()
{
    d->pingTimer.stop();
    d->server.close();
    // No seat is held when the whole game ends: the seats go first.
    const bool hadSeats = !d->seats.empty();
    d->seats.clear();
    const QList<QWebSocket*> sockets = d->connections.keys();
    for (QWebSocket* socket : sockets)
        d->drop(socket, QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("The host closed the game."));
    if (hadSeats)
        Q_EMIT seatsChanged();
}

bool GameHost::listening() const
{
    return d->server.isListening();
}

quint16 GameHost::port() const
{
    return d->server.serverPort();
}

QString GameHost::code() const
{
    return d->code;
}

QString GameHost::errorText() const
{
    return d->errorText;
}

void GameHost::setGameRunning(bool running)
{
    d->gameRunning = running;
}

QList<GameHost::Seat> GameHost::seats() const
{
    QList<Seat> list;
    for (const auto& [seat, state] : d->seats)
        list.append(Seat{seat, state.name, state.address, state.socket != nullptr});
    return list;
}

void GameHost::sendToAll(const Message& message)
{
    const QByteArray bytes = encodeMessage(message);
    for (const auto& [seat, state] : d->seats)
        if (state.socket)
            d->send(state.socket, bytes);
}

void GameHost::sendTo(int seat, const Message& message)
{
    const auto it = d->seats.find(seat);
    if (it != d->seats.end() && it->second.socket)
        d->send(it->second.socket, encodeMessage(message));
}

void GameHost::endGame()
{
    Message bye;
    bye.kind = MessageKind::Bye;
    sendToAll(bye);
    close();
}

void GameHost::throwOut(int seat, const QString& why)
{
    const auto it = d->seats.find(seat);
    if (it == d->seats.end() || !it->second.socket)
        return;
    QTimer::singleShot(0, this, [this, why, socket = QPointer<QWebSocket>(it->second.socket)] {
        if (socket)
            d->drop(socket, QWebSocketProtocol::CloseCodePolicyViolated, why);
    });
}

void GameHost::Private::send(QWebSocket* socket, const QByteArray& bytes)
{
    if (socket->bytesToWrite() > MaxOutgoingBacklogBytes) {
        // Not at once: the caller may be going through the seats.
        QTimer::singleShot(0, q, [this, socket = QPointer<QWebSocket>(socket)] {
            if (socket)
                drop(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Reads too little."));
        });
        return;
    }
    socket->sendBinaryMessage(bytes);
}

void GameHost::Private::accept()
{
    while (QWebSocket* socket = server.nextPendingConnection()) {
        socket->setParent(q);
        // A joining computer only ever sends small messages.
        socket->setMaxAllowedIncomingFrameSize(quint64(MaxMessageBytes));
        socket->setMaxAllowedIncomingMessageSize(quint64(MaxMessageBytes));
        int waiting = 0;
        for (const Connection& each : std::as_const(connections))
            waiting += each.seat == 0 ? 1 : 0;
        Connection connection;
        connection.lastHeard = connection.lastRefill = clock.elapsed();
        connections.insert(socket, connection);
        connect(socket, &QWebSocket::binaryMessageReceived, q,
                [this, socket](const QByteArray& bytes) { receive(socket, bytes); });
        connect(socket, &QWebSocket::textMessageReceived, q, [this, socket] {
            drop(socket, QWebSocketProtocol::CloseCodeDatatypeNotSupported, QStringLiteral("Only binary messages."));
        });
        connect(socket, &QWebSocket::pong, q, [this, socket] {
            const auto it = connections.find(socket);
            if (it != connections.end())
                it->lastHeard = clock.elapsed();
        });
        connect(socket, &QWebSocket::disconnected, q, [this, socket] {
            drop(socket, QWebSocketProtocol::CloseCodeNormal, QString());
        });
        if (waiting >= MaxWaitingConnections) {
            drop(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Too many connections."));
            continue;
        }
        QTimer::singleShot(timings.helloTimeout, socket, [this, socket] {
            const auto it = connections.find(socket);
            if (it != connections.end() && it->seat == 0)
                drop(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("No hello."));
        });
    }
}

bool GameHost::Private::takeToken(Connection& connection)
{
    const qint64 now = clock.elapsed();
    connection.tokens = std::min<double>(MaxMessageBurst,
                                         connection.tokens + double(now - connection.lastRefill) * MaxMessagesPerSecond / 1000.0);
    connection.lastRefill = now;
    if (connection.tokens < 1.0)
        return false;
    connection.tokens -= 1.0;
    return true;
}

void GameHost::Private::receive(QWebSocket* socket, const QByteArray& bytes)
{
    const auto it = connections.find(socket);
    if (it == connections.end())
        return;
    it->lastHeard = clock.elapsed();
    if (!takeToken(*it)) {
        drop(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Too many messages."));
        return;
    }
    const int seat = it->seat;
    const std::optional<Message> message = decodeMessage(bytes);
    if (!message) {
        drop(socket, QWebSocketProtocol::CloseCodeProtocolError, QStringLiteral("Malformed message."));
        return;
    }
    if (seat == 0) {
        if (message->kind != MessageKind::Hello) {
            drop(socket, QWebSocketProtocol::CloseCodeProtocolError, QStringLiteral("Hello first."));
            return;
        }
        hello(socket, *message);
        return;
    }
    if (message->kind != MessageKind::Action) {
        drop(socket, QWebSocketProtocol::CloseCodeProtocolError, QStringLiteral("Only actions."));
        return;
    }
    Q_EMIT q->actionReceived(seat, message->action, message->cell);
}

void GameHost::Private::hello(QWebSocket* socket, const Message& message)
{
    if (message.major != ProtocolMajor)
        return refuse(socket, message, RefusalReason::Version);
    const QString from = codeTriesKey(socket->peerAddress());
    if (wrongCodes.value(from) >= MaxWrongCodesPerAddress)
        return refuse(socket, message, RefusalReason::Code);
    if (message.code != code) {
        ++wrongCodes[from];
        return refuse(socket, message, RefusalReason::Code);
    }
    for (const QString& name : std::as_const(hostNames))
        if (namesLookAlike(name, message.name))
            return refuse(socket, message, RefusalReason::NameTaken);
    int seat = 0;
    for (auto& [number, state] : seats) {
        if (!namesLookAlike(state.name, message.name))
            continue;
        // A held seat goes back only to its own name, not to one that looks like it.
        if (state.socket || !sameLetters(state.name, message.name))
            return refuse(socket, message, RefusalReason::NameTaken);
        seat = number; // its held seat, taken back
    }
    if (seat == 0) {
        if (gameRunning)
            return refuse(socket, message, RefusalReason::GameRunning);
        seat = freeSeat();
        if (seat == 0)
            return refuse(socket, message, RefusalReason::Full);
    }
    SeatState& state = seats[seat];
    if (state.name.isEmpty())
        state.name = message.name;
    state.address = addressText(socket->peerAddress());
    state.socket = socket;
    ++state.holdRound;
    connections[socket].seat = seat;

    Message welcome;
    welcome.kind = MessageKind::Welcome;
    welcome.seat = seat;
    send(socket, encodeMessage(welcome));
    // Signals last: a receiver may close the host.
    Q_EMIT q->seatsChanged();
    Q_EMIT q->seatJoined(seat);
}

void GameHost::Private::refuse(QWebSocket* socket, const Message& hello, RefusalReason reason)
{
    Message refusal;
    refusal.kind = MessageKind::Refused;
    refusal.reason = reason;
    send(socket, encodeMessage(refusal));
    const QString address = addressText(socket->peerAddress());
    drop(socket, QWebSocketProtocol::CloseCodeNormal, QStringLiteral("Refused."));
    Q_EMIT q->joinRefused(address, hello.name, reason, hello.major, hello.minor);
}

int GameHost::Private::freeSeat() const
{
    for (int seat = 1; seat < MaxSeats; ++seat)
        if (!seats.contains(seat))
            return seat;
    return 0;
}

void GameHost::Private::pingAll()
{
    const qint64 now = clock.elapsed();
    const QList<QWebSocket*> sockets = connections.keys();
    for (QWebSocket* socket : sockets) {
        const auto it = connections.find(socket);
        if (it == connections.end())
            continue;
        if (now - it->lastHeard > timings.peerLost)
            drop(socket, QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("No answer."));
        else if (socket->bytesToWrite() > MaxOutgoingBacklogBytes)
            drop(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Reads too little."));
        else
            socket->ping();
    }
}

// Ends a connection for whatever reason; a seat it had is held for a while.
void GameHost::Private::drop(QWebSocket* socket, QWebSocketProtocol::CloseCode code, const QString& why)
{
    const auto it = connections.find(socket);
    if (it == connections.end())
        return;
    const int seat = it->seat;
    connections.erase(it);
    socket->disconnect(q);
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
    } else {
        QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(CloseGraceMilliseconds, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->close(code, why);
    }
    if (seat == 0)
        return;
    const auto held = seats.find(seat);
    if (held == seats.end())
        return;
    held->second.socket = nullptr;
    const int round = ++held->second.holdRound;
    QTimer::singleShot(timings.seatHold, q, [this, seat, round] {
        const auto still = seats.find(seat);
        if (still == seats.end() || still->second.socket || still->second.holdRound != round)
            return;
        seats.erase(still);
        Q_EMIT q->seatsChanged();
        Q_EMIT q->seatReleased(seat);
    });
    Q_EMIT q->seatsChanged();
    Q_EMIT q->seatLost(seat);
}

} // namespace tess::net
