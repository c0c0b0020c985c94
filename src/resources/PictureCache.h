#pragma once
// Small copies of large pictures, kept in the player's cache folder
// ($XDG_CACHE_HOME/Tessaron/pictures): a camera photo chosen as the picture
// is decoded whole once; later starts and later looks in the picture choice
// read its copy at the size shown, which takes a few milliseconds.

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace tess {

// The folder of the copies, ending with "/". The game keeps copies there only
// while it is a real folder of the player's own, and removes only its copies.
QString pictureCacheFolder();
// The names of the copies, as a regular expression: the game names no other file there.
QString pictureCopyNames();

// The copy of the picture file at `path` kept for `shownAt`, if there is one
// and the file has not changed since (same size and time).
std::optional<QImage> cachedPicture(const QString& path, const QSize& shownAt);

// Keeps `picture`, decoded from the file at `path` of `fileBytes` bytes for
// `shownAt`, when the file is large enough for it to pay. The oldest copies
// go when there are more than a few hundred.
void keepCachedPicture(const QString& path, const QSize& shownAt, qint64 fileBytes, const QImage& picture);

} // namespace tess
