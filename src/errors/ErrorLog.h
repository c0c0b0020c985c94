#pragma once
// The error log ("tessaron.EPT"): every report the reporter made, oldest
// first, kept under a size limit by dropping the oldest reports. A report
// identical to the one before it (same error, module, procedure and line) in
// the same run is only counted: a failure that repeats cannot fill the disk.

#include <QString>

namespace tess {

class ErrorLog {
public:
    static constexpr qsizetype MaxBytes = 1024 * 1024;

    explicit ErrorLog(QString path);

    const QString& path() const { return path_; }

    // Adds the report's text; `identity` tells reports apart. False when the
    // log could not be written (the player is told once; the log stays as it was).
    bool add(const QString& report, const QString& identity);

    // The log as it should now stand, from `old` and one more report: the
    // report after `old`, then the oldest reports dropped while the whole is
    // larger than `maxBytes`. `countLine` (may be empty) stands after the last report.
    static QByteArray appended(QByteArray old, const QByteArray& report, const QByteArray& countLine, qsizetype maxBytes);

private:
    bool write(const QByteArray& report);

    QString path_;
    QString lastIdentity_;
    int repeats_ = 0;
    QByteArray countLine_; // the count of repeats that ends the file, as written
};

} // namespace tess
