#pragma once
// What a picture file carries beside its pixels (texts, colour profiles,
// comments, thumbnails, later frames) is left out before its decoder sees
// it: a PNG of a few hundred KB may unpack to gigabytes of text, a JPEG may
// hold thousands of comment segments. A scan of the file's own structure
// keeps only what the pixels need, so decoding a picture costs its pixels
// and a small constant, whatever else it holds.

#include <QByteArray>
#include <QtGlobal>

#include <functional>

namespace tess {

// The bytes of a PNG, JPEG, GIF or ICO picture (`format` as pictureFormat
// names it, or "ico") with the side data left out: PNG text, colour profile,
// EXIF and unknown chunks; JPEG comments and application segments but the
// first JFIF, EXIF (the orientation) and Adobe (the colour transform) ones;
// GIF extensions but the graphic control, and every frame after the first;
// an icon's first image, sanitised as a PNG where it is one. Nothing follows
// the end of the picture. The bytes as they are (no copy) when nothing is
// left out, also for BMP, whose decoder reads only its header and pixels.
// Where the structure breaks off, what comes after is left out as well: the
// decoder sees the picture as far as it is whole.
QByteArray withoutSideData(const QByteArray& bytes, const QByteArray& format);

// One marker segment of a JPEG, as walkJpeg finds it.
struct JpegSegment {
    uchar marker = 0;      // the byte after 0xff
    qsizetype start = 0;   // at its 0xff
    qsizetype end = 0;     // past its body; for a scan, past its coded data
    const uchar* body = nullptr; // after the length field; null for a marker without one
    int length = 0;        // the length field (counting itself), 0 without one
};

// Calls `visit` for each marker segment after the start of image, in order,
// up to and with the end of image. Fill bytes and stray bytes between
// segments are passed over, as the decoder passes over them; the walk ends
// where a segment runs past the data. Reads no coded data but to find where
// a scan ends.
void walkJpeg(const QByteArray& bytes, const std::function<void(const JpegSegment&)>& visit);

} // namespace tess
