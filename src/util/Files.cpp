#include "util/Files.h"

#include "errors/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

namespace tess {

int fileErrorNumber(const QFileDevice& file, const QString& path)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return ErrPathNotFound;
    if (file.error() == QFileDevice::PermissionsError)
        return ErrPermissionDenied;
    if (file.error() == QFileDevice::ResourceError || file.error() == QFileDevice::WriteError) {
        const QStorageInfo storage(info.absolutePath());
        if (storage.isValid() && storage.bytesAvailable() == 0)
            return ErrDiskFull;
    }
    if (info.exists() && !info.isWritable())
        return ErrPermissionDenied;
    return ErrPathFileAccess;
}

void writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        raiseError(fileErrorNumber(file, path), path);
    if (file.write(bytes) != bytes.size()) {
        const int number = fileErrorNumber(file, path);
        file.cancelWriting();
        raiseError(number, path);
    }
    if (!file.commit())
        raiseError(fileErrorNumber(file, path), path);
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        raiseError(ErrFileNotFound, path);
    if (!file.open(QIODevice::ReadOnly))
        raiseError(fileErrorNumber(file, path), path);
    return file.readAll();
}

} // namespace tess
