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

void open()
{
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
