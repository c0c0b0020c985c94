// The latency of a network game as a joining player feels it: from a click
// on the joining computer's window to that window painting the result the
// host sent back (the piece turned over on the stack, the piece laid on its
// cell), on 127.0.0.1; and the bytes that travel per turn.
//
//   build/benchmarks/bench_network [clicks]     (runs on Qt's offscreen platform)
//
// The host is a second copy of this program (--serve): a game table without a
// window that hosts a 3 x 4 game and plays its own player's turns at once.
// This process is the joining computer with the real game window; its
// connection goes through a relay here that counts the bytes each way.

#include "BenchEnvironment.h"
#include "netplay/NetworkPlay.h"
#include "game/PuzzleTable.h"
#include "window/PuzzleWindow.h"
#include "controls/ImageControl.h"
#include "settings/SharedState.h"
#include "util/Dialogs.h"
#include "util/ProcedureGate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
// A join code as the host gives them out: JoinCodeDigits digits.
const QString Code = QStringLiteral("424242");

// Message boxes answered at once: the winner is told, another game wanted.
class QuietDialogs : public tess::Dialogs {
public:
    void inform(const QString&, const QString&) override {}
    bool askYesNo(const QString&, const QString&, Answer) override { return true; }
    bool inputText(const QString&, const QString&, QString& text, int) override
    {
        text.clear();
        return false;
    }
    QStringList chooseFiles(const QString&, const QString&, const QStringList&) override { return {}; }
};

// The host: plays its own turns as soon as they come, starts a new game when
// one ends, and ends when the joining computer goes.
int serve(quint16 port)
{
    QuietDialogs dialogs;
    tess::setDialogs(&dialogs);
    tess::PuzzleTable table;
    table.load();
    table.layOutOnce(1024, 768);
    tess::NetworkPlay play(table);
    if (!play.host(port, Code)) {
        std::fprintf(stderr, "host: %s\n", qPrintable(play.lastProblem()));
        return 1;
    }
    std::printf("ready %u\n", play.port());
    std::fflush(stdout);
    bool joinedOnce = false;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const QList<tess::NetworkPlay::Player> players = play.players();
        const bool joined = players.size() == 2 && players[1].connected;
        joinedOnce = joinedOnce || joined;
        if (joinedOnce && !joined)
            QCoreApplication::quit();
        if (!joined || tess::ProcedureGate::instance().inputBlocked() || tess::shared().playerCount != 2)
            return;
        if (table.gameIdle)
            table.buttonPressed(int(tess::ToolButton::Start));
        else if (table.currentPlayer == 0 && table.pieceInHand() >= 0)
            table.cellClicked(table.pieceInHand());
        else if (table.currentPlayer == 0)
            table.stackClicked();
    });
    turns.start(5);
    return QCoreApplication::exec();
}

// Passes bytes between the joining computer and the host, counting them.
struct Relay {
    QTcpServer server;
    quint16 hostPort = 0;
    qint64 down = 0; // host -> joining
    qint64 up = 0;

    void start()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket* joining = server.nextPendingConnection();
            auto* host = new QTcpSocket(joining);
            host->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            joining->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            host->connectToHost(QHostAddress::LocalHost, hostPort);
            QObject::connect(joining, &QTcpSocket::readyRead, host, [this, joining, host] {
                const QByteArray bytes = joining->readAll();
                up += bytes.size();
                host->write(bytes);
            });
            QObject::connect(host, &QTcpSocket::readyRead, joining, [this, joining, host] {
                const QByteArray bytes = host->readAll();
                down += bytes.size();
                joining->write(bytes);
            });
            QObject::connect(host, &QTcpSocket::disconnected, joining, &QTcpSocket::disconnectFromHost);
            QObject::connect(joining, &QTcpSocket::disconnected, host, &QTcpSocket::disconnectFromHost);
        });
    }
};

// Waits, with events running, until `done` or `ms` have passed; false on time-out.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The moment a control paints while `shows` holds.
class PaintWatch : public QObject {
public:
    std::function<bool()> shows;
    QWidget* watched = nullptr;
    qint64 paintedNs = -1;
    QElapsedTimer* clock = nullptr;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == watched && event->type() == QEvent::Paint && paintedNs < 0 && shows && shows())
            paintedNs = clock->nsecsElapsed();
        return false;
    }
};

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const std::size_t at = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[at];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--serve") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return serve(quint16(QByteArray(argv[2]).toUInt()));
    }

    char pattern[] = "/tmp/tessaron-bench-XXXXXX";
    const fs::path home = mkdtemp(pattern);
    for (const char* sub : {"config/Tessaron", "data", "cache", "tmp", "runtime"})
        fs::create_directories(home / sub);
    fs::permissions(home / "runtime", fs::perms::owner_all);
    std::ofstream(home / "config/Tessaron/Tessaron.ini")
        << "[Optionen]\nSpieler1=Anna\nSize=0\nJoker=0\nTime=0\nPlaySound=0\nPlayMusic=0\nAutoDraw=0\n";
    bench::useHome(home);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The host offers nothing on the real network: only 127.0.0.1 is used.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tessaron-bench/bus");
    QApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(4, QByteArray(argv[1]).toInt()) : 60;

    QProcess hostProcess;
    hostProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    hostProcess.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), QStringLiteral("0")});
    if (!hostProcess.waitForReadyRead(20000)) {
        std::fprintf(stderr, "the host did not start\n");
        return 1;
    }
    Relay relay;
    relay.hostPort = quint16(hostProcess.readLine().trimmed().split(' ').value(1).toUInt());
    relay.start();

    QuietDialogs dialogs;
    tess::setDialogs(&dialogs);
    tess::PuzzleWindow window;
    window.table().load();
    window.resize(1024, 768);
    window.show();
    tess::PuzzleTable& table = window.table();
    tess::NetworkPlay& play = *window.network();
    bool joined = false;
    QObject::connect(&play, &tess::NetworkPlay::joined, [&joined] { joined = true; });
    play.join(QStringLiteral("127.0.0.1"), relay.server.serverPort(), QStringLiteral("Ben"), Code);
    if (!waitFor([&] { return joined && table.layoutDone; }, 20000)) {
        std::fprintf(stderr, "could not join: %s\n", qPrintable(play.lastProblem()));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    PaintWatch watch;
    watch.clock = &clock;
    std::vector<double> draws, places;
    qint64 downAtStart = -1, upAtStart = 0;
    std::vector<double> downPerTurn, upPerTurn;
    const auto myTurn = [&] { return table.remote() && table.network()->turnIsLocal(); };
    while (int(draws.size() + places.size()) < wanted) {
        // A turn ready for a click: a piece in hand not yet laid, or the stack to draw from.
        const auto ready = [&] {
            const int hand = table.pieceInHand();
            if (!myTurn())
                return false;
            if (hand >= 0)
                return table.stackCell.visible && !table.game().placed(hand);
            return table.stackCell.visible && table.stackCell.enabled && table.stackCell.face != tess::Face::Piece;
        };
        if (!waitFor(ready, 20000)) {
            std::fprintf(stderr, "the turn never came\n");
            return 1;
        }
        // A game's bytes from its first turn to its full board.
        int placedNow = 0;
        for (int n = 0; n < 12; ++n)
            placedNow += table.game().placed(n);
        if (downAtStart < 0 && placedNow <= 1) {
            downAtStart = relay.down;
            upAtStart = relay.up;
        }
        const bool drawing = table.pieceInHand() < 0;
        const int piece = table.pieceInHand();
        QWidget* target = drawing ? static_cast<QWidget*>(window.stack()) : static_cast<QWidget*>(window.cell(piece));
        watch.watched = target;
        watch.paintedNs = -1;
        watch.shows = drawing ? std::function<bool()>([&] { return table.stackCell.face == tess::Face::Piece; })
                              : std::function<bool()>([&, piece] { return table.game().placed(piece); });
        target->installEventFilter(&watch);
        const qint64 clickNs = clock.nsecsElapsed();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        const bool shown = waitFor([&] { return watch.paintedNs >= 0; }, 10000);
        target->removeEventFilter(&watch);
        if (!shown) {
            std::fprintf(stderr, "a click showed nothing within 10 s\n");
            return 1;
        }
        (drawing ? draws : places).push_back(double(watch.paintedNs - clickNs) / 1e6);
        // The board full: the game's bytes per turn (12 turns, both players).
        if (!drawing && downAtStart >= 0) {
            bool full = true;
            for (int n = 0; n < 12; ++n)
                full = full && table.game().placed(n);
            if (full) {
                waitFor([] { return false; }, 200); // the last state and the winner come after
                downPerTurn.push_back(double(relay.down - downAtStart) / 12);
                upPerTurn.push_back(double(relay.up - upAtStart) / 12);
                downAtStart = -1;
            }
        }
    }

    std::vector<double> all = draws;
    all.insert(all.end(), places.begin(), places.end());
    std::printf("click on the joining computer -> its window painting the host's answer, 127.0.0.1, 3 x 4 board\n");
    const auto line = [](const char* what, const std::vector<double>& values) {
        if (values.empty())
            return;
        std::printf("  %-22s n=%3zu  median %6.2f ms  p10 %6.2f  p90 %6.2f  min %6.2f  max %6.2f\n", what, values.size(),
                    percentile(values, 0.5), percentile(values, 0.1), percentile(values, 0.9),
                    *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
    };
    line("draw (stack turns over)", draws);
    line("place (piece laid)", places);
    line("every click", all);
    if (!downPerTurn.empty()) {
        double down = 0, up = 0;
        for (std::size_t i = 0; i < downPerTurn.size(); ++i) {
            down += downPerTurn[i];
            up += upPerTurn[i];
        }
        std::printf("bytes per turn (draw and place, WebSocket frames included), over %zu games:\n", downPerTurn.size());
        std::printf("  host -> joining computer %8.0f\n  joining computer -> host %8.0f\n", down / double(downPerTurn.size()),
                    up / double(upPerTurn.size()));
    }
    const double median = percentile(all, 0.5);
    std::printf("median %s 50 ms\n", median < 50 ? "under" : "NOT under");
    play.leave();
    // The relay passes the goodbye on while the host ends.
    if (!waitFor([&] { return hostProcess.state() == QProcess::NotRunning; }, 5000)) {
        hostProcess.kill();
        hostProcess.waitForFinished(5000);
    }
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return median < 50 ? 0 : 2;
}
