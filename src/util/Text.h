#pragma once

#include <QString>

namespace tess {

// Removes blanks and tabs (only those) at both ends.
QString trimBlanks(const QString& text);

// The first `count` characters of a text: a character beyond the 16-bit range
// (an emoji, a rare Chinese character) counts as one and is never cut in half.
QString firstCharacters(const QString& text, int count);

// A name (or any text from outside) set inside a line of other text: between
// first-strong isolate and pop directional isolate, so that its direction is
// its own and a Hebrew or Arabic name does not reorder the words around it.
QString isolated(const QString& text);
// The text without those marks, for a screen reader, which speaks in reading
// order anyway.
QString withoutIsolates(const QString& text);

} // namespace tess
