#pragma once

#include <QString>

namespace tess {

// Removes blanks and tabs (only those) at both ends.
QString trimBlanks(const QString& text);

} // namespace tess
