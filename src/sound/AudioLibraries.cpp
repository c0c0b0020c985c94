#include "sound/AudioLibraries.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <mutex>

namespace tess::audio {

namespace {

enum Library { Sdl, Synth };

// The sonames of the versions the game is built against.
constexpr std::array<const char*, 2> SoNames{"libSDL2-2.0.so.0", "libfluidsynth.so.3"};

Functions loaded;
std::array<bool, 2> complete{};

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

void quietLog(int, const char*, void*)
{
}

// Opens one library and takes its functions; the handle stays open for the
// rest of the run: the device's thread and the synthesizer live in them.
void open(Library library)
{
    void* handle = dlopen(SoNames[library], RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "Tessaron plays %s: %s\n", library == Sdl ? "without sound" : "no music", dlerror());
        return;
    }
    bool all = true;
    auto resolve = [&](Library from, const char* name) -> void* {
        if (from != library)
            return nullptr;
        void* symbol = dlsym(handle, name);
        if (!symbol && all) // the first missing function tells enough
            std::fprintf(stderr, "Tessaron plays %s: %s has no %s\n", library == Sdl ? "without sound" : "no music",
                         SoNames[library], name);
        all = all && symbol;
        return symbol;
    };
    Functions found;
#define TESSARON_AUDIO_RESOLVE(from, name) found.name = reinterpret_cast<decltype(&::name)>(resolve(from, #name));
    TESSARON_AUDIO_FUNCTIONS(TESSARON_AUDIO_RESOLVE)
#undef TESSARON_AUDIO_RESOLVE
    if (!all)
        return;
#define TESSARON_AUDIO_TAKE(from, name) \
    if (from == library)                \
        loaded.name = found.name;
    TESSARON_AUDIO_FUNCTIONS(TESSARON_AUDIO_TAKE)
#undef TESSARON_AUDIO_TAKE
    complete[library] = true;
}

} // namespace

const Functions* load()
{
    static std::once_flag once;
    std::call_once(once, [] {
        quietAlsa();
        open(Sdl);
    });
    return complete[Sdl] ? &loaded : nullptr;
}

bool loadSynth()
{
    static std::once_flag once;
    std::call_once(once, [] {
        open(Synth);
        // FluidSynth's chatter (missing soundfont, unknown controllers) is no concern of the player.
        if (complete[Synth]) {
            for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
                loaded.fluid_set_log_function(level, quietLog, nullptr);
        }
    });
    return complete[Synth];
}

const Functions& use()
{
    return loaded;
}

} // namespace tess::audio
