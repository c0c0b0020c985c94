#include "sound/Sounds.h"

#include "errors/Trap.h"
#include "game/SharedState.h"
#include "resources/Resources.h"
#include "sound/AudioDevice.h"
#include "sound/MediaCommands.h"
#include "util/FileWrite.h"
#include "util/ProcedureGate.h"
#include "util/Random.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace tess {

namespace {

constexpr int Timer2Interval = 1000;

QByteArray& WavBuffer()
{
    static QByteArray buffer;
    return buffer;
}

EffectSink*& installedSink()
{
    static EffectSink* sink = nullptr;
    return sink;
}

} // namespace

void setEffectSink(EffectSink* sink)
{
    installedSink() = sink;
}

void PlayWAV(qint16 number, qint16& mode)
{
    trapped("Allgemein", "PlayWAV", [&](Steps& step) {
        bool wait = false;
        step([&] { wait = mode == 1; });
        step([&] { WavBuffer() = LoadResData(number, QStringLiteral("WAV")); });
        step([&] {
            if (installedSink())
                installedSink()->play(number, WavBuffer(), wait);
            else
                AudioDevice::instance().playEffect(WavBuffer(), wait);
        });
    });
}

void PlayWAV(qint16 number, qint16&& mode)
{
    PlayWAV(number, mode);
}

double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[ \\t]*([-+]?[0-9]*\\.?[0-9]+)"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

Music& Music::instance()
{
    static Music music;
    return music;
}

Music::Music()
{
    timer2_.setInterval(Timer2Interval);
    // Through the gate like every procedure: input that comes while it runs
    // (while the error reporter it opened is up) is dropped.
    connect(&timer2_, &QTimer::timeout, this, [this] { ProcedureGate::instance().run([this] { Timer2_Timer(); }, false); });
}

qint16 Music::drawSong(qint16 last)
{
    qint16 song = 0;
    do {
        song = qint16(1000 + randomBetween(1, 5));
    } while (song == last);
    return song;
}

void Music::MakeMusic()
{
    trapped("Allgemein", "MakeMusic", [&](Steps& step) {
        qint16 song = 0;
        step([&] { song = drawSong(lastSong_); });
        step([&] { lastSong_ = song; });
        step([&] { shared().songFile = midiFilePath(); });
        bool written = false;
        step([&] {
            written = SaveResItemToDisk(song, QStringLiteral("midi"), shared().songFile);
            // Music stays off for this run (the setting is kept for the next),
            // and the player hears why once.
            if (!written) {
                shared().playMusic = 0;
                tellWriteFailed(shared().songFile);
            }
        });
        if (!written)
            return;
        step([&] { mciSendString(QStringLiteral("open sequencer!") + shared().songFile + QStringLiteral(" alias midi")); });
        step([&] { mciSendString(QStringLiteral("play midi")); });
        step([&] { QCoreApplication::processEvents(); });
        step([&] {
            if (shared().repeatMusic != 0)
                timer2_.start();
        });
    });
}

void Music::Timer2_Timer()
{
    trapped("frmPuzzle", "Timer2_Timer", [&](Steps& step) {
        QString length(128, u' ');
        QString position(128, u' ');
        step([&] {
            mciSendString(QStringLiteral("status midi length"), &length);
            mciSendString(QStringLiteral("status midi position"), &position);
        });
        bool ended = false;
        step([&] { ended = !(leadingNumber(length) > leadingNumber(position)); });
        step([&] {
            if (ended)
                mciSendString(QStringLiteral("close midi"));
        });
        step([&] {
            if (!ended)
                return;
            if (shared().repeatMusic == -1)
                MakeMusic();
            else
                timer2_.stop();
        });
    });
}

void Music::closeMusic()
{
    mciSendString(QStringLiteral("close midi"));
}

void Music::switchOff()
{
    closeMusic();
    timer2_.stop();
    AudioDevice::instance().releaseMusic();
}

} // namespace tess
