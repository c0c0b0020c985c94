#include "settings/SettingsStore.h"

#include "errors/Trap.h"
#include "language/Language.h"
#include "settings/Profile.h"
#include "util/Dialogs.h"
#include "util/FileWrite.h"
#include "util/Numbers.h"
#include "util/ProcedureGate.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace tess {

namespace {

QString configFolder()
{
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative path.
    if (base.isEmpty() || QDir::isRelativePath(base))
        return QDir::homePath() + QStringLiteral("/.config");
    return base;
}

Profile store(const QString& appName)
{
    return Profile(settingsFilePath(appName), ProfileEncoding::Utf8, ProfileFile::Kept);
}

QString ours()
{
    return QString::fromLatin1(AppTitle);
}

} // namespace

QString settingsFilePath(const QString& appName)
{
    return configFolder() + u'/' + appName + u'/' + appName + QStringLiteral(".ini");
}

QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& fallback)
{
    return store(appName).read(section, key, fallback);
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
{
    const Profile file = store(appName);
    // A file found unreadable was already told of; it is kept in memory.
    if (!file.write(section, key, value) && !Profile::isKeptInMemory(file.path()))
        tellWriteFailed(file.path());
}

bool hasSetting(const SettingKey& key)
{
    return store(ours()).find(QString::fromLatin1(key.section), QString::fromLatin1(key.key)).has_value();
}

QString readSetting(const SettingKey& key)
{
    return readSetting(key, QString::fromLatin1(key.fallback));
}

QString readSetting(const SettingKey& key, const QString& fallback)
{
    return GetSetting(ours(), QString::fromLatin1(key.section), QString::fromLatin1(key.key), fallback);
}

qint16 readIntegerSetting(const SettingKey& key)
{
    return textToInteger(readSetting(key));
}

void saveSetting(const SettingKey& key, const QString& value)
{
    SaveSetting(ours(), QString::fromLatin1(key.section), QString::fromLatin1(key.key), value);
}

namespace {

// Found in the middle of a step: the message waits until that step is done.
void tellLater(const char* procedure, qint16 text, const QString& path)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [procedure, text, path] {
        ProcedureGate::instance().run([&] {
            trapped("Allgemein", procedure, [&](Steps& step) {
                step([&] { dialogs().inform(langText(text) + QStringLiteral("\n\n") + path, QStringLiteral("Tessaron")); });
            });
        }, false);
    });
}

} // namespace

void tellOfUnreadableFiles()
{
    Profile::setUnreadableNotice([](const QString& path) { tellLater("tellOfUnreadableFiles", 194, path); });
}

void tellOfUnwritableFiles()
{
    setWriteFailureNotice([](const QString& path) { tellLater("tellOfUnwritableFiles", 177, path); });
}

void saveIntegerSetting(const SettingKey& key, qint32 value)
{
    saveSetting(key, QString::number(value));
}

} // namespace tess
