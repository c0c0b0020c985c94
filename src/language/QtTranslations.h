#pragma once
// Qt's own texts in the game's language: the standard buttons of message
// boxes and of the name box, the file chooser, the menus of text fields.
// They come from Qt's translations (qtbase_<code>.qm, else qt_<code>.qm, where
// Qt keeps them); for a language Qt has none for, the standard buttons Yes,
// No, OK and Cancel take the game's texts 133 to 136 instead.

#include <QString>
#include <QtGlobal>

namespace tess {

// Puts the translation for `language` (a base of language/Languages.h) in
// force in place of the one before. English, and a language whose file is
// missing or unreadable, need no file: no message, no error.
void followLanguageInQt(int language);

// True while one of Qt's translation files is in force.
bool qtTranslationLoaded();

// Where Qt's translations are looked for; an empty folder name restores
// Qt's own (QLibraryInfo::TranslationsPath). For tests.
void setQtTranslationsFolder(const QString& folder);

} // namespace tess
