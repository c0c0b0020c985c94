#pragma once
// File helpers that raise the classic run-time errors.

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace tess {

// Replaces the file's whole content at once (written to a temporary file,
// then renamed), so a failure leaves the old file as it was. Raises 70
// (Permission denied), 76 (Path not found), 61 (Disk full) or 75.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// The whole content of a file; 53 (File not found) when it is missing.
QByteArray readWholeFile(const QString& path);

// The run-time error number for a failed file operation.
int fileErrorNumber(const QFileDevice& file, const QString& path);

} // namespace tess
