// Tessaron: a picture-tile game for one to four players.

#include "errors/ErrorDialog.h"
#include "errors/ErrorReporter.h"
#include "errors/GuardedApplication.h"
#include "game/LeftoverFiles.h"
#include "netplay/NetworkCommandLine.h"
#include "netplay/NetworkPlay.h"
#include "window/PuzzleWindow.h"
#include "controls/StartArt.h"
#include "window/StartupWindow.h"
#include "language/Language.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "sound/AudioDevice.h"
#include "util/Paths.h"
#include "util/StartTrace.h"
#include "util/Trap.h"
#include "util/WindowFit.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFontMetrics>
#include <QIcon>
#include <QPixmap>
#include <QThread>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include <malloc.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

namespace {

// The window icon comes once the game window is painted: decoding its sizes
// need not delay the start.
void installWindowIcon()
{
    tess::trapped("Tessaron", "main", [](tess::Steps& step) {
        step(50010, [] {
            QIcon icon;
            for (const QString& size : {QStringLiteral("48"), QStringLiteral("64"), QStringLiteral("128"), QStringLiteral("256")})
                icon.addPixmap(QPixmap::fromImage(tess::loadArt(QStringLiteral("icon_%1.png").arg(size))));
            QPixmap small;
            small.loadFromData(tess::carriedData(30001, QStringLiteral("icon")));
            icon.addPixmap(small);
            QApplication::setWindowIcon(icon);
        });
    });
}

// Read before the application object, so that --help and a mistyped line
// answer without a display; Qt takes its own options out later. An exit
// status when the program ends here.
std::optional<int> readCommandLine(int argc, char* argv[], tess::NetworkCommandLine& commandLine)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    commandLine = tess::parseNetworkCommandLine(arguments);
    if (commandLine.action == tess::NetworkCommandLine::Action::Help) {
        std::fputs(tess::networkCommandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (commandLine.action == tess::NetworkCommandLine::Action::Wrong) {
        std::fprintf(stderr, "tessaron: %s\nTry \"tessaron --help\" for the options.\n",
                     commandLine.error.toLocal8Bit().constData());
        return 2;
    }
    return std::nullopt;
}

// While Qt connects to the display, a thread of its own reads what the
// first windows would wait for: fontconfig's configuration and font
// caches, then the windows' art and the program's text table.
std::jthread readAhead()
{
    tess::promiseArt(tess::artOfTheStart());
    return std::jthread([] {
        FcInit();
        tess::startMark("fonts ready");
        tess::readPromisedArt();
        tess::readCarriedTableAhead();
        tess::startMark("art ready");
    });
}

// The splash's first text asks, over the session bus, whether a screen
// reader listens. Qt's bus thread makes that connection now, while the
// splash is built, instead of the window thread waiting for it there.
std::jthread connectSessionBus()
{
    return std::jthread([] {
        QDBusConnection::sessionBus();
        tess::startMark("session bus ready");
    });
}

// Qt's font database and the fallback fonts of a family are shared by all
// threads: they are filled here while the splash is built, not in the way
// of its first text. The game window's names come next.
std::jthread fillFontDatabase()
{
    return std::jthread([] {
        // A font of its own: the application font's shared data stays the window thread's.
        QFont splash;
        splash.fromString(QGuiApplication::font().toString());
        QFontMetrics(splash).horizontalAdvance(QStringLiteral("Tessaron"));
        tess::startMark("font database ready");
        QFont names(QStringLiteral("DejaVu Sans"));
        names.setBold(true);
        QFontMetrics(names).horizontalAdvance(QStringLiteral("Tessaron"));
    });
}

// --host and --join once the window shows; nothing of the network is made before.
void runCommandLineWhenShown(std::unique_ptr<tess::PuzzleWindow>& game, const tess::NetworkCommandLine& commandLine)
{
    if (commandLine.action == tess::NetworkCommandLine::Action::Play)
        return;
    QObject::connect(game.get(), &tess::PuzzleWindow::firstPainted, game.get(), [&game, &commandLine] {
        // Out of the paint event: the dialog runs its own loop.
        QTimer::singleShot(0, game.get(), [&game, &commandLine] {
            if (tess::NetworkPlay* session = game->network())
                session->runCommandLine(commandLine, game.get());
        });
    });
}

// The game window, made once the splash shows, with what follows its first paint.
QWidget* openGameWindow(std::unique_ptr<tess::PuzzleWindow>& game, std::unique_ptr<tess::StartupWindow>& startup,
                        const tess::NetworkCommandLine& commandLine)
{
    tess::startMark("splash shown");
    game = std::make_unique<tess::PuzzleWindow>();
    QObject::connect(game.get(), &tess::PuzzleWindow::firstPainted, &tess::forgetPromisedArt);
    QObject::connect(game.get(), &tess::PuzzleWindow::firstPainted, &installWindowIcon);
    QObject::connect(game.get(), &tess::PuzzleWindow::firstPainted, [] {
        tess::trapped("frmInfo", "Form_Load", [](tess::Steps& step) { step(50010, [] { tess::writeLanguageTable(); }); });
    });
    // A closed start-up window would keep its window buffer and its art to
    // the end of the run (the about box is a window of its own): it goes
    // once the game window is painted, after its closing.
    QObject::connect(game.get(), &tess::PuzzleWindow::firstPainted, [&startup] {
        if (startup && !startup->isVisible())
            startup.release()->deleteLater();
    });
    runCommandLineWhenShown(game, commandLine);
    tess::startMark("game window constructed");
    game->table().load();
    tess::startMark("game loaded");
    return game.get();
}

} // namespace

int main(int argc, char* argv[])
{
    tess::startMark("main");
    // Qt takes the first thread that asks for its thread data as the main
    // one: this thread, before the read-ahead thread below makes a QFile.
    QThread::currentThread();
    // The start decodes pictures of a megabyte and more and lets most of them
    // go again: from the heap, their pages are used again by the next one
    // instead of being mapped, faulted in and unmapped each time. The game
    // window sets the usual limits back once it is up (and trims the heap).
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    tess::NetworkCommandLine commandLine;
    if (const std::optional<int> exitStatus = readCommandLine(argc, argv, commandLine))
        return *exitStatus;
    const std::jthread fontsAndArt = readAhead();
    tess::GuardedApplication app(argc, argv);
    tess::startMark("application");
    QApplication::setApplicationName(QStringLiteral("Tessaron"));
    // The desktop entry, the icon and the metadata share this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.marlpit.Tessaron"));
    const std::jthread sessionBus = connectSessionBus();
    const std::jthread fontDatabase = fillFontDatabase();
    tess::WindowFit::install();

    tess::GameErrorReporter reporter(std::make_unique<tess::ErrorDialogPrompt>());
    tess::setErrorReporter(&reporter);
    tess::PuzzleTable::decodeChosenPictureAhead();
    tess::setMessageTexts(tess::langText);
    tess::tellOfUnreadableFiles();
    tess::tellOfUnwritableFiles();

    std::unique_ptr<tess::PuzzleWindow> game;
    std::unique_ptr<tess::StartupWindow> startup;
    startup = std::make_unique<tess::StartupWindow>(
        [&game, &startup, &commandLine]() -> QWidget* { return openGameWindow(game, startup, commandLine); });
    tess::startMark("splash constructed");
    startup->load();
    // Every setting has been read: the player hears of those reset, over the game window.
    tess::tellOfResetSettings();
    // Temporary files of writes that a crash cut short go once the game is up.
    QTimer::singleShot(2000, &app, &tess::sweepLeftoverFiles);

    const int result = QApplication::exec();
    tess::finishWaitingSettings();
    tess::finishDecodingAhead();
    tess::AudioDevice::instance().close();
    tess::setErrorReporter(nullptr);
    return result;
}
