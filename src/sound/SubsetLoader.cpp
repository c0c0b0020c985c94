#include "sound/SubsetLoader.h"

#include "sound/AudioLibraries.h"
#include "sound/SoundFontSubset.h"

#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <mutex>

namespace tess {

namespace {

// FluidSynth opens the font once to read its presets and once more for each
// instrument whose samples it loads: the last plan is kept for those.
std::optional<SubsetLayout> cachedPlan(const QByteArray& name, const QString& path, const SongInstruments& wanted)
{
    static std::mutex mutex;
    static QByteArray lastName;
    static std::optional<SubsetLayout> lastPlan;
    std::lock_guard lock(mutex);
    if (name != lastName) {
        lastPlan = planSubset(path, wanted);
        lastName = name;
    }
    return lastPlan;
}

void* openSubset(const char* filename)
{
    QString path;
    SongInstruments wanted;
    const QByteArray name(filename);
    if (!parseSubsetName(name, &path, &wanted))
        return nullptr; // a plain file: FluidSynth's own loader takes it
    auto plan = cachedPlan(name, path, wanted);
    return plan ? new SubsetReader(std::move(*plan), path) : nullptr;
}

int readSubset(void* buffer, fluid_long_long_t count, void* handle)
{
    return static_cast<SubsetReader*>(handle)->read(static_cast<char*>(buffer), count) ? FLUID_OK : FLUID_FAILED;
}

int seekSubset(void* handle, fluid_long_long_t offset, int origin)
{
    auto* reader = static_cast<SubsetReader*>(handle);
    const qint64 base = origin == SEEK_CUR ? reader->tell() : origin == SEEK_END ? reader->size() : 0;
    return reader->seek(base + offset) ? FLUID_OK : FLUID_FAILED;
}

fluid_long_long_t tellSubset(void* handle)
{
    return static_cast<SubsetReader*>(handle)->tell();
}

int closeSubset(void* handle)
{
    delete static_cast<SubsetReader*>(handle);
    return FLUID_OK;
}

} // namespace

void addSubsetLoader(fluid_synth_t* synth, fluid_settings_t* settings)
{
    fluid_sfloader_t* loader = audio::use().new_fluid_defsfloader(settings);
    if (!loader)
        return;
    audio::use().fluid_sfloader_set_callbacks(loader, openSubset, readSubset, seekSubset, tellSubset, closeSubset);
    audio::use().fluid_synth_add_sfloader(synth, loader); // tried before the synthesizer's own
}

FontLoad loadInstruments(fluid_synth_t* synth, const QString& path, const SongInstruments& wanted)
{
    if (!QFileInfo::exists(path))
        return FontLoad::Failed;
    if (audio::use().fluid_synth_sfload(synth, subsetName(path, wanted).constData(), 1) != FLUID_FAILED)
        return FontLoad::Subset;
    if (audio::use().fluid_synth_sfload(synth, QFile::encodeName(path).constData(), 1) != FLUID_FAILED)
        return FontLoad::Whole;
    return FontLoad::Failed;
}

} // namespace tess
