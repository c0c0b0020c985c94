#include "sound/Sequencer.h"

#include "sound/AudioDevice.h"
#include "sound/AudioLibraries.h"
#include "sound/MidiFile.h"
#include "sound/SubsetLoader.h"

#include <QFileInfo>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace tess {

namespace {

// The music sits under the sound effects.
constexpr double MusicGain = 0.3;

QString& soundFontOverride()
{
    static QString path;
    return path;
}

} // namespace

Sequencer::Sequencer(int frequency, int channels)
    : frequency_(frequency), channels_(channels)
{
}

Sequencer::~Sequencer()
{
    detach();
    release();
}

void Sequencer::release()
{
    if (loader_.joinable())
        loader_.join();
    std::lock_guard lock(mutex_);
    if (player_) {
        audio::use().fluid_player_stop(player_);
        audio::use().delete_fluid_player(player_);
        player_ = nullptr;
    }
    if (synth_)
        audio::use().delete_fluid_synth(synth_);
    if (settings_)
        audio::use().delete_fluid_settings(settings_);
    synth_ = nullptr;
    settings_ = nullptr;
    loaded_ = {};
    wholeFont_ = false;
    ready_ = false;
    missing_ = false;
}

QString Sequencer::soundFontPath()
{
    if (!soundFontOverride().isEmpty())
        return soundFontOverride();
    const QString timGmFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    return QFileInfo::exists(timGmFont) ? timGmFont : QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
}

void Sequencer::setSoundFontPath(const QString& path)
{
    soundFontOverride() = path;
}

void Sequencer::attach()
{
    if (attached_)
        return;
    attached_ = true;
    AudioDevice::instance().setMusicHook(&Sequencer::hook, this);
}

bool Sequencer::hasInstruments() const
{
    return synth_ && (wholeFont_ || missing_ || loaded_.covers(instruments_));
}

void Sequencer::startLoading()
{
    // The soundfont and the synthesizer come with the first song, so that a
    // game without music never holds them; a later song that plays other
    // instruments adds theirs.
    if (!attached_ || loading_ || (missing_ && !synth_))
        return;
    if (loader_.joinable())
        loader_.join(); // an earlier loader has ended
    loading_ = true;
    loader_ = std::thread(&Sequencer::load, this, soundFontPath(), loaded_.missingFrom(instruments_), synth_);
}

void Sequencer::detach()
{
    if (attached_) {
        AudioDevice::instance().setMusicHook(nullptr, nullptr);
        attached_ = false;
    }
    if (loader_.joinable())
        loader_.join();
}

void Sequencer::load(QString path, SongInstruments wanted, fluid_synth_t* synth)
{
    // Runs on its own thread: 10 to 50 ms that the start must not wait for.
    // `settings` is set while the synthesizer is this loader's own, until it
    // is handed over: a failure before that gives both back.
    fluid_settings_t* settings = nullptr;
    if (!synth && !audio::loadSynth()) {
        missing_ = true; // no synthesizer library: the songs stay silent
        loading_ = false;
        return;
    }
    if (!synth) {
        settings = audio::use().new_fluid_settings();
        audio::use().fluid_settings_setnum(settings, "synth.sample-rate", frequency_);
        audio::use().fluid_settings_setnum(settings, "synth.gain", MusicGain);
        // Only the instruments a song uses come into memory, and a voice pool the
        // size our songs need: together some ten megabytes less.
        audio::use().fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        audio::use().fluid_settings_setint(settings, "synth.polyphony", 64);
        synth = audio::use().new_fluid_synth(settings);
        if (synth)
            addSubsetLoader(synth, settings);
    }
    for (;;) {
        const FontLoad result = synth ? loadInstruments(synth, path, wanted) : FontLoad::Failed;
        if (result == FontLoad::Failed && settings) {
            if (synth)
                audio::use().delete_fluid_synth(synth);
            audio::use().delete_fluid_settings(settings);
            missing_ = true;
            loading_ = false;
            return;
        }
        // Reading the soundfont leaves freed working memory in this thread's
        // heap: back to the system with it.
        malloc_trim(0);
        std::lock_guard lock(mutex_);
        if (settings) {
            settings_ = settings;
            synth_ = synth;
            settings = nullptr;
        }
        if (result == FontLoad::Subset)
            loaded_.add(wanted);
        wholeFont_ = wholeFont_ || result == FontLoad::Whole;
        missing_ = result == FontLoad::Failed; // a song then plays with what the synthesizer has
        if (songOpen_ && !player_ && !hasInstruments()) {
            wanted = loaded_.missingFrom(instruments_); // another song opened meanwhile
            continue;
        }
        if (songOpen_ && !player_)
            startPlayer();
        ready_ = true;
        loading_ = false;
        return;
    }
}

bool Sequencer::waitUntilReady(int milliseconds) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (loading_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return ready_;
}

void Sequencer::startPlayer()
{
    player_ = audio::use().new_fluid_player(synth_);
    if (!player_)
        return;
    audio::use().fluid_player_add_mem(player_, song_.constData(), std::size_t(song_.size()));
    if (playing_)
        audio::use().fluid_player_play(player_);
}

bool Sequencer::openSong(const QByteArray& midi)
{
    const MidiInfo info = readMidi(midi);
    std::lock_guard lock(mutex_);
    if (songOpen_ || !info.valid || info.lastTick <= 0)
        return false;
    song_ = midi;
    length_ = info.lastTick;
    instruments_ = info.instruments;
    if (instruments_.empty())
        instruments_.programs.insert(0); // a song without notes: the synthesizer's first program
    songOpen_ = true;
    playing_ = false;
    if (hasInstruments())
        startPlayer();
    else
        startLoading();
    return true;
}

void Sequencer::play()
{
    std::lock_guard lock(mutex_);
    if (!songOpen_ || playing_)
        return;
    playing_ = true;
    if (player_)
        audio::use().fluid_player_play(player_);
}

bool Sequencer::isOpen() const
{
    std::lock_guard lock(mutex_);
    return songOpen_;
}

long Sequencer::length() const
{
    std::lock_guard lock(mutex_);
    return songOpen_ ? length_ : 0;
}

long Sequencer::position() const
{
    std::lock_guard lock(mutex_);
    if (!songOpen_ || !player_)
        return 0;
    if (audio::use().fluid_player_get_status(player_) == FLUID_PLAYER_DONE)
        return length_;
    return std::clamp<long>(audio::use().fluid_player_get_current_tick(player_), 0, length_);
}

void Sequencer::closeSong()
{
    std::lock_guard lock(mutex_);
    if (player_) {
        audio::use().fluid_player_stop(player_);
        audio::use().delete_fluid_player(player_);
        player_ = nullptr;
    }
    if (synth_)
        audio::use().fluid_synth_system_reset(synth_); // no note rings on after the song
    songOpen_ = false;
    playing_ = false;
    song_.clear();
    length_ = 0;
}

void Sequencer::hook(void* self, unsigned char* stream, int length)
{
    auto* sequencer = static_cast<Sequencer*>(self);
    sequencer->render(reinterpret_cast<qint16*>(stream), length / int(sizeof(qint16)) / sequencer->channels_);
}

void Sequencer::render(qint16* stream, int frames)
{
    std::lock_guard lock(mutex_);
    if (!synth_ || !player_ || !playing_)
        return; // the device has filled the stream with silence
    if (channels_ == 2) {
        audio::use().fluid_synth_write_s16(synth_, frames, stream, 0, 2, stream, 1, 2);
        return;
    }
    std::vector<qint16> stereo(std::size_t(frames) * 2);
    audio::use().fluid_synth_write_s16(synth_, frames, stereo.data(), 0, 2, stereo.data(), 1, 2);
    for (int f = 0; f < frames; ++f) {
        const int left = stereo[std::size_t(f) * 2];
        const int right = stereo[std::size_t(f) * 2 + 1];
        if (channels_ == 1) {
            stream[f] = qint16((left + right) / 2);
        } else {
            stream[f * channels_] = qint16(left);
            stream[f * channels_ + 1] = qint16(right);
        }
    }
}

} // namespace tess
