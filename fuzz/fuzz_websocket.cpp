// The WebSocket readers of both sides: any bytes give a refused or sound
// handshake (a joining computer's request, a host's answer), and frames within
// every limit; what a reader keeps never passes a frame's header and the
// message limit, however the bytes are split.

#include "FuzzSupport.h"
#include "net/WebSocketWire.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess::net;
    constexpr qsizetype Limit = 1024;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const Handshake handshake = readHandshake(bytes);
    if (handshake.outcome == Handshake::Outcome::Upgrade
        && (handshake.key.size() != 24 || handshake.consumed > MaxHandshakeBytes || handshake.consumed > bytes.size()))
        __builtin_trap();
    const UpgradeAnswer answer = readUpgradeAnswer(bytes, "dGhlIHNhbXBsZSBub25jZQ==");
    if (answer.outcome == UpgradeAnswer::Outcome::Accepted
        && (answer.consumed > MaxHandshakeBytes || answer.consumed > bytes.size()))
        __builtin_trap();

    // The first byte says how the rest comes: in pieces of 1 .. 128 bytes,
    // and (its top bit) as a host reads them, masked, or as a joining computer does.
    const qsizetype piece = size > 0 ? 1 + (data[0] & 0x7F) : 1;
    const auto masking = size > 0 && (data[0] & 0x80) ? FrameReader::Masking::Refused : FrameReader::Masking::Required;
    FrameReader reader(Limit, masking);
    for (qsizetype at = 1; at < bytes.size() && !reader.failed(); at += piece) {
        reader.append(bytes.mid(at, piece));
        while (const std::optional<FrameReader::Frame> frame = reader.next()) {
            const bool control = frame->opcode == Opcode::Close || frame->opcode == Opcode::Ping
                || frame->opcode == Opcode::Pong;
            const bool message = frame->opcode == Opcode::Binary || frame->opcode == Opcode::Text;
            if ((!control && !message) || (control && frame->payload.size() > 125) || frame->payload.size() > Limit)
                __builtin_trap();
        }
        if (reader.buffered() > Limit + 14 + piece)
            __builtin_trap();
    }
    return 0;
}
