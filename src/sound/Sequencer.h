#pragma once
// The song player: FluidSynth renders a standard MIDI file with a General
// MIDI soundfont into the audio device (through the device's music hook). The
// soundfont loads on a background thread when the first song opens, with only
// the instruments that song plays (a later song adds its own); until they are
// there, the song waits silently and starts when they are ready. Without a
// soundfont the songs stay silent.

#include "sound/SoundFontSubset.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace tess {

class Sequencer {
public:
    Sequencer(int frequency, int channels);
    ~Sequencer();

    // Hooks into the open audio device; the soundfont loads with the first song.
    void attach();
    // Unhooks and waits for the loader; the sequencer is silent afterwards.
    void detach();

    // Opens a song; false when one is open already or the bytes are no MIDI file.
    bool openSong(const QByteArray& midi);
    void play();
    bool isOpen() const;
    // Length and position in ticks of the song; the song has ended when the
    // position has reached the length.
    long length() const;
    long position() const;
    void closeSong();
    // Gives back the synthesizer and its soundfont (music switched off); the
    // next song loads them again.
    void release();

    // True once the soundfont is loaded (false for good when there is none).
    bool ready() const { return ready_; }
    bool waitUntilReady(int milliseconds) const;

    // The soundfont: TimGM6mb, or the system's default General MIDI font.
    static QString soundFontPath();
    // Tests point the sequencer at another soundfont (or at none); empty restores the default.
    static void setSoundFontPath(const QString& path);

private:
    static void hook(void* self, unsigned char* stream, int length);
    void render(qint16* stream, int frames);
    bool hasInstruments() const; // for the open song; with mutex_ held
    void startLoading(); // with mutex_ held
    void load(QString path, SongInstruments wanted, _fluid_synth_t* synth);
    void startPlayer(); // with mutex_ held

    int frequency_;
    int channels_;
    mutable std::mutex mutex_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_player_t* player_ = nullptr;
    QByteArray song_;
    long length_ = 0;
    SongInstruments instruments_; // of the open song
    SongInstruments loaded_;      // in the synthesizer
    bool wholeFont_ = false;      // the font could not be cut: all is there
    bool songOpen_ = false;
    bool playing_ = false;
    bool attached_ = false;
    std::atomic<bool> ready_{false};
    std::atomic<bool> loading_{false};
    std::atomic<bool> missing_{false}; // the soundfont did not load: no further tries until release()
    std::thread loader_;
};

} // namespace tess
