// Network play as a library loaded when first asked for: where the network
// code is linked in it is used as it is; a library that is missing, not a
// library or of another kind gives no session, and the game window then tells
// the player in a box instead of opening the network dialog, and plays on.

#include "support/GameFixture.h"
#include "netplay/NetworkGameDialog.h"
#include "netplay/NetworkModule.h"
#include "netplay/NetworkPlay.h"
#include "dialogs/OptionsDialog.h"
#include "window/PuzzleWindow.h"
#include "language/Language.h"
#include "support/FreshState.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace tess;

class TestNetworkModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
        shared().language = English;
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo"), QStringLiteral("Dan")};
    }
    void cleanup() { useNetworkModuleFile({}); }

    void theLibraryIsLookedForBesideTheProgramThenWhereItIsInstalled()
    {
        const QStringList places = networkModuleCandidates();
        QCOMPARE(places.size(), 2);
        QCOMPARE(places[0], QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libtessaron-network.so")));
        QVERIFY2(places[1].endsWith(QStringLiteral("/tessaron/libtessaron-network.so")), qPrintable(places[1]));
        QVERIFY2(QDir::isAbsolutePath(places[1]) && !places[1].contains(QStringLiteral("/../")), qPrintable(places[1]));
        useNetworkModuleFile(QStringLiteral("/elsewhere/libtessaron-network.so"));
        QCOMPARE(networkModuleCandidates(), QStringList{QStringLiteral("/elsewhere/libtessaron-network.so")});
    }

    void linkedNetworkCodeGivesASessionOfItsOwn()
    {
        test::GameFixture game;
        QString problem = QStringLiteral("not cleared");
        std::unique_ptr<NetworkSession> session = loadNetworkSession(*game.table, &problem);
        QVERIFY(session);
        QVERIFY(problem.isEmpty());
        auto* play = dynamic_cast<NetworkPlay*>(session.get());
        QVERIFY(play);
        QCOMPARE(play->role(), NetworkPlay::Role::None);
        // A second session is a second one, not the first again.
        std::unique_ptr<NetworkSession> other = loadNetworkSession(*game.table);
        QVERIFY(other && other.get() != session.get());
    }

    void aMissingOrBrokenLibraryGivesNoSessionAndSaysWhy()
    {
        test::GameFixture game;
        QString problem;
        useNetworkModuleFile(QStringLiteral("/nonexistent/tessaron-test/libtessaron-network.so"));
        QVERIFY(!loadNetworkSession(*game.table, &problem));
        QVERIFY2(problem.contains(QStringLiteral("/nonexistent/tessaron-test/libtessaron-network.so")), qPrintable(problem));

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString notALibrary = folder.filePath(QStringLiteral("libtessaron-network.so"));
        QFile file(notALibrary);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x7f" "ELF but nothing more");
        file.close();
        useNetworkModuleFile(notALibrary);
        problem.clear();
        QVERIFY(!loadNetworkSession(*game.table, &problem));
        QVERIFY2(problem.contains(QStringLiteral("cannot be loaded")), qPrintable(problem));

        // A library, but not ours: it has no entry.
        const QString other = QStringLiteral(TESSARON_OTHER_LIBRARY);
        QVERIFY2(QFile::exists(other), qPrintable(other));
        useNetworkModuleFile(other);
        problem.clear();
        QVERIFY(!loadNetworkSession(*game.table, &problem));
        QVERIFY2(problem.contains(QStringLiteral("has no tessaronNetworkSession")), qPrintable(problem));
    }

    void withoutTheLibraryTheOptionsButtonTellsThePlayerAndTheGameGoesOn()
    {
        useNetworkModuleFile(QStringLiteral("/nonexistent/tessaron-test/libtessaron-network.so"));
        test::ScriptedDialogs boxes;
        PuzzleWindow window;
        window.table().load();
        bool optionsShown = false, networkDialogShown = false;
        QTimer lookForOptions;
        connect(&lookForOptions, &QTimer::timeout, this, [&] {
            auto* shown = qobject_cast<OptionsDialog*>(QApplication::activeModalWidget());
            if (!shown || !shown->isVisible())
                return;
            lookForOptions.stop();
            optionsShown = true;
            // The box is scripted: a network dialog would open in the click's own loop.
            QTimer::singleShot(0, this, [&] {
                if (qobject_cast<NetworkGameDialog*>(QApplication::activeModalWidget())) {
                    networkDialogShown = true;
                    QApplication::activeModalWidget()->close();
                }
            });
            shown->networkButton->click();
            shown->close();
        });
        lookForOptions.start(10);
        window.table().services().showOptions();
        QVERIFY2(optionsShown, "the options dialog did not open");
        QVERIFY(!networkDialogShown);
        QCOMPARE(boxes.informed, QStringList{langText(227)});
        QCOMPARE(boxes.titles, QStringList{langText(225)});
        QVERIFY(boxes.informed[0].contains(QStringLiteral("Network play could not be started")));
        QVERIFY(!window.network());
        QCOMPARE(boxes.informed.size(), 2); // asked again, told again

        // The one-screen game goes on: Start deals a game.
        QVERIFY(window.table().gameIdle);
        window.table().startGame();
        QTRY_VERIFY_WITH_TIMEOUT(!window.table().gameIdle, 10000);
        QVERIFY(!window.table().network.turnIsLocal);

        // Once the library is there again, the next ask opens the session.
        useNetworkModuleFile({});
        QVERIFY(window.network());
        QCOMPARE(boxes.informed.size(), 2);
    }
};

TESSARON_TEST_MAIN(TestNetworkModule)
#include "test_network_module.moc"
