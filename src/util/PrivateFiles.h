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

// A folder of this running copy of the game inside the private folder
// `shared`: "<pid>-XXXXXX", made fresh, with a lock held on its file
// ".running" for as long as the copy runs. The same folder for the rest of
// the run (while `shared` stays the same). Folders of copies that ended are
// swept away when it is made. Ends with "/".
QString copyFolder(const QString& shared);

// Removes the folders in `shared` whose copy no longer runs: their lock can
// be taken. Whether a process id still runs is not asked: copies in other
// process namespaces (sandboxes) share the folder but not the ids. Only the
// files a copy makes there go (its lock, "~tmp.<type>" and their temporary
// files), never through a link; a folder holding anything else stays.
void sweepEndedCopies(const QString& shared);

} // namespace tess
