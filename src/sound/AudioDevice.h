#pragma once
// The one audio device of the game, SDL2's. Sound effects play on a single
// channel, so a new effect stops the one still playing; the songs are
// rendered by the sequencer into the same device, under the effects. Without a sound
// card the device falls back to SDL's silent "dummy" driver and the game runs
// on as if it played; so it does when the audio libraries are missing. The
// device opens with the first effect or song, never for a game without sound.

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <vector>

namespace tess {

class Sequencer;

class AudioDevice {
public:
    static AudioDevice& instance();

    // Opens the device on first use; false when not even the silent driver works.
    bool open();
    bool isOpen() const { return open_; }
    // The driver in use ("pulseaudio", "alsa", "dummy", "disk", ...).
    const char* driverName() const;
    int frequency() const { return frequency_; }

    // Plays a RIFF WAVE image from memory. A new effect stops the old one
    // before the old one's bytes are released. With `wait` the call returns
    // when the sound has ended; meanwhile the window repaints and timers run,
    // but clicks and keys wait until afterwards.
    void playEffect(const QByteArray& wav, bool wait);
    bool effectPlaying() const;

    // Opens the device: only for a song that is to be heard.
    Sequencer& sequencer();
    // The sequencer if there is one yet, without opening the device: enough
    // to ask after or close a song, since none is open without it.
    Sequencer* existingSequencer();
    // Music switched off: the synthesizer and its soundfont leave memory.
    void releaseMusic();

    // What renders the music into each block of the device before the effect
    // is mixed in; null for silence. Runs on the device's thread.
    using MusicHook = void (*)(void* data, unsigned char* stream, int length);
    void setMusicHook(MusicHook hook, void* data);

    // Stops everything and closes the device (the end of the program, tests).
    void close();

private:
    AudioDevice();
    ~AudioDevice();
    void waitForEffect(double seconds) const;
    bool openDevice();
    static void fill(void* self, unsigned char* stream, int length);

    bool open_ = false;
    bool failed_ = false;
    bool forcedDummy_ = false;
    int frequency_ = 44100;
    int channels_ = 2;
    std::uint32_t device_ = 0;
    // The effect in the device's format and how much of it has played; both,
    // and the music hook, change only with the device locked.
    std::vector<std::uint8_t> effect_;
    std::size_t played_ = 0;
    MusicHook musicHook_ = nullptr;
    void* musicData_ = nullptr;
    std::unique_ptr<Sequencer> sequencer_;
};

} // namespace tess
