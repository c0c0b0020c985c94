#include "settings/Profile.h"

#include "util/Cp1252.h"
#include "util/FileWrite.h"
#include "util/Files.h"
#include "util/LockedWrites.h"
#include "util/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>

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

// What a file's name stands for on the disk: a file another copy replaced,
// or the player edited, differs in one of them.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
    timespec changed {};

    bool operator==(const Identity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec
            && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// Nothing when nothing can be looked at there (no file, a folder that may not be read).
std::optional<Identity> identityOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return Identity{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

using Edit = std::function<void(QStringList& lines)>;
using SectionIndex = QHash<QString, QHash<QString, QString>>; // section, key (case folded): value

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

// One file as this run knows it.
struct FileState {
    bool read = false;                 // `disk` holds what was at `identity`
    std::optional<Identity> identity;  // nothing: there was no file
    QStringList disk;
    QString lineEnd;
    QList<Edit> waiting;               // made, not yet written
    QStringList lines;                 // `disk` with the waiting changes
    std::optional<SectionIndex> index; // of `lines`, made at the first find
    bool kept = false;                 // found unreadable: in memory only
};

struct Files {
    QRecursiveMutex mutex;
    QHash<QString, FileState> byPath; // by absolute path
    QStringList untold;               // found unreadable before anybody could tell the player
    std::function<void(const QString&)> notice;
};

Files& files()
{
    static Files all;
    return all;
}

QString keyOf(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

void keepInMemory(const QString& path, FileState& state)
{
    state.kept = true;
    state.disk.clear();
    if (files().notice)
        files().notice(path);
    else
        files().untold.append(path);
}

void applyWaiting(FileState& state)
{
    state.lines = state.disk;
    for (const Edit& edit : std::as_const(state.waiting))
        edit(state.lines);
    state.index.reset();
}

// Reads the file when it is not known yet or changed on the disk since.
void refresh(FileState& state, const QString& path, ProfileEncoding encoding, ProfileFile kind)
{
    if (state.kept)
        return;
    const std::optional<Identity> now = identityOf(path);
    if (state.read && now == state.identity)
        return;
    state.read = true;
    state.identity = now;
    state.disk.clear();
    state.lineEnd = encoding == ProfileEncoding::Cp1252 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const FileContent file = readRegularFile(path, Profile::MaxFileBytes);
    if (file.result == FileRead::Ok)
        splitLines(decode(file.bytes, encoding), state.disk, state.lineEnd);
    else if (file.result != FileRead::Missing && kind == ProfileFile::Kept)
        keepInMemory(path, state);
    applyWaiting(state);
}

// The writes of this thread that wait for the end of a group.
struct Group {
    int depth = 0;
    QList<Profile> profiles;
};

thread_local Group group;

} // namespace

bool Profile::isKeptInMemory(const QString& path)
{
    QMutexLocker guard(&files().mutex);
    const auto it = files().byPath.constFind(keyOf(path));
    return it != files().byPath.constEnd() && it->kept;
}

void Profile::setUnreadableNotice(std::function<void(const QString& path)> notice)
{
    QMutexLocker guard(&files().mutex);
    files().notice = std::move(notice);
    if (!files().notice)
        return;
    const QStringList untold = std::exchange(files().untold, {});
    for (const QString& path : untold)
        files().notice(path);
}

void Profile::forgetUnreadableFiles()
{
    QMutexLocker guard(&files().mutex);
    files().byPath.clear();
    files().untold.clear();
}

Profile::WriteGroup::WriteGroup()
{
    ++group.depth;
}

Profile::WriteGroup::~WriteGroup()
{
    if (--group.depth > 0)
        return;
    const QList<Profile> profiles = std::exchange(group.profiles, {});
    for (const Profile& profile : profiles) {
        if (!profile.writeOrWait() && !isKeptInMemory(profile.path()))
            tellWriteFailed(profile.path());
    }
}

Profile::Profile(QString path, ProfileEncoding encoding, ProfileFile kind)
    : path_(std::move(path)), key_(keyOf(path_)), encoding_(encoding), kind_(kind)
{
}

bool Profile::change(std::function<void(QStringList& lines)> edit) const
{
    {
        QMutexLocker guard(&files().mutex);
        FileState& state = files().byPath[key_];
        refresh(state, path_, encoding_, kind_);
        // Most writes set what the file already holds: those leave it alone.
        QStringList changed = state.lines;
        edit(changed);
        if (changed == state.lines)
            return !state.kept;
        state.lines = std::move(changed);
        state.index.reset();
        if (state.kept)
            return false;
        state.waiting.append(std::move(edit));
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    if (group.depth > 0) {
        const bool listed = std::any_of(group.profiles.cbegin(), group.profiles.cend(),
                                        [&](const Profile& other) { return other.key_ == key_; });
        if (!listed)
            group.profiles.append(*this);
        return true;
    }
    return writeOrWait();
}

bool Profile::writeOrWait() const
{
    const Profile profile = *this;
    return writeUnderLock(key_, [profile] { return profile.writeWaitingChanges(); }) != LockedWrite::Failed;
}

bool Profile::writeWaitingChanges() const
{
    QMutexLocker guard(&files().mutex);
    FileState& state = files().byPath[key_];
    if (state.kept || state.waiting.isEmpty())
        return !state.kept;
    // Another copy of the game may have changed other keys meanwhile: the
    // changes are made again on the file as it now stands.
    refresh(state, path_, encoding_, kind_);
    if (state.kept)
        return false;
    state.waiting.clear();
    if (state.lines == state.disk)
        return true;
    QString text;
    for (const QString& line : std::as_const(state.lines))
        text += line + state.lineEnd;
    const QByteArray bytes = encoding_ == ProfileEncoding::Cp1252 ? toCp1252(text) : text.toUtf8();
    if (replaceFileWhole(path_, bytes) != 0) {
        // The file stays as it was, and so do its values.
        state.read = false;
        refresh(state, path_, encoding_, kind_);
        return false;
    }
    state.disk = state.lines;
    state.identity = identityOf(path_);
    return true;
}

std::optional<QString> Profile::find(const QString& section, const QString& key) const
{
    QMutexLocker guard(&files().mutex);
    FileState& state = files().byPath[key_];
    refresh(state, path_, encoding_, kind_);
    if (!state.index)
        state.index = indexOf(state.lines);
    const auto values = state.index->constFind(folded(section));
    if (values == state.index->constEnd())
        return std::nullopt;
    const auto value = values->constFind(folded(key));
    if (value == values->constEnd())
        return std::nullopt;
    return *value;
}

QHash<QString, QString> Profile::readSection(const QString& section) const
{
    QMutexLocker guard(&files().mutex);
    FileState& state = files().byPath[key_];
    refresh(state, path_, encoding_, kind_);
    return sectionValues(state.lines, section);
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
    return change([section, entries](QStringList& lines) {
        for (const auto& [key, value] : entries)
            setKey(lines, section, key, value);
    });
}

bool Profile::changeSection(const QString& section, SectionChange sectionChange) const
{
    return change([section, sectionChange = std::move(sectionChange)](QStringList& lines) {
        for (const auto& [key, value] : sectionChange(sectionValues(lines, section)))
            setKey(lines, section, key, value);
    });
}

bool Profile::removeSection(const QString& section) const
{
    return change([section](QStringList& lines) {
        const qsizetype header = findSection(lines, section);
        if (header >= 0)
            lines.remove(header, sectionEnd(lines, header) - header);
    });
}

bool Profile::removeKey(const QString& section, const QString& key) const
{
    return change([section, key](QStringList& lines) {
        const qsizetype header = findSection(lines, section);
        const qsizetype line = header < 0 ? -1 : findKey(lines, header, key);
        if (line >= 0)
            lines.removeAt(line);
    });
}

} // namespace tess
