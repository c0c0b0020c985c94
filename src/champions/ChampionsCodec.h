#pragma once
// The scrambling of the champions file: each entry is XORed with the
// application title and stored as a two-digit count of hexadecimal digits
// followed by the digits themselves ("04" + "05A0"). Texts go through code
// page 1252, so every character is one code from 0 to 255; a character the
// code page lacks becomes "?".

#include <QString>

namespace tess {

// Scrambles or unscrambles the text in place; its own inverse. Each call
// starts again at the first character of the key.
void scramble(QString& text);

// The stored value of an entry; the argument is left scrambled.
QString encodeEntry(QString& entry);

// The plain entry of a stored value; the argument is left cut to its digits.
// A start that is no number counts as 0; a count beyond the digits present
// decodes those present; a pair is read as far as it is hexadecimal ("G1" is 0).
QString decodeEntry(QString& value);

} // namespace tess
