#pragma once
// The classic number rules the game is built on: Integer is 16-bit, fractional
// values round to the nearest integer with halves going to the even neighbour,
// and the number-to-text conversion puts a blank before a non-negative number.

#include <QString>
#include <QtGlobal>

namespace tess {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Converts to a 16-bit Integer with halves-to-even rounding.
// Raises run-time error 6 (Overflow) outside -32768..32767, 13 for NaN.
qint16 toInt16(double value);

// Converts to a 32-bit Long with halves-to-even rounding; error 6 outside its range.
qint32 toInt32(double value);

// Reads a number written as text, blanks and tabs around it allowed.
// Raises 13 (Type mismatch) when the text is not a number.
double parseNumber(const QString& text);

// parseNumber followed by toInt16: 13 for "abc" or "", 6 for "40000".
qint16 textToInt16(const QString& text);

// 16-bit sum; raises 6 (Overflow) when it leaves the Integer range.
qint16 addInt16(qint16 a, qint16 b);

// The number-to-text conversion with a leading blank for non-negative numbers:
// 7 -> " 7", -1 -> "-1".
QString numberText(qint32 value);

// Zero-padded decimal text with at least `digits` digits ("0111" for 111, 4).
QString paddedNumber(qint32 value, int digits);

} // namespace tess
