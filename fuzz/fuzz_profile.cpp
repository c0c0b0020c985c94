// The profile reader behind the settings file, the language table and the
// champions file: any file reads without harm, and a write keeps the rest of
// the file readable.

#include "FuzzSupport.h"
#include "settings/Profile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess;
    // The first byte picks the encoding: the settings file is UTF-8, the others code page 1252.
    const ProfileEncoding encoding = size > 0 && data[0] % 2 ? ProfileEncoding::Utf8 : ProfileEncoding::Cp1252;
    const Profile profile(fuzz::writeScratch(QStringLiteral("profile.ini"), data, size), encoding);
    Profile::forgetUnreadableFiles(); // rewritten within a tick of the file clock: read again
    for (const char* key : {"Size", "Spieler1", "0111", "1"})
        (void)profile.read(QStringLiteral("Optionen"), QString::fromLatin1(key), QStringLiteral("x"));
    (void)profile.read(QStringLiteral("m1"), QStringLiteral("10"));
    profile.write(QStringLiteral("Optionen"), QStringLiteral("Size"), QStringLiteral("3"));
    if (profile.read(QStringLiteral("optionen"), QStringLiteral(" size ")) != QStringLiteral("3"))
        __builtin_trap(); // a value just written must read back
    profile.removeSection(QStringLiteral("Pictures"));
    return 0;
}
