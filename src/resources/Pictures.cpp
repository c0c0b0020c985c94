#include "resources/Pictures.h"

#include "errors/RunTimeError.h"
#include "resources/PictureCache.h"
#include "util/Files.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QCoreApplication>
#include <QImageReader>

#include <future>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace tess {

namespace {

// The size of the pictures the game carries.
constexpr QSize BuiltInPictureSize(640, 480);

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

QImage read(const QByteArray& bytes, const QByteArray& format, const QSize& shownAt)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer, format);
    // Named by its first bytes, a picture goes straight to its reader; left
    // to guess, Qt would load every image plugin there is to ask each one.
    reader.setAutoDetectImageFormat(format.isEmpty());
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
    QImage picture = reader.read();
    // Other formats decode whole; only the smaller copy is kept.
    const QSize wanted = shownFrom(picture.size(), shownAt);
    if (!picture.isNull() && wanted != picture.size())
        picture = smallerPicture(picture, wanted);
    return picture;
}

} // namespace

QImage decodePicture(const QByteArray& bytes, const QString& name, const QSize& shownAt)
{
    const QByteArray format = pictureFormat(bytes);
    QImage picture = read(bytes, format, shownAt);
    if (picture.isNull() && !format.isEmpty())
        picture = read(bytes, {}, shownAt); // what its first bytes promised it is not: let Qt guess
    if (picture.isNull())
        raiseError(ErrInvalidPicture, name);
    return picture;
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

void decodeAhead(const QString& path, const QSize& shownAt)
{
    // A decode still running when the program ends would work on in a Qt
    // already gone: the application waits for it as it is taken down.
    static const bool waitedForAtTheEnd = [] {
        qAddPostRoutine(finishDecodingAhead);
        return true;
    }();
    Q_UNUSED(waitedForAtTheEnd);
    Ahead& slot = ahead();
    if (slot.picture.valid() && slot.path == path && slot.shownAt == shownAt)
        return; // on its way already
    if (slot.picture.valid())
        slot.picture.wait();
    slot.path = path;
    slot.shownAt = shownAt;
    slot.picture = std::async(std::launch::async, [path, shownAt] { return loadNow(path, shownAt); });
}

QImage LoadPicture(const QString& path, const QSize& shownAt)
{
    Ahead& slot = ahead();
    if (slot.picture.valid() && slot.path == path && slot.shownAt == shownAt) {
        slot.path.clear();
        return slot.picture.get(); // its error, if it had one, is raised here
    }
    return loadNow(path, shownAt);
}

} // namespace tess
