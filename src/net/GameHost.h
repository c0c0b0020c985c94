#pragma once
// The host's side of network play: a WebSocket server on one TCP port that
// takes at most MaxJoiningComputers joining computers, one player each.
//
// The WebSocket side is read by hand (net/WebSocketWire.h): a browser's page
// and unmasked frames are refused, control frames beyond a few a second end
// the connection, and nothing is answered before hello but the handshake.
// A connection must say hello first (version, name, join code) within
// HelloTimeoutMilliseconds; it is refused with a reason otherwise, and idle
// ones make room for newcomers. Once in, it may send only actions, each
// checked by decodeMessage; a malformed, oversized or too-frequent message,
// or any other kind, ends that connection and nothing else. Pings go out
// every PingIntervalMilliseconds; a peer that answers none for
// PeerLostMilliseconds is lost. A lost computer's seat is held for
// SeatHoldMilliseconds: a hello with the same name and the code it joined
// with takes it back, whatever became of the join code since.
// An address that gave too many wrong join codes is refused from then on;
// too many from all addresses together spend the code (codeGuessed). A peer
// that lets what the host sends it pile up is cut off at the write that
// would pass its limit.
//
// The host decides nothing of the game here: it hands each action on with
// its seat, and the game checks the turn and runs it.

#include "net/Wire.h"

#include <QHostAddress>
#include <QObject>

#include <memory>

namespace tess::net {

class GameHost : public QObject {
    Q_OBJECT

public:
    struct Seat {
        int seat = 0; // 1 .. MaxSeats - 1
        QString name;
        QString address; // the computer's address, to show the host which computer plays
        bool connected = false;
    };

    GameHost();
    ~GameHost() override;

    // The waits (tests shorten them). The ping interval is taken at listen();
    // the hello wait and a seat's hold whenever one starts.
    void setTimings(const Timings& timings);
    // The names played on the host's own screen: a joining computer may not
    // take one of them, nor a name that looks like one (nameLook), like every
    // name here.
    void setHostNames(const QStringList& names);

    // Listens on `port` of every address (0: any free port), with `code` as
    // the join code (random when empty). False, with errorText() saying why
    // in English for the log, when the port cannot be had.
    bool listen(quint16 port, const QString& code, const QHostAddress& address = QHostAddress::Any);
    void close();
    bool listening() const;
    quint16 port() const;
    QString code() const;
    QString errorText() const;

    // While the game runs, only a computer that had a seat may come (back).
    void setGameRunning(bool running);
    // The joined computers' seats, held ones included, by seat.
    QList<Seat> seats() const;

    // To every connected joining computer, or to one seat's.
    void sendToAll(const Message& message);
    void sendTo(int seat, const Message& message);
    // Says goodbye to every joining computer and closes.
    void endGame();
    // Ends the connection of a seat's computer that broke the rules of the
    // game (the game checks those, not the host); its seat is held as for
    // any lost computer. Not at once: the caller may be handling its message.
    void throwOut(int seat, const QString& why);

    // Whose connections and wrong join codes count together.
    static QString peerKey(const QHostAddress& address);

Q_SIGNALS:
    void seatsChanged();
    // A computer took a seat or took its held seat back: send it what it must show.
    void seatJoined(int seat);
    // A computer went (closed, lost or thrown out); its seat is held.
    void seatLost(int seat);
    // A held seat's time ran out; the seat is free again.
    void seatReleased(int seat);
    void actionReceived(int seat, tess::net::PlayerAction action, int cell);
    // A computer was refused; `peerMajor`/`peerMinor` are the version its hello
    // gave, `name` the name it asked for (empty when another major version's
    // hello was not read further). For the host's screen and log.
    void joinRefused(const QString& address, const QString& name, tess::net::RefusalReason reason,
                     int peerMajor, int peerMinor);

    // Wrong join codes came from many addresses: the host took `freshCode`
    // and takes no code for `pauseSeconds`. Its player must be told.
    void codeGuessed(const QString& freshCode, int pauseSeconds);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tess::net
