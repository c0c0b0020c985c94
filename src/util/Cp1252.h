#pragma once
// Windows code page 1252, the single-byte character set of the language table.

#include <QByteArray>
#include <QString>

namespace tess {

QString fromCp1252(const QByteArray& bytes);
// Characters the code page lacks become "?".
QByteArray toCp1252(const QString& text);
// Whether every character of the text has its byte in the code page.
bool fitsCp1252(const QString& text);

// A text field of the saved game and the champions list: code page 1252, as
// those files always had, for a text the code page can hold; UTF-8 for any
// other (a name in Polish, Greek or Chinese), so nothing becomes "?".
QByteArray toStoredText(const QString& text);
// Reads such a field back: UTF-8 where the bytes are valid UTF-8 with at
// least one character beyond ASCII, code page 1252 otherwise.
QString fromStoredText(const QByteArray& bytes);

} // namespace tess
