#include "support/TestEnvironment.h"

#include "settings/Profile.h"
#include "settings/SettingsStore.h"
#include "util/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace tess::test {

namespace {

QTemporaryDir& root()
{
    // Made under the real temporary folder before TMPDIR is redirected.
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tessaron-test-XXXXXX"));
    return dir;
}

void setVariable(const char* name, const QString& folder)
{
    QDir().mkpath(folder);
    qputenv(name, folder.toLocal8Bit());
}

void emptyFolder(const QString& folder)
{
    QDir dir(folder);
    dir.removeRecursively();
    QDir().mkpath(folder);
}

} // namespace

QString rootFolder() { return root().path(); }
QString homeFolder() { return rootFolder() + QStringLiteral("/home"); }
QString configFolder() { return rootFolder() + QStringLiteral("/config"); }
QString dataFolder() { return rootFolder() + QStringLiteral("/data"); }
QString tempFolder() { return rootFolder() + QStringLiteral("/tmp"); }
QString programFolder() { return rootFolder() + QStringLiteral("/program"); }

void isolateEnvironment()
{
    if (!root().isValid())
        std::abort();
    setVariable("HOME", homeFolder());
    setVariable("XDG_CONFIG_HOME", configFolder());
    setVariable("XDG_DATA_HOME", dataFolder());
    setVariable("XDG_CACHE_HOME", rootFolder() + QStringLiteral("/cache"));
    setVariable("TMPDIR", tempFolder());
    setVariable("XDG_RUNTIME_DIR", rootFolder() + QStringLiteral("/runtime"));
    QFile::setPermissions(rootFolder() + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(programFolder());
    tess::setProgramFolder(programFolder());
}

void clearFolders()
{
    for (const QString& folder : {configFolder(), dataFolder(), tempFolder(), programFolder(), rootFolder() + QStringLiteral("/cache")})
        emptyFolder(folder);
    tess::Profile::forgetUnreadableFiles();
    tess::forgetResetSettings();
}

} // namespace tess::test

#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tess::test {

bool makeUnwritable(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFileInfo(path).isWritable())
        return true;
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path});
    return !QFileInfo(path).isWritable();
}

QString writeTempFile(const QString& name, const QByteArray& bytes)
{
    const QString path = tempFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

NoFileHandlesLeft::NoFileHandlesLeft()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    soft_ = limit.rlim_cur;
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (lowestFree >= 0)
        ::close(lowestFree);
    limit.rlim_cur = rlim_t(lowestFree < 0 ? 0 : lowestFree);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

NoFileHandlesLeft::~NoFileHandlesLeft()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = rlim_t(soft_);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

void makeWritable(const QString& path)
{
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace tess::test
