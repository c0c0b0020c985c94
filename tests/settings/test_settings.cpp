// The per-user settings store and its key table.

#include "language/Language.h"
#include "settings/OptionChoices.h"
#include "settings/Profile.h"
#include "settings/SettingDomains.h"
#include "settings/SettingsStore.h"
#include "support/FreshState.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "util/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <sys/stat.h>
#include <QSet>

using namespace tess;


class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    void theFileStandsInTheUsersConfigFolder()
    {
        QCOMPARE(settingsFilePath(), test::configFolder() + "/Tessaron/Tessaron.ini");
        saveIntegerSetting(keys::sizeIndex, 3);
        QVERIFY(QFile::exists(test::configFolder() + "/Tessaron/Tessaron.ini"));
    }

    void withoutXdgConfigHomeTheDotConfigFolderIsUsed()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        const QString path = settingsFilePath();
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(path, test::homeFolder() + "/.config/Tessaron/Tessaron.ini");
    }

    void aFirstStartHasEveryDefault()
    {
        QCOMPARE(readIntegerSetting(keys::language), qint16(0));
        QCOMPARE(readIntegerSetting(keys::sizeIndex), qint16(1));
        QCOMPARE(readIntegerSetting(keys::playMusic), qint16(1));
        QCOMPARE(readIntegerSetting(keys::repeatSong), qint16(0));
        QCOMPARE(readIntegerSetting(keys::playSounds), qint16(1));
        QCOMPARE(readIntegerSetting(keys::showGrid), qint16(1));
        QCOMPARE(readIntegerSetting(keys::useJokers), qint16(1));
        QCOMPARE(readIntegerSetting(keys::offerHints), qint16(1));
        QCOMPARE(readIntegerSetting(keys::showPreview), qint16(1));
        QCOMPARE(readIntegerSetting(keys::frameColour), qint16(0));
        QCOMPARE(readIntegerSetting(keys::timeLimit), qint16(1));
        QCOMPARE(readIntegerSetting(keys::autoDraw), qint16(0));
        QCOMPARE(readIntegerSetting(keys::playerCount), qint16(4));
        QCOMPARE(readIntegerSetting(keys::pictureSource), qint16(0));
        QCOMPARE(readIntegerSetting(keys::pictureNumber), qint16(101));
        QCOMPARE(readIntegerSetting(keys::backSide), qint16(9));
        QCOMPARE(readSetting(keys::pictureFile), QStringLiteral("puzzle01.jpg"));
        for (const SettingKey& name : keys::playerLabels)
            QCOMPARE(readSetting(name), QString());
        QVERIFY(!QFile::exists(settingsFilePath())); // reading writes nothing
    }

    void theKeyTableHoldsEveryKeyOnce()
    {
        QSet<QString> seen;
        for (const SettingKey& key : AllSettingKeys) {
            const QString id = QString::fromLatin1(key.section) + "/" + QString::fromLatin1(key.key).toLower();
            QVERIFY2(!seen.contains(id), qPrintable(id));
            seen.insert(id);
        }
        QCOMPARE(seen.size(), qsizetype(AllSettingKeys.size()));
        QCOMPARE(QString::fromLatin1(AllSettingKeys.front().key), QStringLiteral("Album"));
    }

    void keyNamesAreUniqueAcrossSections()
    {
        // settingKey() finds a row by its key name alone.
        QSet<QString> names;
        for (const SettingKey& key : AllSettingKeys) {
            QVERIFY2(!names.contains(QString::fromLatin1(key.key).toLower()), key.key);
            names.insert(QString::fromLatin1(key.key).toLower());
        }
    }

    void everyOnOffOptionStartsAtItsKeysDefault()
    {
        // The shared state holds an option's value before load reads it.
        const SharedState fresh;
        int options = 0;
        for (const SettingKey& key : AllSettingKeys) {
            if (!key.option)
                continue;
            ++options;
            QVERIFY2(key.holds == &domains::onOff, key.key);
            QVERIFY2(fresh.*key.option == (QByteArray(key.fallback) == "1"), key.key);
        }
        QVERIFY(options >= 8); // the design's eight, and any added since
    }

    void loadReadsOnlyTheAddedOptionsInOneGo()
    {
        // The design's options are read in steps of their own at load.
        saveOnOffSetting(keys::autoDraw, true);
        saveOnOffSetting(keys::showGrid, false);
        SharedState state;
        readAddedOnOffOptions(state);
        QCOMPARE(state.autoDraw, false);
        QCOMPARE(state.showGrid, true);
    }

    void valuesAreWrittenAtOnceAndReadBack()
    {
        saveIntegerSetting(keys::sizeIndex, 9);
        saveIntegerSetting(keys::repeatSong, -1);
        saveSetting(keys::player2Name, QStringLiteral("Großmutter Anneliese"));
        saveSetting(keys::pictureFile, QStringLiteral("puzzle03.gif"));
        QCOMPARE(readIntegerSetting(keys::sizeIndex), qint16(9));
        QCOMPARE(readIntegerSetting(keys::repeatSong), qint16(-1));
        QCOMPARE(readSetting(keys::player2Name), QStringLiteral("Großmutter Anneliese"));
        QCOMPARE(readSetting(keys::pictureFile), QStringLiteral("puzzle03.gif"));
        QFile file(settingsFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.contains("[Optionen]\nSize=9\n"));
        QVERIFY(content.contains("[Pictures]\nFile=puzzle03.gif\n"));
    }

    void musicLoopSpelledOtherwiseIsTheSameKey()
    {
        saveAppSetting("Tessaron", "Optionen", "MusicLoop", "-1");
        QCOMPARE(readIntegerSetting(keys::repeatSong), qint16(-1));
        saveIntegerSetting(keys::repeatSong, 0);
        QCOMPARE(readAppSetting("Tessaron", "optionen", "MUSICLOOP", "x"), QStringLiteral("0"));
    }

    void theOptionsKeepTheirStoredNumbers()
    {
        // The game speaks of bool and enum classes; the file keeps 1/0, -1/0 and 0/1.
        saveOnOffSetting(keys::showGrid, false);
        saveOnOffSetting(keys::autoDraw, true);
        saveIntegerSetting(keys::repeatSong, songRepeatNumber(true));
        saveIntegerSetting(keys::frameColour, frameColourNumber(FrameColour::Black));
        saveIntegerSetting(keys::pictureSource, pictureSourceNumber(PictureSource::File));
        QCOMPARE(readSetting(keys::showGrid), QStringLiteral("0"));
        QCOMPARE(readSetting(keys::autoDraw), QStringLiteral("1"));
        QCOMPARE(readSetting(keys::repeatSong), QStringLiteral("-1"));
        QCOMPARE(readSetting(keys::frameColour), QStringLiteral("1"));
        QCOMPARE(readSetting(keys::pictureSource), QStringLiteral("1"));
        QCOMPARE(readOnOffSetting(keys::showGrid), false);
        QCOMPARE(readOnOffSetting(keys::autoDraw), true);
        QCOMPARE(songRepeatOf(readIntegerSetting(keys::repeatSong)), true);
        QCOMPARE(frameColourOf(readIntegerSetting(keys::frameColour)), FrameColour::Black);
        QCOMPARE(pictureSourceOf(readIntegerSetting(keys::pictureSource)), PictureSource::File);
        saveIntegerSetting(keys::repeatSong, songRepeatNumber(false));
        saveIntegerSetting(keys::frameColour, frameColourNumber(FrameColour::Gold));
        saveIntegerSetting(keys::pictureSource, pictureSourceNumber(PictureSource::BuiltIn));
        QCOMPARE(readSetting(keys::repeatSong), QStringLiteral("0"));
        QCOMPARE(readSetting(keys::frameColour), QStringLiteral("0"));
        QCOMPARE(readSetting(keys::pictureSource), QStringLiteral("0"));
        QCOMPARE(songRepeatOf(0), false);
        QCOMPARE(frameColourOf(0), FrameColour::Gold);
        QCOMPARE(pictureSourceOf(0), PictureSource::BuiltIn);
        // An on/off value outside its domain reads as the key's default (Grid: on).
        saveAppSetting("Tessaron", "Optionen", "Grid", "2");
        QCOMPARE(readOnOffSetting(keys::showGrid), true);
        QCOMPARE(readSetting(keys::showGrid), QStringLiteral("1")); // written back
        forgetResetSettings();
    }

    void languageWrittenWithALeadingBlankReadsBack()
    {
        saveAppSetting("Tessaron", "Optionen", "Sprache", " 2000");
        QCOMPARE(readIntegerSetting(keys::language), qint16(2000));
    }

    void anEmptyNameStaysEmpty()
    {
        saveSetting(keys::player1Name, QString());
        QVERIFY(hasSetting(keys::player1Name));
        QCOMPARE(readSetting(keys::player1Name), QString());
    }

    void valuesOutsideTheirKeysDomainGiveTheDefaultAndAreToldOnce()
    {
        test::freshState();
        test::ScriptedDialogs dialogs;
        saveSetting(keys::player1Name, QStringLiteral("Anna"));
        // No number, beyond 16 bits, and out of range on either side.
        const QMap<QString, QStringList> outside = {{"Sprache", {"4000", "1"}}, {"Size", {"10", "-1"}},
                                                    {"numPlayers", {"5", "0"}},   {"Picture", {"100", "106"}},
                                                    {"Back", {"10", "-1"}},       {"Musicloop", {"1", "-2"}}};
        QStringList names;
        for (const SettingKey& key : AllSettingKeys) {
            if (!key.holds)
                continue; // a text key
            const QString name = QString::fromLatin1(key.key);
            const QString fallback = QString::fromLatin1(key.fallback);
            QVERIFY2(key.holds(qint16(fallback.toInt())), qPrintable(name));
            for (const QString& value : QStringList{"x", "", "1e9", "-32768", "32767", "1,5"} + outside.value(name, {"2", "-1"})) {
                saveSetting(key, value);
                QVERIFY2(readIntegerSetting(key) == fallback.toInt(), qPrintable(name + "=" + value));
                QVERIFY2(readSetting(key) == fallback, qPrintable(name + "=" + value)); // written back
            }
            names << name;
        }
        // The edges of the domains are kept, as stored numbers always read.
        for (const auto& [key, value] : {std::pair{keys::sizeIndex, 9}, {keys::playerCount, 1}, {keys::pictureNumber, 105},
                                         {keys::language, 6000}, {keys::repeatSong, -1}, {keys::backSide, 0}}) {
            saveSetting(key, " " + QString::number(value));
            QCOMPARE(readIntegerSetting(key), qint16(value));
        }
        QCoreApplication::processEvents();
        QVERIFY(dialogs.informed.isEmpty()); // not before the game window asks for it
        setMessageTexts(langText);
        tellOfResetSettings();
        QTRY_COMPARE(dialogs.informed.size(), 1);
        QCOMPARE(dialogs.informed.first(), langText(179) + "\n\n" + names.join(u'\n')); // each key once
        saveSetting(keys::backSide, QStringLiteral("77"));
        QCOMPARE(readIntegerSetting(keys::backSide), qint16(9));
        QVERIFY(untoldResetSettings().isEmpty()); // told already in this run
        QCOMPARE(readSetting(keys::player1Name), QStringLiteral("Anna"));
    }

    void otherApplicationsHaveTheirOwnFile()
    {
        saveAppSetting("Other", "Optionen", "Size", "5");
        QCOMPARE(readIntegerSetting(keys::sizeIndex), qint16(1));
        QCOMPARE(readAppSetting("Other", "Optionen", "Size", "0"), QStringLiteral("5"));
    }

    void aSettingsFileThatCannotBeReadIsNeverOverwritten()
    {
        const QByteArray players = "[Optionen]\nSpieler1=Anna\nSpieler2=Ben\nSize=5\n[Pictures]\nFile=cat.jpg\n";
        QDir().mkpath(test::configFolder() + "/Tessaron");
        QFile file(settingsFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(players) == players.size());
        file.close();
        QStringList told;
        Profile::setUnreadableNotice([&](const QString& path) { told << path; });

        QString first;
        {
            test::NoFileHandlesLeft exhausted; // the read fails although the file is there
            first = readSetting(keys::player1Name);
        }
        QCOMPARE(first, QString());                 // the defaults, in memory
        QCOMPARE(readIntegerSetting(keys::sizeIndex), qint16(1));
        saveIntegerSetting(keys::language, 1000);   // what the start writes first
        saveSetting(keys::player1Name, QStringLiteral("Carla"));
        QCOMPARE(readSetting(keys::player1Name), QStringLiteral("Carla")); // the run goes on with what it set
        QCOMPARE(readIntegerSetting(keys::language), qint16(1000));

        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), players); // every name, size and picture still there
        file.close();
        QCOMPARE(told, QStringList{settingsFilePath()}); // told once, naming the file
        Profile::setUnreadableNotice({});
    }

    void aFifoInPlaceOfTheSettingsIsNotReadNorReplaced()
    {
        QDir().mkpath(test::configFolder() + "/Tessaron");
        QCOMPARE(::mkfifo(QFile::encodeName(settingsFilePath()).constData(), 0600), 0);
        QCOMPARE(readSetting(keys::player1Name, QStringLiteral("none")), QStringLiteral("none")); // does not hang
        saveSetting(keys::player1Name, QStringLiteral("Carla"));
        QVERIFY(QFileInfo(settingsFilePath()).isFile() == false); // still the FIFO
        QVERIFY(Profile::isKeptInMemory(settingsFilePath()));

    }

    void settingsAreWrittenInUtf8AndOlderFilesReadAsCodePage1252()
    {
        saveSetting(keys::player1Name, QStringLiteral("Łukasz Grüße"));
        QFile file(settingsFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(QStringLiteral("Spieler1=Łukasz Grüße").toUtf8()));
        file.close();

        // Written by an older version, or on another system: code page 1252.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Optionen]\r\nSpieler1=J\xfcrgen\r\nSpieler2=Ren\xe9" "e \x80\r\nSpieler3=Ren\xe9");
        file.close();
        QCOMPARE(readSetting(keys::player1Name), QStringLiteral("Jürgen"));
        QCOMPARE(readSetting(keys::player2Name), QStringLiteral("Renée €"));
        QCOMPARE(readSetting(keys::player3Name), QStringLiteral("René")); // the last byte of the file too
        // Written again, the file becomes UTF-8 and the names stay.
        saveIntegerSetting(keys::sizeIndex, 2);
        QCOMPARE(readSetting(keys::player1Name), QStringLiteral("Jürgen"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Spieler2=Ren\xc3\xa9" "e \xe2\x82\xac"));
    }
};

TESSARON_TEST_MAIN(TestSettings)
#include "test_settings.moc"
