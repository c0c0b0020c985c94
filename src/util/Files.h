#pragma once
// File helpers that raise the classic run-time errors, and the one safe way
// to read a file that data names.

#include <QByteArray>
#include <QString>

namespace tess {

// How much of a file the game reads at most: a picture may be a large photo,
// everything else the game keeps (settings, champions, saved game, language
// table) is a few kilobytes.
inline constexpr qint64 MaxPictureFileBytes = 256LL * 1024 * 1024;
inline constexpr qint64 MaxDataFileBytes = 4LL * 1024 * 1024;

enum class FileRead {
    Ok,
    Missing,     // nothing at the path (or a folder on the way is missing)
    NotAFile,    // a folder, a FIFO, a device, a socket
    TooLarge,    // more bytes than the caller reads
    Unreadable,  // there, but it cannot be read (permissions, I/O error, no file handles left)
};

struct FileContent {
    FileRead result = FileRead::Missing;
    QByteArray bytes; // the whole file when result is Ok
};

// Reads a file only when it is a regular file of at most `maxBytes`: looked
// at before it is opened (opening a device can act on it), opened without
// blocking (a FIFO does not hang the game) and checked again on the open
// handle, so it cannot be swapped between the check and the read.
// With Links::Refused a symbolic link at the path is no regular file either
// (for the game's own folders, where nobody but the game puts a link).
enum class Links { Followed, Refused };
FileContent readRegularFile(const QString& path, qint64 maxBytes, Links links = Links::Followed);

// Whether `path` is a regular file of at most `maxBytes` that can be opened.
bool isSaneFile(const QString& path, qint64 maxBytes);

// The whole content of a regular file of at most `maxBytes`: 53 (File not
// found) when it is missing, 75 (Path/File access error) when it is no
// regular file, too large or unreadable (70 for missing permissions).
QByteArray readWholeFile(const QString& path, qint64 maxBytes = MaxDataFileBytes);

// Raises the error for a read that failed: 53 (File not found) for a missing
// file, 70 (Permission denied) for one that may not be read, 75 (Path/File
// access error) for the rest.
[[noreturn]] void raiseReadError(FileRead result, const QString& path);

} // namespace tess
