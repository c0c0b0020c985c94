#include "sound/SoundFontSubset.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace tess {

bool SongInstruments::covers(const SongInstruments& other) const
{
    return std::includes(programs.begin(), programs.end(), other.programs.begin(), other.programs.end())
        && std::includes(drumKits.begin(), drumKits.end(), other.drumKits.begin(), other.drumKits.end());
}

void SongInstruments::add(const SongInstruments& other)
{
    programs.insert(other.programs.begin(), other.programs.end());
    drumKits.insert(other.drumKits.begin(), other.drumKits.end());
}

SongInstruments SongInstruments::missingFrom(const SongInstruments& other) const
{
    SongInstruments missing;
    std::set_difference(other.programs.begin(), other.programs.end(), programs.begin(), programs.end(),
        std::inserter(missing.programs, missing.programs.end()));
    std::set_difference(other.drumKits.begin(), other.drumKits.end(), drumKits.begin(), drumKits.end(),
        std::inserter(missing.drumKits, missing.drumKits.end()));
    return missing;
}

namespace {

constexpr int DrumBank = 128;
constexpr quint16 InstrumentGenerator = 41;

// The preset data's sub-chunks in their fixed order, with their record sizes.
enum List { Phdr, Pbag, Pmod, Pgen, Inst, Ibag, Imod, Igen, Shdr, ListCount };
constexpr std::array<const char*, ListCount> ListIds{"phdr", "pbag", "pmod", "pgen", "inst", "ibag", "imod", "igen", "shdr"};
constexpr std::array<int, ListCount> RecordSizes{38, 4, 10, 4, 22, 4, 10, 4, 46};

quint32 le32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint16 le16(const char* p) { return qFromLittleEndian<quint16>(p); }

void put16(QByteArray& record, int at, quint16 value) { qToLittleEndian<quint16>(value, record.data() + at); }

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray out(id, 4);
    out.resize(8);
    qToLittleEndian<quint32>(quint32(body.size()), out.data() + 4);
    out += body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

// The records of one list; the last is the list's terminal record.
struct Records {
    const char* data = nullptr;
    int size = 0;
    int count = 0;
    const char* at(int i) const { return data + qsizetype(i) * size; }
    QByteArray copy(int i) const { return QByteArray(at(i), size); }
};

// Copies the zones [first, end) of a bag list with their generators and
// modulators; `mapGenerator` may rewrite a generator record.
template <typename Map>
bool copyZones(const std::array<Records, ListCount>& in, int bagList, int first, int end, QByteArray out[],
    const Map& mapGenerator)
{
    const Records& bags = in[bagList];
    const Records& mods = in[bagList + 1];
    const Records& gens = in[bagList + 2];
    for (int bag = first; bag < end; ++bag) {
        const int g0 = le16(bags.at(bag)), m0 = le16(bags.at(bag) + 2);
        const int g1 = le16(bags.at(bag + 1)), m1 = le16(bags.at(bag + 1) + 2);
        if (g0 > g1 || m0 > m1 || g1 >= gens.count || m1 >= mods.count)
            return false;
        QByteArray bagRecord(4, '\0');
        put16(bagRecord, 0, quint16(out[2].size() / gens.size));
        put16(bagRecord, 2, quint16(out[1].size() / mods.size));
        out[0] += bagRecord;
        out[1].append(mods.at(m0), qsizetype(m1 - m0) * mods.size);
        for (int g = g0; g < g1; ++g) {
            QByteArray record = gens.copy(g);
            if (!mapGenerator(record))
                return false;
            out[2] += record;
        }
    }
    return true;
}

// Ends a bag list: the terminal bag points past the last generator and
// modulator, which are followed by their own terminal records.
void terminate(const std::array<Records, ListCount>& in, int bagList, QByteArray out[])
{
    QByteArray bagRecord(4, '\0');
    put16(bagRecord, 0, quint16(out[2].size() / in[bagList + 2].size));
    put16(bagRecord, 2, quint16(out[1].size() / in[bagList + 1].size));
    out[0] += bagRecord;
    out[1] += in[bagList + 1].copy(in[bagList + 1].count - 1);
    out[2] += in[bagList + 2].copy(in[bagList + 2].count - 1);
}

bool wantedPreset(const SongInstruments& wanted, int bank, int program)
{
    // Variation banks are kept with their program; FluidSynth falls back to them.
    return bank == DrumBank ? wanted.drumKits.count(program) > 0 : wanted.programs.count(program) > 0;
}

// The new preset data: wanted presets, the instruments they use, every sample.
std::optional<QByteArray> cutPresetData(const QByteArray& pdta, const SongInstruments& wanted, int* presets)
{
    std::array<Records, ListCount> in;
    qsizetype at = 0;
    for (int list = 0; list < ListCount; ++list) {
        if (at + 8 > pdta.size() || pdta.mid(at, 4) != ListIds[list])
            return std::nullopt;
        const qsizetype size = le32(pdta.constData() + at + 4);
        if (size > pdta.size() - at - 8 || size % RecordSizes[list] || size / RecordSizes[list] < 1
            || size / RecordSizes[list] > 65536)
            return std::nullopt;
        in[list] = {pdta.constData() + at + 8, RecordSizes[list], int(size / RecordSizes[list])};
        at += 8 + size + size % 2;
    }
    const auto bagIndex = [](const Records& list, int i, int offset) { return int(le16(list.at(i) + offset)); };

    QByteArray presetLists[3]; // pbag, pmod, pgen
    QByteArray headers;
    std::vector<int> instruments; // old numbers, in their new order
    const auto remapInstrument = [&](QByteArray& record) {
        if (le16(record.constData()) != InstrumentGenerator)
            return true;
        const int old = le16(record.constData() + 2);
        if (old >= in[Inst].count - 1)
            return false;
        auto found = std::find(instruments.begin(), instruments.end(), old);
        if (found == instruments.end())
            found = instruments.insert(instruments.end(), old);
        put16(record, 2, quint16(found - instruments.begin()));
        return true;
    };
    for (int p = 0; p + 1 < in[Phdr].count; ++p) {
        const int program = le16(in[Phdr].at(p) + 20), bank = le16(in[Phdr].at(p) + 22);
        const int first = bagIndex(in[Phdr], p, 24), end = bagIndex(in[Phdr], p + 1, 24);
        if (first > end || end >= in[Pbag].count)
            return std::nullopt;
        if (!wantedPreset(wanted, bank, program))
            continue;
        QByteArray header = in[Phdr].copy(p);
        put16(header, 24, quint16(presetLists[0].size() / 4));
        headers += header;
        if (!copyZones(in, Pbag, first, end, presetLists, remapInstrument))
            return std::nullopt;
        ++*presets;
    }
    QByteArray endOfPresets = in[Phdr].copy(in[Phdr].count - 1);
    put16(endOfPresets, 24, quint16(presetLists[0].size() / 4));
    headers += endOfPresets;
    terminate(in, Pbag, presetLists);

    QByteArray instrumentLists[3]; // ibag, imod, igen
    QByteArray instrumentHeaders;
    const auto keepGenerator = [](QByteArray&) { return true; };
    for (int old : instruments) {
        const int first = bagIndex(in[Inst], old, 20), end = bagIndex(in[Inst], old + 1, 20);
        if (first > end || end >= in[Ibag].count)
            return std::nullopt;
        QByteArray header = in[Inst].copy(old);
        put16(header, 20, quint16(instrumentLists[0].size() / 4));
        instrumentHeaders += header;
        if (!copyZones(in, Ibag, first, end, instrumentLists, keepGenerator))
            return std::nullopt;
    }
    QByteArray endOfInstruments = in[Inst].copy(in[Inst].count - 1);
    put16(endOfInstruments, 20, quint16(instrumentLists[0].size() / 4));
    instrumentHeaders += endOfInstruments;
    terminate(in, Ibag, instrumentLists);

    QByteArray out("pdta");
    const QByteArray* lists[ListCount] = {&headers, &presetLists[0], &presetLists[1], &presetLists[2],
        &instrumentHeaders, &instrumentLists[0], &instrumentLists[1], &instrumentLists[2], nullptr};
    for (int list = 0; list < Shdr; ++list)
        out += chunk(ListIds[list], *lists[list]);
    out += chunk(ListIds[Shdr], QByteArray(in[Shdr].data, qsizetype(in[Shdr].count) * in[Shdr].size));
    return out;
}

} // namespace

std::optional<SubsetLayout> planSubset(const QString& path, const SongInstruments& wanted)
{
    QFile file(path);
    if (wanted.empty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.size() != 12 || !head.startsWith("RIFF") || head.mid(8) != "sfbk")
        return std::nullopt;
    const qint64 end = std::min<qint64>(file.size(), 8 + qint64(le32(head.constData() + 4)));
    SubsetLayout layout;
    layout.pieces.push_back({-1, 12, head});
    bool cut = false;
    for (qint64 at = 12; at + 12 <= end;) {
        if (!file.seek(at))
            return std::nullopt;
        const QByteArray header = file.read(12);
        const qint64 size = le32(header.constData() + 4);
        if (header.size() != 12 || size > end - at - 8)
            return std::nullopt;
        const qint64 whole = 8 + size + size % 2;
        if (!cut && header.startsWith("LIST") && header.mid(8) == "pdta") {
            const auto presetData = cutPresetData(file.read(size - 4), wanted, &layout.presets);
            if (!presetData || layout.presets == 0)
                return std::nullopt;
            const QByteArray list = chunk("LIST", *presetData);
            layout.pieces.push_back({-1, list.size(), list});
            cut = true;
        } else {
            layout.pieces.push_back({at, std::min(whole, end - at), {}});
        }
        at += whole;
    }
    if (!cut)
        return std::nullopt;
    for (const SubsetPiece& piece : layout.pieces)
        layout.size += piece.length;
    qToLittleEndian<quint32>(quint32(layout.size - 8), layout.pieces.front().bytes.data() + 4);
    return layout;
}

namespace {
const QByteArray NamePrefix = QByteArrayLiteral("tessaron-subset:");

QByteArray numbers(const std::set<int>& values)
{
    QByteArray out;
    for (int value : values)
        out += (out.isEmpty() ? "" : ",") + QByteArray::number(value);
    return out;
}

bool readNumbers(const QByteArray& text, std::set<int>* values)
{
    if (text.isEmpty())
        return true;
    for (const QByteArray& part : text.split(',')) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0 || value > 127)
            return false;
        values->insert(value);
    }
    return true;
}
} // namespace

QByteArray subsetName(const QString& path, const SongInstruments& wanted)
{
    return NamePrefix + numbers(wanted.programs) + ';' + numbers(wanted.drumKits) + ';' + QFile::encodeName(path);
}

bool parseSubsetName(const QByteArray& name, QString* path, SongInstruments* wanted)
{
    if (!name.startsWith(NamePrefix))
        return false;
    const qsizetype first = name.indexOf(';', NamePrefix.size());
    const qsizetype second = first < 0 ? -1 : name.indexOf(';', first + 1);
    if (second < 0)
        return false;
    *wanted = {};
    *path = QFile::decodeName(name.mid(second + 1));
    return readNumbers(name.mid(NamePrefix.size(), first - NamePrefix.size()), &wanted->programs)
        && readNumbers(name.mid(first + 1, second - first - 1), &wanted->drumKits);
}

SubsetReader::SubsetReader(SubsetLayout layout, const QString& path)
    : layout_(std::move(layout)), file_(path)
{
}

bool SubsetReader::seek(qint64 position)
{
    if (position < 0 || position > layout_.size)
        return false;
    position_ = position;
    return true;
}

bool SubsetReader::read(char* into, qint64 count)
{
    if (count < 0 || count > layout_.size - position_)
        return false;
    qint64 pieceStart = 0;
    qint64 done = 0;
    for (const SubsetPiece& piece : layout_.pieces) {
        const qint64 from = position_ + done - pieceStart;
        if (done < count && from >= 0 && from < piece.length) {
            const qint64 n = std::min(count - done, piece.length - from);
            if (piece.fileOffset < 0) {
                std::copy_n(piece.bytes.constData() + from, n, into + done);
            } else if ((!file_.isOpen() && !file_.open(QIODevice::ReadOnly)) || !file_.seek(piece.fileOffset + from)
                || file_.read(into + done, n) != n) {
                return false;
            }
            done += n;
        }
        pieceStart += piece.length;
    }
    position_ += done;
    return done == count;
}

} // namespace tess
