#pragma once
// The lines of a profile (INI) file, as Profile reads and changes them:
// sections and keys found without case and blanks, the first of duplicates
// winning, values trimmed and cut (settings/Profile.h).

#include "settings/Profile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tess {

// Name of a section header line, or nothing when the line is not one.
std::optional<QString> sectionName(const QString& line);
// Key of an entry line, or nothing when the line has no "=".
std::optional<QString> keyName(const QString& line);

// Index of the header line of the first section with this name, or -1.
qsizetype findSection(const QStringList& lines, const QString& section);
// One past the last line that belongs to the section starting at `header`.
qsizetype sectionEnd(const QStringList& lines, qsizetype header);
// The line of the key in the section starting at `header`, or -1.
qsizetype findKey(const QStringList& lines, qsizetype header, const QString& key);
// Sets the key in the lines, adding section and key where they are missing.
void setKey(QStringList& lines, const QString& section, const QString& key, const QString& value);

// Every key of a section, as read() would give it, by its trimmed lower-case name.
QHash<QString, QString> sectionValues(const QStringList& lines, const QString& section);

// The values find() gives, by section and key as `folded` gives their names.
using SectionIndex = QHash<QString, QHash<QString, QString>>;
QString folded(const QString& name);
SectionIndex indexOf(const QStringList& lines);

QString decode(const QByteArray& bytes, ProfileEncoding encoding);
// The file's lines without their ends, and the end its first line uses.
void splitLines(const QString& text, QStringList& lines, QString& lineEnd);

} // namespace tess
