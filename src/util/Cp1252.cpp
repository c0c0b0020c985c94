#include "util/Cp1252.h"

#include <algorithm>
#include <array>

namespace tess {

namespace {

// 0x80 to 0x9F differ from Latin-1; the five unassigned bytes map to themselves.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString fromCp1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += (value >= 0x80 && value <= 0x9F) ? QChar(HighControls[value - 0x80]) : QChar(value);
    }
    return text;
}

QByteArray toCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            bytes += static_cast<char>(code);
            continue;
        }
        char found = '?';
        for (std::size_t i = 0; i < HighControls.size(); ++i) {
            if (HighControls[i] == code) {
                found = static_cast<char>(0x80 + i);
                break;
            }
        }
        bytes += found;
    }
    return bytes;
}

bool fitsCp1252(const QString& text)
{
    return fromCp1252(toCp1252(text)) == text;
}

QByteArray toStoredText(const QString& text)
{
    return fitsCp1252(text) ? toCp1252(text) : text.toUtf8();
}

QString fromStoredText(const QByteArray& bytes)
{
    // Unambiguous enough: a code page 1252 text reads as UTF-8 only when each
    // of its characters above ASCII is one of "Â" to "ô" (bytes C2 to F4:
    // accented letters, "ß", "×") followed by exactly as many characters from
    // "€" to "¿" (bytes 80 to BF: symbols, quotes, "Š", "œ", "¡" to "¿") as a
    // UTF-8 lead byte asks for, as in "Ã©" or "Ã¼". No name or path is spelled
    // that way: such pairs are what UTF-8 looks like when wrongly read as code
    // page 1252. ASCII reads the same either way.
    const bool beyondAscii = std::any_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
    return beyondAscii && bytes.isValidUtf8() ? QString::fromUtf8(bytes) : fromCp1252(bytes);
}

} // namespace tess
