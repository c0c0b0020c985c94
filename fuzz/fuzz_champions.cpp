// The champions file: any content decodes to ten entries, each shown as a row.

#include "FuzzSupport.h"
#include "champions/ChampionsCodec.h"
#include "champions/ChampionsList.h"
#include "settings/Profile.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess;
    QFile file(ChampionsFile::path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    Profile::forgetUnreadableFiles(); // rewritten within a tick of the file clock: read again
    RankedList list;
    ChampionsFile(1).readList(list);
    if (list.size() != ChampionsFile::RankCount)
        __builtin_trap();
    (void)rowsToShow(list);
    // The codec alone, on the raw bytes as a stored value.
    QString value = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    QString entry = decodeEntry(value);
    QString again = entry;
    (void)encodeEntry(again);
    return 0;
}
