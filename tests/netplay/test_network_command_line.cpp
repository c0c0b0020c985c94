// The command line for network play: --host, --join and their values, Qt's
// own options let through, and every malformed line refused with a reason.

#include "netplay/NetworkCommandLine.h"
#include "support/TestEnvironment.h"

#include <QTest>

using namespace tess;
using Action = NetworkCommandLine::Action;

Q_DECLARE_METATYPE(NetworkCommandLine::Action)

class TestNetworkCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void goodLinesAreRead_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");

        const auto row = [](const char* tag, const QStringList& arguments, Action action, const QString& address = {},
                            int port = 0, const QString& code = {}, const QString& name = {}) {
            QTest::newRow(tag) << arguments << action << address << port << code << name;
        };
        row("nothing", {}, Action::Play);
        row("Qt's platform", {"-platform", "offscreen"}, Action::Play);
        row("Qt's options, two dashes and =", {"--platform", "xcb", "-style=Fusion", "-reverse", "-name", "x"}, Action::Play);
        row("help", {"--help"}, Action::Help);
        row("short help after others", {"--host", "-h"}, Action::Help);
        row("host", {"--host"}, Action::Host);
        row("host with port and code", {"--host", "--port", "5000", "--code", "000042"}, Action::Host, {}, 5000, "000042");
        row("host, values after =", {"--code=999999", "--port=65535", "--host"}, Action::Host, {}, 65535, "999999");
        row("host, lowest port", {"--port", "1", "--host", "-platform", "offscreen"}, Action::Host, {}, 1);
        row("join by IPv4", {"--join", "192.168.1.5"}, Action::Join, "192.168.1.5");
        row("join by name, port, code and name", {"--join", "gamebox.local:47475", "--code", "123456", "--name", "Anna"},
            Action::Join, "gamebox.local", 47475, "123456", "Anna");
        row("join IPv6 with port", {"--join", "[::1]:5000"}, Action::Join, "::1", 5000);
        row("join IPv6 in brackets", {"--join=[fe80::1]"}, Action::Join, "fe80::1");
        row("join bare IPv6", {"--join", "fd00::5"}, Action::Join, "fd00::5");
        row("name in any script, with a blank", {"--join", "h", "--name", "Zo\u00eb \u674e\u0410\u043d\u044f"},
            Action::Join, "h", 0, {}, "Zo\u00eb \u674e\u0410\u043d\u044f");
        row("name of 20 characters", {"--join", "h", "--name=abcdefghijklmnopqrst"}, Action::Join, "h", 0, {},
            "abcdefghijklmnopqrst");
        row("name of 20 characters beyond 16 bits", {"--join", "h", "--name", QString("\U0001F600").repeated(20)},
            Action::Join, "h", 0, {}, QString("\U0001F600").repeated(20));
    }

    void goodLinesAreRead()
    {
        QFETCH(QStringList, arguments);
        arguments.prepend("tessaron");
        const NetworkCommandLine line = parseNetworkCommandLine(arguments);
        QCOMPARE(line.error, QString());
        QTEST(line.action, "action");
        QTEST(line.address, "address");
        QTEST(int(line.port), "port");
        QTEST(line.code, "code");
        QTEST(line.name, "name");
    }

    void badLinesSayWhatIsWrong_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");

        const auto row = [](const char* tag, const QStringList& arguments, const char* reason) {
            QTest::newRow(tag) << arguments << QString::fromUtf8(reason);
        };
        row("unknown option", {"--bogus"}, "unknown option --bogus");
        row("stray word", {"stray"}, "unexpected argument \"stray\"");
        row("host and join", {"--host", "--join", "x"}, "cannot go together");
        row("port alone", {"--port", "5000"}, "--port goes with --host or --join");
        row("code alone", {"--code", "1234"}, "--code goes with --host or --join");
        row("host twice", {"--host", "--host"}, "--host is given twice");
        row("host with a value", {"--host=yes"}, "--host takes no value");
        row("host with a name", {"--host", "--name", "Anna"}, "--name goes with --join");
        row("port 0", {"--host", "--port", "0"}, "not a number from 1 to 65535");
        row("port 65536", {"--host", "--port", "65536"}, "not a number from 1 to 65535");
        row("port negative", {"--host", "--port", "-1"}, "not a number from 1 to 65535");
        row("port not a number", {"--host", "--port=5k"}, "not a number from 1 to 65535");
        row("port missing", {"--host", "--port"}, "--port needs a value");
        row("code of 3 digits", {"--host", "--code", "123"}, "is not 6 digits");
        row("code of 7 digits", {"--host", "--code", "1234567"}, "is not 6 digits");
        row("code with a letter", {"--host", "--code", "12a4"}, "is not 6 digits");
        row("code of other digits", {"--host", "--code", "\u0661\u0662\u0663\u0664"}, "is not 6 digits");
        row("join without address", {"--join"}, "--join needs a value");
        row("join followed by an option", {"--join", "--code", "1234"}, "--join needs a value");
        row("join with --port", {"--join", "x", "--port", "5000"}, "--port goes with --host");
        row("join port 0", {"--join", "x:0"}, "not a number from 1 to 65535");
        row("join port too large", {"--join", "x:70000"}, "not a number from 1 to 65535");
        row("join port empty", {"--join", "x:"}, "without a port");
        row("join empty", {"--join="}, "is no host name or address");
        row("join with a blank", {"--join", "bad host"}, "is no host name or address");
        row("join with a slash", {"--join", "../etc"}, "is no host name or address");
        row("IPv6 bracket not closed", {"--join", "[::1"}, "lacks its closing");
        row("IPv6 port without colon", {"--join", "[::1]5000"}, "after \"]\"");
        row("IPv6 bracket, empty port", {"--join", "[::1]:"}, "without a port");
        row("IPv4 in brackets", {"--join", "[192.168.1.5]:5000"}, "is no IPv6 address");
        row("not IPv6 at all", {"--join", "gg::zz"}, "with a port is written [ADDRESS]:PORT");
        row("name empty", {"--join", "x", "--name", ""}, "1 to 20 characters");
        row("name of 21", {"--join", "x", "--name", "abcdefghijklmnopqrstu"}, "1 to 20 characters");
        row("name blank", {"--join", "x", "--name", "   "}, "cannot be blank");
        row("name with a TAB", {"--join", "x", "--name", "An\tna"}, "control characters");
        row("name with a line break", {"--join", "x", "--name", "An\nna"}, "control characters");
        row("name with a direction mark", {"--join", "x", "--name", "Anna\u202e"}, "control characters");
        row("name twice", {"--join", "x", "--name", "A", "--name", "B"}, "--name is given twice");
        row("Qt option without its value", {"--host", "-platform"}, "-platform needs a value");
    }

    void badLinesSayWhatIsWrong()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        arguments.prepend("tessaron");
        const NetworkCommandLine line = parseNetworkCommandLine(arguments);
        QCOMPARE(line.action, Action::Wrong);
        QVERIFY2(line.error.contains(reason), qPrintable(line.error));
        QVERIFY(line.address.isEmpty() && line.code.isEmpty() && line.name.isEmpty());
    }

    void typedAddressesAreReadAsOnTheCommandLine()
    {
        const NetworkAddress spaced = parseNetworkAddress(" 10.0.0.7:4000 ");
        QCOMPARE(spaced.host, QString("10.0.0.7"));
        QCOMPARE(spaced.port, quint16(4000));
        QVERIFY(spaced.error.isEmpty());
        const NetworkAddress wrong = parseNetworkAddress("10.0.0.7:99999");
        QVERIFY(wrong.host.isEmpty());
        QCOMPARE(wrong.port, quint16(0));
        QVERIFY(!wrong.error.isEmpty());
        QVERIFY(networkNameProblem("Ben").isEmpty());
        QVERIFY(!networkNameProblem(QString()).isEmpty());
    }

    void helpNamesEveryOption()
    {
        const QString help = networkCommandLineHelp();
        for (const char* option : {"--host", "--port N", "--join ADDRESS[:PORT]", "--code NNNNNN", "--name NAME", "--help",
                                   "-platform", "47474"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
        for (const QString& line : help.split('\n'))
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestNetworkCommandLine)
#include "test_network_command_line.moc"
