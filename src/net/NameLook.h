#pragma once
// When two players' names look alike. A hostile computer could otherwise sit
// beside "Anna" as a Cyrillic "Аnna", or as "Anna" with an invisible filler,
// and the others could not tell who is who.

#include <QString>

namespace tess::net {

// What a name looks like, as one string: names that look alike have the same.
// Case, compatibility forms (full-width letters, ligatures), the form of
// accents, blanks and invisible characters do not count, and letters of
// other scripts that look like ours count as ours (Unicode's confusable
// skeleton, from ICU's spoof checker).
QString nameLook(const QString& name);

// Whether two names would pass for each other on a screen.
bool namesLookAlike(const QString& a, const QString& b);
// Whether two names are the same letters: only case, compatibility forms,
// the form of accents, blanks and invisible characters differ.
bool sameLetters(const QString& a, const QString& b);

} // namespace tess::net
