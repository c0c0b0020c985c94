// The entry of the network library (netplay/NetworkModule.h): the game window
// asks it for its network session the first time a network game is asked for.

#include "netplay/NetworkGameDialog.h"
#include "netplay/NetworkModule.h"
#include "netplay/NetworkPlay.h"

#include <cstring>

namespace tess {

void NetworkPlay::openDialog(QWidget* parent)
{
    NetworkGameDialog dialog(*this, parent);
    dialog.load();
    dialog.exec();
}

void NetworkPlay::runCommandLine(const NetworkCommandLine& line, QWidget* parent)
{
    runNetworkCommandLine(*this, line, parent);
}

} // namespace tess

// A library of another build would read the game's structures wrongly: it
// offers nothing to a program of another version.
extern "C" __attribute__((visibility("default"))) tess::NetworkSession* tessaronNetworkSession(tess::PuzzleTable* table,
                                                                                              const char* version)
{
    if (!table || !version || std::strcmp(version, TESSARON_NETWORK_MODULE_VERSION) != 0)
        return nullptr;
    return new tess::NetworkPlay(*table);
}
