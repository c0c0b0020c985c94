#pragma once
// Profile (INI) files with the classic semantics the game's files rely on:
// section and key names are compared without case and trimmed, the first of
// duplicate keys wins, values come back trimmed and cut to 254 characters, and
// anything missing gives the caller's default. A write changes only its own
// keys, on the file as it stands on the disk, under the file's lock (other
// running copies share it), and replaces the file whole (util/FileWrite.h), so
// a failed write never leaves half a file. A write that changes nothing does
// not touch the file. A write whose lock another copy holds waits in memory
// and is made when the lock is free (util/LockedWrites.h); reads see it at once.
//
// A file is read once and again only when it changed on the disk (another
// copy replaced it), however many keys are read (a key is found in an
// index), and once more under the lock for each write.
//
// A file of the player's (ProfileFile::Kept: settings, champions) that is
// there but cannot be read (no permission, an I/O error, no file handles
// left, a FIFO or a device, more than a megabyte) is never written for
// the rest of the run: writing it would replace what the player has with the
// little this run knows. Its reads and writes go to a copy in memory
// instead, writes report failure, and the player is told once. Other files
// (the language table, which the game writes itself) simply read as empty.

#include <QString>
#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>
#include <optional>

namespace tess {

enum class ProfileEncoding { Cp1252, Utf8 };
enum class ProfileFile { Plain, Kept };

class Profile {
public:
    static constexpr int MaxValueLength = 254;
    // A settings or champions file holds a few kilobytes: a larger one is no file of the game's.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    // While one lives, the writes of this thread wait for its end, where each
    // file is written once, under one lock: the keys of one action go
    // together. A file not written then is told (tellWriteFailed).
    class WriteGroup {
    public:
        WriteGroup();
        ~WriteGroup();
        WriteGroup(const WriteGroup&) = delete;
        WriteGroup& operator=(const WriteGroup&) = delete;
    };

    explicit Profile(QString path, ProfileEncoding encoding = ProfileEncoding::Cp1252, ProfileFile kind = ProfileFile::Plain);

    const QString& path() const { return path_; }

    // The value of `key` in `section`, or `fallback` when file, section or key is missing.
    QString read(const QString& section, const QString& key, const QString& fallback = {}) const;
    std::optional<QString> find(const QString& section, const QString& key) const;
    // Every key of a section, as read() would give it, by its trimmed lower-case name.
    QHash<QString, QString> readSection(const QString& section) const;
    // The same from a file's bytes already in memory.
    static QHash<QString, QString> readSection(const QByteArray& bytes, ProfileEncoding encoding, const QString& section);

    // Creates file and section as needed. Returns false when the file could
    // not be written; true also when the write waits for the lock or a group.
    bool write(const QString& section, const QString& key, const QString& value) const;
    // Writes several keys of one section in one replacement of the file, so
    // either all of them are written or none.
    bool writeKeys(const QString& section, const QList<QPair<QString, QString>>& entries) const;
    // Sets the keys `change` gives from the section's values (as readSection
    // gives them) when the file is written: another copy's change made before
    // that is seen.
    using SectionChange = std::function<QList<QPair<QString, QString>>(const QHash<QString, QString>& values)>;
    bool changeSection(const QString& section, SectionChange change) const;
    // Removes the whole section (a write without key).
    bool removeSection(const QString& section) const;
    // Removes the first line with the key (a write without value).
    bool removeKey(const QString& section, const QString& key) const;

    // Whether this run found the file unreadable and keeps it in memory only.
    static bool isKeptInMemory(const QString& path);
    // Called once for every file found unreadable, with its path; files found
    // before a notice is set are handed to it when it is set.
    static void setUnreadableNotice(std::function<void(const QString& path)> notice);
    // Forgets the files read and those found unreadable (tests start each case afresh).
    static void forgetUnreadableFiles();

private:
    // Applies `edit` to the file's lines and writes them when they changed.
    bool change(std::function<void(QStringList& lines)> edit) const;
    // Writes every change that waits for the file; runs under its lock.
    bool writeWaitingChanges() const;
    // Writes them now, or leaves them waiting for the lock.
    bool writeOrWait() const;

    QString path_;
    QString key_; // the absolute path: one state for each file
    ProfileEncoding encoding_;
    ProfileFile kind_;
};

} // namespace tess
