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
        step([&] { waitForEnd = wait; }); // a step of its own: the later steps keep their line numbers
        step([&] { effectBuffer() = carriedData(number, QStringLiteral("WAV")); });
        step([&] {
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
        step([&] { song = drawSong(lastSong_); });
        step([&] { lastSong_ = song; });
        step([&] { shared().songFile = midiFilePath(); });
        bool written = false;
        step([&] {
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
        step([&] { sendMediaCommand(QStringLiteral("open sequencer!") + shared().songFile + QStringLiteral(" alias midi")); });
        step([&] { sendMediaCommand(QStringLiteral("play midi")); });
        step([&] { QCoreApplication::processEvents(); });
        step([&] {
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
        step([&] {
            sendMediaCommand(QStringLiteral("status midi length"), &length);
            sendMediaCommand(QStringLiteral("status midi position"), &position);
        });
        bool ended = false;
        step([&] { ended = !(leadingNumber(length) > leadingNumber(position)); });
        step([&] {
            if (ended)
                sendMediaCommand(QStringLiteral("close midi"));
        });
        step([&] {
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
