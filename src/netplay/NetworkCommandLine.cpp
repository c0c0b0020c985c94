#include "netplay/NetworkCommandLine.h"

#include "net/NetLimits.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <optional>

namespace tess {

namespace {

using Action = NetworkCommandLine::Action;

// Qt's own options, which QGuiApplication, QApplication and the X11 plugin
// take out of the command line themselves; Qt accepts each with one dash or
// two. "-name" (the X11 instance name) counts with one dash only: "--name" is ours.
constexpr std::array<const char*, 15> QtOptionsWithValue{
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowtitle",
    "title", "qwindowicon", "icon", "display", "style", "stylesheet", "session", "visual",
};
constexpr std::array<const char*, 6> QtOptionsAlone{"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

template <std::size_t N>
bool among(const std::array<const char*, N>& names, const QString& name)
{
    return std::any_of(names.begin(), names.end(), [&name](const char* known) { return name == QLatin1String(known); });
}

bool isAsciiDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

std::optional<quint16> portNumber(const QString& text)
{
    if (!isAsciiDigits(text) || text.size() > 5)
        return std::nullopt;
    const int port = text.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

// A host name as the resolver takes it: letters, digits, '-', '.' and '_'.
bool isHostName(const QString& text)
{
    if (text.isEmpty() || text.size() > 253 || text.startsWith(u'-') || text.startsWith(u'.'))
        return false;
    for (const QChar c : text)
        if (!(c.isLetterOrNumber() || c == u'-' || c == u'.' || c == u'_'))
            return false;
    return true;
}

// Read by the C library: the command line is read at every start, before
// anything of Qt Network is needed.
bool isIpv6(const QString& text)
{
    if (!text.contains(u':') || text.size() > 64)
        return false;
    // A scope ("fe80::1%eth0") names the interface the address is on.
    const qsizetype percent = text.indexOf(u'%');
    const QString address = percent < 0 ? text : text.left(percent);
    if (percent >= 0) {
        const QString scope = text.mid(percent + 1);
        if (scope.isEmpty())
            return false;
        for (const QChar c : scope)
            if (!(c.isLetterOrNumber() || c == u'-' || c == u'.' || c == u'_'))
                return false;
    }
    in6_addr bytes{};
    return inet_pton(AF_INET6, address.toLatin1().constData(), &bytes) == 1;
}

} // namespace

QString networkNameProblem(const QString& name)
{
    const qsizetype characters = name.toUcs4().size();
    if (characters < 1 || characters > net::MaxNameLength)
        return QStringLiteral("a name has 1 to %1 characters").arg(net::MaxNameLength);
    if (name.trimmed().isEmpty())
        return QStringLiteral("a name cannot be blank");
    for (const char32_t c : name.toUcs4())
        if (QChar::category(c) == QChar::Other_Control || QChar::category(c) == QChar::Other_Format
            || QChar::category(c) == QChar::Other_Surrogate || c == 0x2028 || c == 0x2029)
            return QStringLiteral("a name cannot hold control characters");
    return {};
}

namespace {

QString readAddress(const QString& text, NetworkAddress& line)
{
    QString host = text;
    QString port;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return QStringLiteral("the address \"%1\" lacks its closing \"]\"").arg(text);
        host = text.mid(1, close - 1);
        const QString after = text.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return QStringLiteral("after \"]\" comes \":PORT\" or nothing, not \"%1\"").arg(after);
            port = after.mid(1);
            if (port.isEmpty())
                return QStringLiteral("the address \"%1\" ends in \":\" without a port").arg(text);
        }
        if (!isIpv6(host))
            return QStringLiteral("\"%1\" in brackets is no IPv6 address").arg(host);
    } else if (text.count(u':') > 1) {
        // Two colons or more: an IPv6 address, taken whole; a port needs brackets.
        if (!isIpv6(text))
            return QStringLiteral("\"%1\" is no address; an IPv6 address with a port is written [ADDRESS]:PORT")
                .arg(text);
    } else if (text.contains(u':')) {
        host = text.section(u':', 0, 0);
        port = text.section(u':', 1);
        if (port.isEmpty())
            return QStringLiteral("the address \"%1\" ends in \":\" without a port").arg(text);
    }
    if (!port.isEmpty()) {
        const std::optional<quint16> number = portNumber(port);
        if (!number)
            return QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(port);
        line.port = *number;
    }
    if (!isIpv6(host) && !isHostName(host))
        return QStringLiteral("\"%1\" is no host name or address").arg(host);
    line.host = host;
    return {};
}

} // namespace

NetworkAddress parseNetworkAddress(const QString& text)
{
    NetworkAddress address;
    address.error = readAddress(text.trimmed(), address);
    if (!address.error.isEmpty())
        address = {QString(), 0, address.error};
    return address;
}

namespace {

NetworkCommandLine wrong(const QString& error)
{
    NetworkCommandLine line;
    line.action = Action::Wrong;
    line.error = error;
    return line;
}

} // namespace

namespace {

// The options as given, before they are checked against each other.
struct GivenOptions {
    bool help = false;
    bool host = false;
    bool join = false;
    std::optional<QString> joinAddress, port, code, name;
};

// Qt's options, with one dash or two, their value following or after "=":
// true when arguments[i] is one (i then stands on its value, if it takes
// one), with `error` set when its value is missing.
bool skipQtOption(const QStringList& arguments, qsizetype& i, QString& error)
{
    const QString& argument = arguments.at(i);
    if (!argument.startsWith(u'-') || argument.size() <= 1)
        return false;
    const QString bare = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1).section(u'=', 0, 0);
    const bool joined = argument.contains(u'=');
    if (argument == QStringLiteral("-name") || among(QtOptionsWithValue, bare)) {
        if (!joined && ++i >= arguments.size())
            error = QStringLiteral("%1 needs a value").arg(argument);
        return true;
    }
    return among(QtOptionsAlone, bare) || bare.startsWith(QStringLiteral("qmljsdebugger"));
}

// One of the game's own options at arguments[i] (i then stands on its value,
// if it takes one): what is wrong with it, or the empty text.
QString readOwnOption(const QStringList& arguments, qsizetype& i, GivenOptions& given)
{
    const QString& argument = arguments.at(i);
    if (!argument.startsWith(QStringLiteral("--")))
        return QStringLiteral("unexpected argument \"%1\"").arg(argument);
    const QString option = argument.section(u'=', 0, 0);
    std::optional<QString> inlineValue;
    if (argument.contains(u'='))
        inlineValue = argument.section(u'=', 1);
    if (option == QStringLiteral("--host")) {
        if (inlineValue)
            return QStringLiteral("--host takes no value");
        if (given.host)
            return QStringLiteral("--host is given twice");
        given.host = true;
        return {};
    }
    std::optional<QString>* target = nullptr;
    if (option == QStringLiteral("--join"))
        target = &given.joinAddress;
    else if (option == QStringLiteral("--port"))
        target = &given.port;
    else if (option == QStringLiteral("--code"))
        target = &given.code;
    else if (option == QStringLiteral("--name"))
        target = &given.name;
    else
        return QStringLiteral("unknown option %1").arg(option);
    if (target->has_value())
        return QStringLiteral("%1 is given twice").arg(option);
    if (inlineValue)
        *target = *inlineValue;
    else if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QStringLiteral("--")))
        *target = arguments.at(++i);
    else
        return QStringLiteral("%1 needs a value").arg(option);
    given.join = given.join || option == QStringLiteral("--join");
    return {};
}

// Every argument after the program's name, in order: the first that is wrong says so.
QString readOptions(const QStringList& arguments, GivenOptions& given)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            given.help = true;
            continue;
        }
        QString error;
        if (skipQtOption(arguments, i, error)) {
            if (!error.isEmpty())
                return error;
            continue;
        }
        if (QString problem = readOwnOption(arguments, i, given); !problem.isEmpty())
            return problem;
    }
    return {};
}

NetworkCommandLine hostLine(const GivenOptions& given, NetworkCommandLine line)
{
    if (given.name)
        return wrong(QStringLiteral("--name goes with --join; the host plays under the first name of its options"));
    if (given.port) {
        const std::optional<quint16> number = portNumber(*given.port);
        if (!number)
            return wrong(QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(*given.port));
        line.port = *number;
    }
    line.action = Action::Host;
    return line;
}

NetworkCommandLine joinLine(const GivenOptions& given, NetworkCommandLine line)
{
    if (given.port)
        return wrong(QStringLiteral("--port goes with --host; give a joining computer's port as --join ADDRESS:PORT"));
    const NetworkAddress address = parseNetworkAddress(*given.joinAddress);
    if (!address.error.isEmpty())
        return wrong(address.error);
    line.address = address.host;
    line.port = address.port;
    if (given.name) {
        if (const QString problem = networkNameProblem(*given.name); !problem.isEmpty())
            return wrong(problem);
        line.name = *given.name;
    }
    line.action = Action::Join;
    return line;
}

} // namespace

NetworkCommandLine parseNetworkCommandLine(const QStringList& arguments)
{
    NetworkCommandLine line;
    GivenOptions given;
    if (const QString error = readOptions(arguments, given); !error.isEmpty())
        return wrong(error);
    if (given.help) {
        line.action = Action::Help;
        return line;
    }
    if (given.host && given.join)
        return wrong(QStringLiteral("--host and --join cannot go together"));
    if (!given.host && !given.join) {
        for (const auto& [option, name] :
             {std::pair{given.port, "--port"}, std::pair{given.code, "--code"}, std::pair{given.name, "--name"}})
            if (option)
                return wrong(QStringLiteral("%1 goes with --host or --join").arg(QLatin1String(name)));
        return line;
    }
    const std::optional<QString>& code = given.code;
    if (code && (!isAsciiDigits(*code) || code->size() != net::JoinCodeDigits))
        return wrong(QStringLiteral("the code \"%1\" is not %2 digits").arg(*code).arg(net::JoinCodeDigits));
    line.code = code.value_or(QString());
    return given.host ? hostLine(given, line) : joinLine(given, line);
}

QString networkCommandLineHelp()
{
    return QStringLiteral(
               "Usage: tessaron [OPTION...]\n"
               "Tessaron, a picture-tile game for one to four players.\n"
               "\n"
               "Without options the game starts as always. A network game is played from\n"
               "two to four computers, one player at each:\n"
               "\n"
               "  --host                 offer a network game on the local network; a window\n"
               "                         shows the join code, the addresses to type and who\n"
               "                         joined\n"
               "  --port N               with --host: the port to listen on, 1 to 65535\n"
               "                         (default %1, or any free port when that is taken)\n"
               "  --join ADDRESS[:PORT]  join the game a host offers: a host name, an IPv4\n"
               "                         address or an IPv6 address in brackets, as in\n"
               "                         [fd00::5]:%1 (default port %1)\n"
               "  --name NAME            with --join: the player's name, 1 to %2 characters\n"
               "                         (default: the first player name of the options)\n"
               "  --code NNNNNN          the join code, %3 digits: with --host the code to ask\n"
               "                         for (random when not given), with --join the host's\n"
               "                         code (asked for in a window when not given)\n"
               "  -h, --help             show this help and end\n"
               "\n"
               "Qt's own options, such as -platform NAME, -display DISPLAY and -style STYLE,\n"
               "are accepted as in every Qt program.\n"
               "\n"
               "Exit status: 0 when the game ends normally, 2 for a command line it cannot\n"
               "read.\n")
        .arg(net::DefaultPort)
        .arg(net::MaxNameLength)
        .arg(net::JoinCodeDigits);
}

} // namespace tess
