#include "resources/Resources.h"

#include "resources/Pictures.h"
#include "resources/RawPicture.h"

#include "util/FileWrite.h"
#include "util/Paths.h"
#include "util/PrivateFiles.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QResource>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>

namespace tess {

namespace {

// Carried items stand at :/carried/<type>/<number>.<ext>. A picture may be
// read on a thread of its own (decodeCarriedAhead) while the window thread
// reads another item.
QString itemPath(int number, const QString& type)
{
    static QHash<QString, QString> found;
    static std::mutex foundGuard;
    const std::lock_guard<std::mutex> lock(foundGuard);
    const QString folder = QStringLiteral(":/carried/") + type.toLower();
    const QString id = folder + u'/' + QString::number(number);
    const auto cached = found.constFind(id);
    if (cached != found.constEnd())
        return *cached;
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.section(u'.', 0, 0) == QString::number(number)) {
            found.insert(id, folder + u'/' + entry);
            return folder + u'/' + entry;
        }
    }
    return {};
}

} // namespace

bool hasCarriedItem(int number, const QString& type)
{
    return !itemPath(number, type).isEmpty();
}

QByteArray carriedData(int number, const QString& type)
{
    const QString path = itemPath(number, type);
    QFile item(path);
    if (path.isEmpty() || !item.open(QIODevice::ReadOnly))
        raiseError(ErrResourceNotFound, type + u' ' + QString::number(number));
    return item.readAll();
}

QImage carriedPicture(int number)
{
    return decodePicture(carriedData(number, QStringLiteral("bitmap")), QStringLiteral("bitmap ") + QString::number(number));
}

namespace {

QImage readArt(const QString& name);

struct PromisedPicture {
    bool read = false;
    QImage picture;
    std::exception_ptr error;
};

struct PromisedArt {
    std::mutex guard;
    std::condition_variable readOne;
    QStringList promised; // in order; the reader takes them from the front
    QStringList unread;
    QHash<QString, PromisedPicture> pictures;
};

PromisedArt& promisedArt()
{
    static PromisedArt art;
    return art;
}

PromisedPicture readNow(const QString& name)
{
    PromisedPicture result;
    try {
        result.picture = readArt(name);
    } catch (...) {
        result.error = std::current_exception();
    }
    result.read = true;
    return result;
}

// The promised picture, if `name` was promised and not taken yet.
std::optional<PromisedPicture> takePromised(const QString& name)
{
    PromisedArt& art = promisedArt();
    std::unique_lock lock(art.guard);
    if (!art.pictures.contains(name))
        return std::nullopt;
    art.promised.removeOne(name);
    if (art.unread.removeOne(name)) {
        // Not begun by the reader: read here rather than wait for it.
        art.pictures.remove(name);
        lock.unlock();
        return readNow(name);
    }
    art.readOne.wait(lock, [&] { return !art.pictures.contains(name) || art.pictures.value(name).read; });
    return art.pictures.take(name); // empty if forgotten meanwhile
}

} // namespace

void promiseArt(const QStringList& names)
{
    PromisedArt& art = promisedArt();
    const std::lock_guard lock(art.guard);
    for (const QString& name : names) {
        if (art.pictures.contains(name))
            continue;
        art.pictures.insert(name, {});
        art.promised.append(name);
        art.unread.append(name);
    }
}

void readPromisedArt(const std::function<void(const QString&)>& reading)
{
    PromisedArt& art = promisedArt();
    for (;;) {
        QString name;
        {
            const std::lock_guard lock(art.guard);
            if (art.unread.isEmpty())
                return;
            name = art.unread.takeFirst();
        }
        if (reading)
            reading(name);
        PromisedPicture picture = readNow(name);
        const std::lock_guard lock(art.guard);
        const auto waiting = art.pictures.find(name);
        if (waiting != art.pictures.end())
            *waiting = std::move(picture);
        art.readOne.notify_all();
    }
}

void forgetPromisedArt()
{
    PromisedArt& art = promisedArt();
    const std::lock_guard lock(art.guard);
    art.pictures.clear();
    art.promised.clear();
    art.unread.clear();
    art.readOne.notify_all();
}

QStringList promisedArtLeft()
{
    PromisedArt& art = promisedArt();
    const std::lock_guard lock(art.guard);
    return art.promised;
}

QImage loadArt(const QString& name)
{
    if (std::optional<PromisedPicture> promised = takePromised(name)) {
        if (promised->error)
            std::rethrow_exception(promised->error);
        if (promised->read)
            return promised->picture;
    }
    return readArt(name);
}

namespace {

QImage readArt(const QString& name)
{
    // PNG art is carried raw (RawPicture.h); the rest is decoded as it stands.
    // Unpacked once, straight from the resource: a file's read would copy it again.
    const QResource raw(QStringLiteral(":/carried/raw/") + name + QStringLiteral(".raw"));
    if (raw.isValid()) {
        QImage picture = decodeRawPicture(raw.uncompressedData());
        if (picture.isNull())
            raiseError(ErrInvalidPicture, QStringLiteral("art ") + name);
        return picture;
    }
    QFile item(QStringLiteral(":/carried/art/") + name);
    if (!item.open(QIODevice::ReadOnly))
        raiseError(ErrResourceNotFound, QStringLiteral("art ") + name);
    return decodePicture(item.readAll(), name);
}

} // namespace

QString gameTempFolder()
{
    QString folder;
    trapped("Allgemein", "GetTempDir", [&](Steps& step) {
        step(50010, [&] { folder = cutAtNul(privateTempFolder()); });
    });
    return folder;
}

QString cutAtNul(const QString& text)
{
    QString result;
    trapped("Allgemein", "TrimNull", [&](Steps& step) {
        step(50010, [&] {
            const qsizetype nul = text.indexOf(QChar(u'\0'));
            result = nul < 0 ? text : text.left(nul);
        });
    });
    return result;
}

bool writeCarriedItem(int number, const QString& type, const QString& path)
{
    bool written = false;
    trapped("ModResFiles", "SaveResItemToDisk", [&](Steps& step) {
        QByteArray bytes;
        step(50010, [&] { bytes = carriedData(number, type); });
        // An item that could not be loaded (and was ignored) must not empty the file.
        step(50020, [&] {
            if (bytes.isEmpty())
                return;
            written = replaceFileWhole(path, bytes) == 0;
        });
    });
    return written;
}

QString processTempFolder()
{
    return copyFolder(gameTempFolder());
}

QString langFilePath()
{
    return processTempFolder() + QStringLiteral("~tmp.lng");
}

QString midiFilePath()
{
    return processTempFolder() + QStringLiteral("~tmp.mid");
}

} // namespace tess
