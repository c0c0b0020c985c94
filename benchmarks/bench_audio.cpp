// Measures what sound costs: opening the device, loading the soundfont (on its
// own thread), and the processor time while a song plays in real time.
// Run: build/benchmarks/bench_audio   (SDL_AUDIODRIVER=dummy for a silent run)

#include "resources/Resources.h"
#include "sound/AudioDevice.h"
#include "sound/MediaCommands.h"
#include "sound/Sequencer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    using tess::AudioDevice;

    QElapsedTimer clock;
    clock.start();
    AudioDevice::instance().open();
    const double openMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("device open:          %7.1f ms (driver %s)\n", openMs, AudioDevice::instance().driverName());

    // The soundfont comes with the first song.
    const QString song = QDir::tempPath() + QStringLiteral("/bench-song.mid");
    QFile file(song);
    file.open(QIODevice::WriteOnly);
    file.write(tess::carriedData(1001, QStringLiteral("midi")));
    file.close();
    clock.restart();
    tess::sendMediaCommand(QStringLiteral("open sequencer!") + song + QStringLiteral(" alias midi"));
    tess::sendMediaCommand(QStringLiteral("play midi"));
    const bool ready = AudioDevice::instance().sequencer().waitUntilReady(10000);
    std::printf("soundfont loaded:     %7.1f ms after the song opened, on its own thread (%s)\n",
                double(clock.nsecsElapsed()) / 1e6, ready ? "ready" : "no soundfont");

    const double seconds = argc > 1 ? QByteArray(argv[1]).toDouble() : 5.0;
    const double cpuBefore = cpuSeconds();
    clock.restart();
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    std::printf("while a song plays:   %7.1f %% of one core over %.1f s\n", 100.0 * (cpuSeconds() - cpuBefore) / wall, wall);

    tess::sendMediaCommand(QStringLiteral("close midi"));
    AudioDevice::instance().close();
    QFile::remove(song);
    return 0;
}
