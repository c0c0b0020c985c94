#pragma once
// Network play lives in a library of its own, libtessaron-network.so, that
// the game loads the first time a network game is asked for (the options'
// "Network game..." button, --host, --join). Qt Network and
// what it pulls in (Kerberos, proxy lookup) then cost a one-screen start
// nothing: neither loading nor memory. The library takes the game's own
// symbols from the program, so there is one copy of every game singleton.
//
// Nothing here needs Qt Network: the core of the game compiles this.

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace tess {

class PuzzleTable;
struct NetworkCommandLine;

// A window's network game, as the game window sees it.
class NetworkSession {
public:
    virtual ~NetworkSession() = default;
    // The network game dialog over `parent`, until the player closes it.
    virtual void openDialog(QWidget* parent) = 0;
    // --host or --join: the dialog, hosting or joining as the line asks.
    virtual void runCommandLine(const NetworkCommandLine& line, QWidget* parent) = 0;
};

// The file name of the library and the one function it offers.
inline constexpr char NetworkModuleFileName[] = "libtessaron-network.so";
inline constexpr char NetworkModuleEntryName[] = "tessaronNetworkSession";
// The library's entry: a session over `table`, or null when `version` (the
// program's) is not the one the library was built for.
using NetworkModuleEntry = NetworkSession* (*)(PuzzleTable* table, const char* version);
// The version the program and the library are built from, compared at
// loading: a literal, so that each side compares its own.
#define TESSARON_NETWORK_TEXT_(x) #x
#define TESSARON_NETWORK_TEXT(x) TESSARON_NETWORK_TEXT_(x)
#define TESSARON_NETWORK_MODULE_VERSION                                                                       \
    TESSARON_NETWORK_TEXT(TESSARON_VERSION_MAJOR)                                                            \
    "." TESSARON_NETWORK_TEXT(TESSARON_VERSION_MINOR) "." TESSARON_NETWORK_TEXT(TESSARON_VERSION_PATCH)

// The network session for `table`. Where the network code is linked into
// the program (tests, benchmarks) it is used as it is; otherwise the library
// is loaded. Null when it cannot be, with the reason in English in `problem`.
std::unique_ptr<NetworkSession> loadNetworkSession(PuzzleTable& table, QString* problem = nullptr);

// Where the library is looked for, first to last: beside the program (the
// build folder), then where installing puts it relative to the program.
QStringList networkModuleCandidates();

// Tests: load the library from `path` (an empty path restores the usual
// places), even where the network code is linked in.
void useNetworkModuleFile(const QString& path);

} // namespace tess
