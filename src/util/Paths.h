#pragma once
// Where the program's own files live. Each returned folder ends with "/".

#include <QString>

namespace tess {

// The folder of the executable: the picture folder "pics" stands in it.
QString programFolder();

// Tests give every case its own program folder; an empty text restores the real one.
void setProgramFolder(const QString& folder);

// The folder the program reads its picture folder from: beside the program
// when it runs from its build, ../share/tessaron/ when it is installed.
QString sharedDataFolder();
// The picture folder "pics" in it, ending with "/".
QString picturesFolder();

// Where files "beside the program" are written (champions, saved game, error
// logs): the program folder when the program runs unpacked (its picture
// folder "pics" beside it) and that folder is this user's, writable by this
// user and by nobody else; otherwise, as for
// every installed program, the per-user data folder $XDG_DATA_HOME/Tessaron
// (default ~/.local/share/Tessaron).
QString writableFolder();

// The program's file name without extension ("tessaron").
QString programBaseName();

// The user's data folder for Tessaron, created on demand.
QString userDataFolder();

// The player's own picture folder, $XDG_DATA_HOME/Tessaron/pics/: pictures
// the player added (an installed game's picture folder is not theirs to
// write). Not created here: adding the first picture makes it.
QString playerPicturesFolder();

// Appends "/" unless the folder already ends with it.
QString withSeparator(const QString& folder);

} // namespace tess
