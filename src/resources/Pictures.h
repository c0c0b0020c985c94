#pragma once
// Loading pictures from BMP, JPEG and GIF files.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace tess {

// Raises 53 (File not found) for a missing file, 75 (Path/File access error)
// for one that is no regular file or larger than MaxPictureFileBytes, 481
// (Invalid picture) for one that does not decode.
//
// `shownAt`, when given, is the largest area in device pixels the picture will
// be shown stretched over: the picture comes no larger than that area needs,
// at shownFrom(its size, shownAt). A JPEG scales while it decodes, so a large
// photo is never held whole. Without it the picture comes at its own size.
// Either way it stands upright as its EXIF orientation says.
QImage loadPictureFile(const QString& path, const QSize& shownAt = {});

// Starts decoding a picture on a thread of its own, for a loadPictureFile of the
// same path and size to come: the chosen photo decodes while the windows are
// built at start, the next candidate while the player looks at this one. One
// at a time; a later call waits for the one before. The file is read when the
// thread runs, so a picture changed in between is seen as it was then.
void decodeAhead(const QString& path, const QSize& shownAt);
// The same for a picture carried in the program (carriedPicture), by its number.
void decodeCarriedAhead(int number);
// The carried picture `number`: the one decoded ahead if it is on its way, else decoded now.
QImage takeCarriedPicture(int number);
// Waits for a decode still running and forgets its picture.
void finishDecodingAhead();

// "png", "bmp", "gif" or "jpeg" by the first bytes; empty for anything else.
QByteArray pictureFormat(const QByteArray& bytes);

// Decodes picture bytes; 481 when they are not a picture, or state a size,
// or a number of scans, that no photo comes near (refused before decoding).
// `name` goes to the log; `shownAt` as for loadPictureFile.
QImage decodePicture(const QByteArray& bytes, const QString& name, const QSize& shownAt = {});

// decodePicture on a thread of its own, for a window waiting for it: the
// window thread meanwhile paints and answers the desktop, and holds back the
// player's input until the picture is decoded. Its error is raised here.
QImage decodePictureAside(const QByteArray& bytes, const QString& name, const QSize& shownAt = {});

// The size an upright picture of `picture` pixels is decoded at to be shown
// stretched over `shownAt`: its aspect ratio kept, just large enough that
// neither side has fewer pixels than the area (one side matches it, the other
// is as large or larger), and never larger than the picture itself. An empty
// `shownAt` leaves the size as it is.
QSize shownFrom(const QSize& picture, const QSize& shownAt);

// The largest board of the game on any screen there is, in device pixels: the
// area a picture of the game is shown at most. Empty without screens.
QSize largestBoardPixels();

// Whether the settings' picture name `fileName` is a plain file name: one that
// stays in the picture folder (no path separator, not "." or "..").
bool isPictureFileName(const QString& fileName);

} // namespace tess
