#include "language/Language.h"

#include "language/Languages.h"
#include "resources/Resources.h"
#include "settings/Profile.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "util/Numbers.h"
#include "util/Trap.h"

#include <QDateTime>
#include <QFileInfo>

namespace tess {

QString langKeyText(qint16 key)
{
    return paddedNumber(key, 4);
}

namespace {

// The table the program carries, read directly when no copy could be written.
const QHash<QString, QString>& carriedTable()
{
    static const QHash<QString, QString> texts = Profile::readSection(
        carriedData(1000, QStringLiteral("CUSTOM")), ProfileEncoding::Cp1252, QStringLiteral("Lang"));
    return texts;
}

// The table as the file now stands, read once and again only when the file changes.
const QHash<QString, QString>& tableOf(const QString& path)
{
    if (path.isEmpty())
        return carriedTable();
    static QString readPath;
    static QDateTime readModified;
    static qint64 readSize = -1;
    static QHash<QString, QString> texts;
    const QFileInfo file(path);
    const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
    const qint64 size = file.exists() ? file.size() : -1;
    if (path != readPath || modified != readModified || size != readSize) {
        texts = Profile(path, ProfileEncoding::Cp1252).readSection(QStringLiteral("Lang"));
        readPath = path;
        readModified = modified;
        readSize = size;
    }
    return texts;
}

} // namespace

void readCarriedTableAhead()
{
    try {
        carriedTable();
    } catch (...) {
        // Read again, and raised, where the first text asks for it.
    }
}

QString textForKey(qint16 key)
{
    QString text;
    trapped("Allgemein", "GetLang", [&](Steps& step) {
        QString keyText;
        step(50010, [&] { keyText = langKeyText(key); });
        step(50020, [&] { text = tableOf(shared().languageTableFile).value(keyText.toLower()); });
    });
    return text;
}

QString langText(qint16 number)
{
    return textForKey(addInt16(shared().language, number));
}

void writeLanguageTable()
{
    const QString path = langFilePath();
    // The texts never depend on a file: without the copy they come from the program.
    shared().languageTableFile = writeCarriedItem(1000, QStringLiteral("CUSTOM"), path) ? path : QString();
}

qint16 languageForLocale(const QLocale& locale)
{
    return forLocale(locale).base;
}

qint16 startLanguage(const QLocale& locale)
{
    // A first start, or a language the game does not speak: the desktop's.
    return readIntegerSetting(keys::language, languageForLocale(locale));
}

} // namespace tess
