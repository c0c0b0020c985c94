#include "settings/SettingsStore.h"

#include "settings/OptionChoices.h"
#include "settings/Profile.h"
#include "settings/SettingDomains.h"
#include "util/Dialogs.h"
#include "util/FileWrite.h"
#include "util/LockedWrites.h"
#include "util/ProcedureGate.h"
#include "util/Trap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <utility>

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

// The texts of the messages below, by their numbers in the language table
// (the settings sit beneath the language, whose TextNumbers.h names the others).
constexpr qint16 ResetSettingsText = 179;   // "These settings held values the game does not know..."
constexpr qint16 UnreadableFileText = 194;  // "This file is there but cannot be read..."
constexpr qint16 FileKeptAsItWasText = 177; // "This file could not be written; it stays as it was:"
constexpr qint16 FileNotWrittenText = 234;  // "This file or folder could not be written:"

// The language table, handed in by the tell functions below: the settings
// sit beneath the language, which reads them.
MessageTexts& messageTexts()
{
    static MessageTexts texts;
    return texts;
}

// Text `text` and `detail` below it, in a plain message box, under the trap.
void inform(const char* procedure, qint16 text, const QString& detail)
{
    ProcedureGate::instance().run([&] {
        trapped("Allgemein", procedure, [&](Steps& step) {
            step(50010, [&] {
                const QString intro = messageTexts() ? messageTexts()(text) : QString(); // none handed in: the detail alone
                dialogs().inform(intro + QStringLiteral("\n\n") + detail, QStringLiteral("Tessaron"));
            });
        });
    }, false);
}

// Found in the middle of a step: the message waits until that step is done.
void tellLater(const char* procedure, qint16 text, const QString& path)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [procedure, text, path] { inform(procedure, text, path); });
}

// The keys reset in this run: those the player has heard of, and those not yet.
struct Resets {
    QStringList told;
    QStringList untold;
    bool telling = false;
    bool scheduled = false;
};

Resets& resets()
{
    static Resets keys;
    return keys;
}

void tellResets()
{
    resets().scheduled = false;
    if (resets().untold.isEmpty())
        return;
    const QStringList names = std::exchange(resets().untold, {});
    resets().told << names;
    inform("tellOfResetSettings", ResetSettingsText, names.join(u'\n'));
}

void scheduleTellingResets()
{
    if (!resets().telling || resets().scheduled || resets().untold.isEmpty() || !QCoreApplication::instance())
        return;
    // Found in the middle of a read: the message waits until that step is done.
    resets().scheduled = true;
    QTimer::singleShot(0, QCoreApplication::instance(), &tellResets);
}

void noteReset(const SettingKey& key)
{
    const QString name = QString::fromLatin1(key.key);
    if (resets().told.contains(name, Qt::CaseInsensitive) || resets().untold.contains(name, Qt::CaseInsensitive))
        return;
    resets().untold << name;
    scheduleTellingResets();
}

} // namespace

QString settingsFilePath(const QString& appName)
{
    return configFolder() + u'/' + appName + u'/' + appName + QStringLiteral(".ini");
}

QString readAppSetting(const QString& appName, const QString& section, const QString& key, const QString& fallback)
{
    return store(appName).read(section, key, fallback);
}

void saveAppSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
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
    return readAppSetting(ours(), QString::fromLatin1(key.section), QString::fromLatin1(key.key), fallback);
}

qint16 readIntegerSetting(const SettingKey& key, qint16 fallback)
{
    const std::optional<QString> stored = store(ours()).find(QString::fromLatin1(key.section), QString::fromLatin1(key.key));
    if (!stored)
        return fallback;
    const SettingDomain anyNumber = [](qint16) { return true; };
    if (const std::optional<qint16> value = checkedNumber(key.holds ? key.holds : anyNumber, *stored))
        return *value;
    // Written back, so that the player hears of it once and not at every start.
    saveIntegerSetting(key, fallback);
    noteReset(key);
    return fallback;
}

qint16 readIntegerSetting(const SettingKey& key)
{
    // Every numeric key's default lies in its domain (a test checks it).
    return readIntegerSetting(key, QString::fromLatin1(key.fallback).toShort());
}

void saveSetting(const SettingKey& key, const QString& value)
{
    saveAppSetting(ours(), QString::fromLatin1(key.section), QString::fromLatin1(key.key), value);
}

void finishWaitingSettings()
{
    // Also the champions list and the error log: every file of the game that waits.
    for (const QString& path : finishWaitingWrites()) {
        if (markWriteFailureTold(path))
            inform("tellOfUnwritableFiles", unwrittenFileText(path), path);
    }
}

void setMessageTexts(MessageTexts texts)
{
    messageTexts() = std::move(texts);
}

void tellOfUnreadableFiles()
{
    Profile::setUnreadableNotice([](const QString& path) { tellLater("tellOfUnreadableFiles", UnreadableFileText, path); });
}

void tellOfUnwritableFiles()
{
    setWriteFailureNotice([](const QString& path) { tellLater("tellOfUnwritableFiles", unwrittenFileText(path), path); });
}

qint16 unwrittenFileText(const QString& path)
{
    // A failed write leaves the file as it found it: there, or not there.
    return QFileInfo(path).isFile() ? FileKeptAsItWasText : FileNotWrittenText;
}

void tellOfResetSettings()
{
    resets().telling = true;
    scheduleTellingResets();
}

QStringList untoldResetSettings()
{
    return resets().untold;
}

void forgetResetSettings()
{
    resets() = Resets{};
}

void saveIntegerSetting(const SettingKey& key, qint32 value)
{
    saveSetting(key, QString::number(value));
}

bool readOnOffSetting(const SettingKey& key)
{
    return readIntegerSetting(key) == 1;
}

void saveOnOffSetting(const SettingKey& key, bool on)
{
    saveIntegerSetting(key, onOffNumber(on));
}

void readAddedOnOffOptions(SharedState& state)
{
    for (const SettingKey& key : AllSettingKeys)
        if (key.option && key.loadRead == LoadRead::WithAddedOptions)
            state.*key.option = readOnOffSetting(key);
}

} // namespace tess
