#include "sound/AudioDevice.h"

#include "sound/AudioLibraries.h"
#include "sound/Sequencer.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace tess {

namespace {

constexpr int Frequency = 44100;
constexpr int BufferFrames = 1024;

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

bool AudioDevice::openDevice()
{
    // SDL would catch SIGINT and SIGTERM for an event loop we do not run,
    // and the game could then no longer be ended from outside.
    audio::use().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (audio::use().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = Frequency;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = BufferFrames;
    wanted.callback = &AudioDevice::fill;
    wanted.userdata = this;
    SDL_AudioSpec got{};
    // The rate and the channels as the device likes them; the samples stay 16-bit.
    device_ = audio::use().SDL_OpenAudioDevice(nullptr, 0, &wanted, &got,
                                               SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device_ == 0) {
        audio::use().SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    frequency_ = got.freq;
    channels_ = got.channels;
    return true;
}

bool AudioDevice::open()
{
    if (open_ || failed_)
        return open_;
    if (!audio::load()) {
        failed_ = true;
        return false;
    }
    if (!openDevice()) {
        // No sound card (or no sound server): play silently on the dummy driver.
        // A dummy driver asked for by name opens at the first try, unmentioned.
        tellPlayingSilently(audio::use().SDL_GetError());
        audio::use().SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        forcedDummy_ = true;
        if (!openDevice()) {
            failed_ = true;
            return false;
        }
    }
    open_ = true;
    sequencer_ = std::make_unique<Sequencer>(frequency_, channels_);
    sequencer_->attach();
    audio::use().SDL_PauseAudioDevice(device_, 0);
    return true;
}

void AudioDevice::fill(void* self, unsigned char* stream, int length)
{
    // The device is locked while this runs: the effect and the hook stay put.
    auto* device = static_cast<AudioDevice*>(self);
    std::memset(stream, 0, std::size_t(length)); // silence in signed 16-bit
    if (device->musicHook_)
        device->musicHook_(device->musicData_, stream, length);
    if (device->played_ < device->effect_.size()) {
        const std::size_t part = std::min(std::size_t(length), device->effect_.size() - device->played_);
        audio::use().SDL_MixAudioFormat(stream, device->effect_.data() + device->played_, AUDIO_S16SYS, Uint32(part),
                                        SDL_MIX_MAXVOLUME);
        device->played_ += part;
    }
}

void AudioDevice::setMusicHook(MusicHook hook, void* data)
{
    if (!open_) {
        musicHook_ = hook;
        musicData_ = data;
        return;
    }
    audio::use().SDL_LockAudioDevice(device_);
    musicHook_ = hook;
    musicData_ = data;
    audio::use().SDL_UnlockAudioDevice(device_);
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
    // The sound in the device's own format, converted before it plays.
    std::vector<std::uint8_t> converted;
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    const bool read = audio::use().SDL_LoadWAV_RW(audio::use().SDL_RWFromConstMem(wav.constData(), int(wav.size())), 1,
                                                  &spec, &samples, &length)
                      != nullptr;
    SDL_AudioCVT conversion{};
    const int needed = read ? audio::use().SDL_BuildAudioCVT(&conversion, spec.format, spec.channels, spec.freq,
                                                             AUDIO_S16SYS, Uint8(channels_), frequency_)
                            : -1;
    if (needed >= 0 && length > 0) {
        converted.resize(std::size_t(length) * std::size_t(std::max(conversion.len_mult, 1)));
        std::memcpy(converted.data(), samples, length);
        conversion.buf = converted.data();
        conversion.len = int(length);
        if (needed == 0)
            converted.resize(length);
        else if (audio::use().SDL_ConvertAudio(&conversion) == 0)
            converted.resize(std::size_t(conversion.len_cvt));
        else
            converted.clear();
    }
    if (read)
        audio::use().SDL_FreeWAV(samples);
    converted.resize(converted.size() / 2 * 2); // whole samples only
    // The new sound stops the old one, even one that cannot play; the old
    // one's bytes go after the swap, when the device no longer reads them.
    audio::use().SDL_LockAudioDevice(device_);
    effect_.swap(converted);
    played_ = 0;
    audio::use().SDL_UnlockAudioDevice(device_);
    if (wait && !effect_.empty()) {
        const double seconds = double(effect_.size()) / (frequency_ * channels_ * 2);
        waitForEffect(seconds);
    }
}

bool AudioDevice::effectPlaying() const
{
    if (!open_)
        return false;
    audio::use().SDL_LockAudioDevice(device_);
    const bool playing = played_ < effect_.size();
    audio::use().SDL_UnlockAudioDevice(device_);
    return playing;
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
    audio::use().SDL_CloseAudioDevice(device_); // its thread ends here
    device_ = 0;
    effect_.clear();
    played_ = 0;
    audio::use().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sequencer_.reset();
    if (forcedDummy_)
        audio::use().SDL_ResetHint(SDL_HINT_AUDIODRIVER); // the next opening tries the real device again
    forcedDummy_ = false;
    open_ = false;
    failed_ = false;
}

} // namespace tess
