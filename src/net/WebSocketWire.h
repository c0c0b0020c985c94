#pragma once
// The WebSocket protocol, read by hand on both sides: Qt's own server and
// client answer every ping, and the server takes unmasked frames and any
// browser's page. Here each side sees each frame, so it can count control
// frames, answer nothing before hello, refuse a browser (it sends an Origin)
// and refuse what the other side must not send. Plain byte work, fuzzed like
// every other reader.

#include <QByteArray>

#include <optional>

namespace tess::net {

// The handshake's request: at most this long, ending in an empty line.
inline constexpr qsizetype MaxHandshakeBytes = 4096;

struct Handshake {
    enum class Outcome {
        Incomplete, // read more
        Upgrade,    // answer with upgradeAnswer(key)
        Refuse,     // answer with refusalAnswer() and close
    };
    Outcome outcome = Outcome::Incomplete;
    QByteArray key;        // Upgrade: the Sec-WebSocket-Key
    qsizetype consumed = 0; // Upgrade: the request's bytes (frames may follow)
};

// Reads a joining computer's opening request from what came so far. Refused:
// anything but a GET upgrade to WebSocket version 13 with a sound key, a
// request too long, and any request with an Origin (a page in a browser).
Handshake readHandshake(const QByteArray& bytes);
QByteArray upgradeAnswer(const QByteArray& key);
QByteArray refusalAnswer();

// A joining computer's opening request: a fresh random key, no Origin.
QByteArray newHandshakeKey();
// `authority` is the host's "name:port" as a URL writes it.
QByteArray upgradeRequest(const QByteArray& authority, const QByteArray& key);

struct UpgradeAnswer {
    enum class Outcome { Incomplete, Accepted, Refused };
    Outcome outcome = Outcome::Incomplete;
    qsizetype consumed = 0; // Accepted: the answer's bytes (frames may follow)
};

// Reads the host's answer to upgradeRequest(…, key): accepted only as a 101
// upgrade to WebSocket whose accept value matches the key, with no extension
// or subprotocol (none was asked for), within MaxHandshakeBytes.
UpgradeAnswer readUpgradeAnswer(const QByteArray& bytes, const QByteArray& key);

enum class Opcode : quint8 { Continuation = 0, Text = 1, Binary = 2, Close = 8, Ping = 9, Pong = 10 };

// One unmasked frame of the host's, as the standard wants from a server.
QByteArray serverFrame(Opcode opcode, const QByteArray& payload);
// One frame of a joining computer's, masked with a fresh random mask.
QByteArray maskedFrame(Opcode opcode, const QByteArray& payload);
// A close frame's payload: its code and a short reason.
QByteArray closePayload(quint16 code, const QByteArray& reason);

// What the other side sent, frame by frame: whole messages (fragments put
// together) and control frames. Any fault of form ends the reading for good:
// a frame masked or not against `masking` (a joining computer masks every
// frame, a host none), reserved bits or opcodes, a control frame that is long
// or fragmented, a fragment out of place, or a message beyond the limit (seen
// from the frame's header, before its bytes are kept).
class FrameReader {
public:
    struct Frame {
        Opcode opcode = Opcode::Binary; // Text, Binary (whole messages) or a control frame
        QByteArray payload;
    };

    enum class Masking { Required, Refused };

    explicit FrameReader(qsizetype maxMessageBytes, Masking masking = Masking::Required)
        : maxMessage(maxMessageBytes), masked(masking == Masking::Required)
    {
    }
    void append(const QByteArray& bytes);
    // The next frame or message, or nothing when more must come or on a fault.
    std::optional<Frame> next();
    bool failed() const { return fault; }
    // Bytes kept, not read yet: never more than a frame's header and the limit.
    qsizetype buffered() const { return buffer.size() - position + message.size(); }

private:
    qsizetype maxMessage;
    bool masked;
    QByteArray buffer;
    qsizetype position = 0;
    QByteArray message;     // the fragments so far
    Opcode messageOpcode = Opcode::Binary;
    bool inMessage = false;
    bool fault = false;
};

} // namespace tess::net
