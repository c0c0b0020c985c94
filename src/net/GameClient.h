#pragma once
// A joining computer's side of network play: one WebSocket connection to the
// host, spoken by hand over TCP (net/WebSocketWire.h). It says hello, then
// hands on what the host sends (each message checked by decodeMessage; a
// malformed one ends the connection) and sends its player's actions. It
// answers the host's pings within a few a second, pings the host itself, so a
// host that vanishes is noticed within PeerLostMilliseconds, and leaves a host
// that floods it, reads nothing of what it sends or breaks the protocol.

#include "net/Wire.h"

#include <QObject>

#include <memory>

namespace tess::net {

class GameClient : public QObject {
    Q_OBJECT

public:
    GameClient();
    ~GameClient() override;

    // The waits, set before connectTo() (tests shorten them).
    void setTimings(const Timings& timings);

    // `address` is a host name or an IPv4/IPv6 address.
    void connectTo(const QString& address, quint16 port, const QString& name, const QString& code);
    void sendAction(PlayerAction action, int cell = -1);
    void leave();
    bool connected() const;
    int seat() const; // after joined

Q_SIGNALS:
    void joined(int seat);
    void refused(tess::net::RefusalReason reason, int hostMajor, int hostMinor);
    // Lobby, State, Picture, Sound and Notice messages from the host.
    void messageReceived(const tess::net::Message& message);
    // The host said goodbye.
    void hostEnded();
    // The connection could not be made or was lost; `detail` is for the log.
    void lost(const QString& detail);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tess::net
