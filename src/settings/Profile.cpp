#include "settings/Profile.h"

#include "util/Cp1252.h"
#include "util/FileLock.h"
#include "util/FileWrite.h"
#include "util/Files.h"
#include "util/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <utility>

namespace tess {

namespace {

// Name of a section header line, or nothing when the line is not one.
std::optional<QString> sectionName(const QString& line)
{
    const QString trimmed = trimBlanks(line);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    return trimBlanks(trimmed.mid(1, close < 0 ? -1 : close - 1));
}

// Key of an entry line, or nothing when the line has no "=".
std::optional<QString> keyName(const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    return trimBlanks(line.left(equals));
}

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(trimBlanks(a), trimBlanks(b), Qt::CaseInsensitive) == 0;
}

// A line break inside a name or value would forge new lines in the file.
QString oneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// Index of the header line of the first section with this name, or -1.
qsizetype findSection(const QStringList& lines, const QString& section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

// One past the last line that belongs to the section starting at `header`.
qsizetype sectionEnd(const QStringList& lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < lines.size() && !sectionName(lines[i]))
        ++i;
    return i;
}

qsizetype findKey(const QStringList& lines, qsizetype header, const QString& key)
{
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyName(lines[i]);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

// Sets the key in the lines, adding section and key where they are missing.
void setKey(QStringList& lines, const QString& section, const QString& key, const QString& value)
{
    const QString entry = oneLine(trimBlanks(key)) + u'=' + oneLine(value);
    const qsizetype header = findSection(lines, section);
    if (header < 0) {
        lines << u'[' + oneLine(trimBlanks(section)) + u']' << entry;
        return;
    }
    const qsizetype line = findKey(lines, header, key);
    if (line >= 0) {
        lines[line] = entry;
        return;
    }
    // After the section's last non-empty line, so blank separator lines stay between sections.
    qsizetype insertAt = sectionEnd(lines, header);
    while (insertAt > header + 1 && trimBlanks(lines[insertAt - 1]).isEmpty())
        --insertAt;
    lines.insert(insertAt, entry);
}

// UTF-8 as written; bytes that are no valid UTF-8 come from an older version
// or another system, which wrote code page 1252.
QString decodeUtf8(const QByteArray& bytes)
{
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : fromCp1252(bytes);
}

// Every key of a section, as read() would give it, by its trimmed lower-case name.
QHash<QString, QString> sectionValues(const QStringList& lines, const QString& section)
{
    QHash<QString, QString> values;
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return values;
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QString& line = lines[i];
        const auto name = keyName(line);
        if (!name)
            continue;
        const QString key = name->toLower();
        if (!values.contains(key)) // the first of duplicate keys wins
            values.insert(key, trimBlanks(line.mid(line.indexOf(u'=') + 1)).left(Profile::MaxValueLength));
    }
    return values;
}

QString decode(const QByteArray& bytes, ProfileEncoding encoding)
{
    return encoding == ProfileEncoding::Cp1252 ? fromCp1252(bytes) : decodeUtf8(bytes);
}

// The file's lines without their ends, and the end its first line uses.
void splitLines(const QString& text, QStringList& lines, QString& lineEnd)
{
    if (text.isEmpty())
        return;
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak > 0)
        lineEnd = text[firstBreak - 1] == u'\r' ? QStringLiteral("\r\n") : QStringLiteral("\n");
    lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
}

// Files found unreadable in this run, by absolute path, with what the run
// has written to them since.
struct KeptFiles {
    QHash<QString, QStringList> lines;
    QStringList untold; // found before anybody could tell the player
    std::function<void(const QString&)> notice;
};

KeptFiles& kept()
{
    static KeptFiles files;
    return files;
}

QString keyOf(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

void keepInMemory(const QString& path)
{
    const QString key = keyOf(path);
    if (kept().lines.contains(key))
        return;
    kept().lines.insert(key, {});
    if (kept().notice)
        kept().notice(path);
    else
        kept().untold.append(path);
}

} // namespace

bool Profile::isKeptInMemory(const QString& path)
{
    return kept().lines.contains(keyOf(path));
}

void Profile::setUnreadableNotice(std::function<void(const QString& path)> notice)
{
    kept().notice = std::move(notice);
    if (!kept().notice)
        return;
    const QStringList untold = std::exchange(kept().untold, {});
    for (const QString& path : untold)
        kept().notice(path);
}

void Profile::forgetUnreadableFiles()
{
    kept().lines.clear();
    kept().untold.clear();
}

Profile::Profile(QString path, ProfileEncoding encoding, ProfileFile kind)
    : path_(std::move(path)), encoding_(encoding), kind_(kind)
{
}

Profile::Lines Profile::load() const
{
    Lines content;
    content.lineEnd = encoding_ == ProfileEncoding::Cp1252 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const auto memory = kept().lines.constFind(keyOf(path_));
    if (memory != kept().lines.constEnd()) {
        content.lines = *memory;
        return content;
    }
    const FileContent file = readRegularFile(path_, MaxDataFileBytes);
    if (file.result == FileRead::Missing)
        return content;
    if (file.result != FileRead::Ok) {
        if (kind_ == ProfileFile::Kept)
            keepInMemory(path_);
        return content;
    }
    splitLines(decode(file.bytes, encoding_), content.lines, content.lineEnd);
    return content;
}

bool Profile::save(const Lines& content) const
{
    const auto memory = kept().lines.find(keyOf(path_));
    if (memory != kept().lines.end()) {
        *memory = content.lines;
        return false;
    }
    QString text;
    for (const QString& line : content.lines)
        text += line + content.lineEnd;
    const QByteArray bytes = encoding_ == ProfileEncoding::Cp1252 ? toCp1252(text) : text.toUtf8();
    return replaceFileWhole(path_, bytes) == 0;
}

bool Profile::change(const std::function<void(QStringList& lines)>& edit) const
{
    // Most writes set what the file already holds: those leave it alone.
    Lines content = load();
    QStringList changed = content.lines;
    edit(changed);
    if (changed == content.lines)
        return !isKeptInMemory(path_);
    // Another copy of the game may have changed other keys meanwhile: the
    // change is made again on the file as it stands, under the lock.
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const FileLock lock(path_);
    if (!lock.mayWrite())
        return false;
    content = load();
    edit(content.lines);
    return save(content);
}

std::optional<QString> Profile::find(const QString& section, const QString& key) const
{
    const Lines content = load();
    const qsizetype header = findSection(content.lines, section);
    if (header < 0)
        return std::nullopt;
    const qsizetype line = findKey(content.lines, header, key);
    if (line < 0)
        return std::nullopt;
    const QString& entry = content.lines[line];
    return trimBlanks(entry.mid(entry.indexOf(u'=') + 1)).left(MaxValueLength);
}

QHash<QString, QString> Profile::readSection(const QString& section) const
{
    return sectionValues(load().lines, section);
}

QHash<QString, QString> Profile::readSection(const QByteArray& bytes, ProfileEncoding encoding, const QString& section)
{
    QStringList lines;
    QString lineEnd;
    splitLines(decode(bytes, encoding), lines, lineEnd);
    return sectionValues(lines, section);
}

QString Profile::read(const QString& section, const QString& key, const QString& fallback) const
{
    return find(section, key).value_or(fallback);
}

bool Profile::write(const QString& section, const QString& key, const QString& value) const
{
    return writeKeys(section, {{key, value}});
}

bool Profile::writeKeys(const QString& section, const QList<QPair<QString, QString>>& entries) const
{
    return change([&](QStringList& lines) {
        for (const auto& [key, value] : entries)
            setKey(lines, section, key, value);
    });
}

bool Profile::removeSection(const QString& section) const
{
    return change([&](QStringList& lines) {
        const qsizetype header = findSection(lines, section);
        if (header >= 0)
            lines.remove(header, sectionEnd(lines, header) - header);
    });
}

bool Profile::removeKey(const QString& section, const QString& key) const
{
    return change([&](QStringList& lines) {
        const qsizetype header = findSection(lines, section);
        const qsizetype line = header < 0 ? -1 : findKey(lines, header, key);
        if (line >= 0)
            lines.removeAt(line);
    });
}

} // namespace tess
