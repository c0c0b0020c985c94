#pragma once
// A soundfont seen through a window that shows only the instruments a song
// plays. FluidSynth builds some two kilobytes of structures for every zone
// of every preset and instrument of a font, whether a song plays it or not:
// for the whole General MIDI font that is five and a half megabytes, for the
// dozen instruments of our songs well under one. The subset keeps the font's own presets, instruments
// and samples byte for byte, so the songs sound exactly as with the whole
// font; only the preset and instrument lists are cut down. The sample data
// stays in the font's file and is read from there.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>
#include <set>
#include <vector>

namespace tess {

// The instruments of a song: General MIDI programs on the melodic channels,
// and drum kits (programs on channel 10).
struct SongInstruments {
    std::set<int> programs;
    std::set<int> drumKits;

    bool empty() const { return programs.empty() && drumKits.empty(); }
    bool covers(const SongInstruments& other) const;
    void add(const SongInstruments& other);
    // What other needs that this lacks.
    SongInstruments missingFrom(const SongInstruments& other) const;
};

// The font file rebuilt as pieces: ranges of the original file and new bytes.
struct SubsetPiece {
    qint64 fileOffset = -1; // -1: the piece is `bytes`
    qint64 length = 0;
    QByteArray bytes;
};

struct SubsetLayout {
    std::vector<SubsetPiece> pieces;
    qint64 size = 0;
    int presets = 0; // kept presets
};

// Plans the subset of the font at `path`; nothing when the file is no
// soundfont we can read or none of its presets is wanted.
std::optional<SubsetLayout> planSubset(const QString& path, const SongInstruments& wanted);

// The name under which FluidSynth asks for the subset, and its way back.
QByteArray subsetName(const QString& path, const SongInstruments& wanted);
bool parseSubsetName(const QByteArray& name, QString* path, SongInstruments* wanted);

// The subset as one stream of bytes, read piece by piece (for tests and the
// loader's callbacks alike).
class SubsetReader {
public:
    explicit SubsetReader(SubsetLayout layout, const QString& path);
    bool read(char* into, qint64 count);
    bool seek(qint64 position);
    qint64 tell() const { return position_; }
    qint64 size() const { return layout_.size; }

private:
    SubsetLayout layout_;
    QFile file_; // opened at the first read of the font's own bytes
    qint64 position_ = 0;
};

} // namespace tess
