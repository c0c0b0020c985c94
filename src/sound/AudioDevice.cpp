#include "sound/AudioDevice.h"

#include "sound/AudioLibraries.h"
#include "sound/Sequencer.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <string>

namespace tess {

namespace {

constexpr int EffectChannel = 0;
constexpr int BufferFrames = 1024;

bool openMixer()
{
    // SDL would catch SIGINT and SIGTERM for an event loop we do not run,
    // and the game could then no longer be ended from outside.
    audio::use().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (audio::use().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (audio::use().Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, AUDIO_S16SYS, 2, BufferFrames) == 0)
        return true;
    audio::use().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

// Once a run, whatever the number of openings: the player needs to hear it only once.
void tellPlayingSilently(const std::string& reason)
{
    static bool told = false;
    if (told)
        return;
    told = true;
    std::fprintf(stderr, "Tessaron plays without sound: %s\n", reason.empty() ? "no sound device" : reason.c_str());
}

} // namespace

AudioDevice& AudioDevice::instance()
{
    static AudioDevice device;
    return device;
}

AudioDevice::AudioDevice() = default;

AudioDevice::~AudioDevice()
{
    close();
}

bool AudioDevice::open()
{
    if (open_ || failed_)
        return open_;
    if (!audio::load()) {
        failed_ = true;
        return false;
    }
    if (!openMixer()) {
        // No sound card (or no sound server): play silently on the dummy driver.
        // A dummy driver asked for by name opens at the first try, unmentioned.
        tellPlayingSilently(audio::use().SDL_GetError());
        audio::use().SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        forcedDummy_ = true;
        if (!openMixer()) {
            failed_ = true;
            return false;
        }
    }
    Uint16 format = 0;
    audio::use().Mix_QuerySpec(&frequency_, &format, &channels_);
    audio::use().Mix_AllocateChannels(1);
    audio::use().Mix_Volume(EffectChannel, MIX_MAX_VOLUME);
    open_ = true;
    sequencer_ = std::make_unique<Sequencer>(frequency_, channels_);
    sequencer_->attach();
    return true;
}

const char* AudioDevice::driverName() const
{
    return open_ ? audio::use().SDL_GetCurrentAudioDriver() : nullptr;
}

Sequencer* AudioDevice::existingSequencer()
{
    return sequencer_.get();
}

Sequencer& AudioDevice::sequencer()
{
    open();
    if (!sequencer_)
        sequencer_ = std::make_unique<Sequencer>(frequency_, channels_); // silent: no device to play on
    return *sequencer_;
}

void AudioDevice::releaseMusic()
{
    if (sequencer_)
        sequencer_->release();
}

void AudioDevice::playEffect(const QByteArray& wav, bool wait)
{
    if (!open())
        return;
    // Stop the old sound before its bytes go.
    audio::use().Mix_HaltChannel(EffectChannel);
    if (chunk_) {
        audio::use().Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }
    effectBytes_ = wav;
    chunk_ = audio::use().Mix_LoadWAV_RW(audio::use().SDL_RWFromConstMem(effectBytes_.constData(), int(effectBytes_.size())), 1);
    if (!chunk_ || audio::use().Mix_PlayChannel(EffectChannel, chunk_, 0) < 0)
        return;
    if (wait) {
        const double seconds = double(chunk_->alen) / (frequency_ * channels_ * 2);
        waitForEffect(seconds);
    }
}

bool AudioDevice::effectPlaying() const
{
    return open_ && audio::use().Mix_Playing(EffectChannel) != 0;
}

void AudioDevice::waitForEffect(double seconds) const
{
    // A local loop that keeps painting and timers going but holds back the
    // player's clicks until the sound has ended. It gives up a second after
    // the sound should have ended, should the device stall.
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (!effectPlaying())
            loop.quit();
    });
    QTimer::singleShot(int(seconds * 1000) + 1000, &loop, &QEventLoop::quit);
    poll.start();
    if (effectPlaying())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void AudioDevice::close()
{
    if (!open_)
        return;
    if (sequencer_)
        sequencer_->detach();
    audio::use().Mix_HaltChannel(-1);
    if (chunk_) {
        audio::use().Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }
    audio::use().Mix_CloseAudio();
    audio::use().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sequencer_.reset();
    if (forcedDummy_)
        audio::use().SDL_ResetHint(SDL_HINT_AUDIODRIVER); // the next opening tries the real device again
    forcedDummy_ = false;
    open_ = false;
    failed_ = false;
}

} // namespace tess
