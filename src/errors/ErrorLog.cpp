#include "errors/ErrorLog.h"

#include "util/FileWrite.h"
#include "util/Files.h"
#include "util/LockedWrites.h"

#include <QFile>

#include <algorithm>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

// Every report starts with its separator line and title.
const QByteArray ReportStart = QByteArray(70, '-') + "\r\nF E H L E R P R O T O K O L L";

// The last `bytes` of a regular file.
FileContent readTail(const QString& path, qint64 bytes)
{
    FileContent content;
    content.result = FileRead::Unreadable;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return content;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const qint64 from = std::max<qint64>(0, info.st_size - bytes);
        content.bytes.resize(qsizetype(info.st_size - from));
        const ssize_t n = ::pread(fd, content.bytes.data(), std::size_t(content.bytes.size()), from);
        if (n >= 0) {
            content.bytes.resize(n);
            content.result = FileRead::Ok;
        }
    }
    ::close(fd);
    return content;
}

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

QByteArray repeatCount(int repeats)
{
    return repeats > 0 ? "Wiederholt / repeated: " + QByteArray::number(repeats) + "\r\n\r\n" : QByteArray();
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
    Unwritten& unwritten = *unwritten_;
    if (identity == lastIdentity_ && !lastIdentity_.isEmpty()) {
        ++repeats_;
        // The count on the disk follows at 1, 2, 4, 8, ... repeats: a storm of
        // one error costs a few writes, not one each.
        if (!isPowerOfTwo(repeats_))
            return true;
        unwritten.countLine = repeatCount(repeats_);
        return write();
    }
    // The report before gets its final count, then this one follows.
    unwritten.reports = appended(std::move(unwritten.reports), repeatCount(repeats_) + report.toUtf8(), {}, MaxBytes);
    unwritten.countLine.clear();
    lastIdentity_ = identity;
    repeats_ = 0;
    return write();
}

bool ErrorLog::write()
{
    // Another running copy may add its report at the same moment: the log is
    // changed under its lock, now or, while another copy holds it, later.
    const QString path = path_;
    const std::shared_ptr<Unwritten> unwritten = unwritten_;
    return writeUnderLock(path, [path, unwritten] { return writeUnwritten(path, *unwritten); }) != LockedWrite::Failed;
}

bool ErrorLog::writeUnwritten(const QString& path, Unwritten& unwritten)
{
    FileContent content = readRegularFile(path, 2 * MaxBytes, Links::Refused);
    // An older version's log may be larger: its newest reports are kept.
    if (content.result == FileRead::TooLarge)
        content = readTail(path, MaxBytes);
    // Kept until written: a failed write leaves them for the next report's
    // (they are capped as they come).
    const QByteArray reports = unwritten.reports;
    // A log that is there but cannot be read is the player's to look at: left alone.
    if (content.result == FileRead::Unreadable || content.result == FileRead::NotAFile) {
        tellWriteFailed(path);
        return false;
    }
    QByteArray old = content.result == FileRead::Ok ? std::move(content.bytes) : QByteArray();
    // The count written before is written again with its new number.
    if (!unwritten.written.isEmpty() && old.endsWith(unwritten.written))
        old.chop(unwritten.written.size());
    if (replaceFileWhole(path, appended(std::move(old), reports, unwritten.countLine, MaxBytes)) != 0) {
        tellWriteFailed(path);
        return false;
    }
    unwritten.reports.clear();
    unwritten.written = unwritten.countLine;
    return true;
}

} // namespace tess
