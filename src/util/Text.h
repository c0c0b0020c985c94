#pragma once

#include <QString>

namespace tess {

// Removes blanks and tabs (only those) at both ends.
QString trimBlanks(const QString& text);

// The first `count` characters of a text: a character beyond the 16-bit range
// (an emoji, a rare Chinese character) counts as one and is never cut in half.
QString firstCharacters(const QString& text, int count);

} // namespace tess
