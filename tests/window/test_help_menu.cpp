// The help menu of the button bar, the help window in five languages, the
// makers' web page and mail link, and the about box; the title bars of the
// game's dialogs.

#include "window/HelpMenu.h"
#include "champions/ChampionsDialog.h"
#include "dialogs/BackChoiceDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/PictureChoiceDialog.h"
#include "errors/ErrorDialog.h"
#include "netplay/NetworkGameDialog.h"
#include "netplay/NetworkPlay.h"
#include "util/Dialogs.h"
#include "controls/ImageControl.h"
#include "window/PuzzleWindow.h"
#include "window/StartupWindow.h"
#include "support/WindowFixture.h"
#include "language/HelpWindow.h"
#include "language/Language.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "support/TestEnvironment.h"
#include "util/Maker.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

using namespace tess;

namespace {

// Catches what would go to the desktop's browser or mail program.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char* scheme : {"http", "https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// A window of one size offers no maximize: only its title and close button.
bool offersNoMaximize(const QWidget* dialog)
{
    const Qt::WindowFlags flags = dialog->windowFlags();
    return dialog->windowType() == Qt::Dialog && !(flags & Qt::WindowMaximizeButtonHint) && (flags & Qt::WindowCloseButtonHint)
        && (flags & Qt::WindowTitleHint);
}

QStringList entries(QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

class TestHelpMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<PuzzleWindow> window;

private Q_SLOTS:
    void init()
    {
        window = test::loadedWindow();
        shared().playSounds = false;
        window->table().applyLanguage();
    }
    void cleanup() { window.reset(); }

    void theMenuHasItsEntriesInOrderInEachLanguage()
    {
        std::unique_ptr<QMenu> german(window->helpMenu()->build(window->table().menuCaptions));
        QCOMPARE(entries(german.get()), (QStringList{"Hilfe", "-", "&Marlpit's Homepage...", "&Email an Marlpit...", "-",
                                                    QString::fromUtf8("&\u00dcber...")}));
        window->table().chooseLanguage(1);
        std::unique_ptr<QMenu> english(window->helpMenu()->build(window->table().menuCaptions));
        QCOMPARE(entries(english.get()),
                 (QStringList{"Help", "-", "&Marlpit's Homepage...", "&Email Marlpit...", "-", "&About..."}));
    }

    void theHelpButtonPopsTheMenuUp()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QString seen;
        QTimer::singleShot(50, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                seen = menu->objectName();
                menu->close();
            }
        });
        window->table().buttonPressed(9);
        QCOMPARE(seen, QStringLiteral("mnuHilfe"));
    }

    void theWebPageAndTheMailGoToTheDesktop()
    {
        UrlCatcher catcher;
        window->helpMenu()->openWebPage();
        window->table().chooseLanguage(6); // the subject stays the title in every language
        window->helpMenu()->writeEmail();
        QCOMPARE(catcher.opened.size(), 2);
        QCOMPARE(catcher.opened[0], QUrl(QString::fromUtf8(MakerWebPage)));
        QCOMPARE(catcher.opened[1].toString(), QStringLiteral("mailto:support@marlpit.example?Subject=Tessaron"));
    }

    void theHelpWindowShowsEachLanguagesManual_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("heading");
        QTest::newRow("German") << 0 << "Ein Zug";
        QTest::newRow("English") << 1000 << "A turn";
        QTest::newRow("Spanish") << 2000 << "Un turno";
        QTest::newRow("Italian") << 3000 << "Un turno";
        QTest::newRow("French") << 6000 << "Un tour";
    }

    void theHelpWindowShowsEachLanguagesManual()
    {
        QFETCH(int, language);
        QFETCH(QString, heading);
        shared().language = language;
        window->helpMenu()->showManual();
        HelpWindow* help = HelpWindow::openWindow();
        QVERIFY(help && help->isVisible());
        QVERIFY(!help->isModal());
        QVERIFY(help->toPlainText().contains(heading));
        QVERIFY(help->toPlainText().contains("12 x 16"));
        QVERIFY(!help->document()->resource(QTextDocument::ImageResource, QUrl("board.png")).isNull());
        QVERIFY(!help->document()->resource(QTextDocument::ImageResource, QUrl("buttons.png")).isNull());
        QCOMPARE(HelpWindow::showHelp(language), help); // asked again: the same window, raised
    }

    void escapeClosesTheHelpWindow()
    {
        QPointer<HelpWindow> help = HelpWindow::showHelp(1000); // English
        QVERIFY(help && help->isVisible());
        QTest::keyClick(help, Qt::Key_Down); // other keys scroll as ever
        QVERIFY(help->isVisible());
        QTest::keyClick(help, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!help, 5000);
        QVERIFY(!HelpWindow::openWindow());
    }

    void theGamesDialogsOfferNoMaximize()
    {
        OptionsDialog options(window.get());
        PictureChoiceDialog picture(window.get());
        BackChoiceDialog back(window.get());
        ChampionsDialog champions(window.get());
        StartupWindow about({});
        ErrorDialog error;
        NetworkPlay play(window->table());
        NetworkGameDialog network(play, window.get());
        for (const QWidget* dialog : std::initializer_list<const QWidget*>{&options, &picture, &back, &champions, &about, &error, &network})
            QVERIFY2(offersNoMaximize(dialog), dialog->metaObject()->className());
        // A message box: looked at while it is open, then answered.
        window->show();
        bool seen = false;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen = offersNoMaximize(box);
                box->accept();
            }
        });
        look.start(10);
        dialogs().inform(QStringLiteral("Tessaron"), QStringLiteral("Tessaron"));
        QVERIFY(seen);
    }

    void theSplashGoesWithoutTheAboutBoxsControls()
    {
        shared().gameWindowLoaded = false;
        QWidget* loaded = nullptr;
        bool shownBare = false;
        bool hourglass = false;
        StartupWindow splash([&]() -> QWidget* {
            // While the game window loads, the splash shows its picture and no
            // button, with the hourglass over it.
            shownBare = splash.isVisible() && !splash.okButton && !splash.languageFlags[0];
            hourglass = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            loaded = window.get();
            return loaded;
        });
        splash.load();
        QVERIFY(shownBare);
        QVERIFY(hourglass);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(loaded && loaded->isVisible());
        QVERIFY(!splash.isVisible());
        QVERIFY(shared().gameWindowLoaded);
    }

    void theAboutBoxWritesTheTableAndHasItsFlags()
    {
        shared().gameWindowLoaded = true;
        QVERIFY(QFile::remove(shared().languageTableFile));
        int flagged = -1;
        StartupWindow about({});
        about.setFlagHandler([&](int language) { window->table().chooseLanguage(language); flagged = language; });
        about.load();
        QVERIFY(!QApplication::overrideCursor()); // the about box comes with no hourglass
        QVERIFY(QFile::exists(shared().languageTableFile));
        QVERIFY(about.versionLabel->text().startsWith("Tessaron  "));
        about.show();
        QVERIFY(about.okButton->isVisible());
        QVERIFY(about.languageFlags[2]->isVisible());
        QTest::mouseClick(about.languageFlags[2], Qt::LeftButton);
        QCOMPARE(flagged, 2);
        QCOMPARE(shared().language, 2000);
        QCOMPARE(readSetting(keys::language), QStringLiteral("2000"));
        QCOMPARE(window->table().toolButtons[0].tip, QStringLiteral("Empezar partida"));
        QTest::mouseClick(about.okButton, Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }
};

TESSARON_TEST_MAIN(TestHelpMenu)
#include "test_help_menu.moc"
