#include "FuzzSupport.h"

#include "util/Paths.h"
#include "util/ProgramEnd.h"
#include "util/RunTimeError.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace tess::fuzz {

namespace {

// Every error is answered "leave the procedure", the safe choice, without a dialog.
class QuietReporter : public ErrorReporter {
public:
    ErrorAnswer handleError(const QString&, const QString&) override { return ErrorAnswer::Leave; }
};

class QuietDialogs : public Dialogs {
public:
    void inform(const QString&, const QString&) override {}
    bool askYesNo(const QString&, const QString&, Answer) override { return false; }
    bool inputText(const QString&, const QString&, QString& text, int) override
    {
        text.clear();
        return false;
    }
    QStringList chooseFiles(const QString&, const QString&, const QStringList&) override { return {}; }
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tessaron-fuzz-XXXXXX"));
    return dir;
}

} // namespace

void setUp(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    static QApplication app(*argc, *argv);
    static QuietReporter reporter;
    static QuietDialogs dialogs;
    setErrorReporter(&reporter);
    setDialogs(&dialogs);
    setProgramEnder([] {}); // nothing ends the fuzzer but the fuzzer
    const QString root = scratch().path();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        const QString folder = root + u'/' + QString::fromLatin1(name);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(name, folder.toLocal8Bit());
    }
    QDir().mkpath(root + QStringLiteral("/program/pics"));
    setProgramFolder(root + QStringLiteral("/program"));
}

QString writeScratch(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = scratch().path() + u'/' + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

} // namespace tess::fuzz
