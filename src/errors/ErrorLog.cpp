#include "errors/ErrorLog.h"

#include "util/FileWrite.h"
#include "util/Files.h"

#include <utility>

namespace tess {

namespace {

// Every report starts with its separator line and title.
const QByteArray ReportStart = QByteArray(70, '-') + "\r\nF E H L E R P R O T O K O L L";

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

} // namespace

ErrorLog::ErrorLog(QString path)
    : path_(std::move(path))
{
}

QByteArray ErrorLog::appended(QByteArray old, const QByteArray& report, const QByteArray& countLine, qsizetype maxBytes)
{
    QByteArray log = std::move(old);
    log += report;
    log += countLine;
    if (log.size() <= maxBytes)
        return log;
    // Whole reports go, oldest first; a report larger than the limit alone is cut at its start.
    qsizetype cut = log.size() - maxBytes;
    const qsizetype next = log.indexOf(ReportStart, cut);
    if (next >= 0 && log.size() - next <= maxBytes)
        cut = next;
    return log.mid(cut);
}

bool ErrorLog::add(const QString& report, const QString& identity)
{
    if (identity == lastIdentity_ && !lastIdentity_.isEmpty()) {
        ++repeats_;
        // The count on the disk follows at 1, 2, 4, 8, ... repeats: a storm of
        // one error costs a few writes, not one each.
        return !isPowerOfTwo(repeats_) || write({});
    }
    // The report before gets its final count, then this one follows.
    const bool written = write(report.toUtf8());
    lastIdentity_ = identity;
    repeats_ = 0;
    return written;
}

bool ErrorLog::write(const QByteArray& report)
{
    FileContent content = readRegularFile(path_, 2 * MaxBytes, Links::Refused);
    // A log that is there but cannot be read is the player's to look at: left alone.
    if (content.result == FileRead::Unreadable || content.result == FileRead::NotAFile) {
        tellWriteFailed(path_);
        return false;
    }
    QByteArray old = content.result == FileRead::Ok ? std::move(content.bytes) : QByteArray();
    // The count written before is written again with its new number.
    if (!countLine_.isEmpty() && old.endsWith(countLine_))
        old.chop(countLine_.size());
    const QByteArray count =
        repeats_ > 0 ? "Wiederholt / repeated: " + QByteArray::number(repeats_) + "\r\n\r\n" : QByteArray();
    const QByteArray log = report.isEmpty() ? appended(std::move(old), {}, count, MaxBytes)
                                            : appended(std::move(old) + count, report, {}, MaxBytes);
    if (replaceFileWhole(path_, log) != 0) {
        tellWriteFailed(path_);
        return false;
    }
    countLine_ = report.isEmpty() ? count : QByteArray();
    return true;
}

} // namespace tess
