#pragma once
// The items the program carries (language table, songs, sound effects,
// pictures, icon), found by type and number, and the temporary folder.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace tess {

// Whether the item (type, number) is carried; type names ignore case.
bool hasCarriedItem(int number, const QString& type);
// The bytes of an item; raises 326 when the program does not carry it.
QByteArray carriedData(int number, const QString& type);
// A carried bitmap (201 to 205) as a picture; 326 when missing, 481 when unreadable.
QImage carriedPicture(int number);

// A picture of the window art (resources/art), by file name ("logo.png");
// 326 when the program does not carry it.
QImage loadArt(const QString& name);

// Window art read ahead on a thread of its own while the start builds the
// application, for the loadArt calls to come. promiseArt names it, in the
// order it will be asked for, on the window thread; readPromisedArt then
// reads it on another. loadArt takes a promised picture once (its error is
// raised there), waits for the one being read, and reads the rest itself.
void promiseArt(const QStringList& names);
// `reading`, when given, is told each name as its reading begins.
void readPromisedArt(const std::function<void(const QString&)>& reading = {});
// Drops the promised art not taken yet; what is still read is then let go.
void forgetPromisedArt();
// The promised art not taken yet, in the order promised.
QStringList promisedArtLeft();

// The user's temporary folder, ending with "/": a folder of this user only.
QString gameTempFolder();
// The text up to its first NUL character; the whole text when it holds none.
QString cutAtNul(const QString& text);
// Writes the item's bytes to `path`, replacing the file whole (a link there is
// replaced, not followed). A write that fails leaves the file unchanged and is
// not raised: the caller goes on without the file, and tells the player where
// that matters. True when the file now holds the item.
bool writeCarriedItem(int number, const QString& type, const QString& path);

// The temporary folder of this copy of the game, inside gameTempFolder()
// (util/PrivateFiles.h, copyFolder): two copies running at once each write
// and remove their own files; folders left by copies that no longer run are
// removed when it is made.
QString processTempFolder();
// The full paths of the two temporary files, in processTempFolder().
QString langFilePath();  // "~tmp.lng"
QString midiFilePath();  // "~tmp.mid"

} // namespace tess
