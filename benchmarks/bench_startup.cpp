// Start-up, memory, click latency and idle load of the real program, beside a
// bare Qt Widgets window built with it. Run it on an X display (Xvfb):
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/benchmarks/bench_startup [runs]
//
// TESSARON_BENCH_BEFORE=<another build's program> launches that one in turn
// too, for figures before and after; TESSARON_BENCH_START_ONLY=1 stops after
// part 1.
//
// Part 1 launches the bare window and the game alternately, each with a fresh
// home and the files it maps read into the file cache just before, and
// measures the time from launch to the mapping of the main window (watched on
// the X server, not polled) and resident and anonymous memory two seconds
// after the launch. Part 2 clicks board cells of the 12 x 16
// board through XTest and times each click to the first changed pixel of the
// cell. Part 3 reads the processor time an idle game uses over ten seconds,
// with music off and on.

#include "BenchEnvironment.h"
#include "table/Layout.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Launched {
    pid_t pid = -1;
    Window window = 0;
    double firstMappedMs = -1; // the first top-level window: the game's start-up window
    double mappedCpuMs = -1;   // processor time of the main thread when the main window mapped
    double mappedQueuedMs = -1; // and the time it waited for a processor
    double mappedMs = -1;
    fs::path home;
};

// A fresh home with its own XDG folders, and the settings the run wants.
fs::path freshHome(const std::string& settings)
{
    char pattern[] = "/tmp/tessaron-bench-XXXXXX";
    const fs::path home = mkdtemp(pattern);
    for (const char* sub : {"config/Tessaron", "data", "cache", "tmp", "runtime"})
        fs::create_directories(home / sub);
    fs::permissions(home / "runtime", fs::perms::owner_all);
    std::ofstream(home / "config/Tessaron/Tessaron.ini") << settings;
    return home;
}

// A process's main thread so far, in ms (/proc/<pid>/schedstat): the
// processor time it used, which on a busy machine says more than the time on
// the clock, and the time it was ready to run but waited for a processor,
// which is what the other threads and the X server cost it.
struct ThreadTimes {
    double cpuMs = -1;
    double queuedMs = -1;
};

ThreadTimes mainThreadTimes(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/schedstat");
    double cpuNs = -1e6, queuedNs = -1e6;
    stat >> cpuNs >> queuedNs;
    return {cpuNs / 1e6, queuedNs / 1e6};
}

// Starts the program and waits for a top-level window at least `minWidth` wide
// to be mapped, noting when the first top-level window of any size mapped.
Launched launch(Display* display, const std::string& program, const std::string& settings, int minWidth)
{
    Launched run;
    run.home = freshHome(settings);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);
    const Clock::time_point start = Clock::now();
    const long long launchNs = std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    run.pid = fork();
    if (run.pid == 0) {
        bench::useHome(run.home);
        setenv("TESSARON_START_TRACE", (std::to_string(launchNs) + ":" + (run.home / "trace").string()).c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    while (msSince(start) < 10000) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.event != root)
                continue;
            if (run.firstMappedMs < 0)
                run.firstMappedMs = msSince(start);
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, event.xmap.window, &attributes) && attributes.width >= minWidth) {
                run.mappedMs = msSince(start);
                const ThreadTimes times = mainThreadTimes(run.pid);
                run.mappedCpuMs = times.cpuMs;
                run.mappedQueuedMs = times.queuedMs;
                run.window = event.xmap.window;
                XSelectInput(display, root, NoEventMask);
                return run;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    XSelectInput(display, root, NoEventMask);
    return run;
}

// The files a running program has mapped: itself, its libraries, plugins,
// fonts and caches.
std::set<std::string> mappedFiles(pid_t pid)
{
    std::set<std::string> files;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const auto path = line.find(" /");
        if (path != std::string::npos && line.find(" (deleted)") == std::string::npos)
            files.insert(line.substr(path + 1));
    }
    return files;
}

// Reads the files through before a launch. This machine drops programs' pages
// from its file cache within seconds, and a launch that reads them from disk
// again measures the disk, not the program. Done for the bare window and the
// game alike.
void readThrough(const std::set<std::string>& files)
{
    static std::vector<char> buffer(1 << 20);
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
        }
    }
}

struct Mark {
    std::string name;
    double ms = 0;  // since the launch
    double cpu = 0; // processor time of the thread that marked
};

// The game's own marks on its way to the window, read before the home goes.
std::vector<Mark> marks(const Launched& run)
{
    std::vector<Mark> found;
    std::ifstream trace(run.home / "trace");
    std::string line;
    while (std::getline(trace, line)) {
        const auto second = line.rfind(' ');
        const auto first = second == std::string::npos ? second : line.rfind(' ', second - 1);
        if (first != std::string::npos)
            found.push_back({line.substr(0, first), std::atof(line.c_str() + first + 1), std::atof(line.c_str() + second + 1)});
    }
    return found;
}

void finish(Launched& run)
{
    if (run.pid > 0) {
        kill(run.pid, SIGTERM);
        for (int i = 0; i < 100 && waitpid(run.pid, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        kill(run.pid, SIGKILL);
        waitpid(run.pid, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(run.home, ignored);
}

// "VmRSS" and "RssAnon" of /proc/<pid>/status, in MB.
std::map<std::string, double> memory(pid_t pid)
{
    std::map<std::string, double> found;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string key;
        double kb = 0;
        fields >> key >> kb;
        if (key == "VmRSS:" || key == "RssAnon:")
            found[key.substr(0, key.size() - 1)] = kb / 1024.0;
    }
    return found;
}

// User and system processor time of a process, in seconds.
double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// "median (least .. most)"
std::string withSpread(const std::vector<double>& values)
{
    if (values.empty())
        return "-";
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    char text[96];
    std::snprintf(text, sizeof text, "%6.1f (%5.1f .. %5.1f)", median(values), *least, *most);
    return text;
}

void clickAt(Display* display, Window window, int x, int y)
{
    Window child;
    int rx = 0, ry = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display, -1, rx, ry, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

unsigned long pixelSum(Display* display, Window window, const QRect& area)
{
    XImage* image = XGetImage(display, window, area.x() + 4, area.y() + 4, unsigned(area.width() - 8),
                              unsigned(area.height() - 8), AllPlanes, ZPixmap);
    if (!image)
        return 0;
    unsigned long sum = 0;
    for (int y = 0; y < image->height; y += 2)
        for (int x = 0; x < image->width; x += 2)
            sum += XGetPixel(image, x, y) * unsigned(x + 7 * y + 1);
    XDestroyImage(image);
    return sum;
}

const char* Quiet = "[Optionen]\nPlayMusic=0\nPlaySound=0\n";

// `before`, when given, is another build of the game, launched in turn with
// this one: figures before and after a change, from one run on one machine.
void startupAndMemory(Display* display, const std::string& game, const std::string& bare, const std::string& before, int runs)
{
    std::map<std::string, std::vector<double>> mapped, firstMapped, mappedCpu, mappedQueued, rss, anon;
    std::vector<std::string> markOrder;
    std::map<std::string, std::vector<double>> markTimes, markCpu, musicMarkTimes, bareMarkTimes, bareMarkCpu;
    const std::string musicOn = "[Optionen]\nPlayMusic=1\n";
    std::vector<std::tuple<std::string, std::string, int, std::string>> programs{
        {"bare", bare, 1000, std::string()}, {"game, music off", game, 800, Quiet}, {"game, music on", game, 800, musicOn}};
    if (!before.empty()) {
        programs.emplace_back("before, music off", before, 800, Quiet);
        programs.emplace_back("before, music on", before, 800, musicOn);
    }
    // One launch of each first, not counted, to learn the files it maps.
    std::map<std::string, std::set<std::string>> filesOf;
    for (const auto& [name, program, width, settings] : programs) {
        Launched launched = launch(display, program, settings, width);
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        filesOf[program].merge(mappedFiles(launched.pid));
        finish(launched);
    }
    for (int run = 0; run < runs; ++run) {
        for (const auto& [name, program, width, settings] : programs) {
            readThrough(filesOf[program]);
            Launched launched = launch(display, program, settings, width);
            std::this_thread::sleep_for(std::chrono::milliseconds(2000) - std::chrono::milliseconds(int(launched.mappedMs)));
            const auto mem = memory(launched.pid);
            mapped[name].push_back(launched.mappedMs);
            firstMapped[name].push_back(launched.firstMappedMs);
            mappedCpu[name].push_back(launched.mappedCpuMs);
            mappedQueued[name].push_back(launched.mappedQueuedMs);
            rss[name].push_back(mem.count("VmRSS") ? mem.at("VmRSS") : -1);
            anon[name].push_back(mem.count("RssAnon") ? mem.at("RssAnon") : -1);
            for (const Mark& mark : marks(launched)) {
                if (name == "bare") {
                    bareMarkTimes[mark.name].push_back(mark.ms);
                    bareMarkCpu[mark.name].push_back(mark.cpu);
                    continue;
                }
                if (name.rfind("game", 0) != 0)
                    continue;
                if (name == "game, music on") {
                    musicMarkTimes[mark.name].push_back(mark.ms);
                    continue;
                }
                if (!markTimes.count(mark.name))
                    markOrder.push_back(mark.name);
                markTimes[mark.name].push_back(mark.ms);
                markCpu[mark.name].push_back(mark.cpu);
            }
            finish(launched);
        }
    }
    std::printf("Start-up, median (least .. most) of %d runs each (fresh homes, alternating):\n", runs);
    std::printf("  %-16s %-26s %-26s %-26s %s\n", "", "first window mapped, ms", "main window mapped, ms", "RSS at 2 s, MB", "anon MB");
    for (const auto& [name, times] : mapped)
        std::printf("  %-16s %-26s %-26s %-26s %6.1f\n", name.c_str(), withSpread(firstMapped[name]).c_str(),
                    withSpread(times).c_str(), withSpread(rss[name]).c_str(), median(anon[name]));
    for (const auto& [name, program, width, settings] : programs)
        if (name != "bare")
            std::printf("  ratio to bare, %s: start-up window %.2f, game window %.2f\n", name.c_str(),
                        median(firstMapped[name]) / median(mapped["bare"]), median(mapped[name]) / median(mapped["bare"]));
    std::printf("  main thread until the main window mapped, ms:  %-26s %s\n", "processor time", "waiting for a processor");
    for (const auto& [name, program, width, settings] : programs)
        std::printf("    %-44s %-26s %s\n", name.c_str(), withSpread(mappedCpu[name]).c_str(), withSpread(mappedQueued[name]).c_str());
    std::printf("The bare window's way (medians; ms since launch, processor ms of the thread):\n");
    for (const char* mark : {"main", "application", "bare window shown"})
        std::printf("  %-26s %8.1f %8.1f\n", mark, median(bareMarkTimes[mark]), median(bareMarkCpu[mark]));
    std::printf("The game's way to its window (medians; ms since launch, music off and on; processor ms of the thread, music off):\n");
    for (const std::string& mark : markOrder)
        std::printf("  %-26s %8.1f %8.1f %8.1f\n", mark.c_str(), median(markTimes[mark]), median(musicMarkTimes[mark]),
                    median(markCpu[mark]));
}

void clickLatency(Display* display, const std::string& game)
{
    Launched launched = launch(display, game, std::string(Quiet) + "Size=9\nnumPlayers=2\nJoker=0\nTime=0\nFlip=0\n", 800);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    XWindowAttributes attributes;
    XGetWindowAttributes(display, launched.window, &attributes);
    const tess::LayoutMetrics metrics{attributes.width, attributes.height, 15};
    const tess::BoardLayout board = tess::layoutBoard(metrics, 12, 16, tess::FrameColour::Gold);
    const tess::WindowLayout window = tess::layoutWindow(metrics);
    clickAt(display, launched.window, window.buttons[0].center().x(), window.buttons[0].center().y()); // start
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::vector<double> latencies;
    int next = 0;
    for (int turn = 0; turn < 12; ++turn) {
        clickAt(display, launched.window, board.stack.center().x(), board.stack.center().y()); // draw
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        for (int wrong = 0; wrong < 3; ++wrong, ++next) {
            // Three cells in turn; one may hold the piece in hand, which then lies there: a change all the same.
            const QRect& cell = board.cells[std::size_t((next * 37) % 192)];
            const unsigned long before = pixelSum(display, launched.window, cell);
            const Clock::time_point start = Clock::now();
            clickAt(display, launched.window, cell.center().x(), cell.center().y());
            while (msSince(start) < 500 && pixelSum(display, launched.window, cell) == before)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (msSince(start) < 500)
                latencies.push_back(msSince(start));
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("Click on the 12 x 16 board to changed pixels: median %.2f ms, worst %.2f ms (%zu clicks)\n",
                median(latencies), latencies.empty() ? -1.0 : latencies.back(), latencies.size());
    finish(launched);
}

void idleLoad(Display* display, const std::string& game)
{
    for (const auto& [name, settings] : {std::pair{"music off", std::string(Quiet)},
                                         std::pair{"music on", std::string("[Optionen]\nPlayMusic=1\nMusicLoop=-1\n")}}) {
        Launched launched = launch(display, game, settings, 800);
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        const double before = cpuSeconds(launched.pid);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double used = cpuSeconds(launched.pid) - before;
        std::printf("Idle processor use over 10 s, %s: %.2f %%\n", name, used / 10.0 * 100.0);
        finish(launched);
    }
}

// A desktop session has a message bus, and Qt connects to it at the first
// accessibility check (the first text set on a button). Without one, libdbus
// would launch a bus for that program on the spot and the time would measure
// that. So both programs run beside a private session bus, as on a desktop.
struct SessionBus {
    pid_t pid = -1;
    SessionBus()
    {
        if (std::getenv("DBUS_SESSION_BUS_ADDRESS"))
            return; // one is there already
        FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        if (!daemon)
            return;
        char address[512] = {}, pidText[32] = {};
        if (std::fgets(address, sizeof address, daemon) && std::fgets(pidText, sizeof pidText, daemon)) {
            address[std::strcspn(address, "\n")] = 0;
            setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
            pid = std::atoi(pidText);
        }
        pclose(daemon);
        std::printf("%s\n", pid > 0 ? "Session bus: a private one for the run" : "Session bus: none (dbus-daemon missing)");
    }
    ~SessionBus()
    {
        if (pid > 0)
            kill(pid, SIGTERM);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    const fs::path here = fs::canonical("/proc/self/exe").parent_path();
    const std::string game = (here.parent_path() / "tessaron").string();
    const std::string bare = (here / "bench_bare_window").string();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "No X display: run it under Xvfb (xvfb-run -a -s \"-screen 0 1280x1024x24\" %s)\n", argv[0]);
        return 1;
    }
    const SessionBus bus;
    const char* before = std::getenv("TESSARON_BENCH_BEFORE");
    startupAndMemory(display, game, bare, before ? before : "", runs);
    if (!std::getenv("TESSARON_BENCH_START_ONLY")) {
        clickLatency(display, game);
        idleLoad(display, game);
    }
    XCloseDisplay(display);
    return 0;
}
