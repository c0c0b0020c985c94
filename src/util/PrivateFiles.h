#pragma once
// The temporary files (the language table, the current song) in a folder of
// this user only, written so that a symbolic link planted at their path is
// replaced, never followed. On a shared machine another user can then
// neither feed the game a file nor make it overwrite one of theirs.

#include <QByteArray>
#include <QString>

namespace tess {

// $XDG_RUNTIME_DIR/Tessaron/ when the runtime folder is this user's, else
// <temporary folder>/Tessaron-<uid>/, else a fresh folder made there. Created
// with mode 0700 and checked on every call: a real folder (not a link), owned
// by this user, closed to everybody else. Ends with "/".
QString privateTempFolder();

// Whether `folder` is a real folder of this user that nobody else may enter.
bool isPrivateFolder(const QString& folder);

// Replaces the file's content at once: written to a new file beside it, then
// renamed over it, which replaces a link at `path` instead of following it.
// Raises 70 (Permission denied), 76 (Path not found), 61 (Disk full) or 75.
void replaceFileNoFollow(const QString& path, const QByteArray& bytes);

} // namespace tess
