#include "net/GameHost.h"

#include "net/NameLook.h"
#include "net/WebSocketWire.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <map>
#include <utility>

namespace tess::net {

namespace {

// Connections that have not said hello yet, in all and from one address. A
// newcomer makes room by closing the oldest waiting one that had its chance
// to say hello (WaitingGraceMilliseconds); while every one is that young,
// newcomers wait their turn unread. A newcomer whose handshake has arrived
// goes first, and closes one that has not finished its handshake after
// HandshakeGraceMilliseconds. So idle sockets, however often reopened, never
// keep a real player out: its handshake and hello come within a round trip.
// With a second's grace each, these places let 64 newcomers a second through
// a crowd that does finish its handshakes.
constexpr int MaxWaitingConnections = 64;
constexpr int MaxWaitingPerAddress = 4;
constexpr int WaitingGraceMilliseconds = 1000;
constexpr int HandshakeGraceMilliseconds = 200;
// Accepted connections waiting their turn, in all and from one address (more
// from it are closed). When all are taken a newcomer still comes in if one
// queued for WaitingGraceMilliseconds sent nothing yet: the oldest of those
// from the address with the most goes. Otherwise the system's queue holds
// the rest, in the order they came.
constexpr int MaxQueuedConnections = 64;
constexpr int MaxQueuedPerAddress = 2 * MaxWaitingPerAddress;
// A connection told to close that does not finish its closing handshake is cut.
constexpr int CloseGraceMilliseconds = 2000;
// Wrong join codes one address may try; after that, it is refused whatever code it gives.
constexpr int MaxWrongCodesPerAddress = 10;
// Wrong join codes from all addresses together. At this many the code is
// spent: the host takes a fresh one, takes no code for a pause (doubling
// each time, up to 16 times the first: 8 minutes) and tells its player.
constexpr int MaxWrongCodesInAll = 24;
constexpr int MaxCodePauseDoublings = 4;
// A held seat goes back with the code it joined with, whatever the pause and
// a fresh code: a neighbour guessing codes cannot keep its player out. After
// this many wrong codes given with its name during one hold, only the current
// code takes it back, so that its old code cannot be guessed.
constexpr int MaxWrongCodesPerHeldSeat = MaxWrongCodesInAll;
// Ping, pong and close frames a peer may send beside its answers to the
// host's pings (one each ping interval); more is flooding.
constexpr double MaxControlFramesPerSecond = 4;
constexpr double MaxControlFrameBurst = 8;
// A joining computer sends only a hello and actions.
constexpr qsizetype MaxIncomingMessageBytes = 16 * 1024;
// Read from a socket at a time: the rest waits in the system until these frames are dealt with.
constexpr qint64 ReadChunkBytes = 64 * 1024;
// What may wait to go out to one peer, checked at every write: a player's
// picture twice over and the states after it.
constexpr qint64 MaxOutgoingBacklogBytes = 2 * MaxPictureBytes + 4 * MaxMessageBytes;

// WebSocket close codes.
constexpr quint16 CloseNormal = 1000;
constexpr quint16 CloseGoingAway = 1001;
constexpr quint16 CloseProtocolError = 1002;
constexpr quint16 CloseDatatypeNotSupported = 1003;
constexpr quint16 ClosePolicyViolated = 1008;

QString addressText(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

// When a queued connection came, as a property of its socket.
constexpr const char* QueuedSince = "queuedSince";

bool handshakeArrived(QTcpSocket* socket)
{
    return socket->bytesAvailable() > 0 && socket->peek(MaxHandshakeBytes).contains("\r\n\r\n");
}

} // namespace

// Whose connections and wrong join codes count together: one address, for
// IPv6 too. Every computer of a home network shares one IPv6 network (/64),
// so counting by network would let one computer's wrong codes shut out its
// neighbours, and its idle sockets take their waiting places. One computer
// that takes many IPv6 addresses still meets the limits on all addresses
// together (MaxWaitingConnections, MaxQueuedConnections, MaxWrongCodesInAll).
QString GameHost::peerKey(const QHostAddress& address)
{
    return addressText(address);
}

namespace {

QString freshCode()
{
    quint32 top = 1;
    for (int i = 0; i < JoinCodeDigits; ++i)
        top *= 10;
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(top), JoinCodeDigits, 10, QLatin1Char('0'));
}

} // namespace

struct GameHost::Private {
    struct Connection {
        QString from;      // addressKey of its peer
        bool upgraded = false;
        QByteArray request; // the handshake so far
        FrameReader frames{MaxIncomingMessageBytes};
        int seat = 0;       // 0 while it has not said hello
        qint64 since = 0;   // when it was taken from the queue
        qint64 lastHeard = 0;
        double tokens = MaxMessageBurst;
        qint64 lastRefill = 0;
        double controlTokens = MaxControlFrameBurst;
        qint64 lastControlRefill = 0;
    };
    struct SeatState {
        QString name;
        QString address;
        QTcpSocket* socket = nullptr; // null while the seat is held
        QString code;                 // the join code it came with
        int wrongCodes = 0;           // given with its name while held
        int holdRound = 0;            // a newer hold outdates an older hold's timer
    };

    GameHost* q;
    QTcpServer server;
    Timings timings;
    QString code;
    QString errorText;
    QStringList hostNames;
    bool gameRunning = false;
    QHash<QTcpSocket*, Connection> connections;
    QList<QTcpSocket*> queue;       // accepted, waiting for their turn, unread
    QHash<QString, int> wrongCodes; // by address, while this host listens
    int wrongCodesInAll = 0;        // since the code was last changed
    int codePauses = 0;
    qint64 codesPausedUntil = 0;
    std::map<int, SeatState> seats; // 1 .. MaxSeats - 1
    QTimer pingTimer;
    QTimer admitTimer;
    QElapsedTimer clock;

    explicit Private(GameHost* host) : q(host)
    {
        clock.start();
        admitTimer.setSingleShot(true);
    }

    void admit();
    bool closeSilentQueued();
    bool makeRoomFor(const QString& from, bool ready);
    QTcpSocket* oldestWaiting(const QString& from, bool ready) const;
    void start(QTcpSocket* socket);
    void read(QTcpSocket* socket);
    bool frame(QTcpSocket* socket, Connection& connection, const FrameReader::Frame& frame);
    void receive(QTcpSocket* socket, const QByteArray& bytes);
    void hello(QTcpSocket* socket, const Message& message);
    bool checkCode(QTcpSocket* socket, const Message& message);
    bool takesHeldSeatBack(const Message& message);
    void refuse(QTcpSocket* socket, const Message& hello, RefusalReason reason);
    static bool takeToken(double& tokens, qint64& lastRefill, double rate, double burst, qint64 now);
    void pingAll();
    // `cut`: at once, without what waits to go out (a peer that reads too little).
    void drop(QTcpSocket* socket, quint16 code, const QString& why, bool cut = false);
    bool write(QTcpSocket* socket, const QByteArray& frame);
    void send(QTcpSocket* socket, const QByteArray& bytes) { write(socket, serverFrame(Opcode::Binary, bytes)); }
    int freeSeat() const;
    int graceMilliseconds() const { return std::min(WaitingGraceMilliseconds, timings.helloTimeout / 2); }
};

GameHost::GameHost() : d(std::make_unique<Private>(this))
{
    connect(&d->server, &QTcpServer::newConnection, this, [this] { d->admit(); });
    connect(&d->pingTimer, &QTimer::timeout, this, [this] { d->pingAll(); });
    connect(&d->admitTimer, &QTimer::timeout, this, [this] { d->admit(); });
}

GameHost::~GameHost()
{
    d->pingTimer.stop();
    d->admitTimer.stop();
    d->server.close();
    // The sockets are children of the host: silence them before they go.
    for (QTcpSocket* socket : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly)) {
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
    d->code = isJoinCode(code) ? code : freshCode();
    d->server.setMaxPendingConnections(MaxQueuedConnections);
    if (!d->server.listen(address, port)) {
        d->errorText = QStringLiteral("cannot listen on port %1: %2").arg(port).arg(d->server.errorString());
        return false;
    }
    d->errorText.clear();
    d->wrongCodes.clear();
    d->wrongCodesInAll = 0;
    d->codePauses = 0;
    d->codesPausedUntil = 0;
    d->pingTimer.start(d->timings.pingInterval);
    return true;
}

void GameHost::close()
{
    d->pingTimer.stop();
    d->admitTimer.stop();
    d->server.close();
    for (QTcpSocket* socket : std::exchange(d->queue, {})) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    // No seat is held when the whole game ends: the seats go first.
    const bool hadSeats = !d->seats.empty();
    d->seats.clear();
    const QList<QTcpSocket*> sockets = d->connections.keys();
    for (QTcpSocket* socket : sockets)
        d->drop(socket, CloseGoingAway, QStringLiteral("The host closed the game."));
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
    const QByteArray frame = serverFrame(Opcode::Binary, encodeMessage(message));
    for (const auto& [seat, state] : d->seats)
        if (state.socket)
            d->write(state.socket, frame);
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
    QTimer::singleShot(0, this, [this, why, socket = QPointer<QTcpSocket>(it->second.socket)] {
        if (socket)
            d->drop(socket, ClosePolicyViolated, why);
    });
}

// Every write goes through here: a peer never has more than
// MaxOutgoingBacklogBytes waiting, whatever makes the host write.
bool GameHost::Private::write(QTcpSocket* socket, const QByteArray& frame)
{
    if (socket->bytesToWrite() + frame.size() > MaxOutgoingBacklogBytes) {
        // Not at once: the caller may be going through the seats.
        QTimer::singleShot(0, q, [this, socket = QPointer<QTcpSocket>(socket)] {
            if (socket)
                drop(socket, ClosePolicyViolated, QStringLiteral("Reads too little."), true);
        });
        return false;
    }
    socket->write(frame);
    return true;
}

// Takes connections from the server into the queue, and from the queue
// (those whose handshake arrived first, then oldest first, skipping an
// address that has its share) as room allows.
void GameHost::Private::admit()
{
    bool full = false;
    while (server.hasPendingConnections() && !(full = queue.size() >= MaxQueuedConnections && !closeSilentQueued())) {
        QTcpSocket* socket = server.nextPendingConnection();
        socket->setParent(q);
        const QString from = peerKey(socket->peerAddress());
        if (std::count_if(queue.cbegin(), queue.cend(), [&](QTcpSocket* each) { return peerKey(each->peerAddress()) == from; })
            >= MaxQueuedPerAddress) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(ReadChunkBytes);
        connect(socket, &QTcpSocket::disconnected, q, [this, socket] {
            if (queue.removeOne(socket))
                socket->deleteLater();
        });
        // Its handshake lets it go before the silent ones.
        connect(socket, &QTcpSocket::readyRead, q, [this] { QMetaObject::invokeMethod(q, [this] { admit(); }, Qt::QueuedConnection); });
        socket->setProperty(QueuedSince, clock.elapsed());
        queue.append(socket);
    }
    if (full)
        server.pauseAccepting();
    else
        server.resumeAccepting();
    for (const bool ready : {true, false})
        for (qsizetype i = 0; i < queue.size();) {
            QTcpSocket* socket = queue[i];
            if (handshakeArrived(socket) != ready || !makeRoomFor(peerKey(socket->peerAddress()), ready)) {
                ++i;
                continue;
            }
            queue.removeAt(i);
            socket->disconnect(q);
            start(socket);
        }
    if (queue.isEmpty())
        return;
    // Try again when the next waiting connection has had its chance.
    const qint64 now = clock.elapsed();
    qint64 next = now + graceMilliseconds();
    for (const Connection& each : std::as_const(connections)) {
        if (each.seat == 0 && each.since + graceMilliseconds() > now)
            next = std::min(next, each.since + graceMilliseconds());
        if (each.seat == 0 && !each.upgraded && each.since + HandshakeGraceMilliseconds > now)
            next = std::min(next, each.since + HandshakeGraceMilliseconds);
    }
    for (QTcpSocket* each : std::as_const(queue))
        if (const qint64 silentFor = each->property(QueuedSince).toLongLong() + WaitingGraceMilliseconds; silentFor > now)
            next = std::min(next, silentFor);
    admitTimer.start(int(std::max<qint64>(10, next - now + 1)));
}

// Closes the oldest queued connection that sent nothing yet, from the
// address with the most of those; false when every one sent something.
bool GameHost::Private::closeSilentQueued()
{
    const qint64 before = clock.elapsed() - WaitingGraceMilliseconds;
    const auto silent = [&](QTcpSocket* each) {
        return each->bytesAvailable() == 0 && each->property(QueuedSince).toLongLong() <= before;
    };
    QHash<QString, int> count;
    for (QTcpSocket* each : std::as_const(queue))
        if (silent(each))
            ++count[peerKey(each->peerAddress())];
    QTcpSocket* closed = nullptr;
    int most = 0;
    for (QTcpSocket* each : std::as_const(queue))
        if (silent(each) && count.value(peerKey(each->peerAddress())) > most) {
            most = count.value(peerKey(each->peerAddress()));
            closed = each;
        }
    if (!closed)
        return false;
    queue.removeOne(closed);
    closed->disconnect(q);
    closed->abort();
    closed->deleteLater();
    return true;
}

// The oldest waiting connection that had its chance to say hello or, for a
// newcomer whose handshake arrived (`ready`), to finish its own handshake.
QTcpSocket* GameHost::Private::oldestWaiting(const QString& from, bool ready) const
{
    const qint64 now = clock.elapsed();
    QTcpSocket* oldest = nullptr;
    qint64 since = now;
    for (auto it = connections.cbegin(); it != connections.cend(); ++it) {
        const bool hadItsChance = it->since + graceMilliseconds() <= now
            || (ready && !it->upgraded && it->since + HandshakeGraceMilliseconds <= now);
        if (it->seat == 0 && hadItsChance && it->since <= since && (from.isEmpty() || it->from == from)) {
            oldest = it.key();
            since = it->since;
        }
    }
    return oldest;
}

bool GameHost::Private::makeRoomFor(const QString& from, bool ready)
{
    int waiting = 0;
    int fromThere = 0;
    for (const Connection& each : std::as_const(connections))
        if (each.seat == 0) {
            ++waiting;
            fromThere += each.from == from ? 1 : 0;
        }
    QTcpSocket* closed = nullptr;
    if (fromThere >= MaxWaitingPerAddress)
        closed = oldestWaiting(from, ready);
    else if (waiting >= MaxWaitingConnections)
        closed = oldestWaiting(QString(), ready);
    else
        return true;
    if (!closed)
        return false;
    drop(closed, ClosePolicyViolated, QStringLiteral("No hello."));
    return true;
}

void GameHost::Private::start(QTcpSocket* socket)
{
    Connection connection;
    connection.from = peerKey(socket->peerAddress());
    connection.since = connection.lastHeard = connection.lastRefill = connection.lastControlRefill = clock.elapsed();
    connections.insert(socket, connection);
    connect(socket, &QTcpSocket::readyRead, q, [this, socket] { read(socket); });
    connect(socket, &QTcpSocket::disconnected, q, [this, socket] { drop(socket, CloseNormal, QString()); });
    QTimer::singleShot(timings.helloTimeout, socket, [this, socket] {
        const auto it = connections.find(socket);
        if (it != connections.end() && it->seat == 0)
            drop(socket, ClosePolicyViolated, QStringLiteral("No hello."));
    });
    if (socket->state() != QAbstractSocket::ConnectedState)
        drop(socket, CloseNormal, QString());
    else
        read(socket); // what came while it waited in the queue
}

void GameHost::Private::read(QTcpSocket* socket)
{
    while (socket->bytesAvailable() > 0) {
        auto it = connections.find(socket);
        if (it == connections.end())
            return;
        const QByteArray bytes = socket->read(ReadChunkBytes);
        if (!it->upgraded) {
            it->request += bytes;
            const Handshake handshake = readHandshake(it->request);
            if (handshake.outcome == Handshake::Outcome::Incomplete)
                continue;
            if (handshake.outcome == Handshake::Outcome::Refuse) {
                socket->write(refusalAnswer());
                drop(socket, CloseProtocolError, QString());
                return;
            }
            it->upgraded = true;
            socket->write(upgradeAnswer(handshake.key));
            it->frames.append(it->request.mid(handshake.consumed));
            it->request.clear();
        } else {
            it->frames.append(bytes);
        }
        while (std::optional<FrameReader::Frame> next = it->frames.next()) {
            if (!frame(socket, *it, *next))
                return;
            it = connections.find(socket);
            if (it == connections.end())
                return;
        }
        if (it->frames.failed()) {
            drop(socket, CloseProtocolError, QStringLiteral("Malformed frame."));
            return;
        }
    }
}

// One frame or whole message; false when the connection ended.
bool GameHost::Private::frame(QTcpSocket* socket, Connection& connection, const FrameReader::Frame& frame)
{
    const qint64 now = clock.elapsed();
    switch (frame.opcode) {
    case Opcode::Binary:
        receive(socket, frame.payload);
        return connections.contains(socket);
    case Opcode::Text:
        drop(socket, CloseDatatypeNotSupported, QStringLiteral("Only binary messages."));
        return false;
    case Opcode::Close:
        drop(socket, CloseNormal, QString());
        return false;
    default:
        break;
    }
    const double rate = MaxControlFramesPerSecond + 1000.0 / std::max(1, timings.pingInterval);
    if (!takeToken(connection.controlTokens, connection.lastControlRefill, rate, MaxControlFrameBurst, now)) {
        drop(socket, ClosePolicyViolated, QStringLiteral("Too many control frames."));
        return false;
    }
    if (frame.opcode == Opcode::Pong) {
        connection.lastHeard = now;
    } else if (frame.opcode == Opcode::Ping && connection.seat != 0) {
        // Nothing is answered before hello but the handshake.
        write(socket, serverFrame(Opcode::Pong, frame.payload));
    }
    return true;
}

bool GameHost::Private::takeToken(double& tokens, qint64& lastRefill, double rate, double burst, qint64 now)
{
    tokens = std::min(burst, tokens + double(now - lastRefill) * rate / 1000.0);
    lastRefill = now;
    if (tokens < 1.0)
        return false;
    tokens -= 1.0;
    return true;
}

void GameHost::Private::receive(QTcpSocket* socket, const QByteArray& bytes)
{
    const auto it = connections.find(socket);
    if (it == connections.end())
        return;
    const qint64 now = clock.elapsed();
    it->lastHeard = now;
    if (!takeToken(it->tokens, it->lastRefill, MaxMessagesPerSecond, MaxMessageBurst, now)) {
        drop(socket, ClosePolicyViolated, QStringLiteral("Too many messages."));
        return;
    }
    const int seat = it->seat;
    const std::optional<Message> message = decodeMessage(bytes);
    if (!message) {
        drop(socket, CloseProtocolError, QStringLiteral("Malformed message."));
        return;
    }
    if (seat == 0) {
        if (message->kind != MessageKind::Hello) {
            drop(socket, CloseProtocolError, QStringLiteral("Hello first."));
            return;
        }
        hello(socket, *message);
        return;
    }
    if (message->kind != MessageKind::Action) {
        drop(socket, CloseProtocolError, QStringLiteral("Only actions."));
        return;
    }
    Q_EMIT q->actionReceived(seat, message->action, message->cell);
}

// Whether the hello's code lets it in; refused (and counted) when not.
bool GameHost::Private::checkCode(QTcpSocket* socket, const Message& message)
{
    const QString& from = connections[socket].from;
    if (clock.elapsed() < codesPausedUntil || wrongCodes.value(from) >= MaxWrongCodesPerAddress) {
        refuse(socket, message, RefusalReason::Code);
        return false;
    }
    if (message.code == code)
        return true;
    ++wrongCodes[from];
    if (++wrongCodesInAll < MaxWrongCodesInAll) {
        refuse(socket, message, RefusalReason::Code);
        return false;
    }
    // Someone is trying codes from many addresses: this code is spent.
    const int pause = timings.codePause << std::min(codePauses, MaxCodePauseDoublings);
    ++codePauses;
    wrongCodesInAll = 0;
    codesPausedUntil = clock.elapsed() + pause;
    code = freshCode();
    refuse(socket, message, RefusalReason::Code);
    Q_EMIT q->codeGuessed(code, (pause + 999) / 1000);
    return false;
}

// Whether the hello takes a held seat back with the code that seat joined
// with; a wrong code given with a held seat's name counts against that seat.
bool GameHost::Private::takesHeldSeatBack(const Message& message)
{
    for (auto& [number, state] : seats) {
        if (state.socket || !sameLetters(state.name, message.name))
            continue;
        if (message.code == state.code && state.wrongCodes < MaxWrongCodesPerHeldSeat)
            return true;
        if (message.code != state.code && message.code != code)
            ++state.wrongCodes;
    }
    return false;
}

void GameHost::Private::hello(QTcpSocket* socket, const Message& message)
{
    if (message.major != ProtocolMajor)
        return refuse(socket, message, RefusalReason::Version);
    if (!takesHeldSeatBack(message) && !checkCode(socket, message))
        return;
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
    state.code = message.code;
    state.wrongCodes = 0;
    ++state.holdRound;
    connections[socket].seat = seat;
    if (!queue.isEmpty())
        QTimer::singleShot(0, q, [this] { admit(); }); // a waiting place is free

    Message welcome;
    welcome.kind = MessageKind::Welcome;
    welcome.seat = seat;
    send(socket, encodeMessage(welcome));
    // Signals last: a receiver may close the host.
    Q_EMIT q->seatsChanged();
    Q_EMIT q->seatJoined(seat);
}

void GameHost::Private::refuse(QTcpSocket* socket, const Message& hello, RefusalReason reason)
{
    Message refusal;
    refusal.kind = MessageKind::Refused;
    refusal.reason = reason;
    send(socket, encodeMessage(refusal));
    const QString address = addressText(socket->peerAddress());
    drop(socket, CloseNormal, QStringLiteral("Refused."));
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
    const QList<QTcpSocket*> sockets = connections.keys();
    const QByteArray ping = serverFrame(Opcode::Ping, {});
    for (QTcpSocket* socket : sockets) {
        const auto it = connections.find(socket);
        if (it == connections.end() || it->seat == 0)
            continue;
        if (now - it->lastHeard > timings.peerLost)
            drop(socket, CloseGoingAway, QStringLiteral("No answer."));
        else
            write(socket, ping);
    }
}

// Ends a connection for whatever reason; a seat it had is held for a while.
void GameHost::Private::drop(QTcpSocket* socket, quint16 closeCode, const QString& why, bool cut)
{
    const auto it = connections.find(socket);
    if (it == connections.end())
        return;
    const int seat = it->seat;
    const bool upgraded = it->upgraded;
    connections.erase(it);
    socket->disconnect(q);
    if (seat == 0 && !queue.isEmpty())
        QTimer::singleShot(0, q, [this] { admit(); }); // a waiting place is free
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
    } else if (cut) {
        socket->abort();
        socket->deleteLater();
    } else {
        if (upgraded)
            socket->write(serverFrame(Opcode::Close, closePayload(closeCode, why.toUtf8())));
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(CloseGraceMilliseconds, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
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
