// The language lookup over a table file of any content.

#include "FuzzSupport.h"
#include "language/Language.h"
#include "settings/SharedState.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess;
    shared().languageTableFile = fuzz::writeScratch(QStringLiteral("~tmp.lng"), data, size);
    for (const qint16 key : {111, 1127, 2138, 6183}) {
        const QString text = textForKey(key);
        if (text.size() > 254)
            __builtin_trap(); // the classic buffer: 254 characters at most
    }
    return 0;
}
