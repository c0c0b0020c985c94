// The options dialog: every change stored at the click, the names at OK, the
// music following its box, and the game window following the new values.

#include "support/GameFixture.h"
#include "dialogs/OptionsDialog.h"
#include "settings/Profile.h"
#include "settings/SettingsStore.h"
#include "sound/AudioDevice.h"
#include "sound/Sequencer.h"
#include "sound/Sounds.h"
#include "support/FreshState.h"
#include "support/ScriptedReporter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace tess;

namespace {

QString stored(const char* key)
{
    return Profile(settingsFilePath(), ProfileEncoding::Utf8).read(QStringLiteral("Optionen"), QString::fromLatin1(key), "missing");
}

// Chooses a list entry as the player does.
void choose(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

// Clicks a check box or option button on its mark, as a player does.
void tick(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo"), QStringLiteral("Dan")};
    }

    void loadingWritesEveryValueBackUnchanged()
    {
        shared().repeatSong = true;
        shared().frameColour = FrameColour::Black;
        shared().autoDraw = true;
        shared().playMusic = false;
        OptionsDialog dialog;
        dialog.load();
        QCOMPARE(stored("Size"), QStringLiteral("1"));
        QCOMPARE(stored("numPlayers"), QStringLiteral("4"));
        QCOMPARE(stored("Flip"), QStringLiteral("1"));
        QCOMPARE(stored("Grid"), QStringLiteral("1"));
        QCOMPARE(stored("PlayMusic"), QStringLiteral("0"));
        QCOMPARE(stored("musicloop"), QStringLiteral("-1"));
        QCOMPARE(stored("Rahmen"), QStringLiteral("1"));
        QCOMPARE(stored("Spieler1"), QStringLiteral("missing")); // names only at OK
        QVERIFY(!dialog.musicRepeatButtons[1]->isEnabled()); // greyed while music is off
        QVERIFY(dialog.musicRepeatButtons[1]->isChecked());
        QCOMPARE(dialog.boardSizeBox->count(), 10);
        QCOMPARE(dialog.boardSizeBox->itemText(0), QStringLiteral("3 x 4"));
        QCOMPARE(dialog.boardSizeBox->itemText(9), QStringLiteral("12 x 16"));
    }

    void everyOnOffBoxStoresItsOwnOptionWithACaption()
    {
        // Walks the key table, so an option added there with a box is checked too.
        OptionsDialog dialog;
        dialog.load();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        int boxes = 0;
        int options = 0;
        for (const SettingKey& key : AllSettingKeys) {
            options += key.option != nullptr;
            QCheckBox* box = dialog.optionCheck(key);
            if (!box)
                continue;
            ++boxes;
            QVERIFY2(!box->text().isEmpty(), key.key);
            const bool before = shared().*key.option;
            QCOMPARE(box->isChecked(), before);
            tick(box);
            QCOMPARE(shared().*key.option, !before);
            QCOMPARE(stored(key.key), QString::number(onOffNumber(!before)));
        }
        QCOMPARE(dialog.optionCheck(keys::playMusic), nullptr); // the music has its own box
        QCOMPARE(boxes, options - 1);
    }

    void playersEnableTheirBoxesAndOkStoresAllFourNames()
    {
        OptionsDialog dialog;
        dialog.load();
        choose(dialog.playerCountBox, 1);
        QCOMPARE(shared().playerCount, 2);
        QCOMPARE(stored("numPlayers"), QStringLiteral("2"));
        QVERIFY(dialog.nameEdits[1]->isEnabled() && !dialog.nameEdits[2]->isEnabled());
        dialog.nameEdits[1]->clear();
        dialog.nameEdits[0]->setText(QString::fromUtf8(" \u0410\u043d\u044f \u674e"));
        choose(dialog.boardSizeBox, 9);
        QCOMPARE(stored("Size"), QStringLiteral("9"));
        QCOMPARE(shared().boardRows, 12);
        QCOMPARE(shared().boardCols, 16);
        dialog.okButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(stored("Spieler2"), QString());
        QCOMPARE(stored("Spieler4"), QStringLiteral("Dan"));
        QCOMPARE(shared().names[1], QString());
        QCOMPARE(readSetting(keys::player1Name), QString::fromUtf8("\u0410\u043d\u044f \u674e")); // any script survives
    }

    void theMusicBoxStopsAndStartsTheSong()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(AudioDevice::instance().open());
        Sequencer& songs = AudioDevice::instance().sequencer();
        Music::instance().setLastSong(0);
        OptionsDialog dialog;
        dialog.load(); // music on, but loading starts no song
        QCOMPARE(Music::instance().lastSong(), qint16(0));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Music::instance().startSong();
        QVERIFY(songs.isOpen());
        QVERIFY(songs.waitUntilReady(5000));
        tick(dialog.musicCheck);
        QCOMPARE(shared().playMusic, false);
        QVERIFY(!songs.isOpen());
        QVERIFY(!songs.ready()); // the synthesizer has gone
        QVERIFY(!dialog.musicRepeatButtons[0]->isEnabled());
        Music::instance().setLastSong(0);
        tick(dialog.musicCheck);
        QVERIFY(songs.isOpen());
        QVERIFY(songs.waitUntilReady(5000)); // and is back for the new song
        QVERIFY(Music::instance().lastSong() != 0);
        QVERIFY(dialog.musicRepeatButtons[0]->isEnabled());
        tick(dialog.musicRepeatButtons[1]);
        QVERIFY(Music::instance().songTimer().isActive());
        QCOMPARE(stored("Musicloop"), QStringLiteral("-1"));
        tick(dialog.musicRepeatButtons[0]); // the song plays on, no other follows
        QVERIFY(!Music::instance().songTimer().isActive());
        QVERIFY(songs.isOpen());
        Music::instance().closeMusic();
    }

    void throughTheRealWidgets()
    {
        OptionsDialog dialog;
        dialog.load();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Optionen"));
        QCOMPARE(dialog.optionCheck(keys::showGrid)->text(), QStringLiteral("&Gitter anzeigen"));
        tick(dialog.optionCheck(keys::timeLimit));
        QCOMPARE(shared().timeLimit, false);
        QCOMPARE(stored("Time"), QStringLiteral("0"));
        tick(dialog.frameColourButtons[1]);
        QCOMPARE(stored("Rahmen"), QStringLiteral("1"));
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier); // "&Vorschaubild"
        QTRY_COMPARE(shared().showPreview, false);
        // A name box that gets the focus has its whole text selected.
        QTest::mouseClick(dialog.nameEdits[2], Qt::LeftButton);
        QTRY_COMPARE(dialog.nameEdits[2]->selectedText(), QStringLiteral("Cleo"));
        QTest::keyClicks(dialog.nameEdits[2], QStringLiteral("Zoe"));
        QTest::keyClick(&dialog, Qt::Key_Return); // OK is the default button
        QCOMPARE(shared().names[2], QStringLiteral("Zoe"));
        // In English from the next opening on.
        shared().language = English;
        OptionsDialog english;
        english.load();
        english.show();
        QCOMPARE(english.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(english.frameColourGroup->title(), QStringLiteral("&Frame"));
    }

    void aStoredValueOutOfRangeIsReportedAndTheRestKept()
    {
        test::ScriptedReporter reporter;
        reporter.then = ErrorAnswer::Ignore; // go on with the next step
        shared().sizeIndex = 12;
        shared().playerCount = 5;
        OptionsDialog dialog;
        dialog.load();
        QVERIFY(reporter.reports.size() >= 2);
        for (const auto& report : reporter.reports) {
            QCOMPARE(report.module, QStringLiteral("frmOpt"));
            QCOMPARE(report.procedure, QStringLiteral("Form_Load"));
        }
        QCOMPARE(stored("Size"), QStringLiteral("missing"));
        QCOMPARE(stored("Grid"), QStringLiteral("1"));
        QCOMPARE(stored("PlaySound"), QStringLiteral("1"));
    }

    void theGameWindowFollowsTheNewSizeAndPlayers()
    {
        test::GameFixture game(4, 1);
        game.t().startGame();
        game.services.options = [] {
            OptionsDialog dialog;
            dialog.load();
            choose(dialog.boardSizeBox, 0);
            choose(dialog.playerCountBox, 1);
            tick(dialog.optionCheck(keys::showGrid));
            dialog.okButton->click();
        };
        game.t().runToolButton(ToolButton::Options);
        QCOMPARE(game.t().gameIdle, true); // the running game was abandoned
        int shown = 0;
        for (const ImageState& cell : game.t().boardCells) {
            shown += cell.visible;
            QCOMPARE(cell.border, false);
        }
        QCOMPARE(shown, 12);
        game.t().greetOnActivation();
        QVERIFY(game.t().playerLabels[1].visible && !game.t().playerLabels[2].visible);
        QCOMPARE(game.t().playerLabels[0].text, shared().names[0]);
    }
};

TESSARON_TEST_MAIN(TestOptions)
#include "test_options.moc"
