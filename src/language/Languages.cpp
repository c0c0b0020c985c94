#include "language/Languages.h"

#include "language/Language.h"

namespace tess {

namespace {

constexpr bool digitsAreBases()
{
    for (const LanguageInfo& language : Languages)
        if (language.base != language.digit * 1000)
            return false;
    return true;
}

constexpr bool basesAreUnique()
{
    for (std::size_t i = 0; i < Languages.size(); ++i)
        for (std::size_t j = i + 1; j < Languages.size(); ++j)
            if (Languages[i].base == Languages[j].base || Languages[i].locale == Languages[j].locale)
                return false;
    return true;
}

constexpr bool inTable(qint16 base)
{
    return byBase(base) != nullptr;
}

} // namespace

// A flag's digit times 1000 is the language it switches to (imgLang_Click).
static_assert(digitsAreBases());
static_assert(basesAreUnique());
// The bases the code calls by name are in the table.
static_assert(inTable(German) && inTable(English) && inTable(Spanish) && inTable(Italian) && inTable(French));
static_assert(FallbackLanguage.base == English);

const LanguageInfo& forLocale(const QLocale& locale)
{
    for (const LanguageInfo& language : Languages)
        if (language.locale == locale.language())
            return language;
    return FallbackLanguage;
}

QString nativeName(const LanguageInfo& language)
{
    return QString::fromUtf16(language.nativeName);
}

} // namespace tess
