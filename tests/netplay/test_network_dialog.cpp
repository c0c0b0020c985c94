// The way into network play: the options dialog's button opens the network
// game dialog; hosting shows the code, port and players; joining takes an
// address, a name and a code; whatever comes from outside shows as plain text.

#include "support/GameFixture.h"
#include "netplay/NetworkGameDialog.h"
#include "netplay/NetworkPlay.h"
#include "dialogs/OptionsDialog.h"
#include "window/PuzzleWindow.h"
#include "net/GameClient.h"
#include "net/GameHost.h"
#include "netplay/NetworkCommandLine.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "support/FreshState.h"
#include "support/RawPeer.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTimer>

using namespace tess;
using tess::test::GameFixture;

namespace {

// Whether, on a line as this left-to-right dialog draws it, the character at
// `later` (in reading order) stands right of every character up to `before`.
bool drawnRightOf(const QString& line, qsizetype before, qsizetype later, const QFont& font)
{
    QTextLayout layout(line, font);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine row = layout.createLine();
    row.setLineWidth(100000);
    layout.endLayout();
    for (qsizetype i = 0; i <= before; ++i)
        if (row.cursorToX(int(i)) > row.cursorToX(int(later)))
            return false;
    return true;
}

} // namespace

// A game whose first player is Anna, its network play and the network game
// dialog over it, loaded in English.
struct DialogForAnna {
    GameFixture game;
    const bool named = [] {
        shared().language = English;
        shared().names[0] = QStringLiteral("Anna");
        return true;
    }();
    NetworkPlay play{game.t()};
    NetworkGameDialog dialog{play};

    DialogForAnna()
    {
        dialog.load();
        dialog.retranslate();
    }
};

class TestNetworkDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
        shared().language = English;
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo"), QStringLiteral("Dan")};
    }

    void theOptionsButtonOpensTheNetworkDialogOverTheOptions()
    {
        OptionsDialog alone;
        alone.load();
        alone.retranslate();
        QCOMPARE(alone.networkButton->text(), QStringLiteral("&Network game..."));
        QVERIFY(!alone.networkButton->isEnabled()); // nothing to open without a game window

        PuzzleWindow window;
        window.table().load();
        // The dialogs are gone once closed: what they showed is kept here.
        bool optionsShown = false, networkShown = false;
        QString networkTitle;
        // Each dialog runs its own loop: a timer looks for it there, and closes it.
        QTimer lookForOptions;
        connect(&lookForOptions, &QTimer::timeout, this, [&] {
            auto* shown = qobject_cast<OptionsDialog*>(QApplication::activeModalWidget());
            if (!shown || !shown->isVisible())
                return;
            lookForOptions.stop();
            optionsShown = true;
            QTimer::singleShot(0, this, [&, shown] {
                auto* network = qobject_cast<NetworkGameDialog*>(QApplication::activeModalWidget());
                if (network) {
                    networkShown = network->isVisible();
                    networkTitle = network->windowTitle();
                    if (network->parentWidget() != shown)
                        networkTitle += QStringLiteral(" (not over the options)");
                }
                QApplication::activeModalWidget()->close();
            });
            shown->networkButton->click();
            shown->close();
        });
        lookForOptions.start(10);
        window.table().services().showOptions();
        QVERIFY2(optionsShown, "the options dialog did not open");
        QVERIFY2(networkShown, "the network game dialog did not open");
        QCOMPARE(networkTitle, QStringLiteral("Network game"));
    }

    void joiningTakesAnAddressANameAndSixDigits()
    {
        DialogForAnna anna;
        NetworkPlay& play = anna.play;
        NetworkGameDialog& dialog = anna.dialog;
        QCOMPARE(dialog.nameEdit->text(), QStringLiteral("Anna"));
        QVERIFY(!dialog.joinButton->isEnabled());

        dialog.joinAddressEdit->setText(QStringLiteral("[::1]:5000"));
        QTest::keyClicks(dialog.joinCodeEdit, QStringLiteral("12ab3456789"));
        QCOMPARE(dialog.joinCodeEdit->text(), QStringLiteral("123456")); // digits only, six at most
        QVERIFY(dialog.joinButton->isEnabled());
        for (const QString& bad : {QStringLiteral("host:0"), QStringLiteral("bad host"), QStringLiteral("[::1")}) {
            dialog.joinAddressEdit->setText(bad);
            QVERIFY2(!dialog.joinButton->isEnabled(), qPrintable(bad));
        }
        dialog.joinAddressEdit->setText(QStringLiteral("gamebox.local"));
        dialog.nameEdit->setText(QStringLiteral("   "));
        QVERIFY(!dialog.joinButton->isEnabled());
        dialog.nameEdit->setText(QStringLiteral("Ben"));
        dialog.joinCodeEdit->setText(QStringLiteral("123"));
        QVERIFY(!dialog.joinButton->isEnabled());
        dialog.joinCodeEdit->setText(QStringLiteral("000042"));
        QVERIFY(dialog.joinButton->isEnabled());
        dialog.joinAddressEdit->setText(QStringLiteral("127.0.0.1:9")); // no host there, and no name to look up

        // While a join is under way there is no second one and no hosting.
        dialog.joinButton->click();
        QVERIFY(!dialog.joinButton->isEnabled());
        QVERIFY(!dialog.hostGroup->isEnabled());
        // A refusal comes as the session words it, shown as it is.
        Q_EMIT play.ended(QStringLiteral("<b>Wrong code</b>"));
        QCOMPARE(dialog.joinOutcome->text(), QStringLiteral("<b>Wrong code</b>"));
        QCOMPARE(dialog.joinOutcome->textFormat(), Qt::PlainText);
        QVERIFY(dialog.joinButton->isEnabled());
        QVERIFY(dialog.hostGroup->isEnabled());
        dialog.joinButton->click();
        Q_EMIT play.joined();
        QCOMPARE(dialog.joinOutcome->text(), langText(215));
    }

    void controlsHaveNamesAndFollowTheLanguage()
    {
        GameFixture game;
        shared().language = English;
        NetworkPlay play(game.t());
        NetworkGameDialog dialog(play);
        dialog.load();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.joinAddressEdit->accessibleName(), QStringLiteral("Address"));
        QCOMPARE(dialog.joinCodeEdit->accessibleName(), QStringLiteral("Join code"));
        QCOMPARE(dialog.nameEdit->accessibleName(), QStringLiteral("Name"));
        QCOMPARE(dialog.gamesList->accessibleName(), QStringLiteral("Games on this network"));
        QCOMPARE(dialog.playersList->accessibleName(), QStringLiteral("Players"));
        QCOMPARE(dialog.hostButton->text(), QStringLiteral("&Start hosting"));
        QCOMPARE(dialog.codeCaption->text(), QStringLiteral("Join code:")); // beside a value: no mnemonic
        // Every field's caption takes the focus to it.
        QCOMPARE(dialog.joinCodeCaption->buddy(), dialog.joinCodeEdit);
        QCOMPARE(dialog.joinAddressCaption->buddy(), dialog.joinAddressEdit);
        for (QLabel* outside : {dialog.codeValue, dialog.addressValue, dialog.portValue, dialog.hostOutcome,
                                dialog.joinOutcome, dialog.discoveryProblem})
            QCOMPARE(outside->textFormat(), Qt::PlainText);

        shared().language = French;
        dialog.retranslate();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Partie en r\u00e9seau"));
        QCOMPARE(dialog.joinAddressEdit->accessibleName(), QStringLiteral("Adresse")); // without " :"
        QCOMPARE(dialog.joinButton->text(), QStringLiteral("&Rejoindre"));

        // Escape closes it, as any dialog.
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void guessingAtTheCodeIsToldWithAFreshCode()
    {
        // Wrong codes from many addresses of this computer, one each.
        DialogForAnna anna;
        NetworkPlay& play = anna.play;
        NetworkGameDialog& dialog = anna.dialog;
        dialog.startHosting(0, QStringLiteral("471195"));
        QVERIFY2(play.role() == NetworkPlay::Role::Host, qPrintable(play.lastProblem()));
        for (int i = 1; i <= 40 && dialog.codeValue->text() == QStringLiteral("471195"); ++i) {
            test::RawPeer guesser(QHostAddress(QStringLiteral("127.3.0.%1").arg(i)));
            guesser.connectTo(play.port());
            guesser.sendHandshake();
            QTRY_VERIFY_WITH_TIMEOUT(guesser.upgraded(), 30000);
            net::Message hello;
            hello.kind = net::MessageKind::Hello;
            hello.name = QStringLiteral("Mallory");
            hello.code = QStringLiteral("%1").arg(i, net::JoinCodeDigits, 10, QLatin1Char('0'));
            guesser.send(hello);
            QTRY_VERIFY_WITH_TIMEOUT(guesser.gone(), 30000);
            QCOMPARE(dialog.playersList->count(), 1);
        }
        // The dialog shows the fresh code and says why; so does a box that does not hold up the game.
        const QString fresh = dialog.codeValue->text();
        QVERIFY(fresh != QStringLiteral("471195"));
        QCOMPARE(fresh, play.code());
        QVERIFY(net::isJoinCode(fresh));
        QCOMPARE(dialog.hostOutcome->text(), play.lastProblem());
        QVERIFY2(play.lastProblem().startsWith(QStringLiteral("Someone on the network is guessing the join code."))
                     && play.lastProblem().endsWith(fresh + u'.'),
                 qPrintable(play.lastProblem()));
        QMessageBox* box = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* each = qobject_cast<QMessageBox*>(widget); each && each->text() == play.lastProblem())
                box = each;
        QVERIFY(box);
        QVERIFY(!box->isModal());
        QCOMPARE(box->textFormat(), Qt::PlainText);
    }

    void hostingShowsTheCodeThePortAndWhoJoined()
    {
        DialogForAnna anna;
        NetworkPlay& play = anna.play;
        NetworkGameDialog& dialog = anna.dialog;
        // Port 0: the default one, or any free one where another program holds it.
        dialog.startHosting(0, QStringLiteral("471195"));
        QVERIFY2(play.role() == NetworkPlay::Role::Host, qPrintable(play.lastProblem()));
        QCOMPARE(dialog.codeValue->text(), QStringLiteral("471195"));
        QVERIFY(play.port() != 0);
        QCOMPARE(dialog.portValue->text(), QString::number(play.port()));
        QCOMPARE(dialog.addressValue->text(), play.addresses().join('\n'));
        QCOMPARE(dialog.hostButton->text(), QStringLiteral("&Stop hosting"));
        QVERIFY(!dialog.joinGroup->isEnabled());
        QCOMPARE(dialog.playersList->count(), 1);
        QCOMPARE(dialog.playersList->item(0)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("Anna (this computer)"));

        // A joining computer's name is shown as it came, markup and all.
        net::GameClient client;
        client.connectTo(QStringLiteral("127.0.0.1"), play.port(), QStringLiteral("<i>Eve</i>"), QStringLiteral("471195"));
        QTRY_COMPARE_WITH_TIMEOUT(dialog.playersList->count(), 2, 30000);
        const QString joined = dialog.playersList->item(1)->data(Qt::AccessibleTextRole).toString();
        QVERIFY2(joined.startsWith(QStringLiteral("<i>Eve</i> (")) && joined.contains(QStringLiteral("127.0.0.1")),
                 qPrintable(joined));

        // A right-to-left name stays where it stands: its computer's address
        // follows it on the line, and a screen reader hears the two in order.
        const QString hebrew = QStringLiteral("\u05d0\u05d1\u05d2");
        net::GameClient second;
        second.connectTo(QStringLiteral("127.0.0.1"), play.port(), hebrew, QStringLiteral("471195"));
        QTRY_COMPARE_WITH_TIMEOUT(dialog.playersList->count(), 3, 30000);
        const QString shown = dialog.playersList->item(2)->text();
        QVERIFY2(drawnRightOf(shown, shown.indexOf(hebrew) + hebrew.size() - 1, shown.indexOf(QStringLiteral("127.0.0.1")),
                              dialog.playersList->font()),
                 qPrintable(shown));
        QVERIFY(dialog.playersList->item(2)->data(Qt::AccessibleTextRole).toString().startsWith(hebrew + QStringLiteral(" (127.0.0.1")));

        dialog.hostButton->click(); // stops hosting
        QCOMPARE(play.role(), NetworkPlay::Role::None);
        QCOMPARE(dialog.codeValue->text(), QString());
        QCOMPARE(dialog.playersList->count(), 0);
        QVERIFY(dialog.joinGroup->isEnabled());
    }

    // On a joining computer the board, the players and the game options are
    // the host's: its options dialog shows none of them and keeps its own.
    void aJoiningComputersOptionsShowOnlyWhatAppliesThere_data()
    {
        QTest::addColumn<bool>("joining");
        QTest::newRow("joining") << true;
        QTest::newRow("one screen") << false;
    }

    void aJoiningComputersOptionsShowOnlyWhatAppliesThere()
    {
        QFETCH(bool, joining);
        saveSetting(keys::player1Name, QStringLiteral("Zed"));
        saveSetting(keys::sizeIndex, QStringLiteral("0"));
        shared().sizeIndex = 3; // as the host's board set it
        OptionsDialog options;
        options.setJoining(joining);
        options.load();
        for (QWidget* part : std::initializer_list<QWidget*>{options.boardSizeBox, options.playersGroup,
                                                             options.frameColourGroup, options.gameOptionsGroup})
            QCOMPARE(part->isHidden(), joining);
        QVERIFY(!options.soundGroup->isHidden() && !options.networkButton->isHidden());
        options.okButton->click();
        QCOMPARE(readSetting(keys::player1Name), joining ? QStringLiteral("Zed") : QStringLiteral("Anna"));
        QCOMPARE(readSetting(keys::sizeIndex), joining ? QStringLiteral("0") : QStringLiteral("3"));
    }

    // --join: once joined, the network dialog closes by itself; a refused
    // join leaves it open to say why (closed here).
    void aJoinFromTheCommandLineClosesTheDialogOnceJoined_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("joined") << QStringLiteral("471195");
        QTest::newRow("a wrong code") << QStringLiteral("000000");
    }

    void aJoinFromTheCommandLineClosesTheDialogOnceJoined()
    {
        QFETCH(QString, code);
        GameFixture game;
        net::GameHost host;
        QVERIFY(host.listen(0, QStringLiteral("471195"), QHostAddress::LocalHost));
        NetworkPlay play(game.t());
        bool leftOpen = false;
        QElapsedTimer waited;
        waited.start();
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<NetworkGameDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            const bool refused = play.role() == NetworkPlay::Role::None && !dialog->joinOutcome->text().isEmpty();
            if (refused || waited.elapsed() > 30000)
                leftOpen = dialog->close();
        });
        look.start(10);
        const NetworkCommandLine line{NetworkCommandLine::Action::Join, QStringLiteral("127.0.0.1"), host.port(), code,
                                      QStringLiteral("Ben"), {}};
        runNetworkCommandLine(play, line, nullptr);
        QCOMPARE(play.role() == NetworkPlay::Role::Joining, !leftOpen);
        QCOMPARE(leftOpen, code != QStringLiteral("471195"));
    }
};

TESSARON_TEST_MAIN(TestNetworkDialog)
#include "test_network_dialog.moc"
