// Finding games on the local network: records from other computers are read
// with care; without a bus or without Avahi the player is told and nothing
// waits; with a real avahi-daemon (in a namespace with_avahi.sh makes) a
// published game is found with its address, port and record, follows its
// changes and goes when it is withdrawn.
//
// The cases that need a bus run in processes of their own (D-Bus reads the
// system bus's address once per process): TESSARON_DISCOVERY_BUS says which
// bus this process has, "none", "empty" or "avahi".

#include "support/TestEnvironment.h"

#include "net/Discovery.h"
#include "net/DiscoveryRecord.h"
#include "net/NetLimits.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>

#include <memory>

#include <signal.h>

using namespace tess;
using net::Discovery;

namespace {

QString ourVersion()
{
    return QStringLiteral("%1.%2").arg(net::ProtocolMajor).arg(net::ProtocolMinor);
}

constexpr int Wait = 30 * 1000; // a busy machine, a daemon that probes first

bool onBus(const char* bus)
{
    return qgetenv("TESSARON_DISCOVERY_BUS") == bus;
}

std::optional<Discovery::Game> gameNamed(const Discovery& discovery, const QString& name)
{
    for (const Discovery::Game& game : discovery.games())
        if (game.name == name)
            return game;
    return std::nullopt;
}

QList<QByteArray> record(const QByteArray& version, const QByteArray& board, const QByteArray& free)
{
    return {"v=" + version, "board=" + board, "free=" + free};
}

// Gone, or a zombie: it has done all it does at its end.
bool processEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName < 0 || line.mid(afterName + 2, 1) == "Z";
}

} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsAreReadWithCare_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QList<QByteArray>>("record");
        QTest::addColumn<bool>("listed");

        const QList<QByteArray> good = record("1.0", "3x4", "2");
        QTest::newRow("a game") << "Anna" << "10.0.0.7" << 47474 << good << true;
        QTest::newRow("IPv6") << "Anna" << "fe80::1%eth0" << 47474 << good << true;
        QTest::newRow("keys in capitals, other keys") << "Anna" << "10.0.0.7" << 1
            << QList<QByteArray>{"path=/etc/passwd", "V=1.0", "Board=6x8", "FREE=0", "flag"} << true;
        QTest::newRow("the first of two counts") << "Anna" << "10.0.0.7" << 1
            << (good + QList<QByteArray>{"free=9"}) << true;
        QTest::newRow("no name") << " " << "10.0.0.7" << 47474 << good << false;
        QTest::newRow("control characters") << "An\x1b[2Jna" << "10.0.0.7" << 47474 << good << false;
        QTest::newRow("a line break") << "An\nna" << "10.0.0.7" << 47474 << good << false;
        QTest::newRow("a line separator") << QStringLiteral("Reridu\u2028(10.0.0.1) free") << "10.200.0.1" << 1 << good
                                          << false;
        QTest::newRow("blank braille and fillers") << QStringLiteral("\u2800\u3164\uffa0") << "10.0.0.7" << 1 << good
                                                   << false;
        QTest::newRow("a Hebrew name") << QStringLiteral("\u05d0\u05d1\u05d2") << "10.9.9.9" << 1 << good << true;
        QTest::newRow("no address") << "Anna" << "" << 47474 << good << false;
        QTest::newRow("a path as address") << "Anna" << "../../etc" << 47474 << good << false;
        QTest::newRow("port 0") << "Anna" << "10.0.0.7" << 0 << good << false;
        QTest::newRow("no version") << "Anna" << "10.0.0.7" << 1 << QList<QByteArray>{"board=3x4", "free=2"} << false;
        QTest::newRow("no board") << "Anna" << "10.0.0.7" << 1 << QList<QByteArray>{"v=1.0", "free=2"} << false;
        QTest::newRow("no seats") << "Anna" << "10.0.0.7" << 1 << QList<QByteArray>{"v=1.0", "board=3x4"} << false;
        QTest::newRow("four free seats") << "Anna" << "10.0.0.7" << 1 << record("1.0", "3x4", "4") << false;
        QTest::newRow("minus one seat") << "Anna" << "10.0.0.7" << 1 << record("1.0", "3x4", "-1") << false;
        QTest::newRow("seats in words") << "Anna" << "10.0.0.7" << 1 << record("1.0", "3x4", "2 ") << false;
        QTest::newRow("a path as board") << "Anna" << "10.0.0.7" << 1 << record("1.0", "../x", "2") << false;
        QTest::newRow("a board of 0 rows") << "Anna" << "10.0.0.7" << 1 << record("1.0", "0x4", "2") << false;
        QTest::newRow("a huge board") << "Anna" << "10.0.0.7" << 1 << record("1.0", "300x4", "2") << false;
        QTest::newRow("a version in words") << "Anna" << "10.0.0.7" << 1 << record("one", "3x4", "2") << false;
        QTest::newRow("a long value") << "Anna" << "10.0.0.7" << 1
            << (good + QList<QByteArray>{"note=" + QByteArray(200, 'x')}) << false;
        QTest::newRow("an empty value") << "Anna" << "10.0.0.7" << 1 << record("1.0", "", "2") << false;
    }

    void recordsAreReadWithCare()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QList<QByteArray>, record);
        QFETCH(bool, listed);
        const auto game = net::gameFromService(name, address, quint16(port), record);
        QCOMPARE(game.has_value(), listed);
        if (listed) {
            QCOMPARE(game->name, name);
            QCOMPARE(game->address, address);
            QCOMPARE(game->port, quint16(port));
            QVERIFY(game->version == "1.0");
            QVERIFY(game->board == "3x4" || game->board == "6x8");
            QVERIFY(game->freeSeats >= 0 && game->freeSeats <= 2);
        }
    }

    void namesAreCutBetweenCharacters()
    {
        QCOMPARE(net::serviceName("Anna"), QString("Anna"));
        const QString latin(70, u'a');
        QCOMPARE(net::serviceName(latin), QString(63, u'a'));
        // Two-byte characters: 31 of them fill 62 bytes, a 32nd does not fit.
        QCOMPARE(net::serviceName(QString(40, QChar(0x00E9))), QString(31, QChar(0x00E9)));
        // Characters outside the first plane are two UTF-16 units and four bytes.
        const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
        QCOMPARE(net::serviceName("a" + clef.repeated(20)), "a" + clef.repeated(15));
        for (const QString& name : {latin, QString(40, QChar(0x00E9)), "a" + clef.repeated(20), "ab" + clef.repeated(20)}) {
            const QString cut = net::serviceName(name);
            QVERIFY(cut.toUtf8().size() <= net::MaxServiceNameBytes);
            QCOMPARE(QString::fromUtf8(cut.toUtf8()), cut); // no half characters
            QVERIFY(name.startsWith(cut));
        }
        // A name read from the network is cut the same way, and listed.
        const auto game = net::gameFromService(QString(100, u'b'), "10.0.0.7", 1, record("1.0", "3x4", "2"));
        QVERIFY(game);
        QCOMPARE(game->name, QString(63, u'b'));
    }

    void aFloodPushesOutOnlyItsOwn_data()
    {
        QTest::addColumn<QList<net::FollowedService>>("followed");
        QTest::addColumn<int>("forgotten");
        const QString flooder = QStringLiteral("10.0.0.9");
        QTest::newRow("another computer's game, heard of longest ago, stays")
            << QList<net::FollowedService>{{"10.0.0.5", 1}, {flooder, 3}, {flooder, 2}, {flooder, 4}} << 2;
        QTest::newRow("a name not found yet goes before any game")
            << QList<net::FollowedService>{{"10.0.0.5", 1}, {"", 6}, {flooder, 2}, {"", 5}} << 3;
        QTest::newRow("one game each: the one heard of longest ago")
            << QList<net::FollowedService>{{"10.0.0.5", 5}, {"10.0.0.6", 2}, {"10.0.0.7", 9}} << 1;
        QTest::newRow("nothing followed") << QList<net::FollowedService>{} << -1;
    }

    void aFloodPushesOutOnlyItsOwn()
    {
        QFETCH(QList<net::FollowedService>, followed);
        QFETCH(int, forgotten);
        QCOMPARE(int(net::serviceToForget(followed)), forgotten);
    }

    void ourRecordReadsBack()
    {
        const QList<QByteArray> ours = net::serviceRecord("3x4", 2);
        QCOMPARE(ours, record(ourVersion().toLatin1(), "3x4", "2"));
        const auto game = net::gameFromService("Anna", "10.0.0.7", net::DefaultPort, ours);
        QVERIFY(game);
        QCOMPARE(game->freeSeats, 2);
        // Seats beyond what a host can have are published as the most it can.
        QCOMPARE(net::serviceRecord("3x4", 7).last(), QByteArray("free=3"));
        QCOMPARE(net::serviceRecord("3x4", -2).last(), QByteArray("free=0"));
    }

    void withoutABusNothingIsFound()
    {
        if (!onBus("none"))
            QSKIP("runs where DBUS_SYSTEM_BUS_ADDRESS leads nowhere (CTest test_discovery_no_bus)");
        Discovery discovery;
        // Known at once: there is nothing to wait for.
        QVERIFY(!discovery.available());
        QCOMPARE(discovery.problem(), Discovery::Problem::NoDaemon);
        QVERIFY(!discovery.problemText().isEmpty());
        QSignalSpy changes(&discovery, &Discovery::gamesChanged);
        discovery.publish("Anna", 47474, "3x4", 2);
        discovery.updateRecord("3x4", 1);
        discovery.browse();
        QCoreApplication::processEvents();
        QVERIFY(discovery.games().isEmpty());
        discovery.unpublish();
        discovery.stopBrowsing();
        QCOMPARE(discovery.problem(), Discovery::Problem::NoDaemon);
        QCOMPARE(changes.count(), 0);
    }

    void withoutAvahiThePlayerIsTold()
    {
        if (!onBus("empty"))
            QSKIP("runs in a process of its own (CTest test_discovery_no_avahi)");
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        // A system bus of our own, on which nobody offers Avahi.
        const QString socket = test::tempFolder() + "/bus";
        const QString config = test::writeTempFile("bus.conf", QStringLiteral(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>system</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
            "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy>"
            "</busconfig>\n").arg(socket).toUtf8());
        QProcess bus;
        // The daemon prints its address once it listens; the socket's file
        // appears before that, and a connection then is refused.
        bus.start(daemon, {"--config-file=" + config, "--nofork", "--nopidfile", "--print-address"});
        QVERIFY2(bus.waitForStarted(), qPrintable(bus.errorString()));
        const auto stopBus = qScopeGuard([&] {
            bus.kill();
            bus.waitForFinished();
        });
        QTRY_VERIFY_WITH_TIMEOUT(bus.canReadLine(), Wait);
        const QByteArray address = bus.readLine().trimmed();
        QVERIFY2(address.contains(QFile::encodeName(socket)), address.constData());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);

        {
            Discovery discovery;
            QSignalSpy problems(&discovery, &Discovery::problemChanged);
            // The daemon is asked, not waited for: the answer comes as an event.
            QVERIFY(!discovery.available());
            QVERIFY2(discovery.problem() == Discovery::Problem::None, qPrintable(discovery.problemText()));
            discovery.browse();
            discovery.publish("Anna", 47474, "3x4", 2);
            QTRY_COMPARE_WITH_TIMEOUT(discovery.problem(), Discovery::Problem::NoDaemon, Wait);
            QVERIFY(!discovery.available());
            QVERIFY(problems.count() >= 1);
            QVERIFY2(discovery.problemText().contains("ServiceUnknown") || discovery.problemText().contains("NameHasNoOwner"),
                     qPrintable(discovery.problemText()));
            QVERIFY(discovery.games().isEmpty());
            discovery.stopBrowsing();
            discovery.unpublish();
        }
    }

    void aPublishedGameIsFound()
    {
        if (!onBus("avahi"))
            QSKIP("needs avahi-daemon in a namespace (CTest test_discovery runs this through with_avahi.sh)");
        const QString address = qEnvironmentVariable("TESSARON_AVAHI_ADDRESS");

        // Asked at once, as --host does: both wait for the daemon's answer.
        Discovery host;
        host.publish("Anna", 47474, "3x4", 2);

        Discovery joining;
        QSignalSpy changes(&joining, &Discovery::gamesChanged);
        joining.browse();
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Anna"), Wait);
        QVERIFY(changes.count() >= 1);
        QVERIFY(host.available() && joining.available());
        QCOMPARE(host.problem(), Discovery::Problem::None);
        Discovery::Game anna = *gameNamed(joining, "Anna");
        QCOMPARE(anna.address, address);
        QCOMPARE(anna.port, quint16(47474));
        QCOMPARE(anna.version, ourVersion());
        QCOMPARE(anna.board, QString("3x4"));
        QCOMPARE(anna.freeSeats, 2);

        // A player joined, and the host chose another board.
        host.updateRecord("6x8", 1);
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Anna") && gameNamed(joining, "Anna")->freeSeats == 1, Wait);
        anna = *gameNamed(joining, "Anna");
        QCOMPARE(anna.board, QString("6x8"));
        QCOMPARE(anna.port, quint16(47474));

        // A record that turns malformed takes the game off the list.
        host.updateRecord("../../etc", 1);
        QTRY_VERIFY_WITH_TIMEOUT(!gameNamed(joining, "Anna"), Wait);
        host.updateRecord("3x4", 0);
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Anna") && gameNamed(joining, "Anna")->freeSeats == 0, Wait);

        host.unpublish();
        QTRY_VERIFY_WITH_TIMEOUT(joining.games().isEmpty(), Wait);
        QCOMPARE(joining.problem(), Discovery::Problem::None);

        // Published again (the race: the daemon knows it before the browser exists).
        host.publish("Anna", 47475, "3x4", 3);
        Discovery late;
        QTRY_VERIFY_WITH_TIMEOUT(late.available(), Wait);
        late.browse();
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(late, "Anna") && gameNamed(late, "Anna")->port == 47475, Wait);
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Anna") && gameNamed(joining, "Anna")->port == 47475, Wait);

        // Stopped and started again, the list starts empty and fills again.
        QSignalSpy lateChanges(&late, &Discovery::gamesChanged);
        late.stopBrowsing();
        QVERIFY(late.games().isEmpty());
        QCOMPARE(lateChanges.count(), 1);
        late.browse();
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(late, "Anna"), Wait);
    }

    void aTakenNameGetsAnother()
    {
        if (!onBus("avahi"))
            QSKIP("needs avahi-daemon in a namespace (CTest test_discovery runs this through with_avahi.sh)");
        Discovery first, second, joining;
        QTRY_VERIFY_WITH_TIMEOUT(first.available() && second.available(), Wait);
        first.publish("Bea", 40001, "3x4", 3);
        joining.browse();
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Bea"), Wait);
        second.publish("Bea", 40002, "4x5", 1);
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Bea #2"), Wait);
        QCOMPARE(gameNamed(joining, "Bea #2")->port, quint16(40002));
        QCOMPARE(gameNamed(joining, "Bea")->port, quint16(40001));
        QCOMPARE(first.problem(), Discovery::Problem::None);
        QCOMPARE(second.problem(), Discovery::Problem::None);
        // Withdrawn, only that one goes.
        first.unpublish();
        QTRY_VERIFY_WITH_TIMEOUT(!gameNamed(joining, "Bea"), Wait);
        QVERIFY(gameNamed(joining, "Bea #2"));
    }

    // Sixty games published first do not hide one started after them, and
    // the player learns how many are not listed.
    void aFloodHidesNoNewerGame()
    {
        if (!onBus("avahi"))
            QSKIP("needs avahi-daemon in a namespace (CTest test_discovery runs this through with_avahi.sh)");
        Discovery joining;
        joining.browse();
        constexpr int Flood = 60;
        std::vector<std::unique_ptr<Discovery>> flood;
        for (int i = 0; i < Flood; ++i) {
            flood.push_back(std::make_unique<Discovery>());
            // "A..." sorts before the real game's name: it is not by name that it shows.
            flood.back()->publish(QStringLiteral("A flood %1").arg(i, 2, 10, QChar(u'0')), quint16(44000 + i), "3x4", 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(joining.unlistedGames(), Flood - net::MaxListedGames, 3 * Wait);
        QCOMPARE(int(joining.games().size()), net::MaxListedGames);

        Discovery real;
        real.publish("Zora", 45000, "3x4", 3);
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Zora"), Wait);
        QCOMPARE(int(joining.games().size()), net::MaxListedGames);
        QCOMPARE(joining.unlistedGames(), Flood + 1 - net::MaxListedGames);

        // As the flood recedes, nothing is left unlisted.
        flood.resize(3);
        QTRY_COMPARE_WITH_TIMEOUT(int(joining.games().size()), 4, Wait);
        QCOMPARE(joining.unlistedGames(), 0);
    }

    void hostileServicesAreHeldToLimits()
    {
        if (!onBus("avahi"))
            QSKIP("needs avahi-daemon in a namespace (CTest test_discovery runs this through with_avahi.sh)");
        Discovery joining;
        int mostListed = 0;
        connect(&joining, &Discovery::gamesChanged, this,
                [&] { mostListed = std::max(mostListed, int(joining.games().size())); });
        joining.browse();
        // A flood of games, a name with control characters among them.
        std::vector<std::unique_ptr<Discovery>> flood;
        for (int i = 0; i < net::MaxListedGames + 8; ++i) {
            flood.push_back(std::make_unique<Discovery>());
            flood.back()->publish(QStringLiteral("Flood %1").arg(i, 2, 10, QChar(u'0')), quint16(41000 + i), "3x4", 1);
        }
        Discovery shouting;
        shouting.publish("Bad\x07Name", 42000, "3x4", 1);
        QTRY_COMPARE_WITH_TIMEOUT(int(joining.games().size()), net::MaxListedGames, Wait);
        QCOMPARE(mostListed, net::MaxListedGames);
        // (A game of the case before may still be on its way out.)
        for (const Discovery::Game& game : joining.games())
            QVERIFY2(!game.name.contains(QChar(7)), qPrintable(game.name));
        QVERIFY(shouting.problem() == Discovery::Problem::None);
        // As the flood recedes, the list shows what is left.
        flood.resize(3);
        QTRY_COMPARE_WITH_TIMEOUT(int(joining.games().size()), 3, Wait);
        for (const Discovery::Game& game : joining.games())
            QVERIFY2(game.name.startsWith("Flood "), qPrintable(game.name));
    }

    // Last: the daemon it ends is not the one with_avahi.sh started.
    void theDaemonGoesAndComesBack()
    {
        if (!onBus("avahi"))
            QSKIP("needs avahi-daemon in a namespace (CTest test_discovery runs this through with_avahi.sh)");
        Discovery host, joining;
        QTRY_VERIFY_WITH_TIMEOUT(host.available(), Wait);
        host.publish("Cleo", 43000, "3x4", 3);
        joining.browse();
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Cleo"), Wait);

        QSignalSpy hostProblems(&host, &Discovery::problemChanged);
        QSignalSpy joiningProblems(&joining, &Discovery::problemChanged);
        const qint64 pid = qEnvironmentVariableIntValue("TESSARON_AVAHI_PID");
        QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
        QTRY_COMPARE_WITH_TIMEOUT(joining.problem(), Discovery::Problem::NoDaemon, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(host.problem(), Discovery::Problem::NoDaemon, Wait);
        QVERIFY(!host.available());
        QVERIFY(joining.games().isEmpty());
        QVERIFY(hostProblems.count() >= 1 && joiningProblems.count() >= 1);
        host.updateRecord("3x4", 2); // while it is away

        // Its name on the bus goes before its pid file: a new one started
        // earlier would see the old one running.
        QTRY_VERIFY_WITH_TIMEOUT(processEnded(pid), Wait);
        QProcess daemon;
        daemon.start(qEnvironmentVariable("TESSARON_AVAHI_START"));
        QVERIFY2(daemon.waitForStarted(), qPrintable(daemon.errorString()));
        const auto stopDaemon = qScopeGuard([&] {
            daemon.terminate();
            daemon.waitForFinished();
        });
        // Both take up again what they did: the game is published and found anew.
        QTRY_VERIFY_WITH_TIMEOUT(host.available() && joining.available(), Wait);
        QCOMPARE(host.problem(), Discovery::Problem::None);
        QTRY_VERIFY_WITH_TIMEOUT(gameNamed(joining, "Cleo") && gameNamed(joining, "Cleo")->freeSeats == 2, Wait);
        QCOMPARE(gameNamed(joining, "Cleo")->port, quint16(43000));
    }
};

TESSARON_TEST_MAIN(TestDiscovery)
#include "test_discovery.moc"
