// The carried language table and its lookup.

#include "controls/Accessibility.h"
#include "table/Layout.h"
#include "game/PuzzleTable.h"
#include "language/HelpWindow.h"
#include "language/Language.h"
#include "language/Languages.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"
#include "util/Cp1252.h"
#include "util/RunTimeError.h"

#include <QFile>
#include <QSet>

using namespace tess;

namespace {

const QList<int> TextNumbers = {111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125,
                                126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 141, 142, 143, 144, 145, 146, 147, 148,
                                149, 150, 151, 152, 153, 154, 155, 166, 171, 172, 173, 175, 176, 177, 178, 179, 180,
                                181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200, // 181 and up: the game's own messages
                                201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, // the network game dialog
                                216, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226, // the network game's messages
                                227, // network play cannot be loaded
                                228, // the network game dialog: games not listed
                                229, // the join code is being guessed
                                230, 231, 232, 233, 234, // pictures not added, and why; a new file not written
                                235,  // hosting: a game with players at other computers ends for everyone
                                236, 237}; // a network game's turn and away players
// The bases of the game's languages, in the order of their flags.
QList<int> bases()
{
    QList<int> list;
    for (const LanguageInfo& language : Languages)
        list.append(language.base);
    return list;
}

QByteArray carriedTable()
{
    return carriedData(1000, QStringLiteral("CUSTOM"));
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        shared().language = 0;
        writeLanguageTable();
    }

    void theTableIsWrittenToTheTemporaryFolder()
    {
        QCOMPARE(shared().languageTableFile, processTempFolder() + "~tmp.lng");
        QVERIFY(shared().languageTableFile.startsWith(test::rootFolder() + "/runtime/Tessaron/"));
        QFile file(shared().languageTableFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), carriedTable());
    }

    void withoutATemporaryCopyTheTextsComeFromTheProgram()
    {
        test::ScriptedReporter reporter;
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray temp = qgetenv("TMPDIR");
        // Both temporary folders name a file: nothing can be written there.
        const QString file = test::writeTempFile("not a folder", "x");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(file));
        qputenv("TMPDIR", QFile::encodeName(file));
        writeLanguageTable();
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", temp);
        QCOMPARE(shared().languageTableFile, QString());
        QCOMPARE(textForKey(1111), QStringLiteral("Points"));
        shared().language = 6000;
        QCOMPARE(langText(195), QStringLiteral("Ajouter une image..."));
        QVERIFY(reporter.reports.isEmpty());
    }

    void theFileHasItsForm()
    {
        const QByteArray bytes = carriedTable();
        QVERIFY(bytes.startsWith("[lang]\r\n"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count("\n")); // every line ends in CR LF
        QStringList lines = fromCp1252(bytes).split("\r\n");
        lines.removeLast();
        lines.removeFirst();
        QCOMPARE(lines.size(), TextNumbers.size() * bases().size() + 3);
        // ordered by number, then by language base
        int previousNumber = 0;
        int previousLanguage = -1;
        for (const QString& line : lines) {
            const int key = line.left(4).toInt();
            const int number = key % 1000;
            const int language = key - number;
            QVERIFY2(number > previousNumber || (number == previousNumber && language >= previousLanguage),
                     qPrintable(line));
            previousNumber = number;
            previousLanguage = language;
            QVERIFY2(line.endsWith(u'\t') || line.endsWith(u' '), qPrintable(line)); // the trailing characters
        }
        // German umlauts are single bytes of code page 1252.
        QVERIFY(bytes.contains("0115=Bild ausw\xe4hlen..."));
    }

    void everyTextExistsInEveryLanguage()
    {
        for (int language : bases()) {
            for (int number : TextNumbers) {
                const QString text = textForKey(qint16(language + number));
                QVERIFY2(!text.isEmpty(), qPrintable(QString::number(language + number)));
                QVERIFY2(!text.endsWith(u'\t') && !text.endsWith(u' '), qPrintable(text));
            }
            QVERIFY(textForKey(qint16(language + 127)).contains(QStringLiteral("Vodez")));
        }
    }

    void germanTextsAreExact()
    {
        const QList<QPair<int, QString>> expected = {
            {111, "Punkte"}, {115, "Bild auswählen..."}, {116, "Rückseite auswählen"},
            {122, "&Email an Marlpit..."}, {123, "&Über..."}, {124, "Wirklich schon aufhören?"},
            {125, "Glückwunsch!"}, {127, "Vodez hat gewonnen!"}, {130, "Noch 'ne Runde?"},
            {132, "nächstes Bild"}, {142, "&Teilnehmer:"}, {146, "&Geräuscheffekte"}, {149, "En&dlos"},
            {166, "Name"}, {171, "Championliste löschen..."},
            {173, "Soll die Championliste wirklich gelöscht werden?"},
            {176, "Gespeichertes Puzzle nicht gefunden!"},
        };
        for (const auto& [number, text] : expected)
            QCOMPARE(textForKey(qint16(number)), text);
    }

    void theFirstOfDuplicateKeysCounts()
    {
        QCOMPARE(textForKey(1143), QStringLiteral("&Frame"));
        QCOMPARE(textForKey(3131), QStringLiteral("La foto di prima"));
        QCOMPARE(textForKey(3132), QStringLiteral("La prossima foto"));
        QVERIFY(carriedTable().contains("1143=&Frame color"));
    }

    void trailingBlanksAreNotPartOfTheText()
    {
        QVERIFY(carriedTable().contains("1153=&Permit hints  "));
        QCOMPARE(textForKey(1153), QStringLiteral("&Permit hints"));
    }

    void missingKeysAndFilesGiveTheEmptyText()
    {
        for (int language : bases())
            QCOMPARE(textForKey(qint16(language + 138)), QString());
        shared().languageTableFile = test::tempFolder() + "/missing.lng";
        QCOMPARE(textForKey(111), QString());
    }

    void keysHaveFourDigits()
    {
        QCOMPARE(langKeyText(111), QStringLiteral("0111"));
        QCOMPARE(langKeyText(6111), QStringLiteral("6111"));
        QCOMPARE(langKeyText(5), QStringLiteral("0005"));
        shared().language = 6000;
        QCOMPARE(langText(111), QStringLiteral("Points"));
        QCOMPARE(langText(119), QStringLiteral("Options"));
        shared().language = 0;
        QCOMPARE(langText(119), QStringLiteral("Optionen"));
        shared().language = 2000;
        QCOMPARE(langText(128), QStringLiteral("¡Empate!"));
    }

    void aKeySumBeyondSixteenBitsIsAnOverflow()
    {
        shared().language = 32700;
        bool overflow = false;
        try {
            langText(111);
        } catch (const RunTimeError& error) {
            overflow = error.number() == ErrOverflow;
        }
        shared().language = 0;
        QVERIFY(overflow);
    }

    void theFirstStartLanguageFollowsTheLocale()
    {
        // de*, en*, es*, it*, fr*, whatever the country; anything else English.
        const QList<QPair<QString, qint16>> locales = {{"de_DE", 0},    {"de_AT", 0},    {"de_CH", 0},    {"en_GB", 1000},
                                                       {"en_US", 1000}, {"es_ES", 2000}, {"es_MX", 2000}, {"it_IT", 3000},
                                                       {"it_CH", 3000}, {"fr_FR", 6000}, {"fr_CA", 6000}, {"fr_BE", 6000},
                                                       {"pl_PL", 1000}, {"ja_JP", 1000}, {"C", 1000}};
        for (const auto& [name, language] : locales)
            QVERIFY2(languageForLocale(QLocale(name)) == language, qPrintable(name));
        QCOMPARE(startLanguage(QLocale(QStringLiteral("it_IT"))), qint16(3000));
    }

    void theCarriedTableHoldsExactlyTheLanguagesOfTheTable()
    {
        // tools/make_language_table.py keeps its own list; the file it wrote
        // must have the bases of Languages, no more and no fewer.
        QStringList lines = fromCp1252(carriedTable()).split("\r\n");
        lines.removeLast();
        lines.removeFirst();
        QSet<int> inFile;
        QHash<int, QSet<int>> basesOfNumber;
        for (const QString& line : lines) {
            bool isNumber = false;
            const int key = line.section(u'=', 0, 0).toInt(&isNumber);
            QVERIFY2(isNumber, qPrintable(line));
            inFile.insert(key - key % 1000);
            basesOfNumber[key % 1000].insert(key - key % 1000);
        }
        const QList<int> table = bases();
        QCOMPARE(inFile, QSet<int>(table.begin(), table.end()));
        for (auto it = basesOfNumber.cbegin(); it != basesOfNumber.cend(); ++it)
            QVERIFY2(it.value() == inFile, qPrintable(QString::number(it.key())));
    }

    void theFlagsStandInTheirOrder()
    {
        QStringList codes;
        for (const LanguageInfo& language : Languages)
            codes.append(QString::fromLatin1(language.code));
        QCOMPARE(codes, QStringList({"de", "en", "es", "it", "fr"}));
        QCOMPARE(bases(), QList<int>({0, 1000, 2000, 3000, 6000}));
        QCOMPARE(FallbackLanguage.base, qint16(English));
    }

    void eachLanguageHasItsManualAndFlagArt()
    {
        for (const LanguageInfo& language : Languages) {
            const QString code = QString::fromLatin1(language.code);
            const QString manual = HelpWindow::manualFor(language.base);
            QCOMPARE(manual, QStringLiteral(":/carried/help/%1.html").arg(code));
            QFile file(manual);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(manual));
            QVERIFY2(file.readAll().contains("<title>"), qPrintable(manual));
            const QString flag = QString::fromLatin1(language.flagArt);
            QCOMPARE(flag, QStringLiteral("flag_%1").arg(language.digit));
            QCOMPARE(loadArt(flag + ".png").size(), QSize(32, 20));
            QCOMPARE(loadArt(flag + "@2x.png").size(), QSize(64, 40));
        }
        // A base the game does not speak gets the English manual.
        QCOMPARE(HelpWindow::manualFor(4000), QStringLiteral(":/carried/help/en.html"));
        QCOMPARE(HelpWindow::manualFor(-1000), QStringLiteral(":/carried/help/en.html"));
    }

    void theFlagsAreNamedInTheirOwnLanguage()
    {
        const int count = int(Languages.size());
        QCOMPARE(flagLanguageName(0), QStringLiteral("Deutsch"));
        QCOMPARE(flagLanguageName(2), QStringLiteral("Espa\u00f1ol"));
        QCOMPARE(flagLanguageName(4), QStringLiteral("Fran\u00e7ais"));
        QCOMPARE(flagLanguageName(count), QString());
        QCOMPARE(flagLanguageName(-1), QString());
    }

    void laterStartsUseTheStoredLanguage()
    {
        saveAppSetting("Tessaron", "Optionen", "Sprache", " 3000");
        QCOMPARE(startLanguage(QLocale(QLocale::German, QLocale::Germany)), qint16(3000));
        saveSetting(keys::language, QStringLiteral("0"));
        QCOMPARE(startLanguage(QLocale(QLocale::English, QLocale::UnitedStates)), qint16(0));
        // A language the game does not speak is the desktop's, as at a first start, and is stored so.
        for (const char* stored : {"32767", "-32768", "4000", "x", "1e9"}) {
            saveSetting(keys::language, QString::fromLatin1(stored));
            QCOMPARE(startLanguage(QLocale(QLocale::Italian, QLocale::Switzerland)), qint16(3000));
            QCOMPARE(readSetting(keys::language), QStringLiteral("3000"));
        }
        QCOMPARE(untoldResetSettings(), QStringList{"Sprache"});
    }
};

TESSARON_TEST_MAIN(TestLanguage)
#include "test_language.moc"
