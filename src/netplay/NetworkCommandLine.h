#pragma once
// The program's command line: hosting or joining a network game from the
// start, and --help. It is read before the application object exists, so
// that --help and a mistyped line answer without a display; Qt's own options
// (-platform, -style, -display, ...) are let through for Qt to take.

#include <QString>
#include <QStringList>

namespace tess {

struct NetworkCommandLine {
    enum class Action {
        Play,  // no network option: the one-screen game as always
        Host,  // --host [--port N] [--code NNNNNN]
        Join,  // --join ADDRESS[:PORT] [--code NNNNNN] [--name NAME]
        Help,  // --help: print helpText() and end
        Wrong, // error says what is wrong
    };
    Action action = Action::Play;
    QString address; // Join: a host name, an IPv4 or an IPv6 address (without brackets)
    quint16 port = 0; // Host, Join: 0 for the default port
    QString code;     // empty: the host picks one at random, the joining player is asked
    QString name;     // Join: empty for the first player name of the settings
    QString error;    // Wrong: one sentence in English
};

// An address as typed: "host", "host:port", "1.2.3.4:port", "[v6]", "[v6]:port"
// or a bare IPv6 address (a port after one needs the brackets).
struct NetworkAddress {
    QString host;     // empty when error says what is wrong
    quint16 port = 0; // 0 when none was given
    QString error;    // in English
};
NetworkAddress parseNetworkAddress(const QString& text);

// Why `name` cannot be a player's name in a network game (in English), or
// the empty text: names are 1 .. MaxNameLength characters, not blank,
// without control characters.
QString networkNameProblem(const QString& name);

// `arguments` as main() gets them, the program's name first.
NetworkCommandLine parseNetworkCommandLine(const QStringList& arguments);

// What --help prints: every option the program accepts, in English.
QString networkCommandLineHelp();

} // namespace tess
