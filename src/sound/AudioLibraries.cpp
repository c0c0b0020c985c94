#include "sound/AudioLibraries.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <mutex>

namespace tess::audio {

namespace {

enum Library { Sdl, Mixer, Synth };

// The sonames of the versions the game is built against.
constexpr std::array<const char*, 3> SoNames{"libSDL2-2.0.so.0", "libSDL2_mixer-2.0.so.0", "libfluidsynth.so.3"};

Functions loaded;
bool complete = false;

// ALSA's error handler; its header is not needed for the one call.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);

void swallowAlsaError(const char*, int, const char*, int, const char*, ...)
{
}

void quietAlsa()
{
    // Without a sound server ALSA prints each failed try of SDL's to stderr,
    // eight lines at a time; the game says once itself that it plays
    // silently. SDL opens this same soname, and opening it again gives the
    // same library, so the handler set here is the one SDL's ALSA calls.
    // The handle stays open, or the library could go and the handler with it.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return; // no ALSA: nothing to silence
    if (auto set = reinterpret_cast<int (*)(AlsaErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(&swallowAlsaError);
}

void open()
{
    quietAlsa();
    std::array<void*, 3> handles{};
    for (std::size_t i = 0; i < SoNames.size(); ++i) {
        handles[i] = dlopen(SoNames[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i]) {
            std::fprintf(stderr, "Tessaron plays without sound: %s\n", dlerror());
            return;
        }
    }
    bool all = true;
    auto resolve = [&](Library library, const char* name) {
        void* symbol = dlsym(handles[library], name);
        if (!symbol && all) // the first missing function tells enough
            std::fprintf(stderr, "Tessaron plays without sound: %s has no %s\n", SoNames[library], name);
        all = all && symbol;
        return symbol;
    };
#define TESSARON_AUDIO_RESOLVE(library, name) \
    loaded.name = reinterpret_cast<decltype(&::name)>(resolve(library, #name));
    TESSARON_AUDIO_FUNCTIONS(TESSARON_AUDIO_RESOLVE)
#undef TESSARON_AUDIO_RESOLVE
    complete = all;
    // The handles stay open for the rest of the run: the mixer's thread and
    // the synthesizer live in them.
}

} // namespace

const Functions* load()
{
    static std::once_flag once;
    std::call_once(once, open);
    return complete ? &loaded : nullptr;
}

const Functions& use()
{
    return loaded;
}

} // namespace tess::audio
