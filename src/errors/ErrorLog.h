#pragma once
// The error log ("tessaron.EPT"): every report the reporter made, oldest
// first, kept under a size limit by dropping the oldest reports. A report
// identical to the one before it (same error, module, procedure and line) in
// the same run is only counted: a failure that repeats cannot fill the disk.
// While another running copy holds the log's lock, the reports wait in
// memory (the newest megabyte of them) and are written when it lets go.

#include <QString>

#include <memory>

namespace tess {

class ErrorLog {
public:
    static constexpr qsizetype MaxBytes = 1024 * 1024;

    explicit ErrorLog(QString path);

    const QString& path() const { return path_; }

    // Adds the report's text; `identity` tells reports apart. False when the
    // log could not be written (the player is told once; the log stays as it
    // was); true also when the report waits for the lock.
    bool add(const QString& report, const QString& identity);

    // The log as it should now stand, from `old` and one more report: the
    // report after `old`, then the oldest reports dropped while the whole is
    // larger than `maxBytes`. `countLine` (may be empty) stands after the last report.
    static QByteArray appended(QByteArray old, const QByteArray& report, const QByteArray& countLine, qsizetype maxBytes);

private:
    // What waits to be written, shared with a write that waits for the lock.
    struct Unwritten {
        QByteArray reports;   // after the log as it stands, the final count of the report before included
        QByteArray countLine; // the count of repeats that is to end the file
        QByteArray written;   // the count line that ends the file, as last written
    };
    bool write();
    // Runs under the log's lock.
    static bool writeUnwritten(const QString& path, Unwritten& unwritten);

    QString path_;
    QString lastIdentity_;
    int repeats_ = 0;
    std::shared_ptr<Unwritten> unwritten_ = std::make_shared<Unwritten>();
};

} // namespace tess
