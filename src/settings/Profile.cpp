#include "settings/Profile.h"

#include "settings/ProfileLines.h"
#include "util/Cp1252.h"
#include "util/FileWrite.h"
#include "util/Files.h"
#include "util/LockedWrites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>

#include <sys/stat.h>

#include <utility>

namespace tess {

namespace {

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
    else if (file.result != FileRead::Missing)
        state.read = false; // reads as empty, and is tried again next time, as the file may come back
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
    // changes are made again on the file as it now stands, read once more
    // (a change within one tick of the file clock may keep size and times).
    state.read = false;
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
