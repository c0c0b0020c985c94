#pragma once
// The folders the game makes for itself, and the one way it removes files.
// A folder is the game's own only when it is a real folder of this user: where
// a symbolic link, a file or another user's folder stands, the game leaves it
// alone. In its own folder it removes only regular files whose names it gave
// them, looked at and removed through the folder's open handle: a link is
// never followed, and a folder swapped for a link meanwhile is not the one
// cleaned.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>

namespace tess {

// `parts` made one below the other under `base` (the player's own folder,
// taken as it is, also when it is a link), each a real folder of this user;
// new ones closed to others (mode 0700). The whole path, ending with "/", or
// an empty text when something else stands at one of the parts. With
// `make` false nothing is made, only looked at.
QString ownFolder(const QString& base, const QStringList& parts, bool make = true);

class OwnFolder {
public:
    // Opens `folder` when it is a real folder of this user (not a link).
    explicit OwnFolder(const QString& folder);
    ~OwnFolder();
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    struct File {
        QString name;
        qint64 modified = 0; // milliseconds since 1970
    };
    // When the folder itself last changed, in milliseconds since 1970.
    qint64 modified() const;

    // Names are matched whole: make `names` with QRegularExpression::anchoredPattern.
    // The regular files whose names `names` matches, newest first.
    QList<File> files(const QRegularExpression& names) const;
    // The real folders of this user inside whose names `names` matches.
    QStringList folders(const QRegularExpression& names) const;

    // Removes the file `name` when it is a regular file whose name `names`
    // matches; anything else at the name stays.
    bool remove(const QString& name, const QRegularExpression& names) const;
    // Removes from the folder `name` inside (a real folder of this user) the
    // regular files `names` matches, then the folder when that emptied it.
    // `mayGo` is asked first, with the folder open.
    bool removeFolder(const QString& name, const QRegularExpression& names,
                      const std::function<bool(const OwnFolder&)>& mayGo = {}) const;

    // Opens the file `name` inside for reading, without following a link;
    // -1 when that is not possible. The caller closes it.
    int openFile(const QString& name) const;

private:
    OwnFolder(int parent, const QString& name);
    int fd_ = -1;
};

} // namespace tess
