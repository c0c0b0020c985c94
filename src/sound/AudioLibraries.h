#pragma once
// SDL2 comes into the program when it first makes a sound, FluidSynth when it
// first loads a soundfont, not at its launch: together they pull in some
// forty further libraries whose loading would delay every start, and a game
// played without music never needs the synthesizer's. Without SDL2 the game
// stays silent; without FluidSynth the songs do.

#include <SDL.h>
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
    X(Sdl, SDL_OpenAudioDevice)            \
    X(Sdl, SDL_CloseAudioDevice)           \
    X(Sdl, SDL_PauseAudioDevice)           \
    X(Sdl, SDL_LockAudioDevice)            \
    X(Sdl, SDL_UnlockAudioDevice)          \
    X(Sdl, SDL_LoadWAV_RW)                 \
    X(Sdl, SDL_FreeWAV)                    \
    X(Sdl, SDL_BuildAudioCVT)              \
    X(Sdl, SDL_ConvertAudio)               \
    X(Sdl, SDL_MixAudioFormat)             \
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

// Opens SDL2 on the first call (from any thread, once) and silences ALSA's
// own error printing; null when it or one of its functions is missing.
const Functions* load();

// Opens FluidSynth on the first call (from any thread, once) and quiets its
// chatter; false when it or one of its functions is missing.
bool loadSynth();

// The functions after a successful load() (the synthesizer's after
// loadSynth()); only to be called then.
const Functions& use();

} // namespace tess::audio
