#include "settings/ProfileLines.h"

#include "util/Cp1252.h"
#include "util/Text.h"

namespace tess {

namespace {

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

// UTF-8 as written; bytes that are no valid UTF-8 come from an older version
// or another system, which wrote code page 1252.
QString decodeUtf8(const QByteArray& bytes)
{
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : fromCp1252(bytes);
}

} // namespace

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

QString folded(const QString& name)
{
    return trimBlanks(name).toCaseFolded();
}

// The values as find() gives them: the first section of a name, the first of its duplicate keys.
SectionIndex indexOf(const QStringList& lines)
{
    SectionIndex index;
    QHash<QString, QString>* section = nullptr;
    for (const QString& line : lines) {
        if (const auto name = sectionName(line)) {
            const QString key = folded(*name);
            section = index.contains(key) ? nullptr : &index[key];
            continue;
        }
        const auto key = section ? keyName(line) : std::nullopt;
        if (key && !section->contains(folded(*key)))
            section->insert(folded(*key), trimBlanks(line.mid(line.indexOf(u'=') + 1)).left(Profile::MaxValueLength));
    }
    return index;
}

} // namespace tess
