#pragma once
// Windows code page 1252, the single-byte character set of the language table.

#include <QByteArray>
#include <QString>

namespace tess {

QString fromCp1252(const QByteArray& bytes);
// Characters the code page lacks become "?".
QByteArray toCp1252(const QString& text);

} // namespace tess
