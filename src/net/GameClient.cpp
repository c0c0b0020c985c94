#include "net/GameClient.h"

#include "net/RateLimit.h"
#include "net/WebSocketWire.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace tess::net {

namespace {

// The largest message the host sends is a player's picture and its few fields.
constexpr qsizetype MaxIncomingBytes = MaxPictureBytes + 64 * 1024;
// What may wait to go out to the host, checked at every write; a joining
// computer sends little, so more means the host makes it answer (pings) and
// reads nothing.
constexpr qint64 MaxOutgoingBacklogBytes = 4 * MaxMessageBytes;
// Pings and pongs a host may send beside its pings and its answers to ours
// (one each our ping interval), as the host counts a joining computer's; more
// is flooding. The host pings on its own interval, which this side cannot
// know: a host that pings ten times a second (as tests run one) still passes.
constexpr double MaxControlFramesPerSecond = 4;
constexpr double FastestHostPingsPerSecond = 10;
constexpr double MaxControlFrameBurst = 8;
// A host sends a picture when its player picks one, and at most one in
// MinPictureIntervalMilliseconds; more often, copying them would keep the
// window busy.
constexpr double MaxPicturesPerSecond = 1000.0 / MinPictureIntervalMilliseconds;
constexpr double MaxPictureBurst = 2;
// Read at a time: the rest waits in the system while the window does other work.
constexpr qint64 ReadChunkBytes = 256 * 1024;
// A connection told to close that does not close is cut.
constexpr int CloseGraceMilliseconds = 2000;
constexpr quint16 CloseNormal = 1000;
constexpr quint16 CloseNoCode = 1005;

} // namespace

struct GameClient::Private {
    GameClient* q;
    Timings timings;
    QTcpSocket* socket = nullptr;
    QByteArray key;    // the handshake's
    QByteArray answer; // the host's answer to it, so far
    bool upgraded = false;
    FrameReader frames{MaxIncomingBytes, FrameReader::Masking::Refused};
    QString name;
    QString code;
    int seat = 0;
    // Set once the connection's end was told (joined or not): nothing more is said.
    bool finished = true;
    qint64 lastHeard = 0;
    QTimer pingTimer;
    QElapsedTimer clock;
    RateLimit messages{MaxHostMessagesPerSecond, MaxHostMessageBurst};
    RateLimit bytes{MaxHostBytesPerSecond, MaxHostByteBurst};
    RateLimit controls{MaxControlFramesPerSecond, MaxControlFrameBurst};
    RateLimit pictures{MaxPicturesPerSecond, MaxPictureBurst};

    explicit Private(GameClient* client) : q(client) { clock.start(); }

    void open(const QString& host, quint16 port, const QByteArray& authority);
    void read();
    void take(const FrameReader::Frame& frame);
    void receive(const QByteArray& bytes);
    void ping();
    // Every write goes through here; false (and the connection ends soon
    // after) when the host has left too much unread.
    bool write(Opcode opcode, const QByteArray& payload);
    // Ends the connection and says it was lost, `lostDetail` saying why for
    // the log; `atOnce` drops what is still on its way unread.
    void finish(const QString& lostDetail, bool atOnce = false);
    void dropSocket(bool atOnce = false);
};

GameClient::GameClient() : d(std::make_unique<Private>(this))
{
    connect(&d->pingTimer, &QTimer::timeout, this, [this] { d->ping(); });
}

GameClient::~GameClient()
{
    d->finished = true;
    d->pingTimer.stop();
    if (d->socket) {
        d->socket->disconnect(this);
        d->socket->abort();
        delete d->socket;
    }
}

void GameClient::setTimings(const Timings& timings)
{
    d->timings = timings;
}

void GameClient::connectTo(const QString& address, quint16 port, const QString& name, const QString& code)
{
    d->finished = true;
    d->dropSocket();
    d->name = name;
    d->code = code;
    d->seat = 0;
    d->messages = RateLimit(MaxHostMessagesPerSecond, MaxHostMessageBurst);
    d->bytes = RateLimit(MaxHostBytesPerSecond, MaxHostByteBurst);
    d->controls = RateLimit(MaxControlFramesPerSecond + FastestHostPingsPerSecond + 1000.0 / std::max(1, d->timings.pingInterval),
                            MaxControlFrameBurst);
    d->pictures = RateLimit(MaxPicturesPerSecond, MaxPictureBurst);
    d->finished = false;
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(address); // brackets an IPv6 address itself
    url.setPort(port);
    url.setPath(QStringLiteral("/"));
    if (!url.isValid() || address.isEmpty()) {
        // Said after the caller has connected its slots.
        QTimer::singleShot(0, this, [this, address] {
            if (!d->finished && !d->socket)
                d->finish(QStringLiteral("not an address: %1").arg(address));
        });
        return;
    }
    d->open(url.host(), port, url.authority(QUrl::FullyEncoded).toUtf8());
}

void GameClient::sendAction(PlayerAction action, int cell)
{
    if (!connected())
        return;
    Message message;
    message.kind = MessageKind::Action;
    message.action = action;
    message.cell = cell;
    d->write(Opcode::Binary, encodeMessage(message));
}

void GameClient::leave()
{
    d->finished = true;
    d->dropSocket();
}

bool GameClient::connected() const
{
    return d->socket && !d->finished && d->seat > 0;
}

int GameClient::seat() const
{
    return d->seat;
}

void GameClient::Private::open(const QString& host, quint16 port, const QByteArray& authority)
{
    socket = new QTcpSocket(q);
    socket->setReadBufferSize(ReadChunkBytes);
    key = newHandshakeKey();
    answer.clear();
    upgraded = false;
    frames = FrameReader(MaxIncomingBytes, FrameReader::Masking::Refused);
    QTcpSocket* mine = socket;
    connect(socket, &QTcpSocket::connected, q, [this, mine, authority] {
        if (mine == socket)
            socket->write(upgradeRequest(authority, key));
    });
    connect(socket, &QTcpSocket::readyRead, q, [this, mine] {
        if (mine == socket)
            read();
    });
    connect(socket, &QTcpSocket::disconnected, q, [this, mine] {
        if (mine == socket)
            finish(QStringLiteral("the connection closed"));
    });
    connect(socket, &QTcpSocket::errorOccurred, q, [this, mine] {
        if (mine == socket)
            finish(socket->errorString());
    });
    // A host that never answers the opening handshake counts as lost too.
    lastHeard = clock.elapsed();
    pingTimer.start(timings.pingInterval);
    socket->connectToHost(host, port);
}

void GameClient::Private::read()
{
    QTcpSocket* mine = socket;
    const QByteArray chunk = socket->read(ReadChunkBytes);
    if (!upgraded) {
        answer.append(chunk);
        const UpgradeAnswer upgrade = readUpgradeAnswer(answer, key);
        if (upgrade.outcome == UpgradeAnswer::Outcome::Incomplete)
            return;
        if (upgrade.outcome == UpgradeAnswer::Outcome::Refused)
            return finish(QStringLiteral("the host did not open a WebSocket connection"), true);
        upgraded = true;
        lastHeard = clock.elapsed();
        frames.append(answer.mid(upgrade.consumed));
        answer.clear();
        Message hello;
        hello.kind = MessageKind::Hello;
        hello.name = name;
        hello.code = code;
        write(Opcode::Binary, encodeMessage(hello));
    } else {
        frames.append(chunk);
    }
    while (mine == socket && !finished) {
        const std::optional<FrameReader::Frame> frame = frames.next();
        if (!frame)
            break;
        take(*frame);
    }
    if (mine == socket && !finished && frames.failed())
        finish(QStringLiteral("the host sent a malformed frame"), true);
}

// One frame or whole message from the host.
void GameClient::Private::take(const FrameReader::Frame& frame)
{
    const qint64 now = clock.elapsed();
    switch (frame.opcode) {
    case Opcode::Binary:
        return receive(frame.payload);
    case Opcode::Text:
        return finish(QStringLiteral("the host sent a text message"));
    case Opcode::Close: {
        const int code = frame.payload.size() >= 2 ? (quint8(frame.payload[0]) << 8) | quint8(frame.payload[1]) : CloseNoCode;
        const QString reason = QString::fromUtf8(frame.payload.mid(2));
        return finish(reason.isEmpty() ? QStringLiteral("the connection closed (%1)").arg(code)
                                       : QStringLiteral("the connection closed: %1").arg(reason));
    }
    default:
        break;
    }
    // Counted before it is answered: a flood of pings costs a few pongs.
    if (!controls.take(now))
        return finish(QStringLiteral("the host floods this computer with control frames"), true);
    if (frame.opcode == Opcode::Pong)
        lastHeard = now;
    else if (frame.opcode == Opcode::Ping)
        write(Opcode::Pong, frame.payload);
}

void GameClient::Private::receive(const QByteArray& bytes)
{
    lastHeard = clock.elapsed();
    // Counted before it is read, so a flood costs the window no more than
    // the limit: the rest is dropped unread with the connection. A picture is
    // decoded aside, once for each the host announces: its bytes do not count.
    if (!messages.take(lastHeard))
        return finish(QStringLiteral("the host floods this computer with messages"), true);
    const std::optional<Message> message = decodeMessage(bytes);
    if (!message)
        return finish(QStringLiteral("the host sent a malformed message (%1 bytes)").arg(bytes.size()));
    if (message->kind != MessageKind::Picture && !this->bytes.take(lastHeard, double(bytes.size())))
        return finish(QStringLiteral("the host floods this computer with data"), true);
    if (message->kind == MessageKind::Picture && !pictures.take(lastHeard))
        return finish(QStringLiteral("the host sends pictures more often than once a second"), true);
    switch (message->kind) {
    case MessageKind::Welcome:
        if (seat > 0)
            return finish(QStringLiteral("the host welcomed twice"));
        if (message->major != ProtocolMajor) {
            finished = true;
            dropSocket();
            Q_EMIT q->refused(RefusalReason::Version, message->major, message->minor);
            return;
        }
        seat = message->seat;
        Q_EMIT q->joined(seat);
        return;
    case MessageKind::Refused: {
        if (seat > 0)
            return finish(QStringLiteral("the host refused after the welcome"));
        finished = true;
        dropSocket();
        Q_EMIT q->refused(message->reason, message->major, message->minor);
        return;
    }
    case MessageKind::Bye:
        finished = true;
        dropSocket();
        Q_EMIT q->hostEnded();
        return;
    case MessageKind::Lobby:
    case MessageKind::State:
    case MessageKind::Picture:
    case MessageKind::Sound:
    case MessageKind::Notice:
        if (seat == 0)
            return finish(QStringLiteral("the host sent the game before the welcome"));
        Q_EMIT q->messageReceived(*message);
        return;
    case MessageKind::Hello:
    case MessageKind::Action:
        return finish(QStringLiteral("the host sent a message only a joining computer sends"));
    }
}

void GameClient::Private::ping()
{
    if (!socket || finished)
        return;
    if (clock.elapsed() - lastHeard > timings.peerLost)
        return finish(QStringLiteral("the host has not answered for %1 s").arg(timings.peerLost / 1000.0));
    if (upgraded)
        write(Opcode::Ping, {});
}

bool GameClient::Private::write(Opcode opcode, const QByteArray& payload)
{
    const QByteArray frame = maskedFrame(opcode, payload);
    if (socket->bytesToWrite() + frame.size() > MaxOutgoingBacklogBytes) {
        // Not at once: the caller may be in the middle of the host's frames or the game's turn.
        QTimer::singleShot(0, q, [this, mine = socket] {
            if (mine == socket)
                finish(QStringLiteral("the host reads nothing of what this computer sends"), true);
        });
        return false;
    }
    socket->write(frame);
    return true;
}

void GameClient::Private::finish(const QString& lostDetail, bool atOnce)
{
    if (finished)
        return;
    finished = true;
    dropSocket(atOnce);
    Q_EMIT q->lost(lostDetail);
}

// Lets go of the socket: no more of its signals reach us, and it goes once it
// has closed (or at once when it cannot close in good order).
void GameClient::Private::dropSocket(bool atOnce)
{
    pingTimer.stop();
    if (!socket)
        return;
    QTcpSocket* old = socket;
    socket = nullptr;
    old->disconnect(q);
    if (atOnce || old->state() != QAbstractSocket::ConnectedState) {
        old->abort();
        old->deleteLater();
        return;
    }
    if (upgraded && old->bytesToWrite() < MaxOutgoingBacklogBytes)
        old->write(maskedFrame(Opcode::Close, closePayload(CloseNormal, {})));
    old->setParent(nullptr);
    QObject::connect(old, &QTcpSocket::disconnected, old, &QObject::deleteLater);
    QTimer::singleShot(CloseGraceMilliseconds, old, [old] {
        old->abort();
        old->deleteLater();
    });
    old->disconnectFromHost();
}

} // namespace tess::net
