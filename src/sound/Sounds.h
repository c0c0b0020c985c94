#pragma once
// Sound effects and background music as the game asks for them.

#include "sound/SoundEffects.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QtGlobal>

#include <functional>

namespace tess {

// Who plays the effects: the audio device, unless a test listens instead.
class EffectSink {
public:
    virtual ~EffectSink() = default;
    virtual void play(int number, const QByteArray& wav, bool wait) = 0;
};
// Installs a sink (not owned); nullptr restores the audio device.
void setEffectSink(EffectSink* sink);

// Plays a sound effect from the bytes carried in the program; with `wait` it
// returns when the sound has ended, else at once. Callers test playSounds first.
void playSoundEffect(int number, bool wait); // an effect's number (SoundEffects.h), as the network sends it
inline void playSoundEffect(SoundEffect effect, bool wait)
{
    playSoundEffect(int(effect), wait);
}

// The songs: a random song other than the last, played in the background; the
// music timer songTimer looks every second whether it has ended and, in endless
// mode (repeatSong), starts the next.
class Music : public QObject {
    Q_OBJECT

public:
    static Music& instance();

    void startSong();
    void checkSongEnd();
    // "close midi": stops the song (options dialog, the game window's unload step).
    void closeMusic();
    // Music switched off: the song stops, no other follows, and the
    // synthesizer gives its memory back.
    void switchOff();

    QTimer& songTimer() { return songTimer_; }
    int lastSong() const { return lastSong_; }
    void setLastSong(int song) { lastSong_ = song; }

    // Draws 1000 + randomBetween(1, 5) until it differs from `last`.
    static int drawSong(int last);

private:
    Music();
    QTimer songTimer_;
    int lastSong_ = 0;
};

// Reads a reply's leading number the classic way: blanks or text without a
// number give 0 ("1200 ticks" gives 1200).
double leadingNumber(const QString& text);

} // namespace tess
