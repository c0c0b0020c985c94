#pragma once
// The ring the picture choice steps through: the five built-in pictures
// (Album 0, Picture 101 to 105), then every picture file of the folder
// (Album 1, PicFileIndex 0 ...), and from the last file back to 101. With
// no folder, or a folder without pictures, the ring is the five built-ins.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tess {

// The picture files of a folder: *.bmp, *.jpg and *.gif, extensions in any
// case, sorted by name without regard to case. Raises 76 (Path not found)
// when the folder does not exist.
QStringList pictureFiles(const QString& folder);

struct RingPosition {
    qint16 Album = 0;
    qint16 Picture = 101;
    qint16 PicFileIndex = 0;
};

// One step forward or back in a ring with `files` picture files. Leaving the
// files for the built-ins keeps the index on the last file visited, so that
// OK can remember it.
RingPosition nextInRing(RingPosition at, qsizetype files);
RingPosition previousInRing(RingPosition at, qsizetype files);

} // namespace tess
