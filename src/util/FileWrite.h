#pragma once
// The one way the game writes a file: the whole content goes to a new file in
// the same folder, is flushed to the disk and checked, and only then takes the
// file's name (and the folder is flushed too). A full disk, a quota, an I/O
// error or a read-only disk then leaves the old file byte for byte, and a
// symbolic link planted at the name is replaced, never followed.

#include <QByteArray>
#include <QString>

#include <functional>

namespace tess {

// Replaces (or creates) the file. Returns 0 when the new content is whole on
// the disk, else the errno of the step that failed; the temporary file is gone.
// A file that may not be written (made read-only) is not replaced: EACCES. A
// new file gets the usual permissions (0666 less the umask).
int replaceFileWhole(const QString& path, const QByteArray& bytes);

// Creates the file under a name nobody has: EEXIST when the name is taken
// (also by another copy of the game at the same moment); never replaces.
int createFileWhole(const QString& path, const QByteArray& bytes);

// The run-time error for an errno of a failed write: 70 (Permission denied),
// 76 (Path not found), 61 (Disk full) or 75 (Path/File access error).
int writeErrorNumber(int error);

// replaceFileWhole that raises the run-time error of a failure.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// Removes from `folder` the temporary files of writes that a crash or a kill
// cut short (".<name>.tmp-XXXXXX", older than ten minutes) of the files whose
// whole names the regular expression `written` matches. Only in a real folder
// of this user (not a link), and only regular files.
void sweepLeftoverTemporaryFiles(const QString& folder, const QString& written);

// Tells the player, once a run for each file, that it could not be written.
// Safe from any thread: the notice runs on the main thread. Files that fail
// before a notice is set are handed to it when it is set.
void tellWriteFailed(const QString& path);
void setWriteFailureNotice(std::function<void(const QString& path)> notice);
// For a notice given at once (at the program's end, when no event loop runs):
// whether the player has not heard of the file yet; from now on he has.
bool markWriteFailureTold(const QString& path);
// Forgets the files already told of (tests start each case afresh).
void forgetWriteFailures();

} // namespace tess
