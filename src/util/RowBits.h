#pragma once
// A board row as a number: the tags of its cells ("11010") read as base 2,
// the leftmost cell the most significant bit, and back.

#include <QString>
#include <QtGlobal>

namespace tess {

// From the last character to the first, each "1" adds its weight (1, 2, 4, ...);
// any other character counts as 0. A text of 31 characters or more gives 0.
qint32 binaryToNumber(const QString& text);

// The base-2 digits without leading zeros; 0 and negative values give "".
QString numberToBinary(qint32 value);

} // namespace tess
