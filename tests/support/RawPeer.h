#pragma once
// A joining computer that speaks WebSocket by hand over TCP, for tests that
// play a hostile peer: it can come from any address of 127.0.0.0/8 and send
// what no well-behaved peer would.

#include "net/WebSocketWire.h"
#include "net/Wire.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>

#include <optional>

namespace tess::test {

// A masked client frame, built by hand so it can be anything.
inline QByteArray clientFrame(int opcode, const QByteArray& payload, bool final = true)
{
    QByteArray frame(1, char((final ? 0x80 : 0) | opcode));
    const quint64 size = quint64(payload.size());
    if (size < 126) {
        frame.append(char(0x80 | size));
    } else if (size < 65536) {
        frame.append(char(0x80 | 126));
        frame.append(char(size >> 8)).append(char(size & 0xFF));
    } else {
        frame.append(char(0x80 | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.append(char((size >> shift) & 0xFF));
    }
    const char mask[4] = {0x12, 0x34, 0x56, 0x78};
    frame.append(mask, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        frame.append(char(payload[i] ^ mask[i % 4]));
    return frame;
}

// A peer that speaks WebSocket by hand over TCP: it never answers a ping,
// and can send what no well-behaved peer would.
class RawPeer : public QObject {
public:
    QTcpSocket socket;
    QByteArray received;

    // From `from` (any address of 127.0.0.0/8 is this computer's).
    explicit RawPeer(const QHostAddress& from = QHostAddress::LocalHost)
    {
        socket.bind(from);
        connect(&socket, &QTcpSocket::readyRead, this, [this] { received += socket.readAll(); });
    }
    void connectTo(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }
    void sendHandshake(const QByteArray& extraHeaders = {})
    {
        socket.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
                     + extraHeaders + "\r\n");
    }
    void sendUnmasked(const net::Message& message) { socket.write(net::serverFrame(net::Opcode::Binary, net::encodeMessage(message))); }
    // What came after the handshake's answer.
    QByteArray afterHandshake() const { return received.mid(received.indexOf("\r\n\r\n") + 4); }
    bool upgraded() const { return received.startsWith("HTTP/1.1 101") && received.contains("\r\n\r\n"); }
    bool gone() const { return socket.state() == QAbstractSocket::UnconnectedState; }
    void send(const net::Message& message) { socket.write(clientFrame(2, net::encodeMessage(message))); }
    // The first binary message the host sent after the handshake (short messages only).
    std::optional<net::Message> firstMessage() const
    {
        const qsizetype start = received.indexOf("\r\n\r\n") + 4;
        if (start < 4 || received.size() < start + 2 || quint8(received[start]) != 0x82)
            return std::nullopt;
        const int size = quint8(received[start + 1]);
        if (size >= 126 || received.size() < start + 2 + size)
            return std::nullopt;
        return net::decodeMessage(received.mid(start + 2, size));
    }
};

} // namespace tess::test
