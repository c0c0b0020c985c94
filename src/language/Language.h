#pragma once
// The language table: every text the game shows, in each of its languages, looked up
// by a four-digit key `Sprache` + text number in the file languageTableFile.

#include <QLocale>
#include <QString>
#include <QtGlobal>

namespace tess {

// Names for the language bases the code refers to; the full list of the
// game's languages is the table in language/Languages.h.
enum LanguageBase : qint16 { German = 0, English = 1000, Spanish = 2000, Italian = 3000, French = 6000 };

// The text under `key` in the table file shared().languageTableFile (the table the
// program carries when languageTableFile is empty); the empty text for a key the table
// lacks or when the file is missing.
QString textForKey(qint16 key);

// textForKey(language + number) for the current language; a sum beyond 16 bits
// raises 6 (Overflow) in the caller's step.
QString langText(qint16 number);

// Reads the table the program carries, on a thread of its own while the start
// builds its windows, for the first text to come. A table that does not read
// is left for that text to raise, as it would have.
void readCarriedTableAhead();

// The key as it stands in the file: at least four digits ("0111", "6176").
QString langKeyText(qint16 key);

// Writes the carried table to the temporary folder and points languageTableFile at it;
// where it cannot be written, languageTableFile is empty and the texts come from the
// program itself.
void writeLanguageTable();

// The language of a first start: the desktop's language where the game speaks
// it (any in language/Languages.h), English for any other.
qint16 languageForLocale(const QLocale& locale);

// The language at start-up: the stored `Sprache`, or on the very first start
// the one the locale gives; so does a stored value that is no language of
// the game (it is reset, SettingsStore.h).
qint16 startLanguage(const QLocale& locale = QLocale::system());

} // namespace tess
