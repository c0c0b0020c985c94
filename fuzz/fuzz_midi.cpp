// The song reader: any bytes give an answer, valid or not, without harm.

#include "FuzzSupport.h"
#include "sound/MidiFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const tess::MidiInfo info = tess::readMidi(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (info.valid && (info.seconds < 0 || info.lastTick < 0))
        __builtin_trap();
    return 0;
}
