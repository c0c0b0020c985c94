#include "sound/Sounds.h"

#include "resources/Resources.h"
#include "settings/SharedState.h"
#include "sound/AudioDevice.h"
#include "sound/MediaCommands.h"
#include "util/FileWrite.h"
#include "util/ProcedureGate.h"
#include "util/Random.h"
#include "util/Trap.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace tess {

namespace {

constexpr int SongCheckInterval = 1000;

QByteArray& effectBuffer()
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

void playSoundEffect(int number, bool wait)
{
    trapped("Allgemein", "PlayWAV", [&](Steps& step) {
        bool waitForEnd = false;
        step(50010, [&] { waitForEnd = wait; }); // a step of its own, as the design has it
        step(50020, [&] { effectBuffer() = carriedData(number, QStringLiteral("WAV")); });
        step(50030, [&] {
            if (installedSink())
                installedSink()->play(number, effectBuffer(), waitForEnd);
            else
                AudioDevice::instance().playEffect(effectBuffer(), waitForEnd);
        });
    });
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
    songTimer_.setInterval(SongCheckInterval);
    // Through the gate like every procedure: input that comes while it runs
    // (while the error reporter it opened is up) is dropped.
    connect(&songTimer_, &QTimer::timeout, this, [this] { ProcedureGate::instance().run([this] { checkSongEnd(); }, false); });
}

int Music::drawSong(int last)
{
    int song = 0;
    do {
        song = 1000 + randomBetween(1, 5);
    } while (song == last);
    return song;
}

void Music::startSong()
{
    trapped("Allgemein", "MakeMusic", [&](Steps& step) {
        int song = 0;
        step(50010, [&] { song = drawSong(lastSong_); });
        step(50020, [&] { lastSong_ = song; });
        step(50030, [&] { shared().songFile = midiFilePath(); });
        bool written = false;
        step(50040, [&] {
            written = writeCarriedItem(song, QStringLiteral("midi"), shared().songFile);
            // Music stays off for this run (the setting is kept for the next),
            // and the player hears why once.
            if (!written) {
                shared().playMusic = false;
                tellWriteFailed(shared().songFile);
            }
        });
        if (!written)
            return;
        step(50050, [&] { sendMediaCommand(QStringLiteral("open sequencer!") + shared().songFile + QStringLiteral(" alias midi")); });
        step(50060, [&] { sendMediaCommand(QStringLiteral("play midi")); });
        step(50070, [&] { QCoreApplication::processEvents(); });
        step(50080, [&] {
            if (shared().repeatSong)
                songTimer_.start();
        });
    });
}

void Music::checkSongEnd()
{
    trapped("frmPuzzle", "Timer2_Timer", [&](Steps& step) {
        QString length(128, u' ');
        QString position(128, u' ');
        step(50010, [&] {
            sendMediaCommand(QStringLiteral("status midi length"), &length);
            sendMediaCommand(QStringLiteral("status midi position"), &position);
        });
        bool ended = false;
        step(50020, [&] { ended = !(leadingNumber(length) > leadingNumber(position)); });
        step(50030, [&] {
            if (ended)
                sendMediaCommand(QStringLiteral("close midi"));
        });
        step(50040, [&] {
            if (!ended)
                return;
            if (shared().repeatSong)
                startSong();
            else
                songTimer_.stop();
        });
    });
}

void Music::closeMusic()
{
    sendMediaCommand(QStringLiteral("close midi"));
}

void Music::switchOff()
{
    closeMusic();
    songTimer_.stop();
    AudioDevice::instance().releaseMusic();
}

} // namespace tess
