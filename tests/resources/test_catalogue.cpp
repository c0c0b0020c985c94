// Every item the program carries is there and loads: pictures at their sizes,
// sound effects that parse and are heard, songs of the right format and length.

#include "language/Languages.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "sound/SoundEffects.h"
#include "support/MediaFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QImageReader>

#include <algorithm>

using namespace tess;

namespace {

// The effects the game waits for: they must never stall it for long.
const QList<int> WaitingSounds = {104, 105, 106, 107, 108, 112, 113, 114, 115, 116, 121, 125};

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInPicturesArePaletteBitmaps()
    {
        for (qint16 number = 201; number <= 205; ++number) {
            const QByteArray bytes = carriedData(number, QStringLiteral("bitmap"));
            QVERIFY2(bytes.startsWith("BM"), qPrintable(QString::number(number)));
            const QImage picture = carriedPicture(number);
            QCOMPARE(picture.size(), QSize(640, 480));
            QCOMPARE(picture.format(), QImage::Format_Indexed8);
            QVERIFY(picture.colorCount() > 128 && picture.colorCount() <= 256);
        }
        QVERIFY(!hasCarriedItem(206, QStringLiteral("bitmap")));
    }

    void soundEffectsParseAndAreHeard()
    {
        std::vector<double> levels;
        for (qint16 number = FirstSoundEffect; number <= LastSoundEffect; ++number) {
            const test::WaveInfo wave = test::readWave(carriedData(number, QStringLiteral("WAV")));
            const QByteArray name = QByteArray::number(number);
            QVERIFY2(wave.valid, qPrintable(name + " " + wave.problem.toUtf8()));
            QVERIFY2(wave.channels == 1 || wave.channels == 2, name);
            QVERIFY2(wave.sampleRate >= 11025 && wave.sampleRate <= 44100, name);
            QVERIFY2(wave.peak() > 0.05, name);               // audible, not silence
            QVERIFY2(wave.peak() < 0.999, name);              // and not clipped
            QVERIFY2(wave.seconds() > 0.02 && wave.seconds() < 2.5, name);
            if (WaitingSounds.contains(number))
                QVERIFY2(wave.seconds() < 1.5, name);         // a waiting sound never stalls the game
            levels.push_back(wave.loudestLevel());
        }
        // Balanced: no effect much louder than the typical one.
        std::vector<double> sorted = levels;
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted[sorted.size() / 2];
        for (std::size_t i = 0; i < levels.size(); ++i)
            QVERIFY2(levels[i] < median + 4.0, qPrintable(QString::number(101 + int(i))));
    }

    void silenceIsToldApartFromSound()
    {
        // The checks above could not fail if the reader saw every file as loud.
        QByteArray silent("RIFF");
        const QByteArray samples(2 * 11025, '\0');
        const auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
        const auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
        silent += le32(quint32(36 + samples.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(11025)
            + le32(22050) + le16(2) + le16(16) + "data" + le32(quint32(samples.size())) + samples;
        const test::WaveInfo wave = test::readWave(silent);
        QVERIFY(wave.valid);
        QCOMPARE(wave.seconds(), 1.0);
        QCOMPARE(wave.peak(), 0.0);
    }

    void songsAreStandardMidiFilesOfOneToThreeMinutes()
    {
        for (qint16 number = 1001; number <= 1005; ++number) {
            const test::MidiInfo song = test::readMidi(carriedData(number, QStringLiteral("midi")));
            const QByteArray name = QByteArray::number(number);
            QVERIFY2(song.valid, qPrintable(name + " " + song.problem.toUtf8()));
            QCOMPARE(song.format, number == 1004 ? 0 : 1);
            QCOMPARE(song.trackChunks, song.declaredTracks);
            if (number == 1004)
                QCOMPARE(song.trackChunks, 1);
            else
                QVERIFY2(song.trackChunks > 1, name);
            QVERIFY2(song.notes > 200, name);
            QVERIFY2(song.seconds >= 60 && song.seconds <= 180, qPrintable(name + " " + QByteArray::number(song.seconds)));
        }
    }

    void windowArtHasItsSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("logo") << "logo.png" << QSize(800, 50);
        QTest::newRow("panel") << "panel.png" << QSize(600, 80);
        QTest::newRow("time strip") << "timebar.png" << QSize(100, 8);
        QTest::newRow("gold frame") << "frame_gold.png" << QSize(640, 480);
        QTest::newRow("black frame") << "frame_black.png" << QSize(640, 480);
        QTest::newRow("empty cell") << "empty.png" << QSize(100, 100);
        QTest::newRow("wrong mark") << "wrong.png" << QSize(100, 100);
        QTest::newRow("joker mark") << "joker.png" << QSize(100, 100);
        for (const LanguageInfo& language : Languages)
            QTest::newRow(qPrintable(QStringLiteral("flag %1").arg(language.digit)))
                << QString::fromLatin1(language.flagArt) + ".png" << QSize(32, 20);
        for (int button = 0; button < 10; ++button)
            QTest::newRow(qPrintable(QStringLiteral("button %1").arg(button)))
                << QStringLiteral("button_%1.png").arg(button) << QSize(38, 38);
        QTest::newRow("digits") << "digits.png" << QSize(180, 27);
        QTest::newRow("dense digits") << "digits@2x.png" << QSize(360, 54);
        QTest::newRow("dense flag") << "flag_6@2x.png" << QSize(64, 40);
        QTest::newRow("dense button") << "button_9@2x.png" << QSize(76, 76);
        QTest::newRow("back sides") << "backs.bmp" << QSize(500, 200);
        for (int size : {48, 64, 128, 256})
            QTest::newRow(qPrintable(QStringLiteral("icon %1").arg(size))) << QStringLiteral("icon_%1.png").arg(size)
                                                                         << QSize(size, size);
    }
    void windowArtHasItsSizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QCOMPARE(loadArt(name).size(), size);
    }

    void theBackSheetHasTenDifferentDesigns()
    {
        const QImage sheet = loadArt(QStringLiteral("backs.bmp"));
        QCOMPARE(sheet.format(), QImage::Format_Indexed8);
        QList<QImage> designs;
        for (int i = 0; i < 10; ++i)
            designs << sheet.copy((i % 5) * 100, (i / 5) * 100, 100, 100).convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < 10; ++i)
            for (int j = i + 1; j < 10; ++j)
                QVERIFY2(designs[i] != designs[j], qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
    }

    void theMarksDifferInShapeNotOnlyColour()
    {
        // Seen in grey, the wrong mark and the joker mark must still differ clearly.
        const QImage wrong = loadArt(QStringLiteral("wrong.png")).convertToFormat(QImage::Format_Grayscale8);
        const QImage joker = loadArt(QStringLiteral("joker.png")).convertToFormat(QImage::Format_Grayscale8);
        const auto bright = [](const QImage& grey) {
            int lit = 0;
            for (int y = 0; y < grey.height(); ++y)
                for (int x = 0; x < grey.width(); ++x)
                    lit += grey.pixelColor(x, y).value() > 128;
            return lit;
        };
        int differing = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                differing += (wrong.pixelColor(x, y).value() > 128) != (joker.pixelColor(x, y).value() > 128);
        QVERIFY(bright(wrong) > 500 && bright(joker) > 500);
        QVERIFY2(differing > 1500, qPrintable(QString::number(differing)));
    }

    void theProgramIconIsCarried()
    {
        QImage icon;
        QVERIFY(icon.loadFromData(carriedData(30001, QStringLiteral("icon"))));
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(icon.hasAlphaChannel());
    }

    void startUpPicturesAreCarried()
    {
        QVERIFY(!loadArt(QStringLiteral("splash_title.png")).isNull());
        QVERIFY(!loadArt(QStringLiteral("splash_board.png")).isNull());
    }

    void thePictureFolderHoldsFourByThreePictures()
    {
        const QDir pics(QStringLiteral(TESSARON_SOURCE_DIR "/pics"));
        QVERIFY(pics.exists(QStringLiteral("puzzle01.jpg")));
        const QStringList files = pics.entryList({"*.bmp", "*.jpg", "*.gif"}, QDir::Files);
        QVERIFY2(files.size() >= 5, qPrintable(files.join(u' ')));
        QSet<QString> kinds;
        for (const QString& file : files) {
            const QImage picture = loadPictureFile(pics.filePath(file));
            QCOMPARE(picture.width() * 3, picture.height() * 4);
            QVERIFY(picture.width() >= 640);
            kinds.insert(file.section(u'.', -1).toLower());
        }
        QCOMPARE(kinds, (QSet<QString>{"jpg", "gif", "bmp"}));
    }
};

TESSARON_TEST_MAIN(TestCatalogue)
#include "test_catalogue.moc"
