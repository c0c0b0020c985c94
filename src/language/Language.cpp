#include "language/Language.h"

#include "errors/Trap.h"
#include "game/SharedState.h"
#include "resources/Resources.h"
#include "settings/Profile.h"
#include "settings/SettingsStore.h"
#include "util/Numbers.h"

namespace tess {

QString langKeyText(qint16 key)
{
    return paddedNumber(key, 4);
}

QString GetLang(qint16 key)
{
    QString text;
    trapped("Allgemein", "GetLang", [&](Steps& step) {
        QString keyText;
        step([&] { keyText = langKeyText(key); });
        step([&] {
            text = Profile(shared().LangFile, ProfileEncoding::Cp1252).read(QStringLiteral("Lang"), keyText);
        });
    });
    return text;
}

QString langText(qint16 number)
{
    return GetLang(addInteger(shared().Sprache, number));
}

void writeLanguageTable()
{
    shared().LangFile = langFilePath();
    SaveResItemToDisk(1000, QStringLiteral("CUSTOM"), shared().LangFile);
}

qint16 languageForLocale(const QLocale& locale)
{
    const bool germanGermany = locale.language() == QLocale::German && locale.territory() == QLocale::Germany;
    return germanGermany ? German : English;
}

qint16 startLanguage(const QLocale& locale)
{
    if (!hasSetting(keys::Sprache))
        return languageForLocale(locale);
    return readIntegerSetting(keys::Sprache);
}

} // namespace tess
