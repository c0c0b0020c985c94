// The reporter's dialog: its frames and texts, its arrangement, and the four
// answers acted on by a trapped procedure.

#include "errors/FltDesk.h"
#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"
#include "util/ProgramEnd.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>

using namespace tess;

namespace {

struct ProgramEnded {};

// Runs `whileShown` once the modal dialog is up.
void whenShown(std::function<void(FltDesk*)> whileShown)
{
    QTimer::singleShot(0, [whileShown] {
        auto* desk = qobject_cast<FltDesk*>(QApplication::activeModalWidget());
        QVERIFY(desk);
        whileShown(desk);
        // A failed check returns early: never leave the test waiting on the dialog.
        if (desk->isVisible())
            desk->reject();
    });
}

void pressContinue(int button)
{
    whenShown([button](FltDesk* desk) { desk->cmdContinue[static_cast<std::size_t>(button)]->click(); });
}

// A procedure whose second step fails once.
QStringList failOnce()
{
    QStringList trace;
    bool failed = false;
    trapped("frmPuzzle", "Form_Load", [&](Steps& step) {
        step([&] { trace << "first"; });
        step([&] {
            trace << "second";
            if (!failed) {
                failed = true;
                raiseError(ErrTypeMismatch);
            }
        });
        step([&] { trace << "third"; });
    });
    trace << "after";
    return trace;
}

} // namespace

class TestFltDesk : public QObject {
    Q_OBJECT

    std::unique_ptr<ErrorDesk> reporter;
    FltDeskPrompt* prompt = nullptr;

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        auto made = std::make_unique<FltDeskPrompt>();
        prompt = made.get();
        reporter = std::make_unique<ErrorDesk>(std::move(made));
        setErrorReporter(reporter.get());
        setProgramEnder([] { throw ProgramEnded{}; });
    }
    void cleanup()
    {
        setErrorReporter(nullptr);
        setProgramEnder({});
        reporter.reset();
    }

    void retryRunsTheStepAgain()
    {
        pressContinue(0);
        QCOMPARE(failOnce(), (QStringList{"first", "second", "second", "third", "after"}));
    }

    void ignoreGoesOn()
    {
        pressContinue(1);
        QCOMPARE(failOnce(), (QStringList{"first", "second", "third", "after"}));
    }

    void cancelLeavesTheProcedure()
    {
        pressContinue(2);
        QCOMPARE(failOnce(), (QStringList{"first", "second", "after"}));
    }

    void endEndsTheProgram()
    {
        pressContinue(3);
        bool ended = false;
        try {
            failOnce();
        } catch (const ProgramEnded&) {
            ended = true;
        }
        QVERIFY(ended);
    }

    void closingTheDialogOtherwiseLeaves()
    {
        whenShown([](FltDesk* desk) { QTest::keyClick(desk, Qt::Key_Escape); });
        QCOMPARE(failOnce(), (QStringList{"first", "second", "after"}));
        whenShown([](FltDesk* desk) { desk->close(); });
        QCOMPARE(failOnce(), (QStringList{"first", "second", "after"}));
    }

    void theDialogShowsWhatFailed()
    {
        whenShown([](FltDesk* desk) {
            QCOMPARE(desk->lblError[0]->text(), QStringLiteral("13 (Type mismatch)"));
            QCOMPARE(desk->lblError[1]->text(), QStringLiteral("frmPuzzle"));
            QCOMPARE(desk->lblError[2]->text(), QStringLiteral("Form_Load"));
            QCOMPARE(desk->lblError[3]->text(), QStringLiteral("50020"));
            QCOMPARE(desk->lblProgInfo->text(), programBaseName() + QStringLiteral("  V1.0.0"));
            QVERIFY(desk->lblComment->text().startsWith(QStringLiteral("There is a problem.")));
            desk->cmdContinue[2]->click();
        });
        failOnce();
    }

    void framesAndCaptionsAreFixed()
    {
        whenShown([](FltDesk* desk) {
            QCOMPARE(desk->framComment->title(), QString());
            QCOMPARE(desk->framFehler->title(), QStringLiteral("Fehlerbeschreibung / error description:"));
            QCOMPARE(desk->framProgInfo->title(), QStringLiteral("Programm-Info:"));
            QCOMPARE(desk->framProtocol->title(), QStringLiteral("Fehlerprotokoll ... / error protocoll..."));
            QCOMPARE(desk->framCallStack->title(), QStringLiteral("CallStack:"));
            QCOMPARE(desk->framContinue->title(), QStringLiteral("Weiterer Programmablauf... / Continue..."));
            const QStringList titles = {"Fehler-Nr / error :", "Modul:", "Prozedur / procedure:", "Zeile / Line:"};
            const QStringList protocol = {"&Drucken/Print", "&Speichern/Save", "&EMail", "&WWW"};
            const QStringList goOn = {"Wieder&holen Retry", "&Ignorieren   Ignore", "&Abbrechen Cancel",
                                      "&Beenden       End"};
            for (std::size_t i = 0; i < 4; ++i) {
                QCOMPARE(desk->lblErrTitel[i]->text(), titles[qsizetype(i)]);
                QCOMPARE(desk->cmdProtocol[i]->text(), protocol[qsizetype(i)]);
                QCOMPARE(desk->cmdContinue[i]->text(), goOn[qsizetype(i)]);
                QVERIFY(desk->cmdContinue[i]->isVisible());
            }
            QVERIFY(desk->cmdProtocol[0]->isVisible() && desk->cmdProtocol[1]->isVisible()
                    && desk->cmdProtocol[2]->isVisible());
            QVERIFY(!desk->cmdProtocol[3]->isVisible());
            QVERIFY(!desk->framCallStack->isVisible());
            desk->cmdContinue[2]->click();
        });
        failOnce();
    }

    void framesAreStackedAndTheWindowFitsThemCentred()
    {
        whenShown([](FltDesk* desk) {
            int y = 0;
            for (QGroupBox* frame :
                 {desk->framComment, desk->framFehler, desk->framProgInfo, desk->framProtocol, desk->framContinue}) {
                QCOMPARE(frame->x(), 0);
                QCOMPARE(frame->y(), y);
                QVERIFY(frame->height() > 0);
                y += frame->height();
            }
            QCOMPARE(desk->width(), desk->framFehler->width());
            QCOMPARE(desk->height(), y);
            const QRect screen = desk->screen()->geometry();
            const QRect outer = desk->frameGeometry();
            QVERIFY2(qAbs(outer.center().x() - screen.center().x()) <= 1,
                     qPrintable(QStringLiteral("%1 %2 %3 %4 / %5 %6 %7 %8").arg(outer.x()).arg(outer.y()).arg(outer.width()).arg(outer.height()).arg(screen.x()).arg(screen.y()).arg(screen.width()).arg(screen.height())));
            QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
            desk->cmdContinue[2]->click();
        });
        failOnce();
    }

    void theDialogIsMadeOnceAndKeepsItsInfo()
    {
        QVERIFY(!prompt->desk());
        pressContinue(2);
        failOnce();
        FltDesk* first = prompt->desk();
        QVERIFY(first);
        QVERIFY(!first->isVisible()); // hidden, not closed

        reporter->setProgramInfo(QStringLiteral("kept info"));
        reporter->addToCallStack(QStringLiteral("entry"));
        whenShown([first](FltDesk* desk) {
            QCOMPARE(desk, first);
            QCOMPARE(desk->lblProgInfo->text(), QStringLiteral("kept info"));
            QCOMPARE(desk->lstCallStack->count(), 1);
            QVERIFY(desk->lstCallStack->item(0)->text().startsWith(QStringLiteral("entry ")));
            desk->cmdContinue[2]->click();
        });
        failOnce();
        QCOMPARE(prompt->desk(), first);
    }

    void theSaveButtonWritesTheErrFileWhileTheDialogWaits()
    {
        test::ScriptedDialogs dialogs;
        whenShown([](FltDesk* desk) {
            desk->cmdProtocol[1]->click();
            QVERIFY(desk->isVisible()); // the player still has to choose how to go on
            desk->cmdContinue[1]->click();
        });
        failOnce();
        QFile saved(ErrorDesk::logPath(QStringLiteral(".ERR")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QVERIFY(text.contains(QStringLiteral("Fehler-Nr / error :\t13 (Type mismatch)\r\n")));
        QVERIFY(text.endsWith(QString(70, u'-') + QStringLiteral("\r\n\r\n")));
        QCOMPARE(dialogs.informed.size(), 1);
        QVERIFY(saved.fileName().endsWith(programBaseName() + QStringLiteral(".ERR")));
    }
};

TESSARON_TEST_MAIN(TestFltDesk)
#include "test_fltdesk.moc"
