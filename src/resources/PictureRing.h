#pragma once
// The ring the picture choice steps through: the five built-in pictures
// (BuiltIn, Picture 101 to 105), then every picture file of the program's
// picture folder and then of the player's own (File, pictureFileIndex 0 ...),
// and from the last file back to 101. With no files the ring is the five
// built-ins.

#include "settings/OptionChoices.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tess {

// The picture files of a folder: *.bmp, *.jpg, *.jpeg, *.gif and *.png,
// extensions in any case, sorted by name without regard to case. Raises 76
// (Path not found) when the folder does not exist.
QStringList pictureFiles(const QString& folder);

// The names of the ring's files: the program's picture folder, then the
// player's (each sorted as above; a missing folder has none). A name in both
// is the player's: it is listed once, with the player's files, and
// pictureFilePath finds the player's file. So every entry of the ring can be
// chosen and comes back after a restart; and a later version of the game
// that carries a picture of the same name does not take the player's place.
QStringList pictureFileNames();

// Where the picture file of that name is: the player's folder when it holds
// one, else the program's picture folder.
QString pictureFilePath(const QString& fileName);

// A name for a picture added to the player's folder: its own name, or with
// " (2)", " (3)" ... before the extension where either folder has that name;
// always one the settings file gives back exactly (no blanks at its ends, no
// control characters, at most 160 bytes), not hidden, never empty.
QString freePictureName(const QString& fileName);

// The built-in pictures' numbers (bitmaps 201 to 205).
inline constexpr int FirstBuiltInPicture = 101;
inline constexpr int LastBuiltInPicture = 105;

struct RingPosition {
    PictureSource pictureSource = PictureSource::BuiltIn; // File: any file of the ring
    int pictureNumber = 101;
    qsizetype pictureFileIndex = 0; // any number of files
};

// One step forward or back in a ring with `files` picture files. Leaving the
// files for the built-ins keeps the index on the last file visited, so that
// OK can remember it. A position the ring does not hold (a Picture outside
// 101 to 105, an index beyond the files) steps to the ring's first picture.
RingPosition nextInRing(RingPosition at, qsizetype files);
RingPosition previousInRing(RingPosition at, qsizetype files);

} // namespace tess
