// The saved game: any file is either refused whole or rebuilds a board whose
// every piece is once on the board or on the stack.

#include "FuzzSupport.h"
#include "game/PuzzleTable.h"
#include "table/SavedGame.h"
#include "settings/SharedState.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto record = decodeSavedGame(bytes);
    if (record && encodeSavedGame(*record).size() > bytes.size())
        __builtin_trap(); // a record accepted was read from the bytes there are
    if (record)
        for (const qint32 score : record->scores)
            if (score < 0 || score > 99999)
                __builtin_trap(); // a score accepted fits the champions list's five digits
    static PuzzleTable* table = [] {
        auto* made = new PuzzleTable;
        shared() = SharedState{};
        made->load();
        made->layOutOnce(1024, 768);
        return made;
    }();
    shared().playSounds = false;
    shared().autoDraw = false;
    QFile file(savedGamePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    file.close();
    table->loadGame();
    const int pieces = shared().boardRows * shared().boardCols;
    int laid = 0;
    for (int n = 0; n < pieces; ++n)
        laid += table->game().placed(n);
    if (record && laid + table->faceDownPieces().size() != pieces)
        __builtin_trap();
    return 0;
}
