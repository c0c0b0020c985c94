// Sound effects and songs through a real SDL audio device. The "disk" driver
// writes what the device plays into a file (raw 16-bit stereo), so the tests
// hear what a player would hear; the "dummy" driver plays silently in real
// time, as on a machine without a sound card.

#include "resources/Resources.h"
#include "settings/SharedState.h"
#include "sound/AudioDevice.h"
#include "sound/MediaCommands.h"
#include "sound/Sequencer.h"
#include "sound/Sounds.h"
#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"
#include "util/Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>
#include <QPushButton>
#include <QSet>

#include <cmath>
#include <csignal>

#include <dlfcn.h>

using namespace tess;

namespace {

constexpr int Rate = 44100;

struct Heard {
    std::vector<double> left; // -1..1
    // Seconds from the first to the last sample above -40 dB.
    double audibleSeconds() const
    {
        long first = -1;
        long last = -1;
        for (std::size_t i = 0; i < left.size(); ++i) {
            if (std::abs(left[i]) > 0.01) {
                if (first < 0)
                    first = long(i);
                last = long(i);
            }
        }
        return first < 0 ? 0.0 : double(last - first) / Rate;
    }
    // From the first to the last sample above -40 dB: the disk driver records
    // silence for as long as it runs before and after what plays, which on a
    // busy machine may be seconds.
    Heard playing() const
    {
        const auto audible = [](double s) { return std::abs(s) > 0.01; };
        const auto first = std::find_if(left.begin(), left.end(), audible);
        const auto last = std::find_if(left.rbegin(), left.rend(), audible).base();
        return Heard{first < last ? std::vector<double>(first, last) : std::vector<double>{}};
    }
    double rms() const
    {
        double sum = 0;
        for (double s : left)
            sum += s * s;
        return left.empty() ? 0 : std::sqrt(sum / double(left.size()));
    }
};

// Opens the device on the disk driver; `realTime` paces it like a sound card.
QString openOnDisk(bool realTime)
{
    const QString file = test::tempFolder() + QStringLiteral("/heard.raw");
    QFile::remove(file);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", file.toLocal8Bit());
    qputenv("SDL_DISKAUDIODELAY", realTime ? "23" : "0");
    if (!AudioDevice::instance().open())
        qFatal("the disk audio driver did not open");
    return file;
}

Heard closeAndListen(const QString& file)
{
    AudioDevice::instance().close();
    QFile raw(file);
    Heard heard;
    if (!raw.open(QIODevice::ReadOnly))
        return heard;
    const QByteArray bytes = raw.readAll();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    for (qsizetype i = 0; i + 1 < bytes.size() / 2; i += 2)
        heard.left.push_back(samples[i] / 32768.0);
    return heard;
}

double effectSeconds(qint16 number)
{
    const QByteArray wav = carriedData(number, QStringLiteral("WAV"));
    return double(wav.size() - 44) / (22050 * 2);
}

// A tiny song of a few notes, `seconds` long at 120 beats a minute, on the
// piano or another General MIDI program.
QByteArray shortSong(double seconds, int program = 0)
{
    QByteArray track;
    if (program != 0)
        track += QByteArray::fromHex("00C0") + char(program);
    const long quarters = long(seconds * 2);
    for (long q = 0; q < quarters; ++q) {
        track += QByteArray::fromHex("00903C64"); // note on at once
        track += QByteArray::fromHex("8360803C00"); // 480 ticks later: note off
    }
    track += QByteArray::fromHex("00FF2F00");
    QByteArray file = QByteArray::fromHex("4D546864000000060000000101E0"); // format 0, one track, 480 ticks
    file += "MTrk";
    const quint32 size = quint32(track.size());
    file += char(size >> 24);
    file += char(size >> 16);
    file += char(size >> 8);
    file += char(size);
    return file + track;
}

QString writeSong(const QByteArray& bytes)
{
    return test::writeTempFile(QStringLiteral("short.mid"), bytes);
}

// Waits for a condition, generously: a busy machine renders sound slowly.
bool waitUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        waitSeconds(0.02);
    return done();
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        Sequencer::setSoundFontPath({});
        shared().repeatSong = false;
        Music::instance().songTimer().stop();
    }
    void cleanup()
    {
        Music::instance().songTimer().stop();
        AudioDevice::instance().close();
        qputenv("SDL_AUDIODRIVER", "dummy");
    }

    void aWaitingEffectIsHeardForItsLengthAndReturnsAfterIt()
    {
        const QString file = openOnDisk(false);
        playSoundEffect(121, true);
        QVERIFY(!AudioDevice::instance().effectPlaying());
        const Heard heard = closeAndListen(file);
        const double expected = effectSeconds(121);
        QVERIFY2(std::abs(heard.audibleSeconds() - expected) < 0.1,
                 qPrintable(QStringLiteral("%1 s heard, %2 s long").arg(heard.audibleSeconds()).arg(expected)));
    }

    // Runs before any song: effects alone never bring the synthesizer's
    // library (and the dozens it pulls in) into the program.
    void effectsLeaveTheSynthesizerLibraryUnloaded()
    {
        const QString file = openOnDisk(false);
        playSoundEffect(111, true);
        QVERIFY(AudioDevice::instance().isOpen());
        QVERIFY(dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD) != nullptr);
        QVERIFY(dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_NOLOAD) == nullptr);
        QVERIFY(closeAndListen(file).audibleSeconds() > 0.05);
    }

    void aSilentItemGivesSilence()
    {
        // The negative control: the same path with a silent sound hears nothing.
        QByteArray silent = carriedData(121, QStringLiteral("WAV"));
        silent.replace(44, silent.size() - 44, QByteArray(silent.size() - 44, '\0'));
        const QString file = openOnDisk(false);
        AudioDevice::instance().playEffect(silent, true);
        const Heard heard = closeAndListen(file);
        QVERIFY(heard.left.size() > 1000);
        QCOMPARE(heard.audibleSeconds(), 0.0);
    }

    void aBackgroundEffectReturnsAtOnce()
    {
        const QString file = openOnDisk(true);
        QElapsedTimer clock;
        clock.start();
        playSoundEffect(122, false);
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(AudioDevice::instance().effectPlaying());
        waitUntil([] { return !AudioDevice::instance().effectPlaying(); }, 5000);
        const Heard heard = closeAndListen(file);
        // Heard to its end (its last bell fades below the threshold a little early).
        QVERIFY2(heard.audibleSeconds() > effectSeconds(122) - 0.4 && heard.audibleSeconds() < effectSeconds(122) + 0.1,
                 qPrintable(QString::number(heard.audibleSeconds())));
    }

    void aSecondEffectCutsTheFirst()
    {
        const QString file = openOnDisk(true);
        playSoundEffect(122, false); // 1.7 s of fanfare
        waitSeconds(0.25);
        playSoundEffect(111, false); // a short bleep replaces it
        waitSeconds(0.5);
        const Heard heard = closeAndListen(file);
        QVERIFY2(heard.audibleSeconds() < 0.8, qPrintable(QString::number(heard.audibleSeconds())));
        QVERIFY(heard.audibleSeconds() > 0.2);
    }

    void anEffectThatCannotPlayStillStopsTheOneBefore()
    {
        const QString file = openOnDisk(true);
        playSoundEffect(122, false);
        QVERIFY(AudioDevice::instance().effectPlaying());
        AudioDevice::instance().playEffect(QByteArray("RIFF, but no wave"), true);
        QVERIFY(!AudioDevice::instance().effectPlaying());
        closeAndListen(file);
    }

    void aSongIsHeard()
    {
        const QString file = openOnDisk(false);
        Music::instance().startSong();
        QVERIFY(AudioDevice::instance().sequencer().waitUntilReady(20000));
        QVERIFY(AudioDevice::instance().sequencer().isOpen());
        QVERIFY(waitUntil([] { return AudioDevice::instance().sequencer().position() > 2000; }, 20000));
        const Heard heard = closeAndListen(file);
        // Well above FluidSynth's one-bit dither.
        QVERIFY2(heard.playing().rms() > 0.003, qPrintable(QString::number(heard.playing().rms())));
    }

    void theSynthesizerComesWithTheFirstSongAndLeavesWithTheMusic()
    {
        const QString file = openOnDisk(false);
        Sequencer& songs = AudioDevice::instance().sequencer();
        playSoundEffect(111, false); // an effect alone loads no soundfont
        QVERIFY(!songs.waitUntilReady(300));
        Music::instance().startSong();
        QVERIFY(songs.waitUntilReady(20000));
        Music::instance().switchOff();
        QVERIFY(!songs.isOpen());
        QVERIFY(!songs.ready());
        QVERIFY(!Music::instance().songTimer().isActive());
        Music::instance().startSong(); // switched on again: a song is heard again
        QVERIFY(songs.waitUntilReady(20000));
        QVERIFY(waitUntil([&songs] { return songs.position() > 2000; }, 20000));
        QVERIFY2(closeAndListen(file).playing().rms() > 0.003, "no song after the music came back");
    }

    void aLaterSongBringsItsOwnInstruments()
    {
        // The synthesizer holds only the instruments of the songs so far: the
        // flute comes when the second song needs it.
        const QString file = openOnDisk(false);
        Sequencer& songs = AudioDevice::instance().sequencer();
        QCOMPARE(sendMediaCommand(QStringLiteral("open sequencer!") + writeSong(shortSong(0.5)) + " alias midi"), 0);
        sendMediaCommand(QStringLiteral("play midi"));
        QVERIFY(songs.waitUntilReady(20000));
        sendMediaCommand(QStringLiteral("close midi"));
        // Everything recorded from here on is the second song (or the silence
        // after it: the disk driver runs ahead of the test as fast as it can).
        const qint64 firstSongFrames = QFileInfo(file).size() / 4;
        QCOMPARE(sendMediaCommand(QStringLiteral("open sequencer!") + writeSong(shortSong(3.0, 73)) + " alias midi"), 0);
        sendMediaCommand(QStringLiteral("play midi"));
        // Three of its six notes rendered: at least 1.5 s of flute in the recording.
        QVERIFY(waitUntil([&songs] { return songs.position() > 3 * 480; }, 20000));
        Heard heard = closeAndListen(file);
        heard.left.erase(heard.left.begin(), heard.left.begin() + std::min<qint64>(qint64(heard.left.size()), firstSongFrames));
        QVERIFY2(heard.audibleSeconds() > 1.0, qPrintable(QString::number(heard.audibleSeconds())));
    }

    void withoutASoundfontSongsAreSilentAndNoError()
    {
        test::ScriptedReporter reporter;
        Sequencer::setSoundFontPath(test::tempFolder() + QStringLiteral("/none.sf2"));
        const QString file = openOnDisk(false);
        Music::instance().startSong();
        QVERIFY(!AudioDevice::instance().sequencer().waitUntilReady(5000));
        waitSeconds(0.1);
        const Heard heard = closeAndListen(file);
        QVERIFY(heard.left.size() > 1000);
        QCOMPARE(heard.audibleSeconds(), 0.0);
        QVERIFY(reporter.reports.isEmpty());
    }

    void musicSitsUnderTheEffects()
    {
        const QString music = openOnDisk(false);
        sendMediaCommand(QStringLiteral("open sequencer!") + writeSong(carriedData(1003, "midi")) + " alias midi");
        sendMediaCommand(QStringLiteral("play midi"));
        QVERIFY(AudioDevice::instance().sequencer().waitUntilReady(20000));
        QVERIFY(waitUntil([] { return AudioDevice::instance().sequencer().position() > 30 * 480; }, 20000));
        const double musicLevel = closeAndListen(music).playing().rms();

        const QString effect = openOnDisk(false);
        playSoundEffect(113, true);
        Heard heard = closeAndListen(effect);
        const auto first = std::find_if(heard.left.begin(), heard.left.end(), [](double s) { return std::abs(s) > 0.01; });
        heard.left.erase(heard.left.begin(), first);
        heard.left.resize(std::min<std::size_t>(heard.left.size(), std::size_t(0.3 * Rate)));
        const double effectLevel = heard.rms();
        QVERIFY2(musicLevel < effectLevel * 0.8 && musicLevel > effectLevel * 0.05,
                 qPrintable(QStringLiteral("music %1, effect %2").arg(musicLevel).arg(effectLevel)));
    }

    void theEndOfASongIsSeenAndEndlessModeStartsAnother()
    {
        openOnDisk(true);
        shared().repeatSong = true;
        const QByteArray song = shortSong(1.0);
        QCOMPARE(sendMediaCommand(QStringLiteral("open sequencer!") + writeSong(song) + " alias midi"), 0);
        QCOMPARE(sendMediaCommand(QStringLiteral("play midi")), 0);
        QVERIFY(AudioDevice::instance().sequencer().waitUntilReady(20000));
        QString length;
        sendMediaCommand(QStringLiteral("status midi length"), &length);
        QCOMPARE(leadingNumber(length), 960.0);
        Music::instance().setLastSong(0);
        Music::instance().songTimer().start();
        // The short song ends after a second; within about one more a carried song plays.
        waitUntil([] { return Music::instance().lastSong() != 0; }, 6000);
        QVERIFY(Music::instance().lastSong() >= 1001 && Music::instance().lastSong() <= 1005);
        QVERIFY(AudioDevice::instance().sequencer().isOpen());
        QVERIFY(AudioDevice::instance().sequencer().length() > 10000); // a real song, not the short one
        QVERIFY(Music::instance().songTimer().isActive());
    }

    void oneSongModeStopsAfterTheSong()
    {
        openOnDisk(true);
        shared().repeatSong = false;
        sendMediaCommand(QStringLiteral("open sequencer!") + writeSong(shortSong(0.5)) + " alias midi");
        sendMediaCommand(QStringLiteral("play midi"));
        AudioDevice::instance().sequencer().waitUntilReady(5000);
        Music::instance().setLastSong(0);
        Music::instance().songTimer().start();
        waitUntil([] { return !AudioDevice::instance().sequencer().isOpen(); }, 5000);
        QVERIFY(!AudioDevice::instance().sequencer().isOpen());
        QVERIFY(!Music::instance().songTimer().isActive());
        QCOMPARE(Music::instance().lastSong(), 0); // nothing else started
    }

    void aFurtherMakeMusicKeepsTheSongThatPlays()
    {
        openOnDisk(false);
        sendMediaCommand(QStringLiteral("open sequencer!") + writeSong(shortSong(3.0)) + " alias midi");
        sendMediaCommand(QStringLiteral("play midi"));
        Music::instance().setLastSong(1002);
        Music::instance().startSong();
        QVERIFY(Music::instance().lastSong() != 1002);
        QCOMPARE(AudioDevice::instance().sequencer().length(), 6L * 480);
        QCOMPARE(sendMediaCommand(QStringLiteral("open sequencer!") + shared().songFile + " alias midi"), 289);
    }

    void noSongPlaysTwiceInARow()
    {
        QSet<int> seen;
        int last = 1003;
        for (int i = 0; i < 3000; ++i) {
            const int song = Music::drawSong(last);
            QVERIFY(song != last);
            QVERIFY(song >= 1001 && song <= 1005);
            seen.insert(song);
            last = song;
        }
        QCOMPARE(seen.size(), 5);
    }

    void commandsFollowTheMediaModel()
    {
        openOnDisk(false);
        QString reply(128, u' ');
        QVERIFY(sendMediaCommand(QStringLiteral("status midi length"), &reply) != 0); // nothing open
        QCOMPARE(leadingNumber(reply), 0.0);
        QVERIFY(sendMediaCommand(QStringLiteral("close midi")) != 0);
        QVERIFY(sendMediaCommand(QStringLiteral("open sequencer!") + test::tempFolder() + "/none.mid alias midi") != 0);
        QVERIFY(sendMediaCommand(QStringLiteral("open sequencer!") + writeSong("not a song") + " alias midi") != 0);
        QCOMPARE(sendMediaCommand(QStringLiteral("OPEN sequencer!") + writeSong(shortSong(1)) + " ALIAS midi"), 0);
        QCOMPARE(sendMediaCommand(QStringLiteral("status midi position"), &reply), 0);
        QCOMPARE(leadingNumber(reply), 0.0);
        QVERIFY(sendMediaCommand(QStringLiteral("status midi tempo"), &reply) != 0);
        QCOMPARE(sendMediaCommand(QStringLiteral("close midi")), 0);
        QVERIFY(!AudioDevice::instance().sequencer().isOpen());
    }

    // Run as test_sound_without_libraries, where SDL2 is a library of that
    // name without its functions: the game goes on silently, no error.
    void withoutTheAudioLibrariesTheGameIsSilent()
    {
        if (qEnvironmentVariableIsEmpty("TESSARON_FAKE_AUDIO"))
            QSKIP("run by test_sound_without_libraries");
        test::ScriptedReporter reporter;
        QVERIFY(!AudioDevice::instance().open());
        QElapsedTimer clock;
        clock.start();
        playSoundEffect(121, true); // a waiting sound that cannot play returns at once
        QVERIFY(clock.elapsed() < 500);
        Music::instance().startSong();
        QVERIFY(!AudioDevice::instance().sequencer().waitUntilReady(200));
        Music::instance().switchOff();
        QVERIFY(reporter.reports.isEmpty());
    }

    void repliesAreReadByTheirLeadingNumber()
    {
        QCOMPARE(leadingNumber(QStringLiteral("1200")), 1200.0);
        QCOMPARE(leadingNumber(QStringLiteral("  75 ticks")), 75.0);
        QCOMPARE(leadingNumber(QString(128, u' ')), 0.0);
        QCOMPARE(leadingNumber(QStringLiteral("none")), 0.0);
    }

    void withoutASoundCardTheGameRunsOnSilently()
    {
        test::ScriptedReporter reporter;
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        QVERIFY(AudioDevice::instance().open());
        QCOMPARE(QByteArray(AudioDevice::instance().driverName()), QByteArray("dummy"));
        QElapsedTimer clock;
        clock.start();
        playSoundEffect(105, true); // still waits its length, silently
        QVERIFY2(clock.elapsed() > 600 && clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        Music::instance().startSong();
        QVERIFY(reporter.reports.isEmpty());
    }

    void theDeviceLeavesTheSignalsAlone()
    {
        // The game must still end on SIGTERM (a desktop logging out) after sound started.
        // The test framework has handlers of its own: put the defaults back meanwhile,
        // since only a default handler would be replaced.
        AudioDevice::instance().close();
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        struct sigaction termSaved {};
        struct sigaction intSaved {};
        sigaction(SIGTERM, &defaults, &termSaved);
        sigaction(SIGINT, &defaults, &intSaved);
        const bool opened = AudioDevice::instance().open();
        Music::instance().startSong();
        AudioDevice::instance().sequencer().waitUntilReady(5000);
        struct sigaction term {};
        struct sigaction interrupt {};
        sigaction(SIGTERM, &termSaved, &term);
        sigaction(SIGINT, &intSaved, &interrupt);
        QVERIFY(opened);
        QVERIFY(term.sa_handler == SIG_DFL);
        QVERIFY(interrupt.sa_handler == SIG_DFL);
    }

    void clicksWaitUntilAWaitingSoundHasEnded()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(AudioDevice::instance().open());
        QPushButton button;
        button.resize(80, 30);
        button.show();
        QElapsedTimer clock;
        qint64 clickedAt = -1;
        int ticks = 0;
        QObject::connect(&button, &QPushButton::clicked, [&] { clickedAt = clock.elapsed(); });
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTimer::singleShot(100, [&] {
            // A click as the window system delivers it: queued, like a real mouse click.
            const QPointF at(10, 10);
            QWindow* window = button.windowHandle();
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, at, window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, at, window->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        });
        clock.start();
        playSoundEffect(104, true);
        const qint64 returnedAt = clock.elapsed();
        QVERIFY2(ticks >= 5, "timers and painting go on during the sound");
        QCOMPARE(clickedAt, qint64(-1)); // the click was held back
        QCoreApplication::processEvents();
        QVERIFY(clickedAt >= returnedAt);
    }
};

TESSARON_TEST_MAIN(TestSound)
#include "test_sound.moc"
