#include "net/WebSocketWire.h"

#include <QCryptographicHash>
#include <QList>
#include <QRandomGenerator>

namespace tess::net {

namespace {

constexpr char AcceptSuffix[] = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
constexpr int MaxControlPayload = 125;

// The comma-separated tokens of a header's value, in lower case.
bool hasToken(const QByteArray& value, const QByteArray& token)
{
    for (const QByteArray& part : value.split(','))
        if (part.trimmed().toLower() == token)
            return true;
    return false;
}

// A key is 16 bytes in base64: 24 characters that decode to 16 bytes.
bool soundKey(const QByteArray& key)
{
    if (key.size() != 24)
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(key, QByteArray::AbortOnBase64DecodingErrors);
    return decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok && decoded.decoded.size() == 16;
}

// The head's lines up to the empty line at `end`; false at a line that is no header.
bool headerLines(const QByteArray& bytes, qsizetype end, QByteArray& firstLine,
                 QList<std::pair<QByteArray, QByteArray>>& headers)
{
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    firstLine = lines.first().trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            return false;
        headers.append({lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed()});
    }
    return true;
}

QByteArray acceptValue(const QByteArray& key)
{
    return QCryptographicHash::hash(key + AcceptSuffix, QCryptographicHash::Sha1).toBase64();
}

QByteArray frame(Opcode opcode, const QByteArray& payload, const quint8* mask)
{
    QByteArray frame;
    const quint64 size = quint64(payload.size());
    const char maskBit = mask ? char(0x80) : char(0);
    frame.reserve(payload.size() + 14);
    frame.append(char(0x80 | quint8(opcode)));
    if (size < 126) {
        frame.append(char(maskBit | char(size)));
    } else if (size < 65536) {
        frame.append(char(maskBit | 126)).append(char(size >> 8)).append(char(size & 0xFF));
    } else {
        frame.append(char(maskBit | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.append(char((size >> shift) & 0xFF));
    }
    if (!mask)
        return frame.append(payload);
    frame.append(reinterpret_cast<const char*>(mask), 4);
    const qsizetype start = frame.size();
    frame.append(payload);
    for (qsizetype i = 0; i < payload.size(); ++i)
        frame[start + i] = char(frame[start + i] ^ mask[i % 4]);
    return frame;
}

} // namespace

Handshake readHandshake(const QByteArray& bytes)
{
    Handshake result;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0) {
        if (bytes.size() >= MaxHandshakeBytes)
            result.outcome = Handshake::Outcome::Refuse;
        return result;
    }
    result.outcome = Handshake::Outcome::Refuse;
    if (end + 4 > MaxHandshakeBytes)
        return result;
    QByteArray firstLine;
    QList<std::pair<QByteArray, QByteArray>> headers;
    if (!headerLines(bytes, end, firstLine, headers))
        return result;
    const QList<QByteArray> requestLine = firstLine.split(' ');
    if (requestLine.size() != 3 || requestLine[0] != "GET" || !requestLine[2].startsWith("HTTP/1.1"))
        return result;
    bool upgrade = false, connectionUpgrade = false, version13 = false;
    QByteArray key;
    for (const auto& [name, value] : headers) {
        if (name == "origin" || name == "sec-websocket-origin")
            return result; // a browser's page, never a joining computer
        if (name == "upgrade")
            upgrade = hasToken(value, "websocket");
        else if (name == "connection")
            connectionUpgrade = hasToken(value, "upgrade");
        else if (name == "sec-websocket-version")
            version13 = value == "13";
        else if (name == "sec-websocket-key") {
            if (!key.isEmpty())
                return result;
            key = value;
        }
    }
    if (!upgrade || !connectionUpgrade || !version13 || !soundKey(key))
        return result;
    result.outcome = Handshake::Outcome::Upgrade;
    result.key = key;
    result.consumed = end + 4;
    return result;
}

QByteArray upgradeAnswer(const QByteArray& key)
{
    return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Accept: " + acceptValue(key) + "\r\n\r\n";
}

QByteArray refusalAnswer()
{
    return "HTTP/1.1 403 Forbidden\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
}

QByteArray serverFrame(Opcode opcode, const QByteArray& payload)
{
    return frame(opcode, payload, nullptr);
}

QByteArray maskedFrame(Opcode opcode, const QByteArray& payload)
{
    // The standard wants a mask no one can foresee, fresh for each frame.
    const quint32 value = QRandomGenerator::system()->generate();
    const quint8 mask[4] = {quint8(value >> 24), quint8(value >> 16), quint8(value >> 8), quint8(value)};
    return frame(opcode, payload, mask);
}

QByteArray newHandshakeKey()
{
    QByteArray key(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(key.data()), 4);
    return key.toBase64();
}

QByteArray upgradeRequest(const QByteArray& authority, const QByteArray& key)
{
    return "GET / HTTP/1.1\r\nHost: " + authority + "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: " + key + "\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

UpgradeAnswer readUpgradeAnswer(const QByteArray& bytes, const QByteArray& key)
{
    UpgradeAnswer result;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0) {
        if (bytes.size() >= MaxHandshakeBytes)
            result.outcome = UpgradeAnswer::Outcome::Refused;
        return result;
    }
    result.outcome = UpgradeAnswer::Outcome::Refused;
    QByteArray statusLine;
    QList<std::pair<QByteArray, QByteArray>> headers;
    if (end + 4 > MaxHandshakeBytes || !headerLines(bytes, end, statusLine, headers))
        return result;
    const QList<QByteArray> status = statusLine.split(' ');
    if (status.size() < 2 || !status[0].startsWith("HTTP/1.1") || status[1] != "101")
        return result;
    bool upgrade = false, connectionUpgrade = false, accepted = false;
    for (const auto& [name, value] : headers) {
        if (name == "upgrade")
            upgrade = hasToken(value, "websocket");
        else if (name == "connection")
            connectionUpgrade = hasToken(value, "upgrade");
        else if (name == "sec-websocket-accept")
            accepted = value == acceptValue(key);
        else if (name == "sec-websocket-extensions" || name == "sec-websocket-protocol")
            return result; // none was asked for
    }
    if (!upgrade || !connectionUpgrade || !accepted)
        return result;
    result.outcome = UpgradeAnswer::Outcome::Accepted;
    result.consumed = end + 4;
    return result;
}

QByteArray closePayload(quint16 code, const QByteArray& reason)
{
    QByteArray payload;
    payload.append(char(code >> 8)).append(char(code & 0xFF));
    payload.append(reason.left(MaxControlPayload - 2));
    return payload;
}

void FrameReader::append(const QByteArray& bytes)
{
    if (fault)
        return;
    if (position > 0) {
        buffer.remove(0, position);
        position = 0;
    }
    buffer.append(bytes);
}

std::optional<FrameReader::Frame> FrameReader::next()
{
    while (!fault) {
        const qsizetype available = buffer.size() - position;
        if (available < 2)
            return std::nullopt;
        const auto* head = reinterpret_cast<const quint8*>(buffer.constData() + position);
        const bool final = head[0] & 0x80;
        const quint8 opcode = head[0] & 0x0F;
        const bool maskBit = head[1] & 0x80;
        quint64 size = head[1] & 0x7F;
        qsizetype headerSize = 2;
        const bool control = opcode >= 8;
        if ((head[0] & 0x70) != 0 || maskBit != masked || (opcode > 2 && opcode < 8) || opcode > 10
            || (control && (!final || size > MaxControlPayload)) || (opcode == 0 && !inMessage)
            || ((opcode == 1 || opcode == 2) && inMessage)) {
            fault = true;
            return std::nullopt;
        }
        if (size >= 126) {
            const qsizetype extra = size == 126 ? 2 : 8;
            if (available < 2 + extra)
                return std::nullopt;
            size = 0;
            for (qsizetype i = 0; i < extra; ++i)
                size = (size << 8) | head[2 + i];
            headerSize += extra;
        }
        // The limit counts what the message holds so far, before a byte of this frame is kept.
        if (!control && size > quint64(maxMessage - message.size())) {
            fault = true;
            return std::nullopt;
        }
        const qsizetype maskSize = masked ? 4 : 0;
        if (quint64(available) < quint64(headerSize + maskSize) + size)
            return std::nullopt;
        const quint8* mask = head + headerSize;
        const quint8* data = mask + maskSize;
        QByteArray payload(reinterpret_cast<const char*>(data), qsizetype(size));
        if (masked)
            for (qsizetype i = 0; i < qsizetype(size); ++i)
                payload[i] = char(data[i] ^ mask[i % 4]);
        position += headerSize + maskSize + qsizetype(size);
        if (control)
            return Frame{Opcode(opcode), payload};
        if (opcode != 0)
            messageOpcode = Opcode(opcode);
        inMessage = !final;
        message.append(payload);
        if (final) {
            Frame frame{messageOpcode, message};
            message.clear();
            return frame;
        }
    }
    return std::nullopt;
}

} // namespace tess::net
