#pragma once
// SDL2, SDL2_mixer and FluidSynth come into the program when it first makes a
// sound, not at its launch: together they pull in some forty further
// libraries whose loading would delay every start, and a game played with
// sound and music off never needs them. Without them the game stays silent.

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

namespace tess::audio {

// Every audio function the game calls, with the library that holds it.
#define TESSARON_AUDIO_FUNCTIONS(X)        \
    X(Sdl, SDL_SetHint)                    \
    X(Sdl, SDL_SetHintWithPriority)        \
    X(Sdl, SDL_ResetHint)                  \
    X(Sdl, SDL_InitSubSystem)              \
    X(Sdl, SDL_QuitSubSystem)              \
    X(Sdl, SDL_GetCurrentAudioDriver)      \
    X(Sdl, SDL_GetError)                   \
    X(Sdl, SDL_RWFromConstMem)             \
    X(Mixer, Mix_OpenAudio)                \
    X(Mixer, Mix_CloseAudio)               \
    X(Mixer, Mix_QuerySpec)                \
    X(Mixer, Mix_AllocateChannels)         \
    X(Mixer, Mix_Volume)                   \
    X(Mixer, Mix_HaltChannel)              \
    X(Mixer, Mix_FreeChunk)                \
    X(Mixer, Mix_LoadWAV_RW)               \
    X(Mixer, Mix_PlayChannel)              \
    X(Mixer, Mix_Playing)                  \
    X(Mixer, Mix_HookMusic)                \
    X(Synth, fluid_set_log_function)       \
    X(Synth, new_fluid_settings)           \
    X(Synth, delete_fluid_settings)        \
    X(Synth, fluid_settings_setnum)        \
    X(Synth, fluid_settings_setint)        \
    X(Synth, new_fluid_synth)              \
    X(Synth, delete_fluid_synth)           \
    X(Synth, fluid_synth_sfload)           \
    X(Synth, new_fluid_defsfloader)        \
    X(Synth, fluid_sfloader_set_callbacks) \
    X(Synth, fluid_synth_add_sfloader)     \
    X(Synth, fluid_synth_system_reset)     \
    X(Synth, fluid_synth_write_s16)        \
    X(Synth, new_fluid_player)             \
    X(Synth, delete_fluid_player)          \
    X(Synth, fluid_player_add_mem)         \
    X(Synth, fluid_player_play)            \
    X(Synth, fluid_player_stop)            \
    X(Synth, fluid_player_get_status)      \
    X(Synth, fluid_player_get_current_tick)

struct Functions {
#define TESSARON_AUDIO_MEMBER(library, name) decltype(&::name) name = nullptr;
    TESSARON_AUDIO_FUNCTIONS(TESSARON_AUDIO_MEMBER)
#undef TESSARON_AUDIO_MEMBER
};

// Opens the three libraries on the first call (from any thread, once) and
// silences ALSA's own error printing; null when one of them or one of its
// functions is missing.
const Functions* load();

// The functions after a successful load(); only to be called then.
const Functions& use();

} // namespace tess::audio
