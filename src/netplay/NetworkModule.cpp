#include "netplay/NetworkModule.h"

#include "util/Trap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dlfcn.h>

// Defined where the network code is linked into the program (its static
// library asks the linker to keep it); the game itself leaves it null and
// loads the library instead.
extern "C" tess::NetworkSession* tessaronNetworkSession(tess::PuzzleTable* table, const char* version)
    __attribute__((weak));

namespace tess {

namespace {

QString& moduleFileOverride()
{
    static QString path;
    return path;
}

// The library stays loaded to the end of the run: the session's code is in it.
NetworkModuleEntry loadedEntry(QString& problem)
{
    static NetworkModuleEntry entry = nullptr;
    if (entry)
        return entry;
    QStringList tried;
    for (const QString& path : networkModuleCandidates()) {
        if (!QFile::exists(path)) {
            tried << path;
            continue;
        }
        void* library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* reason = dlerror();
            problem = QStringLiteral("%1 cannot be loaded: %2").arg(path, QString::fromLocal8Bit(reason ? reason : "?"));
            return nullptr;
        }
        entry = reinterpret_cast<NetworkModuleEntry>(dlsym(library, NetworkModuleEntryName));
        if (!entry)
            problem = QStringLiteral("%1 has no %2").arg(path, QLatin1String(NetworkModuleEntryName));
        return entry;
    }
    problem = QStringLiteral("%1 is in none of: %2").arg(QLatin1String(NetworkModuleFileName), tried.join(QStringLiteral(", ")));
    return nullptr;
}

} // namespace

QStringList networkModuleCandidates()
{
    if (!moduleFileOverride().isEmpty())
        return {moduleFileOverride()};
    const QDir program(QCoreApplication::applicationDirPath());
    const QString file = QLatin1String(NetworkModuleFileName);
    return {program.filePath(file),
            QDir::cleanPath(program.filePath(QStringLiteral(TESSARON_NETWORK_MODULE_FOLDER) + u'/' + file))};
}

void useNetworkModuleFile(const QString& path)
{
    moduleFileOverride() = path;
}

std::unique_ptr<NetworkSession> loadNetworkSession(PuzzleTable& table, QString* problem)
{
    std::unique_ptr<NetworkSession> session;
    QString reason;
    trapped("NetworkModule", "LoadNetworkSession", [&](Steps& step) {
        NetworkModuleEntry entry = nullptr;
        step([&] {
            if (&tessaronNetworkSession && moduleFileOverride().isEmpty())
                entry = &tessaronNetworkSession;
            else
                entry = loadedEntry(reason);
        });
        step([&] {
            if (!entry)
                return;
            session.reset(entry(&table, TESSARON_NETWORK_MODULE_VERSION));
            if (!session)
                reason = QStringLiteral("%1 is not of version %2")
                             .arg(QLatin1String(NetworkModuleFileName), QStringLiteral(TESSARON_NETWORK_MODULE_VERSION));
        });
    });
    if (problem)
        *problem = reason;
    return session;
}

} // namespace tess
