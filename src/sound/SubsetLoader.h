#pragma once
// Lets a FluidSynth synthesizer load a soundfont subset (SoundFontSubset.h)
// by its name: the loader builds the subset's bytes when FluidSynth opens
// that name, and again when it comes back for the samples of an instrument.

#include <QString>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace tess {

struct SongInstruments;

// Gives the synthesizer the subset loader; its own loader stays behind it.
void addSubsetLoader(_fluid_synth_t* synth, _fluid_hashtable_t* settings);

enum class FontLoad { Subset, Whole, Failed };

// Loads the instruments `wanted` of the font at `path` into the synthesizer,
// or the whole font when no subset can be cut from it.
FontLoad loadInstruments(_fluid_synth_t* synth, const QString& path, const SongInstruments& wanted);

} // namespace tess
