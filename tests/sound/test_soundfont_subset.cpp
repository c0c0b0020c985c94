// The soundfont subset: the wanted presets with everything they use, byte for
// byte; a song rendered with the subset is the same, sample for sample, as
// with the whole font; a damaged font is refused, never read past its end.

#include "resources/Resources.h"
#include "sound/AudioLibraries.h"
#include "sound/MidiFile.h"
#include "sound/Sequencer.h"
#include "sound/SoundFontSubset.h"
#include "sound/SubsetLoader.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtEndian>

using namespace tess;

namespace {

// A small reader of the preset data, independent of the one under test.
struct Font {
    QMap<QByteArray, QByteArray> lists; // phdr ... shdr
    QByteArray samples;                 // the smpl chunk
    qint64 riffSize = 0;

    static Font parse(const QByteArray& bytes)
    {
        Font font;
        font.riffSize = qFromLittleEndian<quint32>(bytes.constData() + 4);
        for (qsizetype at = 12; at + 12 <= bytes.size();) {
            const qsizetype size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
            const QByteArray type = bytes.mid(at + 8, 4);
            for (qsizetype sub = at + 12; sub + 8 <= at + 8 + size;) {
                const qsizetype subSize = qFromLittleEndian<quint32>(bytes.constData() + sub + 4);
                const QByteArray id = bytes.mid(sub, 4);
                if (type == "pdta")
                    font.lists[id] = bytes.mid(sub + 8, subSize);
                else if (id == "smpl")
                    font.samples = bytes.mid(sub + 8, subSize);
                sub += 8 + subSize + subSize % 2;
            }
            at += 8 + size + size % 2;
        }
        return font;
    }
    int u16(const char* list, int record, int size, int offset) const
    {
        return qFromLittleEndian<quint16>(lists[list].constData() + record * size + offset);
    }
    int count(const char* list, int size) const { return int(lists[list].size() / size); }

    // Every preset as "bank:program" -> its zones, written out with the
    // instruments' names and zones in place of their numbers.
    QMap<QString, QStringList> presets() const
    {
        QMap<QString, QStringList> out;
        for (int p = 0; p + 1 < count("phdr", 38); ++p) {
            QStringList zones;
            for (int bag = u16("phdr", p, 38, 24); bag < u16("phdr", p + 1, 38, 24); ++bag)
                zones += zone("pbag", "pgen", bag);
            out[QStringLiteral("%1:%2").arg(u16("phdr", p, 38, 22)).arg(u16("phdr", p, 38, 20))] = zones;
        }
        return out;
    }
    QString zone(const char* bags, const char* gens, int bag) const
    {
        QString text;
        for (int g = u16(bags, bag, 4, 0); g < u16(bags, bag + 1, 4, 0); ++g) {
            const int op = u16(gens, g, 4, 0), amount = u16(gens, g, 4, 2);
            if (QByteArray(gens) == "pgen" && op == 41)
                text += QStringLiteral("[%1: %2]").arg(QString::fromLatin1(lists["inst"].mid(amount * 22, 20)), instrument(amount));
            else
                text += QStringLiteral("%1=%2 ").arg(op).arg(amount);
        }
        return text;
    }
    QString instrument(int i) const
    {
        QString text;
        for (int bag = u16("inst", i, 22, 20); bag < u16("inst", i + 1, 22, 20); ++bag)
            text += zone("ibag", "igen", bag) + QLatin1Char('|');
        return text;
    }
};

const QString WholeFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");

QByteArray readAll(SubsetReader& reader)
{
    // In uneven steps, as FluidSynth reads: headers, then lists, then samples.
    QByteArray out(reader.size(), '\0');
    for (qint64 at = 0; at < reader.size();) {
        const qint64 step = std::min<qint64>(at % 3 ? 4093 : 8, reader.size() - at);
        if (!reader.seek(at) || !reader.read(out.data() + at, step))
            return {};
        at += step;
    }
    return out;
}

// Renders the first seconds of a song through a synthesizer that has only its
// own loader, or the subset loader in front of it.
std::vector<qint16> render(const QByteArray& song, bool subset, double seconds)
{
    const audio::Functions& f = audio::use();
    fluid_settings_t* settings = f.new_fluid_settings();
    f.fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = f.new_fluid_synth(settings);
    bool loaded = false;
    if (subset) {
        addSubsetLoader(synth, settings);
        loaded = loadInstruments(synth, WholeFont, readMidi(song).instruments) == FontLoad::Subset;
    } else {
        loaded = f.fluid_synth_sfload(synth, QFile::encodeName(WholeFont).constData(), 1) != FLUID_FAILED;
    }
    std::vector<qint16> out;
    if (loaded) {
        fluid_player_t* player = f.new_fluid_player(synth);
        f.fluid_player_add_mem(player, song.constData(), std::size_t(song.size()));
        f.fluid_player_play(player);
        constexpr int Block = 512;
        out.resize(std::size_t(seconds * 44100 / Block) * Block * 2);
        for (std::size_t at = 0; at < out.size(); at += 2 * Block)
            f.fluid_synth_write_s16(synth, Block, out.data() + at, 0, 2, out.data() + at, 1, 2);
        f.fluid_player_stop(player);
        f.delete_fluid_player(player);
    }
    f.delete_fluid_synth(synth);
    f.delete_fluid_settings(settings);
    return out;
}

} // namespace

class TestSoundFontSubset : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(WholeFont), "the test needs the TimGM6mb soundfont");
        QVERIFY(audio::loadSynth());
    }

    void theSubsetHoldsTheWantedPresetsWithEverythingTheyUse()
    {
        const SongInstruments wanted{{0, 48, 73}, {0}};
        auto layout = planSubset(WholeFont, wanted);
        QVERIFY(layout);
        QCOMPARE(layout->presets, 4);
        SubsetReader reader(*layout, WholeFont);
        const QByteArray bytes = readAll(reader);
        QCOMPARE(bytes.size(), reader.size());
        QVERIFY(!reader.read(bytes.isEmpty() ? nullptr : QByteArray(8, '\0').data(), 8)); // nothing past the end

        QFile file(WholeFont);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Font whole = Font::parse(file.readAll());
        const Font cut = Font::parse(bytes);
        QCOMPARE(cut.riffSize, bytes.size() - 8);
        QCOMPARE(cut.samples.size(), whole.samples.size());
        QVERIFY(cut.samples == whole.samples);
        QVERIFY(cut.lists["shdr"] == whole.lists["shdr"]);
        const auto kept = cut.presets();
        QCOMPARE(kept.keys(), (QStringList{QStringLiteral("0:0"), QStringLiteral("0:48"), QStringLiteral("0:73"),
                                  QStringLiteral("128:0")}));
        const auto all = whole.presets();
        for (auto preset = kept.begin(); preset != kept.end(); ++preset)
            QCOMPARE(preset.value(), all.value(preset.key()));
        QVERIFY(cut.count("inst", 22) < whole.count("inst", 22) / 4);
    }

    void aSongSoundsTheSameWithTheSubsetAsWithTheWholeFont()
    {
        for (int number : {1001, 1003}) {
            const QByteArray song = carriedData(number, "midi");
            const std::vector<qint16> whole = render(song, false, 4.0);
            const std::vector<qint16> subset = render(song, true, 4.0);
            QVERIFY(!whole.empty());
            QCOMPARE(subset.size(), whole.size());
            QVERIFY2(subset == whole, qPrintable(QString::number(number)));
            QVERIFY(std::count_if(whole.begin(), whole.end(), [](qint16 s) { return std::abs(s) > 300; }) > 1000);
        }
    }

    void aSongNamesTheInstrumentsItPlays()
    {
        QCOMPARE(readMidi(carriedData(1003, "midi")).instruments.programs, (std::set<int>{32, 48, 60, 71, 73}));
        QVERIFY(readMidi(carriedData(1003, "midi")).instruments.drumKits.empty());
        // Format 0, one track: channel 1 plays before its program change, so
        // it needs the first program too; channel 10 plays drums.
        QByteArray track = QByteArray::fromHex("00903c40" "10c005" "00903e40" "00993840" "10ff2f00");
        QByteArray midi = QByteArray::fromHex("4d546864000000060000000101e0") + "MTrk";
        midi += QByteArray(4, '\0');
        qToBigEndian<quint32>(quint32(track.size()), midi.data() + midi.size() - 4);
        const MidiInfo info = readMidi(midi + track);
        QVERIFY(info.valid);
        QCOMPARE(info.instruments.programs, (std::set<int>{0, 5}));
        QCOMPARE(info.instruments.drumKits, (std::set<int>{0}));
    }

    void aDamagedFontIsRefused()
    {
        QFile file(WholeFont);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray font = file.readAll();
        const qsizetype pdta = font.indexOf("pdtaphdr");
        QVERIFY(pdta > 0);
        QByteArray badBag = font;
        qToLittleEndian<quint16>(60000, badBag.data() + pdta + 12 + 38 + 24); // the second preset's zones
        QByteArray badList = font;
        badList[pdta + 12 + qFromLittleEndian<quint32>(font.constData() + pdta + 8)] = 'x'; // "pbag" renamed

        const SongInstruments wanted{{0}, {}};
        QVERIFY(!planSubset(test::writeTempFile("text.sf2", "RIFF this is no soundfont"), wanted));
        QVERIFY(!planSubset(test::writeTempFile("cut.sf2", font.left(pdta + 200)), wanted));
        QVERIFY(!planSubset(test::writeTempFile("bag.sf2", badBag), wanted));
        QVERIFY(!planSubset(test::writeTempFile("list.sf2", badList), wanted));
        QVERIFY(!planSubset(WholeFont, SongInstruments{{}, {99}})); // no such drum kit
        QVERIFY(!planSubset(test::tempFolder() + QStringLiteral("/none.sf2"), wanted));

        // The loader: the subset when it can be cut, nothing from a file that is no font.
        const audio::Functions& f = audio::use();
        fluid_settings_t* settings = f.new_fluid_settings();
        fluid_synth_t* synth = f.new_fluid_synth(settings);
        addSubsetLoader(synth, settings);
        QCOMPARE(loadInstruments(synth, WholeFont, wanted), FontLoad::Subset);
        QCOMPARE(loadInstruments(synth, test::writeTempFile("text2.sf2", "no soundfont"), wanted), FontLoad::Failed);
        QCOMPARE(loadInstruments(synth, test::tempFolder() + QStringLiteral("/none.sf2"), wanted), FontLoad::Failed);
        f.delete_fluid_synth(synth);
        f.delete_fluid_settings(settings);
    }
};

TESSARON_TEST_MAIN(TestSoundFontSubset)
#include "test_soundfont_subset.moc"
