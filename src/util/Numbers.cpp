#include "util/Numbers.h"

#include "util/RunTimeError.h"
#include "util/Text.h"

#include <cmath>
#include <limits>

namespace tess {

double roundHalfEven(double value)
{
    // std::nearbyint rounds to nearest with ties to even in the default mode,
    // but we must not depend on a mode someone else may have changed.
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

namespace {
template <class Whole>
Whole roundInto(double value)
{
    if (std::isnan(value))
        raiseError(ErrTypeMismatch);
    const double rounded = roundHalfEven(value);
    if (rounded < std::numeric_limits<Whole>::min() || rounded > std::numeric_limits<Whole>::max())
        raiseError(ErrOverflow);
    return static_cast<Whole>(rounded);
}
} // namespace

qint16 toInt16(double value)
{
    return roundInto<qint16>(value);
}

qint32 toInt32(double value)
{
    return roundInto<qint32>(value);
}

double parseNumber(const QString& text)
{
    const QString trimmed = trimBlanks(text);
    if (trimmed.isEmpty())
        raiseError(ErrTypeMismatch);
    // Only plain decimal notation: digits, one point, an optional sign and exponent.
    // "inf", "nan" and hexadecimal forms are not numbers for us.
    for (const QChar c : trimmed) {
        if (!(c.isDigit() && c.unicode() < 128) && c != u'.' && c != u'-' && c != u'+' && c != u'e' && c != u'E')
            raiseError(ErrTypeMismatch);
    }
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        raiseError(ErrTypeMismatch);
    return value;
}

qint16 textToInt16(const QString& text)
{
    return toInt16(parseNumber(text));
}

qint16 addInt16(qint16 a, qint16 b)
{
    return toInt16(static_cast<double>(a) + static_cast<double>(b));
}

QString numberText(qint32 value)
{
    return value >= 0 ? QStringLiteral(" ") + QString::number(value) : QString::number(value);
}

QString paddedNumber(qint32 value, int digits)
{
    if (value < 0)
        return u'-' + QString::number(-static_cast<qint64>(value)).rightJustified(digits, u'0');
    return QString::number(value).rightJustified(digits, u'0');
}

} // namespace tess
