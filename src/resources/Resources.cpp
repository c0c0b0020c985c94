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

#include <mutex>

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

QImage loadArt(const QString& name)
{
    // PNG art is carried raw (RawPicture.h); the rest is decoded as it stands.
    QFile raw(QStringLiteral(":/carried/raw/") + name + QStringLiteral(".raw"));
    if (raw.open(QIODevice::ReadOnly)) {
        QImage picture = decodeRawPicture(raw.readAll());
        if (picture.isNull())
            raiseError(ErrInvalidPicture, QStringLiteral("art ") + name);
        return picture;
    }
    QFile item(QStringLiteral(":/carried/art/") + name);
    if (!item.open(QIODevice::ReadOnly))
        raiseError(ErrResourceNotFound, QStringLiteral("art ") + name);
    return decodePicture(item.readAll(), name);
}

QString gameTempFolder()
{
    QString folder;
    trapped("Allgemein", "GetTempDir", [&](Steps& step) {
        step([&] { folder = cutAtNul(privateTempFolder()); });
    });
    return folder;
}

QString cutAtNul(const QString& text)
{
    QString result;
    trapped("Allgemein", "TrimNull", [&](Steps& step) {
        step([&] {
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
        step([&] { bytes = carriedData(number, type); });
        // An item that could not be loaded (and was ignored) must not empty the file.
        step([&] {
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
