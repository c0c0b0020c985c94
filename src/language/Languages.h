#pragma once
// The languages the game speaks, in the order their flags stand. The flags of
// the game window and the about box, their names for screen readers, the
// manuals and the first start's language all read this one table.
// tools/make_language_table.py lists the same codes and bases in LANGS, and
// the carried language table must hold exactly these bases (a test checks it).

#include "settings/SettingDomains.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <array>

namespace tess {

struct LanguageInfo {
    const char* code;           // the manual: :/carried/help/<code>.html
    qint16 base;                // the thousands of its text keys, the value of `Sprache`
    qint16 digit;               // base / 1000: what a flag passes when clicked
    const char* flagArt;        // resources/art/<flagArt>.png and <flagArt>@2x.png
    const char16_t* nativeName; // the flag's name for screen readers, in its own language
    QLocale::Language locale;   // the desktop language that picks it at the first start
};

inline constexpr std::array<LanguageInfo, 5> Languages{{
    {"de", 0, 0, "flag_0", u"Deutsch", QLocale::German},
    {"en", 1000, 1, "flag_1", u"English", QLocale::English},
    {"es", 2000, 2, "flag_2", u"Espa\u00f1ol", QLocale::Spanish},
    {"it", 3000, 3, "flag_3", u"Italiano", QLocale::Italian},
    {"fr", 6000, 6, "flag_6", u"Fran\u00e7ais", QLocale::French},
}};

// The settings accept exactly these bases for `Sprache`.
constexpr bool sameBasesAsTheSettings()
{
    if (Languages.size() != LanguageBases.size())
        return false;
    for (std::size_t i = 0; i < Languages.size(); ++i)
        if (Languages[i].base != LanguageBases[i])
            return false;
    return true;
}
static_assert(sameBasesAsTheSettings(), "LanguageBases in settings/SettingDomains.h must list the same bases");

// The entry of a language base or a flag's digit; nullptr for one the game lacks.
constexpr const LanguageInfo* byBase(int base)
{
    for (const LanguageInfo& language : Languages)
        if (language.base == base)
            return &language;
    return nullptr;
}

constexpr const LanguageInfo* byDigit(int digit)
{
    for (const LanguageInfo& language : Languages)
        if (language.digit == digit)
            return &language;
    return nullptr;
}

// English: the language for a desktop, or a stored base, the game does not speak.
inline constexpr const LanguageInfo& FallbackLanguage = Languages[1];

// The entry of the desktop's language, by language alone (an Austrian, a
// Mexican or a Swiss-French desktop counts too); English for any other.
const LanguageInfo& forLocale(const QLocale& locale);

// The flag's name as Qt text.
QString nativeName(const LanguageInfo& language);

} // namespace tess
