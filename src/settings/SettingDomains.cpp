#include "settings/SettingDomains.h"

#include "settings/Profile.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Text.h"

namespace tess {

std::optional<qint16> checkedNumber(SettingDomain holds, const QString& stored)
{
    qint16 value = 0;
    try {
        value = textToInt16(stored);
    } catch (const RunTimeError&) {
        return std::nullopt; // no number, or beyond 16 bits
    }
    if (!holds(value))
        return std::nullopt;
    return value;
}

bool settingCanHold(const QString& value)
{
    if (value.size() > Profile::MaxValueLength || value != trimBlanks(value) || !value.isValidUtf16())
        return false;
    // Line breaks end the value; other control characters have no business in a name either.
    for (const QChar c : value)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

} // namespace tess
