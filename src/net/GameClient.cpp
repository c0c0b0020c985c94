#include "net/GameClient.h"

#include "net/RateLimit.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

namespace tess::net {

namespace {

// The largest message the host sends is a player's picture and its few fields.
constexpr qsizetype MaxIncomingBytes = MaxPictureBytes + 64 * 1024;
// What may wait to go out to the host; a joining computer sends little, so
// more means the host makes it answer (pings) and reads nothing.
constexpr qint64 MaxOutgoingBacklogBytes = 4 * MaxMessageBytes;

} // namespace

struct GameClient::Private {
    GameClient* q;
    Timings timings;
    QWebSocket* socket = nullptr;
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

    explicit Private(GameClient* client) : q(client) { clock.start(); }

    void open(const QUrl& url);
    void receive(const QByteArray& bytes);
    void ping();
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
    d->open(url);
}

void GameClient::sendAction(PlayerAction action, int cell)
{
    if (!connected())
        return;
    Message message;
    message.kind = MessageKind::Action;
    message.action = action;
    message.cell = cell;
    d->socket->sendBinaryMessage(encodeMessage(message));
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

void GameClient::Private::open(const QUrl& url)
{
    socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, q);
    socket->setMaxAllowedIncomingFrameSize(quint64(MaxIncomingBytes));
    socket->setMaxAllowedIncomingMessageSize(quint64(MaxIncomingBytes));
    QWebSocket* mine = socket;
    connect(socket, &QWebSocket::connected, q, [this, mine] {
        if (mine != socket)
            return;
        lastHeard = clock.elapsed();
        Message hello;
        hello.kind = MessageKind::Hello;
        hello.name = name;
        hello.code = code;
        socket->sendBinaryMessage(encodeMessage(hello));
        pingTimer.start(timings.pingInterval);
    });
    connect(socket, &QWebSocket::binaryMessageReceived, q, [this, mine](const QByteArray& bytes) {
        if (mine == socket)
            receive(bytes);
    });
    connect(socket, &QWebSocket::textMessageReceived, q, [this, mine] {
        if (mine == socket)
            finish(QStringLiteral("the host sent a text message"));
    });
    connect(socket, &QWebSocket::pong, q, [this, mine] {
        if (mine == socket)
            lastHeard = clock.elapsed();
    });
    connect(socket, &QWebSocket::disconnected, q, [this, mine] {
        if (mine != socket)
            return;
        const QString reason = socket->closeReason();
        finish(reason.isEmpty() ? QStringLiteral("the connection closed (%1)").arg(int(socket->closeCode()))
                                : QStringLiteral("the connection closed: %1").arg(reason));
    });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), q, [this, mine] {
        if (mine == socket)
            finish(socket->errorString());
    });
    // A host that never answers the opening handshake counts as lost too.
    lastHeard = clock.elapsed();
    pingTimer.start(timings.pingInterval);
    socket->open(url);
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
    if (socket->bytesToWrite() > MaxOutgoingBacklogBytes)
        return finish(QStringLiteral("the host reads nothing of what this computer sends"));
    if (socket->state() == QAbstractSocket::ConnectedState)
        socket->ping();
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
    QWebSocket* old = socket;
    socket = nullptr;
    old->disconnect(q);
    if (atOnce)
        old->abort();
    if (old->state() == QAbstractSocket::UnconnectedState) {
        old->deleteLater();
        return;
    }
    old->setParent(nullptr);
    QObject::connect(old, &QWebSocket::disconnected, old, &QObject::deleteLater);
    QTimer::singleShot(2000, old, [old] {
        old->abort();
        old->deleteLater();
    });
    old->close(QWebSocketProtocol::CloseCodeNormal);
}

} // namespace tess::net
