// What a player's own photo costs beside a built-in picture: memory and time
// of the start with it as the chosen picture, the steps of one preview in the
// picture choice, memory while stepping through a folder of 300 photos, and
// the refusal of hostile JPEGs (huge sizes, hundreds of scans).
//
//   build/benchmarks/bench_pictures [WIDTHxHEIGHT [DPR]]
//
// Runs headless on the offscreen platform with one screen of the given size
// (default 1920x1080 at 1) unless QT_QPA_PLATFORM says otherwise. The photo is
// a generated 6000 x 4000 JPEG of photo-like content (gradients, shapes and
// grain). Every measurement runs in a fresh process of its own, so one does not
// inherit what another left in the heap; memory is VmRSS after malloc_trim.

#include "BenchEnvironment.h"
#include "errors/GuardedApplication.h"
#include "controls/ImageControl.h"
#include "dialogs/PictureChoiceDialog.h"
#include "window/PuzzleWindow.h"
#include "resources/Pictures.h"
#include "settings/SharedState.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/RunTimeError.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <malloc.h>

namespace {

namespace fs = std::filesystem;

constexpr int PhotoWidth = 6000;
constexpr int PhotoHeight = 4000;
constexpr int FolderPhotos = 300;
const QSize PreviewSize(267, 200); // the picture choice's preview
// What a player's photo may cost beyond a built-in picture.
constexpr double TargetMs = 50;
constexpr double TargetMB = 10;

double residentMB()
{
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return -1;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Smooth light, a few soft shapes and sensor grain: it compresses like a photo
// (a few MB at quality 90), unlike flat colour or pure noise.
void writePhoto(const fs::path& path)
{
    QImage photo(PhotoWidth, PhotoHeight, QImage::Format_RGB32);
    quint32 seed = 2024;
    for (int y = 0; y < PhotoHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < PhotoWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            const double shape = std::sin(x / 190.0) * std::cos(y / 240.0) * 40 + std::sin((x + 2 * y) / 900.0) * 30;
            const int r = int(60 + 150.0 * x / PhotoWidth + shape) + grain;
            const int g = int(80 + 120.0 * y / PhotoHeight - shape / 2) + grain;
            const int b = int(120 + 60.0 * (x + y) / (PhotoWidth + PhotoHeight) + shape / 3) + grain;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    QImageWriter writer(QString::fromStdString(path.string()), "jpeg");
    writer.setQuality(90);
    if (!writer.write(photo)) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// A small progressive grey JPEG turned hostile, as a file made to hold the
// game up: its frame says `width` x `height` and its last scan is repeated up
// to `scans`; the decoder would make up the missing data for each scan.
void writeHostile(const fs::path& path, int width, int height, int scans)
{
    QImage small(64, 64, QImage::Format_Grayscale8);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            small.scanLine(y)[x] = uchar(x * 7 + y * 3);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(small);
    const auto byte = [&jpeg](qsizetype at) { return uchar(jpeg.at(at)); };
    QByteArray out = jpeg.left(2);
    QByteArray lastScan;
    int written = 0;
    for (qsizetype at = 2; at + 4 <= jpeg.size() && byte(at + 1) != 0xd9;) {
        qsizetype end = at + 2 + (byte(at + 2) << 8 | byte(at + 3));
        if (byte(at + 1) == 0xda)
            while (end + 1 < jpeg.size() && !(byte(end) == 0xff && byte(end + 1) != 0 && (byte(end + 1) & 0xf8) != 0xd0))
                ++end;
        QByteArray segment = jpeg.mid(at, end - at);
        if (byte(at + 1) == 0xc2) {
            qToBigEndian(quint16(height), segment.data() + 5);
            qToBigEndian(quint16(width), segment.data() + 7);
        }
        if (byte(at + 1) == 0xda) {
            lastScan = segment;
            ++written;
        }
        out += segment;
        at = end;
    }
    for (; written < scans; ++written)
        out += lastScan;
    out += QByteArray("\xff\xd9", 2);
    std::ofstream(path, std::ios::binary).write(out.constData(), out.size());
}

double peakMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return -1;
}

// The folder layout one measurement needs: a home with its XDG folders, a
// program folder whose pictures are the game's own plus the photo.
struct Scene {
    fs::path root;
    fs::path program() const { return root / "program"; }
    fs::path pics() const { return program() / "pics"; }
    fs::path photo() const { return root / "photo.jpg"; }
    fs::path folder() const { return root / "folder"; }
};

void setEnvironment(const fs::path& home)
{
    for (const char* sub : {"config/Tessaron", "data", "cache", "tmp", "runtime"})
        fs::create_directories(home / sub);
    fs::permissions(home / "runtime", fs::perms::owner_all);
    bench::useHome(home);
}

QSize previewPixels()
{
    return PreviewSize * QGuiApplication::primaryScreen()->devicePixelRatio();
}

// The picture the way the picture choice loads it for its preview.
QImage loadPreviewPicture(const QString& path)
{
    return tess::loadPictureFile(path, previewPixels());
}

QImage decodePreviewPicture(const QByteArray& bytes, const QString& name)
{
    return tess::decodePicture(bytes, name, previewPixels());
}

// The start with `settings`: the game window made, loaded and painted once.
int measureStart(const Scene& scene, const std::string& settings)
{
    std::ofstream(scene.root / "home/config/Tessaron/Tessaron.ini") << settings;
    tess::setProgramFolder(QString::fromStdString(scene.program().string()));
    const double before = residentMB();
    QElapsedTimer timer;
    timer.start();
    // As main does before it builds the start-up and game windows (here only the game window).
    tess::PuzzleTable::decodeChosenPictureAhead();
    tess::PuzzleWindow window;
    window.table().load();
    const double loadedMs = ms(timer);
    QEventLoop loop;
    QObject::connect(&window, &tess::PuzzleWindow::firstPainted, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
    const double paintedMs = ms(timer);
    // What the first activation does after the paint, and the pieces drawn.
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("%.1f %.1f %.1f %.1f\n", loadedMs, paintedMs, before, residentMB());
    return 0;
}

int measurePreview(const Scene& scene)
{
    const QString path = QString::fromStdString(scene.photo().string());
    const QSize shown = previewPixels();
    std::vector<double> read, decode, scale, pixmap, total;
    const double before = residentMB();
    QImage picture;
    QPixmap shownPixmap;
    for (int run = 0; run < 11; ++run) {
        picture = QImage();
        shownPixmap = QPixmap();
        QElapsedTimer timer;
        timer.start();
        const QByteArray bytes = tess::readWholeFile(path, tess::MaxPictureFileBytes);
        read.push_back(ms(timer));
        QElapsedTimer step;
        step.start();
        picture = decodePreviewPicture(bytes, path);
        decode.push_back(ms(step));
        step.restart();
        const QImage scaled = tess::smoothlyScaled(picture, shown);
        scale.push_back(ms(step));
        step.restart();
        shownPixmap = QPixmap::fromImage(scaled);
        pixmap.push_back(ms(step));
        total.push_back(ms(timer));
    }
    // The preview holds the picture and its scaled copy, as the picture choice does.
    std::printf("%.1f %.1f %.1f %.1f %.1f %d %d %.1f %.1f\n", median(read), median(decode), median(scale),
                median(pixmap), median(total), picture.width(), picture.height(), before, residentMB());
    return 0;
}

int measureFolder(const Scene& scene)
{
    const QSize shown = previewPixels();
    std::vector<double> steps;
    std::vector<double> resident{residentMB()};
    QImage picture;
    QPixmap pixmap;
    for (int n = 0; n < FolderPhotos; ++n) {
        QElapsedTimer timer;
        timer.start();
        // As the preview does: the new picture replaces the one shown before.
        picture = loadPreviewPicture(QString::fromStdString((scene.folder() / ("photo" + std::to_string(n) + ".jpg")).string()));
        pixmap = QPixmap::fromImage(tess::smoothlyScaled(picture, shown));
        steps.push_back(ms(timer));
        if ((n + 1) % 50 == 0)
            resident.push_back(residentMB());
    }
    std::printf("%.1f %.1f", median(steps), *std::max_element(steps.begin(), steps.end()));
    for (double mb : resident)
        std::printf(" %.1f", mb);
    std::printf("\n");
    return 0;
}

// The picture choice itself, stepped at a player's pace (a click every 300 ms)
// through photos in the player's folder: how long each click takes while the
// next photo is decoded ahead.
int measureDialog(const Scene& scene)
{
    const fs::path own = fs::path(tess::playerPicturesFolder().toStdString());
    fs::create_directories(own);
    constexpr int Photos = 30;
    for (int n = 0; n < Photos; ++n)
        fs::create_hard_link(scene.folder() / ("photo" + std::to_string(n) + ".jpg"), own / ("photo" + std::to_string(100 + n) + ".jpg"));
    tess::shared().pictureSource = tess::PictureSource::File;
    tess::shared().pictureFileIndex = 0;
    tess::PictureChoiceDialog dialog;
    dialog.load();
    std::vector<double> steps;
    for (int n = 1; n < Photos; ++n) {
        QEventLoop pause;
        QTimer::singleShot(300, &pause, &QEventLoop::quit);
        pause.exec();
        QElapsedTimer timer;
        timer.start();
        dialog.showNextPicture();
        steps.push_back(ms(timer));
    }
    std::printf("%.1f %.1f\n", median(steps), *std::max_element(steps.begin(), steps.end()));
    return 0;
}

// A hostile picture chosen: how long until it is refused, and the peak memory it cost.
int measureRefusal(const std::string& path)
{
    const QByteArray bytes = tess::readWholeFile(QString::fromStdString(path), tess::MaxPictureFileBytes);
    const double before = peakMB();
    QElapsedTimer timer;
    timer.start();
    int error = 0;
    try {
        decodePreviewPicture(bytes, QString::fromStdString(path));
    } catch (const tess::RunTimeError& raised) {
        error = raised.number();
    }
    std::printf("%.1f %.1f %d\n", ms(timer), peakMB() - before, error);
    return 0;
}

int child(int argc, char* argv[])
{
    const Scene scene{argv[2]};
    setEnvironment(scene.root / "home");
    tess::GuardedApplication app(argc, argv);
    const std::string what = argv[3];
    if (what == "start")
        return measureStart(scene, argc > 4 ? argv[4] : "");
    if (what == "preview")
        return measurePreview(scene);
    if (what == "folder")
        return measureFolder(scene);
    if (what == "dialog")
        return measureDialog(scene);
    if (what == "refusal" && argc > 4)
        return measureRefusal(argv[4]);
    return 2;
}

std::vector<double> run(const std::string& self, const Scene& scene, const std::string& what, const std::string& settings = {})
{
    std::string command = self + " --child " + scene.root.string() + " " + what;
    if (!settings.empty())
        command += " '" + settings + "'";
    FILE* out = popen(command.c_str(), "r");
    std::vector<double> numbers;
    if (!out)
        return numbers;
    char line[4096] = {};
    while (std::fgets(line, sizeof line, out)) {
        std::istringstream fields(line);
        double value = 0;
        numbers.clear();
        while (fields >> value)
            numbers.push_back(value);
    }
    pclose(out);
    return numbers;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 3 && std::string(argv[1]) == "--child")
        return child(argc, argv);

    const std::string screen = argc > 1 ? argv[1] : "1920x1080";
    const std::string dpr = argc > 2 ? argv[2] : "1";
    const int screenWidth = std::atoi(screen.c_str());
    const int screenHeight = std::atoi(screen.c_str() + screen.find('x') + 1);

    char pattern[] = "/tmp/tessaron-pictures-XXXXXX";
    const Scene scene{mkdtemp(pattern)};
    if (!std::getenv("QT_QPA_PLATFORM")) {
        std::ofstream(scene.root / "screen.json") << "{ \"screens\": [ { \"name\": \"bench\", \"x\": 0, \"y\": 0, \"width\": "
                                                  << screenWidth << ", \"height\": " << screenHeight
                                                  << ", \"logicalDpi\": 96, \"dpr\": " << dpr << " } ] }";
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + (scene.root / "screen.json").string()).c_str(), 1);
        std::printf("Screen: offscreen %s at %s\n", screen.c_str(), dpr.c_str());
    }

    writePhoto(scene.photo());
    fs::create_directories(scene.pics());
    fs::copy_file(fs::path(TESSARON_SOURCE_DIR) / "pics/puzzle01.jpg", scene.pics() / "puzzle01.jpg");
    fs::create_hard_link(scene.photo(), scene.pics() / "photo.jpg");
    fs::create_directories(scene.folder());
    for (int n = 0; n < FolderPhotos; ++n)
        fs::create_hard_link(scene.photo(), scene.folder() / ("photo" + std::to_string(n) + ".jpg"));
    std::printf("Photo: %d x %d JPEG, %.1f MB\n", PhotoWidth, PhotoHeight, double(fs::file_size(scene.photo())) / 1e6);

    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string quiet = "[Optionen]\nPlayMusic=0\nPlaySound=0\n";
    struct Start {
        const char* name;
        std::string settings;
    };
    const std::vector<Start> starts = {
        {"built-in picture", quiet + "[Pictures]\nAlbum=0\nPicture=101\n"},
        {"pics/puzzle01.jpg", quiet + "[Pictures]\nAlbum=1\nFile=puzzle01.jpg\n"},
        {"24-MP photo", quiet + "[Pictures]\nAlbum=1\nFile=photo.jpg\n"},
    };
    constexpr int Runs = 5;
    std::printf("\nStart with the chosen picture (median of %d runs, each its own process):\n", Runs);
    std::printf("  %-20s %9s %10s %9s %10s\n", "", "load ms", "painted ms", "RSS MB", "added MB");
    std::vector<double> baseline;
    for (const Start& start : starts) {
        std::vector<double> loaded, painted, after, added;
        for (int n = 0; n < Runs; ++n) {
            const std::vector<double> got = run(self, scene, "start", start.settings);
            if (got.size() < 4)
                continue;
            loaded.push_back(got[0]);
            painted.push_back(got[1]);
            after.push_back(got[3]);
            added.push_back(got[3] - got[2]);
        }
        std::printf("  %-20s %9.1f %10.1f %9.1f %10.1f\n", start.name, median(loaded), median(painted), median(after), median(added));
        if (baseline.empty()) {
            baseline = {median(painted), median(after)};
            continue;
        }
        const double slower = median(painted) - baseline[0];
        const double larger = median(after) - baseline[1];
        std::printf("  %-20s %9s %+10.1f %+9.1f   beside the built-in picture: %s\n", "", "", slower, larger,
                    slower <= TargetMs && larger <= TargetMB ? "within" : "OVER");
    }
    std::printf("  (target: at most %+.0f ms and %+.0f MB beside the built-in picture)\n", TargetMs, TargetMB);

    const std::vector<double> preview = run(self, scene, "preview");
    if (preview.size() >= 9) {
        std::printf("\nOne preview of the photo at 267 x 200 x DPR (median of 11):\n");
        std::printf("  read file %.1f ms, decode %.1f ms (to %g x %g), scale %.1f ms, pixmap %.1f ms: total %.1f ms\n",
                    preview[0], preview[1], preview[5], preview[6], preview[2], preview[3], preview[4]);
        std::printf("  RSS %.1f MB before, %.1f MB holding the preview\n", preview[7], preview[8]);
        std::printf("  target: at most %.0f ms a preview: %s\n", TargetMs, preview[4] <= TargetMs ? "within" : "OVER");
    }

    const std::vector<double> folder = run(self, scene, "folder");
    if (folder.size() >= 3) {
        std::printf("\nStepping through %d photos, one preview each: median %.1f ms, worst %.1f ms a step\n", FolderPhotos,
                    folder[0], folder[1]);
        std::printf("  RSS MB at start %.1f", folder[2]);
        for (std::size_t i = 3; i < folder.size(); ++i)
            std::printf(", after %zu: %.1f", (i - 2) * 50, folder[i]);
        const double grown = folder.back() - folder[3];
        std::printf("\n  from the first 50 to the end: %+.1f MB (%s)\n", grown, grown <= 1 ? "flat" : "GROWING");
    }

    const std::vector<double> dialog = run(self, scene, "dialog");
    if (dialog.size() >= 2)
        std::printf("\nThe picture choice stepped through 30 photos at a click every 300 ms (the next decoded ahead):\n"
                    "  median %.1f ms, worst %.1f ms a click; target: at most %.0f ms: %s\n",
                    dialog[0], dialog[1], TargetMs, dialog[1] <= TargetMs ? "within" : "OVER");

    std::printf("\nHostile progressive JPEGs, refused before they are decoded (481):\n");
    struct Hostile {
        int width, height, scans;
    };
    for (const Hostile& hostile : {Hostile{16384, 16384, 800}, Hostile{32768, 32768, 3}}) {
        const fs::path path = scene.root / ("hostile" + std::to_string(hostile.width) + ".jpg");
        writeHostile(path, hostile.width, hostile.height, hostile.scans);
        const std::vector<double> refused = run(self, scene, "refusal", path.string());
        if (refused.size() >= 3)
            std::printf("  %d x %d, %d scans, %.0f KB: error %g after %.1f ms, peak memory %+.1f MB\n", hostile.width,
                        hostile.height, hostile.scans, double(fs::file_size(path)) / 1024, refused[2], refused[0], refused[1]);
    }

    std::error_code ignored;
    fs::remove_all(scene.root, ignored);
    return 0;
}
