#include "resources/Pictures.h"

#include "resources/PictureCache.h"
#include "resources/PictureSideData.h"
#include "resources/Resources.h"
#include "util/Files.h"
#include "util/RunTimeError.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImageReader>
#include <QScopeGuard>
#include <QThread>
#include <QtEndian>

#include <functional>
#include <future>
#include <optional>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tess {

namespace {

// The size of the pictures the game carries.
constexpr QSize BuiltInPictureSize(640, 480);

// Limits no photo comes near. A picture beyond them is refused before its
// decoder runs: only a file made to hold the game up or to take all memory
// gets there (a few KB can state 32768 x 32768 pixels, 300 KB a JPEG of 800
// scans, each one more pass over all of its coefficients).
//
// The largest photos of today: phones 200 MP (16320 x 12240), pixel-shift
// composites of full-frame cameras 240 MP (19008 x 12672). A JPEG decodes
// scaled, a few rows at a time: its pixels cost time, not memory.
constexpr qint64 MostPixels = 250'000'000;
// BMP, PNG and GIF decode whole, at 4 bytes a pixel, into at most the 128 MB
// Qt allows a picture (QImageReader::allocationLimit); a 256-colour one comes
// at 1 byte, but is widened to 4 to be scaled. No camera stores in them.
constexpr qint64 MostPixelsDecodedWhole = 128LL * 1024 * 1024 / 4;
// A progressive JPEG (or one that sends its colours in scans of their own)
// holds all its coefficients, 2 bytes per pixel and colour, until the last
// scan: 256 MB take an 85-MP photo with quartered colour (as cameras store
// it), a 43-MP one with full colour.
constexpr qint64 MostCoefficientBytes = 256LL * 1024 * 1024;
// Each scan is one more pass over them, about 0.1 s per GB. Encoders write
// about 10 scans (libjpeg's progression: 10, 6 for grey). So at most 100
// scans, and no longer to decode than 20 passes over the most coefficients
// allowed (under a second; a real 24-MP progressive photo takes longer).
constexpr int MostScans = 100;
constexpr qint64 MostScanPasses = 20 * MostCoefficientBytes; // scans x coefficient bytes

} // namespace

QByteArray pictureFormat(const QByteArray& bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return QByteArrayLiteral("png");
    if (bytes.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (bytes.startsWith("\xff\xd8\xff"))
        return QByteArrayLiteral("jpeg");
    return {};
}

namespace {

// Averaged in full colour, also a picture of 256 colours: Qt would give that
// back in 256 colours again.
QImage smallerPicture(const QImage& picture, const QSize& size)
{
    const bool paletted = picture.format() == QImage::Format_Indexed8 || picture.format() == QImage::Format_Mono
                          || picture.format() == QImage::Format_MonoLSB;
    const QImage full = paletted ? picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                                     : QImage::Format_RGB32)
                                 : picture;
    return full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Width and height as a header states them; 0 x 0 when it is too short to
// tell (the decoder then refuses it itself).
struct Stated {
    qint64 width = 0;
    qint64 height = 0;
    // Each side capped, for a product in range: a PNG may state 2^32 - 1.
    qint64 pixels() const { return std::min<qint64>(width, 1 << 30) * std::min<qint64>(height, 1 << 30); }
};

// What a JPEG's markers state, read without decoding: the frame, how many
// scans follow, and the coefficients the decoder keeps for them.
struct JpegLayout {
    Stated size;
    int scans = 0;
    qint64 coefficientBytes = 0; // 0 when it decodes a few rows at a time
};

bool isStartOfFrame(uchar marker)
{
    // SOF0 to SOF15, but DHT (C4), JPG (C8) and DAC (CC) share the range.
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

JpegLayout jpegLayout(const QByteArray& bytes)
{
    JpegLayout layout;
    bool progressive = false;
    bool framed = false;
    struct Sampling {
        int h, v;
    };
    std::vector<Sampling> components;
    walkJpeg(bytes, [&](const JpegSegment& segment) {
        const uchar* body = segment.body;
        const int length = segment.length;
        if (isStartOfFrame(segment.marker) && !framed && length >= 8) {
            // The decoder takes the first frame and refuses a second one.
            framed = true;
            progressive = (segment.marker & 0x03) == 0x02; // SOF2, SOF6, SOF10, SOF14
            layout.size = {qFromBigEndian<quint16>(body + 3), qFromBigEndian<quint16>(body + 1)};
            for (int i = 0; i < body[5] && 8 + 3 * i + 3 <= length; ++i)
                components.push_back({std::max(body[7 + 3 * i] >> 4, 1), std::max(body[7 + 3 * i] & 0x0f, 1)});
        }
        if (segment.marker != 0xda)
            return;
        // A scan: the decoder keeps every coefficient when the picture comes
        // in more than one (progressive, or colours sent one by one).
        if (++layout.scans == 1 && (progressive || (length >= 3 && body[0] < int(components.size())))) {
            int hMost = 1, vMost = 1;
            for (const Sampling& c : components) {
                hMost = std::max(hMost, c.h);
                vMost = std::max(vMost, c.v);
            }
            for (const Sampling& c : components) {
                const qint64 across = (layout.size.width * c.h + 8 * hMost - 1) / (8 * hMost);
                const qint64 down = (layout.size.height * c.v + 8 * vMost - 1) / (8 * vMost);
                layout.coefficientBytes += across * down * 64 * 2;
            }
        }
    });
    return layout;
}

Stated pngSize(const QByteArray& bytes)
{
    // The header chunk comes first: signature, length, "IHDR", width, height.
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    return bytes.size() < 24 ? Stated{} : Stated{qFromBigEndian<quint32>(data + 16), qFromBigEndian<quint32>(data + 20)};
}

Stated bmpSize(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() < 22)
        return {};
    if (qFromLittleEndian<quint32>(data + 14) == 12) // the old OS/2 header, 16-bit sizes
        return {qFromLittleEndian<quint16>(data + 18), qFromLittleEndian<quint16>(data + 20)};
    if (bytes.size() < 26)
        return {};
    // Signed: a negative height is a picture stored from the top down.
    return {std::abs(qint64(qFromLittleEndian<qint32>(data + 18))), std::abs(qint64(qFromLittleEndian<qint32>(data + 22)))};
}

Stated gifSize(const QByteArray& bytes)
{
    // The logical screen, widened to the first image where that one reaches further.
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < 13)
        return {};
    Stated stated{qFromLittleEndian<quint16>(data + 6), qFromLittleEndian<quint16>(data + 8)};
    qsizetype at = 13;
    if (data[10] & 0x80)
        at += 3 << ((data[10] & 0x07) + 1); // the global colour table
    while (at < size && data[at] == 0x21) { // extensions: a label, then blocks up to an empty one
        at += 2;
        while (at < size && data[at] != 0)
            at += data[at] + 1;
        ++at;
    }
    if (at + 9 <= size && data[at] == 0x2c) {
        stated.width = std::max<qint64>(stated.width, qFromLittleEndian<quint16>(data + at + 1) + qFromLittleEndian<quint16>(data + at + 5));
        stated.height = std::max<qint64>(stated.height, qFromLittleEndian<quint16>(data + at + 3) + qFromLittleEndian<quint16>(data + at + 7));
    }
    return stated;
}

QString pixelsText(const Stated& stated)
{
    return QStringLiteral("%1 x %2 pixels").arg(stated.width).arg(stated.height);
}

// Why the picture is beyond the limits, as its header states it: for the
// log. Empty when it is within them.
QString beyondLimits(const QByteArray& bytes, const QByteArray& format)
{
    if (format == "jpeg") {
        const JpegLayout jpeg = jpegLayout(bytes);
        if (jpeg.size.pixels() > MostPixels)
            return pixelsText(jpeg.size);
        if (jpeg.scans > MostScans)
            return QStringLiteral("%1 scans").arg(jpeg.scans);
        if (jpeg.coefficientBytes > MostCoefficientBytes || jpeg.scans * jpeg.coefficientBytes > MostScanPasses)
            return pixelsText(jpeg.size) + QStringLiteral(" held whole in %1 scans").arg(jpeg.scans);
        return {};
    }
    const Stated whole = format == "png" ? pngSize(bytes) : format == "bmp" ? bmpSize(bytes) : format == "gif" ? gifSize(bytes) : Stated{};
    return whole.pixels() > MostPixelsDecodedWhole ? pixelsText(whole) : QString();
}

// Whether the game knows how `format` states its size (beyondLimits).
bool limitedByHeader(const QByteArray& format)
{
    return format == "jpeg" || format == "png" || format == "bmp" || format == "gif";
}

QImage read(const QByteArray& bytes, const QByteArray& format, const QSize& shownAt)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer, format);
    // Named by its first bytes, a picture goes straight to its reader; left
    // to guess, Qt would load every image plugin there is to ask each one.
    reader.setAutoDetectImageFormat(false);
    // Cameras store a photo as the sensor lay and tell in EXIF how to turn it.
    reader.setAutoTransform(true);
    if (format == "jpeg" && !shownAt.isEmpty()) {
        // The JPEG decoder scales by eighths as it decodes, then smoothly to
        // the size asked for. It scales the picture as stored and turns it
        // after: the size is chosen upright and handed over turned back.
        const QSize stored = reader.size();
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize upright = turned ? stored.transposed() : stored;
        const QSize wanted = shownFrom(upright, shownAt);
        if (stored.isValid() && wanted != upright)
            reader.setScaledSize(turned ? wanted.transposed() : wanted);
    }
    if (!limitedByHeader(format)) {
        // A format Qt guesses decodes whole: refused by the size it states.
        const QSize stated = reader.size();
        if (qint64(stated.width()) * stated.height() > MostPixelsDecodedWhole)
            return {};
    }
    QImage picture = reader.read();
    // Other formats decode whole; only the smaller copy is kept.
    const QSize wanted = shownFrom(picture.size(), shownAt);
    if (!picture.isNull() && wanted != picture.size())
        picture = smallerPicture(picture, wanted);
    return picture;
}

// The picture read as `format` with its side data left out; 481 when it
// states more than the limits allow.
QImage readBare(const QByteArray& bytes, const QByteArray& format, const QString& name, const QSize& shownAt)
{
    const QByteArray bare = withoutSideData(bytes, format);
    if (const QString beyond = beyondLimits(bare, format); !beyond.isEmpty())
        raiseError(ErrInvalidPicture, name + QStringLiteral(": ") + beyond);
    return read(bare, format, shownAt);
}

QByteArray guessedFormat(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    return buffer.open(QIODevice::ReadOnly) ? QImageReader::imageFormat(&buffer) : QByteArray();
}

} // namespace

QImage decodePicture(const QByteArray& bytes, const QString& name, const QSize& shownAt)
{
    const QByteArray format = pictureFormat(bytes);
    QImage picture = format.isEmpty() ? QImage() : readBare(bytes, format, name, shownAt);
    if (picture.isNull()) {
        // What its first bytes promised it is not, or a format not named
        // here (an icon): Qt guesses, and its reader sees no side data either.
        const QByteArray guessed = guessedFormat(bytes);
        if (!guessed.isEmpty() && guessed != format)
            picture = readBare(bytes, guessed, name, shownAt);
    }
    if (picture.isNull())
        raiseError(ErrInvalidPicture, name);
    return picture;
}

namespace {

// Runs `decode` on a thread of its own. Where the window thread's event loop
// runs, it goes on painting and answering the desktop meanwhile, holding back
// the player's input; before it runs (the start), the thread just waits.
QImage decodedAside(const std::function<QImage()>& decode)
{
    const bool looping = QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()
        && QThread::currentThread()->loopLevel() > 0;
    if (!looping)
        return std::async(std::launch::async, decode).get();
    QEventLoop loop;
    std::future<QImage> decoded = std::async(std::launch::async, [&] {
        // Posted to the loop, which ends when it gets there, also when the
        // decode ends before the loop has begun or with an error.
        const auto wake = qScopeGuard([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
        return decode();
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return decoded.get();
}

} // namespace

QImage decodePictureAside(const QByteArray& bytes, const QString& name, const QSize& shownAt)
{
    return decodedAside([&] { return decodePicture(bytes, name, shownAt); });
}

QSize shownFrom(const QSize& picture, const QSize& shownAt)
{
    if (shownAt.isEmpty() || picture.isEmpty())
        return picture;
    const double scale = std::max(double(shownAt.width()) / picture.width(), double(shownAt.height()) / picture.height());
    if (scale >= 1)
        return picture; // a small picture is not blown up
    // Rounded up, so the side that limits gets all the area's pixels.
    const auto side = [scale](int length) { return std::clamp(int(std::ceil(length * scale - 1e-6)), 1, length); };
    return QSize(side(picture.width()), side(picture.height()));
}

QSize largestBoardPixels()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    // The game's client area is the largest 4:3 area of a screen's work area;
    // the board is 0.93 of its height wide and 3:4 of that high. The bound of
    // the largest screen, so the window can go to any of them.
    QSize largest;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const double height = std::min(area.height(), area.width() * 3 / 4) * screen->devicePixelRatio();
        const int width = int(std::ceil(height * 0.93));
        largest = largest.expandedTo(QSize(width, int(std::ceil(width * 0.75))));
    }
    // Never below the built-in pictures' size: they cost that anyway, and a
    // picture that small is kept as it is rather than scaled twice.
    return largest.isEmpty() ? largest : largest.expandedTo(BuiltInPictureSize);
}

bool isPictureFileName(const QString& fileName)
{
    return !fileName.isEmpty() && fileName != QStringLiteral(".") && fileName != QStringLiteral("..")
        && !fileName.contains(u'/') && !fileName.contains(QChar(u'\0'));
}

namespace {

struct Ahead {
    QString path;
    QSize shownAt;
    std::future<QImage> picture;
};

Ahead& ahead()
{
    static Ahead slot;
    return slot;
}

QImage loadNow(const QString& path, const QSize& shownAt)
{
    if (std::optional<QImage> kept = cachedPicture(path, shownAt))
        return *kept;
    const QByteArray bytes = readWholeFile(path, MaxPictureFileBytes);
    QImage picture = decodePicture(bytes, path, shownAt);
    keepCachedPicture(path, shownAt, bytes.size(), picture);
    return picture;
}

} // namespace

void finishDecodingAhead()
{
    Ahead& slot = ahead();
    if (slot.picture.valid())
        slot.picture.wait();
    slot.picture = {};
    slot.path.clear();
}

namespace {

// One decode at a time on a thread of its own, for the picture known by `key`
// at `shownAt`.
void startAhead(const QString& key, const QSize& shownAt, std::function<QImage()> decode)
{
    // A decode still running when the program ends would work on in a Qt
    // already gone: the application waits for it as it is taken down.
    static const bool waitedForAtTheEnd = [] {
        qAddPostRoutine(finishDecodingAhead);
        return true;
    }();
    Q_UNUSED(waitedForAtTheEnd);
    Ahead& slot = ahead();
    if (slot.picture.valid() && slot.path == key && slot.shownAt == shownAt)
        return; // on its way already
    if (slot.picture.valid())
        slot.picture.wait();
    slot.path = key;
    slot.shownAt = shownAt;
    slot.picture = std::async(std::launch::async, std::move(decode));
}

// The picture decoded ahead for `key` and `shownAt`, if that is the one on its
// way; its error, if it had one, is raised here.
std::optional<QImage> takeAhead(const QString& key, const QSize& shownAt)
{
    Ahead& slot = ahead();
    if (!slot.picture.valid() || slot.path != key || slot.shownAt != shownAt)
        return std::nullopt;
    slot.path.clear();
    return slot.picture.get();
}

// No file path begins so.
QString carriedKey(int number)
{
    return QStringLiteral(":carried bitmap ") + QString::number(number);
}

} // namespace

void decodeAhead(const QString& path, const QSize& shownAt)
{
    startAhead(path, shownAt, [path, shownAt] { return loadNow(path, shownAt); });
}

void decodeCarriedAhead(int number)
{
    startAhead(carriedKey(number), {}, [number] { return carriedPicture(number); });
}

QImage takeCarriedPicture(int number)
{
    if (std::optional<QImage> decoded = takeAhead(carriedKey(number), {}))
        return *decoded;
    return carriedPicture(number);
}

QImage loadPictureFile(const QString& path, const QSize& shownAt)
{
    if (std::optional<QImage> decoded = takeAhead(path, shownAt))
        return *decoded;
    return decodedAside([&] { return loadNow(path, shownAt); });
}

} // namespace tess
