#include "util/RowBits.h"

#include "util/Numbers.h"

#include <limits>

namespace tess {

qint32 binaryToNumber(const QString& text)
{
    // The classic 32-bit weight overflowed while doubling past the 31st character.
    if (text.size() >= 31)
        return 0;
    qint32 value = 0;
    qint32 weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] == u'1')
            value += weight;
        if (i > 0)
            weight *= 2;
    }
    return value;
}

QString numberToBinary(qint32 value)
{
    QString digits;
    // The weights start at 2^31 - 1 and are halved to the nearest even
    // integer, which gives 2^30, 2^29, ... 1 and then 0, where the loop ends.
    qint64 remaining = value;
    double weight = std::numeric_limits<qint32>::max();
    while (weight >= 1) {
        if (remaining >= qint64(weight)) {
            digits += u'1';
            remaining -= qint64(weight);
        } else if (!digits.isEmpty()) {
            digits += u'0';
        }
        weight = roundHalfEven(weight / 2);
    }
    return digits;
}

} // namespace tess
