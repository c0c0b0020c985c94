#pragma once
// The per-user settings store: application name, section, key, text value.
// Application "Tessaron" lives in $XDG_CONFIG_HOME/Tessaron/Tessaron.ini
// (default ~/.config/Tessaron/Tessaron.ini). Every value is written at once,
// or, while a SettingsAction lives, with the other keys of its action; one
// whose lock another copy holds is written when the lock is free.

#include "settings/Profile.h"
#include "settings/SettingKeys.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace tess {

// The file that holds an application's settings.
QString settingsFilePath(const QString& appName = QString::fromLatin1(AppTitle));

// The stored text, or `fallback` when application, section or key is missing.
QString readAppSetting(const QString& appName, const QString& section, const QString& key, const QString& fallback);
// Creates or replaces the value, when it changes; a failed write is told to
// the player once (tellOfUnwritableFiles).
void saveAppSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

// Whether anything is stored under the key.
bool hasSetting(const SettingKey& key);

// Reads from the game's own store with the table's default.
QString readSetting(const SettingKey& key);
QString readSetting(const SettingKey& key, const QString& fallback);
// Reads a number checked against its key's domain (SettingDomains.h):
// halves to even, blanks allowed. A missing value gives `fallback`; so does
// a stored one outside the domain (no number, beyond 16 bits, out of range),
// which is written back as `fallback` and noted for the player. Never raises.
qint16 readIntegerSetting(const SettingKey& key, qint16 fallback);
// The same with the key table's default.
qint16 readIntegerSetting(const SettingKey& key);

void saveSetting(const SettingKey& key, const QString& value);

// The keys one action writes go to the file together, under one lock, when
// the last SettingsAction of this thread ends.
using SettingsAction = Profile::WriteGroup;

// At the program's end: the writes that wait for a lock another copy of the
// game holds get a last, bounded wait; the player hears of each file not
// written (once a run, as of every failed write).
void finishWaitingSettings();

// The messages below take their texts by number from the language table
// (language/Language.h: langText), looked up when they are shown; the
// settings sit below the language, so the caller hands the lookup in.
using MessageTexts = std::function<QString(int number)>;
void setMessageTexts(MessageTexts texts);

// From now on the player hears of every settings or champions file that is
// there but cannot be read, once, in a plain message naming it, when the
// event loop next runs (also of those found before).
void tellOfUnreadableFiles();
// From now on the player hears of every file the game could not write, once
// a run for each file, in a plain message naming it (util/FileWrite.h).
void tellOfUnwritableFiles();
// The text that tells of a file that could not be written: that it stays as
// it was (177) only when it was there, else that it could not be written (234).
qint16 unwrittenFileText(const QString& path);
// From now on the player hears which settings were reset to their defaults
// (those found before included): once, in a plain message listing their
// keys, when the event loop next runs; a key is named once a run.
void tellOfResetSettings();
// The keys reset in this run that the player has not heard of yet.
QStringList untoldResetSettings();
// Forgets the keys reset so far and stops telling (tests start each case afresh).
void forgetResetSettings();

// Writes plain decimal text ("0", "-1", "1000").
void saveIntegerSetting(const SettingKey& key, qint32 value);

// An on/off option, stored "1" on and "0" off: read as readIntegerSetting
// reads it, so a value outside its domain gives the key's default.
bool readOnOffSetting(const SettingKey& key);
void saveOnOffSetting(const SettingKey& key, bool on);

// Fills the shared state's on/off options that the game window's load has no
// step of its own for (LoadRead::WithAddedOptions in AllSettingKeys): every
// option added to the table since the design's, read with the last of those.
void readAddedOnOffOptions(SharedState& state);

} // namespace tess
