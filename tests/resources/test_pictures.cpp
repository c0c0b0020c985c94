// Pictures decoded at the size they are shown: large photos come small, small
// pictures as they are, photos upright as their EXIF orientation says, and
// the game's table and saved game load a player's photo no larger than a
// board can show it.

#include "game/GameFixture.h"
#include "game/Layout.h"
#include "game/PuzzleWindow.h"
#include "resources/Pictures.h"
#include "settings/SettingsStore.h"
#include "support/Errors.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QFileInfo>
#include <QThread>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSet>

using namespace tess;
using tess::test::errorOf;

namespace {

// Red on the left half, blue on the right, a green band along the top.
QImage pattern(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 220));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            picture.setPixel(x, y, qRgb(220, 0, 0));
    for (int y = 0; y < height / 10; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(0, 200, 0));
    return picture;
}

QString saved(const QImage& picture, const QString& name, const char* format)
{
    const QString path = test::tempFolder() + u'/' + name;
    return picture.save(path, format, 90) ? path : QString();
}

// The bytes of a JPEG with an EXIF block that says "turn 90 degrees clockwise
// to show" (orientation 6), right after the start-of-image marker.
QByteArray withOrientation6(const QByteArray& jpeg)
{
    const QByteArray tiff = QByteArray::fromHex("4d4d002a00000008" // big-endian, first directory at 8
                                                "0001"             // one entry
                                                "011200030000000100060000" // Orientation, SHORT, 1: 6
                                                "00000000");       // no next directory
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment = QByteArray::fromHex("ffe1");
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > 150 && qRed(pixel) < 90 && qGreen(pixel) < 90;
}

QString photo(int width, int height)
{
    QDir().mkpath(test::programFolder() + "/pics");
    const QString path = test::programFolder() + "/pics/photo.jpg";
    return pattern(width, height).save(path, "JPG", 90) ? path : QString();
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    void theDecodedSizeCoversTheAreaWithTheAspectKept()
    {
        QCOMPARE(shownFrom(QSize(3000, 2000), QSize(400, 300)), QSize(450, 300));
        QCOMPARE(shownFrom(QSize(3000, 2000), QSize(900, 600)), QSize(900, 600));
        QCOMPARE(shownFrom(QSize(6000, 4000), QSize(1005, 754)), QSize(1131, 754));
        QCOMPARE(shownFrom(QSize(2000, 3000), QSize(400, 300)), QSize(400, 600));
        QCOMPARE(shownFrom(QSize(640, 480), QSize(1005, 754)), QSize(640, 480));
        QCOMPARE(shownFrom(QSize(640, 480), QSize(600, 100)), QSize(600, 450));
        QCOMPARE(shownFrom(QSize(3000, 2000), QSize()), QSize(3000, 2000));
    }

    void aLargeJpegComesAtTheSizeItIsShown()
    {
        const QString path = saved(pattern(3000, 2000), "large.jpg", "JPG");
        QVERIFY(!path.isEmpty());
        const QImage picture = LoadPicture(path, QSize(400, 300));
        QCOMPARE(picture.size(), QSize(450, 300));
        QVERIFY(isRed(picture.pixel(100, 150)));
        QVERIFY(isBlue(picture.pixel(350, 150)));
        QCOMPARE(LoadPicture(path).size(), QSize(3000, 2000));
    }

    void otherFormatsComeSmallAveragedInFullColour()
    {
        // 256 colours strewn at random: averaged in full colour, the smaller
        // picture has far more colours than any palette holds.
        QImage fine(1600, 1200, QImage::Format_Indexed8);
        QList<QRgb> palette;
        for (int i = 0; i < 256; ++i)
            palette << qRgb(i, (i * 37) % 256, (i * 91) % 256);
        fine.setColorTable(palette);
        quint32 seed = 1;
        for (int y = 0; y < fine.height(); ++y)
            for (int x = 0; x < fine.width(); ++x)
                fine.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 24);
        const QString path = saved(fine, "fine.bmp", "BMP");
        QVERIFY(!path.isEmpty());
        const QImage picture = LoadPicture(path, QSize(400, 300));
        QCOMPARE(picture.size(), QSize(400, 300));
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                colours.insert(picture.pixel(x, y));
        QVERIFY2(colours.size() > 1000, qPrintable(QString::number(colours.size())));
    }

    void aSmallPictureIsNotBlownUp()
    {
        for (const char* format : {"JPG", "PNG", "BMP"}) {
            const QString path = saved(pattern(320, 240), QStringLiteral("small.") + QString::fromLatin1(format).toLower(), format);
            QVERIFY(!path.isEmpty());
            QCOMPARE(LoadPicture(path, QSize(1000, 750)).size(), QSize(320, 240));
        }
    }

    void aPhotoTurnedByItsExifOrientationStandsUpright()
    {
        // Stored sideways: the picture's top left corner (red) lies at the
        // bottom left of the stored pixels. The sizes are those of the upright
        // picture; a tall area shows whether the size was chosen upright.
        struct Case {
            QSize stored, shownAt, upright;
        };
        for (const Case& c : {Case{{200, 300}, {}, {300, 200}}, Case{{200, 300}, {150, 100}, {150, 100}},
                              Case{{1200, 1800}, {150, 100}, {150, 100}}, Case{{1200, 1800}, {100, 300}, {450, 300}}}) {
            QImage sideways(c.stored, QImage::Format_RGB32);
            sideways.fill(QColor(0, 0, 220));
            const int mark = c.stored.width() / 5;
            for (int y = c.stored.height() - mark; y < c.stored.height(); ++y)
                for (int x = 0; x < mark; ++x)
                    sideways.setPixel(x, y, qRgb(220, 0, 0));
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY(sideways.save(&buffer, "JPG", 95));
            const QString path = test::writeTempFile(QStringLiteral("turned.jpg"), withOrientation6(jpeg));

            const QImage picture = LoadPicture(path, c.shownAt);
            QCOMPARE(picture.size(), c.upright);
            const int corner = c.upright.height() / 10;
            QVERIFY(isRed(picture.pixel(corner, corner)));
            QVERIFY(isBlue(picture.pixel(c.upright.width() - 1 - corner, corner)));
            QVERIFY(isBlue(picture.pixel(corner, c.upright.height() - 1 - corner)));
        }
    }

    void brokenOrMissingPicturesRaiseTheirErrorsAsBefore()
    {
        const QString bad = test::writeTempFile(QStringLiteral("broken.jpg"), QByteArray("\xff\xd8\xff\xe0 not a picture at all"));
        QCOMPARE(errorOf([&] { LoadPicture(bad, QSize(400, 300)); }), int(ErrInvalidPicture));
        QCOMPARE(errorOf([] { LoadPicture(test::tempFolder() + "/missing.jpg", QSize(400, 300)); }), int(ErrFileNotFound));
        const QString truncated = saved(pattern(300, 200), "truncated.jpg", "JPG");
        QFile file(truncated);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(120));
        file.close();
        QCOMPARE(errorOf([&] { LoadPicture(truncated, QSize(100, 100)); }), int(ErrInvalidPicture));
    }

    void aPictureDecodedAheadIsTheOneTakenAndRaisesItsErrorWhenTaken()
    {
        const QString first = photo(1600, 1200);
        decodeAhead(first, QSize(400, 300));
        QThread::msleep(300); // decoded by now, on its thread
        QVERIFY(QFile::remove(first)); // what is taken is what was decoded ahead
        const QImage taken = LoadPicture(first, QSize(400, 300));
        QCOMPARE(taken.size(), QSize(400, 300));
        // Another size is no match: read now, and the file is gone.
        QCOMPARE(errorOf([&] { LoadPicture(first, QSize(200, 150)); }), int(ErrFileNotFound));
        // A file that does not decode raises its error where it is taken.
        const QString broken = test::tempFolder() + "/broken.jpg";
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xd8\xff but no picture");
        file.close();
        decodeAhead(broken, QSize(400, 300));
        QCOMPARE(errorOf([&] { LoadPicture(broken, QSize(400, 300)); }), int(ErrInvalidPicture));
    }

    void aLargePhotoIsReadFromItsSmallCopyUntilItChanges()
    {
        // Grain, as a camera's: over a megabyte however it is compressed.
        QImage grain(2000, 1500, QImage::Format_RGB32);
        QRandomGenerator noise(7);
        for (int y = 0; y < grain.height(); ++y)
            for (int x = 0; x < grain.width(); ++x)
                grain.setPixel(x, y, noise.generate() | 0xff000000u);
        const QString large = saved(grain, "grain.jpg", "JPG");
        QVERIFY(QFileInfo(large).size() > 1024 * 1024);
        const QImage first = LoadPicture(large, QSize(400, 300));
        const QString folder = qEnvironmentVariable("XDG_CACHE_HOME") + "/Tessaron/pictures";
        const QStringList copies = QDir(folder).entryList({"*.jpg"}, QDir::Files);
        QVERIFY2(copies.size() == 1, qPrintable(copies.join(", ") + " in " + folder));
        // The copy is what the next load shows: made red here, it comes red.
        QImage red(first.size(), QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(folder + '/' + copies.first(), "JPG"));
        QVERIFY(isRed(LoadPicture(large, QSize(400, 300)).pixel(10, 10)));
        // Another size has no copy yet; a changed file is decoded anew.
        QVERIFY(!isRed(LoadPicture(large, QSize(200, 150)).pixel(10, 10)));
        QFile file(large);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(!isRed(LoadPicture(large, QSize(400, 300)).pixel(10, 10)));
        // A small picture is not worth a copy.
        LoadPicture(saved(pattern(300, 200), "small.jpg", "JPG"), QSize(150, 100));
        QCOMPARE(QDir(folder).entryList({"*.jpg"}, QDir::Files).size(), 3);
    }

    void aSmallCopyIsNeverWrittenThroughALinkNorTakenWhenItIsWrong()
    {
        QImage grain(2000, 1500, QImage::Format_RGB32);
        QRandomGenerator noise(11);
        for (int y = 0; y < grain.height(); ++y)
            for (int x = 0; x < grain.width(); ++x)
                grain.setPixel(x, y, noise.generate() | 0xff000000u);
        const QString large = saved(grain, "grain.jpg", "JPG");
        LoadPicture(large, QSize(400, 300));
        const QString folder = qEnvironmentVariable("XDG_CACHE_HOME") + "/Tessaron/pictures";
        const QStringList copies = QDir(folder).entryList({"*.jpg"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString copy = folder + '/' + copies.first();

        // A link planted at the copy: neither read nor written through.
        const QString thesis = test::writeTempFile("thesis.txt", "four years of work");
        QVERIFY(QFile::remove(copy));
        QVERIFY(QFile::link(thesis, copy));
        QVERIFY(!isRed(LoadPicture(large, QSize(400, 300)).pixel(10, 10)));
        QFile kept(thesis);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("four years of work"));
        QVERIFY(!QFileInfo(copy).isSymLink()); // made anew in its place
        // A dangling link creates nothing at its target.
        const QString target = test::tempFolder() + "/created-by-the-game";
        QVERIFY(QFile::remove(copy));
        QVERIFY(QFile::link(target, copy));
        LoadPicture(large, QSize(400, 300));
        QVERIFY(!QFileInfo::exists(target));

        // A copy of another size than its name says (a huge one, say) is not used.
        QImage red(1600, 1200, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(QFile::remove(copy));
        QVERIFY(red.save(copy, "JPG"));
        const QImage shown = LoadPicture(large, QSize(400, 300));
        QVERIFY(!isRed(shown.pixel(10, 10)));
        QCOMPARE(shown.size(), QSize(400, 300));
        QCOMPARE(QImageReader(copy).size(), QSize(400, 300)); // and made anew
    }

    void theBoundCoversTheLargestBoardOfTheScreen()
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QSize client = PuzzleWindow::clientSizeFor(screen->availableGeometry(), QMargins());
        const BoardLayout board = layoutBoard(LayoutMetrics{client.width(), client.height(), 15}, 4, 4, 0);
        const QSize bound = largestBoardPixels();
        QVERIFY(bound.width() >= board.bw * screen->devicePixelRatio());
        QVERIFY(bound.height() >= board.bw * 0.75 * screen->devicePixelRatio());
        // No smaller than the built-in pictures, which are kept as they are.
        QVERIFY(bound.width() >= 640 && bound.height() >= 480);
    }

    void theTableLoadsAChosenPhotoNoLargerThanABoardShowsIt()
    {
        shared() = SharedState{};
        shared().PlayMusic = 0;
        writeLanguageTable();
        QVERIFY(!photo(3000, 2000).isEmpty());
        saveIntegerSetting(keys::Album, 1);
        saveSetting(keys::File, QStringLiteral("photo.jpg"));
        PuzzleTable table;
        table.Form_Load();
        const QSize expected = shownFrom(QSize(3000, 2000), largestBoardPixels());
        QVERIFY(expected.width() < 3000);
        QCOMPARE(table.clpImage.picture().size(), expected);
        QCOMPARE(table.previewPicture.size(), expected);
    }

    void aSavedGameLoadsItsPhotoNoLargerThanABoardShowsIt()
    {
        test::GameFixture game(2, 0);
        const QString path = photo(3000, 2000);
        QVERIFY(!path.isEmpty());
        shared().Album = 1;
        shared().File = path;
        game.t().StartGame();
        game.t().SaveGame();
        game.t().LoadGame();
        QCOMPARE(shared().File, path);
        QCOMPARE(game.t().clpImage.picture().size(), shownFrom(QSize(3000, 2000), largestBoardPixels()));
    }
};

TESSARON_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
