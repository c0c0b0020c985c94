// Pictures decoded at the size they are shown: large photos come small, small
// pictures as they are, photos upright as their EXIF orientation says, and
// the game's table and saved game load a player's photo no larger than a
// board can show it.

#include "support/GameFixture.h"
#include "table/Layout.h"
#include "window/PuzzleWindow.h"
#include "resources/PictureSideData.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "resources/PictureCache.h"
#include "support/Errors.h"
#include "support/PngChunks.h"
#include "support/SmallDisk.h"
#include "util/FileWrite.h"
#include "support/TestEnvironment.h"
#include "support/ThreadClock.h"
#include "util/Paths.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QScreen>
#include <QSet>
#include <QtEndian>

#include <sys/resource.h>

using namespace tess;
using tess::test::errorOf;
using tess::test::pngChunk;
using tess::test::pngCrc;

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

QByteArray encoded(const QImage& picture, const char* format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(picture) ? bytes : QByteArray();
}

// A small progressive JPEG turned hostile: its frame says `width` x `height`,
// and its last scan is repeated up to `scans` (the decoder makes up the
// missing data and passes over the whole picture for each scan).
QByteArray hostileJpeg(int width, int height, int scans)
{
    const QByteArray jpeg = encoded(pattern(64, 48), "JPG", true);
    QByteArray head = jpeg.left(2);
    QList<QByteArray> scanSegments;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at + 1]) != 0xd9) {
        const uchar marker = uchar(jpeg[at + 1]);
        qsizetype end = at + 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
        if (marker == 0xda) { // to the next marker that is neither stuffing nor a restart
            while (end + 1 < jpeg.size() && !(uchar(jpeg[end]) == 0xff && jpeg[end + 1] != 0 && (uchar(jpeg[end + 1]) & 0xf8) != 0xd0))
                ++end;
            scanSegments << jpeg.mid(at, end - at);
        } else {
            QByteArray segment = jpeg.mid(at, end - at);
            if (marker == 0xc2) {
                qToBigEndian(quint16(height), segment.data() + 5);
                qToBigEndian(quint16(width), segment.data() + 7);
            }
            head += segment;
        }
        at = end;
    }
    for (int n = 0; n < scans; ++n)
        head += scanSegments.value(std::min<qsizetype>(n, scanSegments.size() - 1));
    return head + QByteArray("\xff\xd9", 2);
}

// Little pictures whose headers say `side` x `side`, as each format states it.
QByteArray hugePng(quint32 side)
{
    QByteArray png = encoded(pattern(64, 48), "PNG");
    QByteArray ihdr = png.mid(12, 17); // "IHDR" and its 13 bytes
    qToBigEndian(side, ihdr.data() + 4);
    qToBigEndian(side, ihdr.data() + 8);
    png.replace(12, 17, ihdr);
    qToBigEndian(pngCrc(ihdr), png.data() + 29);
    return png;
}

// A negative height is a picture stored from the top down.
QByteArray bmpStating(qint32 width, qint32 height)
{
    QByteArray bmp = encoded(pattern(64, 48), "BMP");
    qToLittleEndian(width, bmp.data() + 18);
    qToLittleEndian(height, bmp.data() + 22);
    return bmp;
}

QByteArray hugeGif(quint16 side)
{
    QByteArray gif("GIF89a");
    QByteArray size(4, 0);
    qToLittleEndian(side, size.data());
    qToLittleEndian(side, size.data() + 2);
    gif += size + QByteArray::fromHex("800000" "000000ffffff"); // two colours
    gif += QByteArray::fromHex("2c00000000") + size + QByteArray::fromHex("00" "02" "024c01" "00" "3b");
    return gif;
}

// A zlib stream of `bytes` of one letter: a few KB that unpack to all of them.
QByteArray packed(qsizetype bytes)
{
    return qCompress(QByteArray(bytes, 'A'), 9).mid(4);
}

QByteArray jpegSegment(uchar marker, const QByteArray& body)
{
    QByteArray segment(4, 0);
    segment[0] = char(0xff);
    segment[1] = char(marker);
    qToBigEndian(quint16(body.size() + 2), segment.data() + 2);
    return segment + body;
}

// A GIF in two colours, red on the left half and blue on the right, its
// codes stored without compression (a clear code before every second pixel
// keeps them 3 bits wide); `extensions` come before the image, `after` after it.
QByteArray twoColourGif(int width, int height, const QByteArray& extensions = {}, const QByteArray& after = {})
{
    QByteArray gif("GIF89a");
    QByteArray size(4, 0);
    qToLittleEndian(quint16(width), size.data());
    qToLittleEndian(quint16(height), size.data() + 2);
    gif += size + QByteArray::fromHex("800000" "dc0000" "0000dc") + extensions;
    QByteArray codes;
    quint32 bits = 0;
    int held = 0;
    const auto put = [&](quint32 code) {
        bits |= code << held;
        for (held += 3; held >= 8; held -= 8, bits >>= 8)
            codes += char(bits & 0xff);
    };
    for (int n = 0; n < width * height; ++n) {
        if (n % 2 == 0)
            put(4); // clear
        put(n % width < width / 2 ? 0 : 1);
    }
    put(5); // end
    if (held > 0)
        codes += char(bits & 0xff);
    gif += QByteArray::fromHex("2c00000000") + size + QByteArray::fromHex("00" "02");
    for (qsizetype at = 0; at < codes.size(); at += 255)
        gif += char(std::min<qsizetype>(255, codes.size() - at)) + codes.mid(at, 255);
    return gif + QByteArray(1, 0) + after + ";";
}

QByteArray gifExtension(uchar label, const QByteArray& data)
{
    QByteArray extension = QByteArray(1, 0x21) + char(label);
    for (qsizetype at = 0; at < data.size(); at += 255)
        extension += char(std::min<qsizetype>(255, data.size() - at)) + data.mid(at, 255);
    return extension + QByteArray(1, 0);
}

// An icon file whose one picture is `png`.
QByteArray iconOf(const QByteArray& png, int width, int height)
{
    QByteArray icon = QByteArray::fromHex("000001000100");
    QByteArray entry(16, 0);
    entry[0] = char(width);
    entry[1] = char(height);
    qToLittleEndian(quint16(1), entry.data() + 4);
    qToLittleEndian(quint16(32), entry.data() + 6);
    qToLittleEndian(quint32(png.size()), entry.data() + 8);
    qToLittleEndian(quint32(22), entry.data() + 12);
    return icon + entry + png;
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
        const QImage picture = loadPictureFile(path, QSize(400, 300));
        QCOMPARE(picture.size(), QSize(450, 300));
        QVERIFY(isRed(picture.pixel(100, 150)));
        QVERIFY(isBlue(picture.pixel(350, 150)));
        QCOMPARE(loadPictureFile(path).size(), QSize(3000, 2000));
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
        const QImage picture = loadPictureFile(path, QSize(400, 300));
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
            QCOMPARE(loadPictureFile(path, QSize(1000, 750)).size(), QSize(320, 240));
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

            const QImage picture = loadPictureFile(path, c.shownAt);
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
        QCOMPARE(errorOf([&] { loadPictureFile(bad, QSize(400, 300)); }), int(ErrInvalidPicture));
        QCOMPARE(errorOf([] { loadPictureFile(test::tempFolder() + "/missing.jpg", QSize(400, 300)); }), int(ErrFileNotFound));
        const QString truncated = saved(pattern(300, 200), "truncated.jpg", "JPG");
        QFile file(truncated);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(120));
        file.close();
        QCOMPARE(errorOf([&] { loadPictureFile(truncated, QSize(100, 100)); }), int(ErrInvalidPicture));
    }

    void picturesStatingWhatNoPhotoComesNearAreRefusedBeforeDecoding()
    {
        const auto refusal = [](const QByteArray& bytes) {
            try {
                decodePicture(bytes, QStringLiteral("hostile"), QSize(400, 300));
            } catch (const RunTimeError& error) {
                return QString::number(error.number()) + u' ' + error.detail();
            }
            return QStringLiteral("decoded");
        };
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long peakBefore = usage.ru_maxrss;
        // Decoded, they would take up to 2 GB (32768 x 32768 in 3 scans) or
        // many seconds (800 scans); refused, nothing.
        QCOMPARE(refusal(hostileJpeg(1024, 768, 800)), QStringLiteral("481 hostile: 800 scans"));
        QCOMPARE(refusal(hostileJpeg(32768, 32768, 3)), QStringLiteral("481 hostile: 32768 x 32768 pixels"));
        QCOMPARE(refusal(hostileJpeg(12000, 9000, 10)), QStringLiteral("481 hostile: 12000 x 9000 pixels held whole in 10 scans"));
        QCOMPARE(refusal(hostileJpeg(6000, 4000, 90)), QStringLiteral("481 hostile: 6000 x 4000 pixels held whole in 90 scans"));
        QCOMPARE(refusal(hugePng(32768)), QStringLiteral("481 hostile: 32768 x 32768 pixels"));
        QCOMPARE(refusal(bmpStating(32768, -32768)), QStringLiteral("481 hostile: 32768 x 32768 pixels"));
        QCOMPARE(refusal(hugeGif(32768)), QStringLiteral("481 hostile: 32768 x 32768 pixels"));
        // Chosen as the picture, decoded ahead or not.
        const QString chosen = test::writeTempFile(QStringLiteral("scans.jpg"), hostileJpeg(4096, 4096, 800));
        QCOMPARE(errorOf([&] { loadPictureFile(chosen, QSize(400, 300)); }), int(ErrInvalidPicture));
        decodeAhead(chosen, QSize(400, 300));
        QCOMPARE(errorOf([&] { loadPictureFile(chosen, QSize(400, 300)); }), int(ErrInvalidPicture));
        getrusage(RUSAGE_SELF, &usage);
        QVERIFY2(usage.ru_maxrss - peakBefore < 64 * 1024, qPrintable(QString::number(usage.ru_maxrss - peakBefore) + " KB more"));

        // Real pictures of those sizes and layouts still decode: a progressive
        // photo, one stating its size from the top down, and the built-in ones.
        const QString progressive = test::writeTempFile(QStringLiteral("progressive.jpg"), encoded(pattern(1600, 1200), "JPG", true));
        const QImage picture = loadPictureFile(progressive, QSize(400, 300));
        QCOMPARE(picture.size(), QSize(400, 300));
        QVERIFY(isRed(picture.pixel(100, 150)) && isBlue(picture.pixel(300, 150)));
        QCOMPARE(decodePicture(hostileJpeg(64, 48, 10), QStringLiteral("ten scans")).size(), QSize(64, 48));
        QCOMPARE(decodePicture(bmpStating(64, -48), QStringLiteral("top down")).size(), QSize(64, 48));
        for (qint16 number = 201; number <= 205; ++number)
            QCOMPARE(carriedPicture(number).size(), QSize(640, 480));
    }

    void whatAPictureCarriesBesideItsPixelsIsNeverDecoded_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("carrying");
        const QByteArray png = encoded(pattern(64, 48), "PNG");
        const auto pngWith = [&png](const QByteArray& chunks) { return png.left(33) + chunks + png.mid(33); };
        // Each unpacks to 7.9 MB, just below what the PNG decoder takes of one chunk.
        const QByteArray unpacking = packed(7'900'000);
        QTest::newRow("png, 50 zTXt") << QByteArray("png") << png
                                      << pngWith(pngChunk("zTXt", QByteArray("Comment\0\0", 9) + unpacking).repeated(50));
        QTest::newRow("png, 20 iTXt") << QByteArray("png") << png
                                      << pngWith(pngChunk("iTXt", QByteArray("Comment\0\1\0\0\0", 12) + unpacking).repeated(20));
        QTest::newRow("png, iCCP, eXIf, tEXt and unknown chunks")
            << QByteArray("png") << png
            << pngWith(pngChunk("iCCP", QByteArray("icc\0\0", 5) + unpacking) + pngChunk("eXIf", QByteArray(1 << 20, 'M'))
                       + pngChunk("tEXt", "Title\0" + QByteArray(1 << 20, 't')) + pngChunk("zzZz", QByteArray(1 << 20, 'z')));
        const QByteArray jpeg = encoded(pattern(64, 48), "JPG");
        const QByteArray comment = jpegSegment(0xfe, QByteArray(65000, 'c'));
        const QByteArray profile = jpegSegment(0xe2, "ICC_PROFILE\0" + QByteArray(65000, 'p'));
        const QByteArray xmp = jpegSegment(0xe1, "http://ns.adobe.com/xap/1.0/\0" + QByteArray(65000, 'x'));
        QTest::newRow("jpeg, 100 comments, profiles and XMP")
            << QByteArray("jpeg") << jpeg << jpeg.left(2) + (comment + profile + xmp).repeated(34) + jpeg.mid(2);
        QTest::newRow("jpeg, comments between its segments and data after its end")
            << QByteArray("jpeg") << jpeg
            << jpeg.left(jpeg.size() - 2) + comment.repeated(50) + jpeg.right(2) + QByteArray(1 << 20, 'm');
        const QByteArray gif = twoColourGif(64, 48);
        const QByteArray control = QByteArray::fromHex("21f90401000000" "00");
        QTest::newRow("gif, 100 comments and application data")
            << QByteArray("gif") << twoColourGif(64, 48, control)
            << twoColourGif(64, 48, control + (gifExtension(0xfe, QByteArray(65000, 'c')) + gifExtension(0xff, "XMP DataXMP" + QByteArray(65000, 'x'))).repeated(50));
        QTest::newRow("gif, later frames") << QByteArray("gif") << gif
                                           << twoColourGif(64, 48, {}, gif.mid(13 + 6, gif.size() - 13 - 6 - 1).repeated(400));
        QTest::newRow("icon holding a png with text")
            << QByteArray("ico") << iconOf(png, 64, 48)
            << iconOf(pngWith(pngChunk("zTXt", QByteArray("Comment\0\0", 9) + unpacking).repeated(20)), 64, 48);
    }

    void whatAPictureCarriesBesideItsPixelsIsNeverDecoded()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, carrying);
        QVERIFY(carrying.size() > plain.size() + 100'000);
        // The decoder sees the picture's own bytes and a few more, whatever it carries.
        const qint64 scanStart = test::threadMilliseconds();
        const QByteArray bare = withoutSideData(carrying, format);
        QVERIFY2(bare.size() <= plain.size() + 1024, qPrintable(QString::number(bare.size())));
        const qint64 scanned = test::threadMilliseconds() - scanStart;
        QVERIFY2(scanned < 1000, qPrintable(QString::number(scanned) + " ms"));
        QCOMPARE(withoutSideData(plain, format).size(), plain.size());

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long peakBefore = usage.ru_maxrss;
        const qint64 decodeStart = test::threadMilliseconds();
        // As the chosen picture, and as a host's picture comes.
        const QString chosen = test::writeTempFile(QStringLiteral("carrying.png"), carrying);
        const QImage picture = loadPictureFile(chosen, QSize(400, 300));
        const QImage sent = decodePicture(carrying, QStringLiteral("the host's picture"), QSize(400, 300));
        getrusage(RUSAGE_SELF, &usage);
        // Unpacked, the texts alone would take 400 MB and seconds.
        QVERIFY2(usage.ru_maxrss - peakBefore < 64 * 1024, qPrintable(QString::number(usage.ru_maxrss - peakBefore) + " KB more"));
        const qint64 decoded = test::threadMilliseconds() - decodeStart;
        QVERIFY2(decoded < 3000, qPrintable(QString::number(decoded) + " ms"));
        // The pixels are the picture's, and none of the texts came with them.
        const QImage expected = decodePicture(plain, QStringLiteral("plain"));
        for (const QImage& image : {picture, sent}) {
            QCOMPARE(image.size(), QSize(64, 48));
            QCOMPARE(image.textKeys(), expected.textKeys());
            QVERIFY(isRed(image.pixel(4, 30)) && isBlue(image.pixel(60, 30)));
            QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
        }
    }

    void aPictureDecodedAheadIsTheOneTakenAndRaisesItsErrorWhenTaken()
    {
        const QString first = photo(1600, 1200);
        decodeAhead(first, QSize(400, 300));
        QThread::msleep(300); // decoded by now, on its thread
        QVERIFY(QFile::remove(first)); // what is taken is what was decoded ahead
        const QImage taken = loadPictureFile(first, QSize(400, 300));
        QCOMPARE(taken.size(), QSize(400, 300));
        // Another size is no match: read now, and the file is gone.
        QCOMPARE(errorOf([&] { loadPictureFile(first, QSize(200, 150)); }), int(ErrFileNotFound));
        // A file that does not decode raises its error where it is taken.
        const QString broken = test::tempFolder() + "/broken.jpg";
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xd8\xff but no picture");
        file.close();
        decodeAhead(broken, QSize(400, 300));
        QCOMPARE(errorOf([&] { loadPictureFile(broken, QSize(400, 300)); }), int(ErrInvalidPicture));
    }

    void aBuiltInPictureDecodedAheadIsTheSameAndOneThatIsNotThereRaisesWhenTaken()
    {
        const QImage now = carriedPicture(203);
        decodeCarriedAhead(203);
        // The window thread reads other items meanwhile: the items' paths are
        // shared (a race there shows under a thread sanitizer).
        for (int i = 0; i < 200; ++i)
            QVERIFY(hasCarriedItem(201 + i % 5, QStringLiteral("bitmap")) && hasCarriedItem(1000, QStringLiteral("custom")));
        QCOMPARE(takeCarriedPicture(203), now);
        // Taken once: the next one is decoded then, and another number is no match.
        QCOMPARE(takeCarriedPicture(203), now);
        decodeCarriedAhead(204);
        const QImage other = takeCarriedPicture(205);
        QCOMPARE(other, carriedPicture(205));
        QVERIFY(other != carriedPicture(204));
        QCOMPARE(takeCarriedPicture(204), carriedPicture(204));
        // An item that is not there: its error comes out of the thread where it is taken.
        decodeCarriedAhead(299);
        QCOMPARE(errorOf([] { takeCarriedPicture(299); }), int(ErrResourceNotFound));
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
        const QImage first = loadPictureFile(large, QSize(400, 300));
        const QString folder = qEnvironmentVariable("XDG_CACHE_HOME") + "/Tessaron/pictures";
        const QStringList copies = QDir(folder).entryList({"*.jpg"}, QDir::Files);
        QVERIFY2(copies.size() == 1, qPrintable(copies.join(", ") + " in " + folder));
        // The copy is what the next load shows: made red here, it comes red.
        QImage red(first.size(), QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(folder + '/' + copies.first(), "JPG"));
        QVERIFY(isRed(loadPictureFile(large, QSize(400, 300)).pixel(10, 10)));
        // Another size has no copy yet; a changed file is decoded anew.
        QVERIFY(!isRed(loadPictureFile(large, QSize(200, 150)).pixel(10, 10)));
        QFile file(large);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(!isRed(loadPictureFile(large, QSize(400, 300)).pixel(10, 10)));
        // A small picture is not worth a copy.
        loadPictureFile(saved(pattern(300, 200), "small.jpg", "JPG"), QSize(150, 100));
        QCOMPARE(QDir(folder).entryList({"*.jpg"}, QDir::Files).size(), 3);
    }

    void aFullCacheIsToldOnceForAllItsPictures()
    {
        test::SmallDisk disk(pictureCacheFolder(), 64);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        disk.fill();
        QStringList told;
        setWriteFailureNotice([&told](const QString& path) { told << path; });
        const QString large = test::writeTempFile("large.jpg", QByteArray(1100 * 1024, 'x'));
        QImage small(40, 30, QImage::Format_RGB32);
        small.fill(Qt::blue);
        for (int width = 400; width < 900; width += 100)
            keepCachedPicture(large, QSize(width, width * 3 / 4), 1100 * 1024, small);
        QTRY_COMPARE(told, QStringList{pictureCacheFolder()});
        QCOMPARE(QDir(pictureCacheFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{".filler"});
        setWriteFailureNotice(nullptr);
    }

    void aPictureIsDecodedWhileTheWindowThreadGoesOn()
    {
        const QString path = photo(3000, 2000);
        QVERIFY(!path.isEmpty());
        bool painted = false;
        bool paintedMeanwhile = false;
        QImage shown;
        QEventLoop window; // the window's own loop, as in the picture choice
        QTimer::singleShot(0, &window, [&] {
            QTimer::singleShot(0, &window, [&] { painted = true; }); // a repaint due meanwhile
            shown = loadPictureFile(path, QSize(400, 300));
            paintedMeanwhile = painted;
            window.quit();
        });
        window.exec();
        QCOMPARE(shown.size(), QSize(450, 300)); // covers the area shown
        QVERIFY(paintedMeanwhile);
        // A broken picture raises its error where it is taken, as before.
        const QString broken = test::writeTempFile("broken.jpg", "\xff\xd8\xff but no picture");
        int error = 0;
        QTimer::singleShot(0, &window, [&] {
            error = errorOf([&] { loadPictureFile(broken, QSize(400, 300)); });
            window.quit();
        });
        window.exec();
        QCOMPARE(error, int(ErrInvalidPicture));
    }

    void aSmallCopyIsNeverWrittenThroughALinkNorTakenWhenItIsWrong()
    {
        QImage grain(2000, 1500, QImage::Format_RGB32);
        QRandomGenerator noise(11);
        for (int y = 0; y < grain.height(); ++y)
            for (int x = 0; x < grain.width(); ++x)
                grain.setPixel(x, y, noise.generate() | 0xff000000u);
        const QString large = saved(grain, "grain.jpg", "JPG");
        loadPictureFile(large, QSize(400, 300));
        const QString folder = qEnvironmentVariable("XDG_CACHE_HOME") + "/Tessaron/pictures";
        const QStringList copies = QDir(folder).entryList({"*.jpg"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString copy = folder + '/' + copies.first();

        // A link planted at the copy: neither read nor written through.
        const QString thesis = test::writeTempFile("thesis.txt", "four years of work");
        QVERIFY(QFile::remove(copy));
        QVERIFY(QFile::link(thesis, copy));
        QVERIFY(!isRed(loadPictureFile(large, QSize(400, 300)).pixel(10, 10)));
        QFile kept(thesis);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("four years of work"));
        QVERIFY(!QFileInfo(copy).isSymLink()); // made anew in its place
        // A dangling link creates nothing at its target.
        const QString target = test::tempFolder() + "/created-by-the-game";
        QVERIFY(QFile::remove(copy));
        QVERIFY(QFile::link(target, copy));
        loadPictureFile(large, QSize(400, 300));
        QVERIFY(!QFileInfo::exists(target));

        // A copy of another size than its name says (a huge one, say) is not used.
        QImage red(1600, 1200, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(QFile::remove(copy));
        QVERIFY(red.save(copy, "JPG"));
        const QImage shown = loadPictureFile(large, QSize(400, 300));
        QVERIFY(!isRed(shown.pixel(10, 10)));
        QCOMPARE(shown.size(), QSize(400, 300));
        QCOMPARE(QImageReader(copy).size(), QSize(400, 300)); // and made anew
    }

    void theBoundCoversTheLargestBoardOfTheScreen()
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QSize client = PuzzleWindow::clientSizeFor(screen->availableGeometry(), QMargins());
        const BoardLayout board = layoutBoard(LayoutMetrics{client.width(), client.height(), 15}, 4, 4, FrameColour::Gold);
        const QSize bound = largestBoardPixels();
        QVERIFY(bound.width() >= board.boardWidth * screen->devicePixelRatio());
        QVERIFY(bound.height() >= board.boardWidth * 0.75 * screen->devicePixelRatio());
        // No smaller than the built-in pictures, which are kept as they are.
        QVERIFY(bound.width() >= 640 && bound.height() >= 480);
    }

    void theTableLoadsAChosenPhotoNoLargerThanABoardShowsIt()
    {
        shared() = SharedState{};
        shared().playMusic = false;
        writeLanguageTable();
        QVERIFY(!photo(3000, 2000).isEmpty());
        saveIntegerSetting(keys::pictureSource, 1);
        saveSetting(keys::pictureFile, QStringLiteral("photo.jpg"));
        PuzzleTable table;
        table.load();
        const QSize expected = shownFrom(QSize(3000, 2000), largestBoardPixels());
        QVERIFY(expected.width() < 3000);
        QCOMPARE(table.pieceCutter.picture().size(), expected);
        QCOMPARE(table.previewPicture.size(), expected);
    }

    void aSavedGameLoadsItsPhotoNoLargerThanABoardShowsIt()
    {
        test::GameFixture game(2, 0);
        const QString path = photo(3000, 2000);
        QVERIFY(!path.isEmpty());
        shared().pictureSource = PictureSource::File;
        shared().pictureFile = path;
        game.t().startGame();
        game.t().saveGame();
        game.t().loadGame();
        QCOMPARE(shared().pictureFile, path);
        QCOMPARE(game.t().pieceCutter.picture().size(), shownFrom(QSize(3000, 2000), largestBoardPixels()));
    }
};

TESSARON_TEST_MAIN(TestPictures)
#include "test_pictures.moc"
