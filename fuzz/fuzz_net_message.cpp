// The network message decoder, the only reader of what a peer sends: any
// bytes are refused or come back as a message within every limit, and a
// message it accepts encodes and decodes to the same again.

#include "FuzzSupport.h"
#include "net/Wire.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess::net;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<Message> message = decodeMessage(bytes);
    if (!message)
        return 0;
    bool sound = message->arguments.size() <= 4 && message->seats.size() <= MaxSeats
        && message->pictureBytes.size() <= MaxPictureBytes;
    if (message->kind == MessageKind::Hello && message->major == ProtocolMajor)
        sound = sound && isPlayableName(message->name) && isJoinCode(message->code);
    if (message->kind == MessageKind::Action && message->action == PlayerAction::Place)
        sound = sound && message->cell >= 0 && message->cell <= 299;
    for (const LobbySeat& seat : message->seats)
        sound = sound && seat.seat >= 0 && seat.seat < MaxSeats && isPlayableName(seat.name);
    if (!sound)
        __builtin_trap();
    // What was accepted survives the way back: its encoding decodes to a
    // message of the same encoding. (A hello of another major version is read
    // only as far as its version; a state of half-size numbers may grow past
    // the limit when written with full ones.)
    const QByteArray encoded = encodeMessage(*message);
    if ((message->kind != MessageKind::Hello || message->major == ProtocolMajor) && encoded.size() <= MaxMessageBytes) {
        const std::optional<Message> again = decodeMessage(encoded);
        if (!again || encodeMessage(*again) != encoded)
            __builtin_trap();
    }
    return 0;
}
