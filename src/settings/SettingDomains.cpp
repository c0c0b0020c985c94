#include "settings/SettingDomains.h"

#include "settings/Profile.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"
#include "util/Text.h"

namespace tess {

const SettingDomain* domainOf(const SettingKey& key)
{
    for (const SettingDomain& domain : NumberDomains)
        if (qstricmp(domain.key.section, key.section) == 0 && qstricmp(domain.key.key, key.key) == 0)
            return &domain;
    return nullptr;
}

std::optional<qint16> checkedNumber(const SettingDomain& domain, const QString& stored)
{
    qint16 value = 0;
    try {
        value = textToInt16(stored);
    } catch (const RunTimeError&) {
        return std::nullopt; // no number, or beyond 16 bits
    }
    if (!domain.holds(value))
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
