// The soundfont subset: any file gives a plan or none, and reading a plan
// never goes past what it promised.

#include "FuzzSupport.h"
#include "sound/SoundFontSubset.h"

#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = tess::fuzz::writeScratch(QStringLiteral("font.sf2"), data, size);
    const auto plan = tess::planSubset(path, tess::SongInstruments{{0, 1}, {0}});
    if (!plan)
        return 0;
    tess::SubsetReader reader(*plan, path);
    std::vector<char> bytes(std::size_t(reader.size()));
    if (reader.size() < 12 || !reader.read(bytes.data(), reader.size()) || reader.read(bytes.data(), 1))
        __builtin_trap();
    return 0;
}
