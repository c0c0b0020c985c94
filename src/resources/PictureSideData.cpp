#include "resources/PictureSideData.h"

#include <QtEndian>

#include <cstring>
#include <vector>

namespace tess {

namespace {

// The parts of the bytes that are kept, in order; neighbours join up.
class Kept {
public:
    explicit Kept(const QByteArray& bytes) : bytes_(bytes) {}

    void add(qsizetype from, qsizetype to)
    {
        if (to <= from)
            return;
        if (!ranges_.empty() && ranges_.back().second == from)
            ranges_.back().second = to;
        else
            ranges_.emplace_back(from, to);
    }
    void append(char byte) { tail_ += byte; }

    QByteArray bytes() const
    {
        if (tail_.isEmpty() && ranges_.size() == 1 && ranges_.front() == std::pair<qsizetype, qsizetype>(0, bytes_.size()))
            return bytes_; // all of it: shared, not copied
        qsizetype size = tail_.size();
        for (const auto& [from, to] : ranges_)
            size += to - from;
        QByteArray out;
        out.reserve(size);
        for (const auto& [from, to] : ranges_)
            out.append(bytes_.constData() + from, to - from);
        out.append(tail_);
        return out;
    }

private:
    const QByteArray& bytes_;
    std::vector<std::pair<qsizetype, qsizetype>> ranges_;
    QByteArray tail_;
};

const uchar* dataOf(const QByteArray& bytes)
{
    return reinterpret_cast<const uchar*>(bytes.constData());
}

// The ancillary chunks the decoder reads for the pixels, or that are a few
// bytes and read into the picture's size or place, each at most this long.
constexpr quint32 MostAncillaryChunkBytes = 256;

bool pixelChunk(const uchar* type, quint32 length)
{
    if (type[0] >= 'A' && type[0] <= 'Z')
        return true; // critical: IHDR, PLTE, IDAT, IEND, or one the decoder refuses
    static constexpr const char* ancillary[] = {"tRNS", "gAMA", "cHRM", "sRGB", "sBIT", "pHYs", "oFFs"};
    for (const char* kept : ancillary)
        if (std::memcmp(type, kept, 4) == 0)
            return length <= MostAncillaryChunkBytes;
    return false; // tEXt, zTXt, iTXt, iCCP, eXIf, and chunks unknown to it
}

QByteArray pngWithoutSideData(const QByteArray& bytes)
{
    Kept kept(bytes);
    const uchar* data = dataOf(bytes);
    const qsizetype size = bytes.size();
    qsizetype at = std::min<qsizetype>(8, size); // the signature
    kept.add(0, at);
    while (at + 12 <= size) { // length, type, data, CRC
        const quint32 length = qFromBigEndian<quint32>(data + at);
        if (length > quint32(size - at - 12))
            break;
        const qsizetype end = at + 12 + qsizetype(length);
        const uchar* type = data + at + 4;
        if (pixelChunk(type, length))
            kept.add(at, end);
        at = end;
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
    }
    return kept.bytes();
}

bool startsWith(const JpegSegment& segment, const char* text, int length)
{
    return segment.length - 2 >= length && std::memcmp(segment.body, text, std::size_t(length)) == 0;
}

QByteArray jpegWithoutSideData(const QByteArray& bytes)
{
    Kept kept(bytes);
    kept.add(0, std::min<qsizetype>(2, bytes.size())); // the start of image
    bool jfif = false, exif = false, adobe = false;
    walkJpeg(bytes, [&](const JpegSegment& segment) {
        bool keep = true;
        if (segment.marker == 0xfe) {
            keep = false; // a comment
        } else if (segment.marker >= 0xe0 && segment.marker <= 0xef) {
            // Application segments: the decoder reads a few bytes of JFIF
            // and Adobe's; Qt reads EXIF for the orientation and keeps every
            // other one it knows (ICC profiles, comments) whole.
            bool& first = segment.marker == 0xe0 ? jfif : segment.marker == 0xe1 ? exif : adobe;
            keep = (segment.marker == 0xe0 || (segment.marker == 0xe1 && startsWith(segment, "Exif\0\0", 6))
                    || (segment.marker == 0xee && startsWith(segment, "Adobe", 5)))
                && !first;
            first = first || keep;
        }
        if (keep)
            kept.add(segment.start, segment.end);
    });
    return kept.bytes();
}

// Past the data sub-blocks that begin at `at` and their empty end; past the
// bytes when they run out first.
qsizetype pastSubBlocks(const uchar* data, qsizetype size, qsizetype at)
{
    while (at < size && data[at] != 0)
        at += data[at] + 1;
    return std::min(at + 1, size + 1);
}

QByteArray gifWithoutSideData(const QByteArray& bytes)
{
    Kept kept(bytes);
    const uchar* data = dataOf(bytes);
    const qsizetype size = bytes.size();
    if (size < 13)
        return bytes;
    qsizetype at = 13;
    if (data[10] & 0x80)
        at += 3 << ((data[10] & 0x07) + 1); // the global colour table
    kept.add(0, std::min(at, size));
    while (at < size) {
        if (data[at] == 0x21 && at + 1 < size) {
            // Comments, plain text and application data go; the graphic
            // control (transparency) stays, 8 bytes as the format has it.
            const qsizetype end = pastSubBlocks(data, size, at + 2);
            if (end > size)
                break;
            if (data[at + 1] == 0xf9 && end - at <= 8)
                kept.add(at, end);
            at = end;
        } else if (data[at] == 0x2c && at + 10 <= size) {
            // The first image is the picture: nothing after it is read.
            qsizetype end = at + 10;
            if (data[at + 9] & 0x80)
                end += 3 << ((data[at + 9] & 0x07) + 1); // its own colour table
            end = pastSubBlocks(data, size, end + 1);    // past the code size, then the data
            kept.add(at, std::min(end, size));
            if (end <= size)
                kept.append(0x3b);
            break;
        } else {
            break; // the end, or what no decoder makes sense of
        }
    }
    return kept.bytes();
}

// An icon file holds several pictures; Qt reads the first, which may be a
// whole PNG. The icon made anew with that one alone, sanitised.
QByteArray iconWithoutSideData(const QByteArray& bytes)
{
    constexpr qsizetype Header = 6, Entry = 16;
    const uchar* data = dataOf(bytes);
    if (bytes.size() < Header + Entry || qFromLittleEndian<quint16>(data + 4) == 0)
        return bytes; // the decoder refuses it
    const quint32 length = qFromLittleEndian<quint32>(data + Header + 8);
    const quint32 offset = qFromLittleEndian<quint32>(data + Header + 12);
    if (offset > quint64(bytes.size()) || length > quint64(bytes.size()) - offset)
        return bytes.left(Header + Entry); // no whole first picture: refused as well
    QByteArray first = bytes.mid(offset, length);
    if (first.startsWith("\x89PNG\r\n\x1a\n"))
        first = pngWithoutSideData(first);
    QByteArray out = bytes.left(Header + Entry);
    qToLittleEndian<quint16>(1, out.data() + 4);
    qToLittleEndian<quint32>(quint32(first.size()), out.data() + Header + 8);
    qToLittleEndian<quint32>(quint32(Header + Entry), out.data() + Header + 12);
    return out + first;
}

} // namespace

void walkJpeg(const QByteArray& bytes, const std::function<void(const JpegSegment&)>& visit)
{
    const uchar* data = dataOf(bytes);
    const qsizetype size = bytes.size();
    qsizetype at = 2; // after the start of image
    while (at + 2 <= size) {
        const uchar marker = data[at + 1];
        if (data[at] != 0xff || marker == 0xff) {
            ++at; // fill bytes, or stray ones the decoder skips as well
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd9)) {
            visit({marker, at, at + 2, nullptr, 0}); // markers without a length
            if (marker == 0xd9)
                return; // the end of the image: what follows is not decoded
            at += 2;
            continue;
        }
        if (at + 4 > size)
            return;
        const int length = qFromBigEndian<quint16>(data + at + 2);
        if (length < 2 || at + 2 + length > size)
            return;
        JpegSegment segment{marker, at, at + 2 + length, data + at + 4, length};
        if (marker == 0xda) {
            // Past its coded data, to the next marker: 0xff is followed by a
            // 0 in the data, and a restart marker stays within it.
            qsizetype next = segment.end;
            segment.end = size;
            while (next + 1 < size) {
                const auto* found = static_cast<const uchar*>(std::memchr(data + next, 0xff, std::size_t(size - next - 1)));
                if (!found)
                    break;
                next = found - data;
                const uchar after = data[next + 1];
                if (after != 0 && (after < 0xd0 || after > 0xd7)) {
                    segment.end = next;
                    break;
                }
                next += 2;
            }
        }
        visit(segment);
        at = segment.end;
    }
}

QByteArray withoutSideData(const QByteArray& bytes, const QByteArray& format)
{
    if (format == "png")
        return pngWithoutSideData(bytes);
    if (format == "jpeg")
        return jpegWithoutSideData(bytes);
    if (format == "gif")
        return gifWithoutSideData(bytes);
    if (format == "ico")
        return iconWithoutSideData(bytes);
    return bytes;
}

} // namespace tess
