// The reporter's dialog: its frames and texts, its arrangement, and the four
// answers acted on by a trapped procedure.

#include "errors/ErrorDialog.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"
#include "util/ProgramEnd.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

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
void whenShown(std::function<void(ErrorDialog*)> whileShown)
{
    QTimer::singleShot(0, [whileShown] {
        auto* dialog = qobject_cast<ErrorDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        whileShown(dialog);
        // A failed check returns early: never leave the test waiting on the dialog.
        if (dialog->isVisible())
            dialog->reject();
    });
}

void pressContinue(int button)
{
    whenShown([button](ErrorDialog* dialog) { dialog->continueButtons[static_cast<std::size_t>(button)]->click(); });
}

// A procedure whose second step fails once.
QStringList failOnce()
{
    QStringList trace;
    bool failed = false;
    trapped("frmPuzzle", "Form_Load", [&](Steps& step) {
        step(50010, [&] { trace << "first"; });
        step(50020, [&] {
            trace << "second";
            if (!failed) {
                failed = true;
                raiseError(ErrTypeMismatch);
            }
        });
        step(50030, [&] { trace << "third"; });
    });
    trace << "after";
    return trace;
}

} // namespace

class TestErrorDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<GameErrorReporter> reporter;
    ErrorDialogPrompt* prompt = nullptr;

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        auto made = std::make_unique<ErrorDialogPrompt>();
        prompt = made.get();
        reporter = std::make_unique<GameErrorReporter>(std::move(made));
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
        whenShown([](ErrorDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(failOnce(), (QStringList{"first", "second", "after"}));
        whenShown([](ErrorDialog* dialog) { dialog->close(); });
        QCOMPARE(failOnce(), (QStringList{"first", "second", "after"}));
    }

    void theDialogShowsWhatFailed()
    {
        whenShown([](ErrorDialog* dialog) {
            QCOMPARE(dialog->errorValueLabels[0]->text(), QStringLiteral("13 (Type mismatch)"));
            QCOMPARE(dialog->errorValueLabels[1]->text(), QStringLiteral("frmPuzzle"));
            QCOMPARE(dialog->errorValueLabels[2]->text(), QStringLiteral("Form_Load"));
            QCOMPARE(dialog->errorValueLabels[3]->text(), QStringLiteral("50020"));
            QCOMPARE(dialog->programInfoLabel->text(), programBaseName() + QStringLiteral("  V1.0.0"));
            QVERIFY(dialog->commentLabel->text().startsWith(QStringLiteral("There is a problem.")));
            dialog->continueButtons[2]->click();
        });
        failOnce();
    }

    void framesAndCaptionsAreFixed()
    {
        whenShown([](ErrorDialog* dialog) {
            QCOMPARE(dialog->commentGroup->title(), QString());
            QCOMPARE(dialog->errorGroup->title(), QStringLiteral("Fehlerbeschreibung / error description:"));
            QCOMPARE(dialog->programInfoGroup->title(), QStringLiteral("Programm-Info:"));
            QCOMPARE(dialog->protocolGroup->title(), QStringLiteral("Fehlerprotokoll ... / error protocoll..."));
            QCOMPARE(dialog->callStackGroup->title(), QStringLiteral("CallStack:"));
            QCOMPARE(dialog->continueGroup->title(), QStringLiteral("Weiterer Programmablauf... / Continue..."));
            const QStringList titles = {"Fehler-Nr / error :", "Modul:", "Prozedur / procedure:", "Zeile / Line:"};
            const QStringList protocol = {"&Drucken/Print", "&Speichern/Save", "&EMail", "&WWW"};
            const QStringList goOn = {"Wieder&holen Retry", "&Ignorieren   Ignore", "&Abbrechen Cancel",
                                      "&Beenden       End"};
            for (std::size_t i = 0; i < 4; ++i) {
                QCOMPARE(dialog->errorCaptionLabels[i]->text(), titles[qsizetype(i)]);
                QCOMPARE(dialog->protocolButtons[i]->text(), protocol[qsizetype(i)]);
                QCOMPARE(dialog->continueButtons[i]->text(), goOn[qsizetype(i)]);
                QVERIFY(dialog->continueButtons[i]->isVisible());
            }
            QVERIFY(dialog->protocolButtons[0]->isVisible() && dialog->protocolButtons[1]->isVisible()
                    && dialog->protocolButtons[2]->isVisible());
            QVERIFY(!dialog->protocolButtons[3]->isVisible());
            QVERIFY(!dialog->callStackGroup->isVisible());
            dialog->continueButtons[2]->click();
        });
        failOnce();
    }

    void framesAreStackedAndTheWindowFitsThemCentred()
    {
        whenShown([](ErrorDialog* dialog) {
            int y = 0;
            for (QGroupBox* frame :
                 {dialog->commentGroup, dialog->errorGroup, dialog->programInfoGroup, dialog->protocolGroup, dialog->continueGroup}) {
                QCOMPARE(frame->x(), 0);
                QCOMPARE(frame->y(), y);
                QVERIFY(frame->height() > 0);
                y += frame->height();
            }
            QCOMPARE(dialog->width(), dialog->errorGroup->width());
            QCOMPARE(dialog->height(), y);
            const QRect screen = dialog->screen()->geometry();
            const QRect outer = dialog->frameGeometry();
            QVERIFY2(qAbs(outer.center().x() - screen.center().x()) <= 1,
                     qPrintable(QStringLiteral("%1 %2 %3 %4 / %5 %6 %7 %8").arg(outer.x()).arg(outer.y()).arg(outer.width()).arg(outer.height()).arg(screen.x()).arg(screen.y()).arg(screen.width()).arg(screen.height())));
            QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
            dialog->continueButtons[2]->click();
        });
        failOnce();
    }

    void theDialogIsMadeOnceAndKeepsItsInfo()
    {
        QVERIFY(!prompt->dialog());
        pressContinue(2);
        failOnce();
        ErrorDialog* first = prompt->dialog();
        QVERIFY(first);
        QVERIFY(!first->isVisible()); // hidden, not closed

        reporter->setProgramInfo(QStringLiteral("kept info"));
        reporter->addToCallStack(QStringLiteral("entry"));
        whenShown([first](ErrorDialog* dialog) {
            QCOMPARE(dialog, first);
            QCOMPARE(dialog->programInfoLabel->text(), QStringLiteral("kept info"));
            QCOMPARE(dialog->callStackList->count(), 1);
            QVERIFY(dialog->callStackList->item(0)->text().startsWith(QStringLiteral("entry ")));
            dialog->continueButtons[2]->click();
        });
        failOnce();
        QCOMPARE(prompt->dialog(), first);
    }

    void theSaveButtonWritesTheErrFileWhileTheDialogWaits()
    {
        test::ScriptedDialogs dialogs;
        whenShown([](ErrorDialog* dialog) {
            dialog->protocolButtons[1]->click();
            QVERIFY(dialog->isVisible()); // the player still has to choose how to go on
            dialog->continueButtons[1]->click();
        });
        failOnce();
        QFile saved(GameErrorReporter::logPath(QStringLiteral(".ERR")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QVERIFY(text.contains(QStringLiteral("Fehler-Nr / error :\t13 (Type mismatch)\r\n")));
        QVERIFY(text.endsWith(QString(70, u'-') + QStringLiteral("\r\n\r\n")));
        QCOMPARE(dialogs.informed.size(), 1);
        QVERIFY(saved.fileName().endsWith(programBaseName() + QStringLiteral(".ERR")));
    }
};

TESSARON_TEST_MAIN(TestErrorDialog)
#include "test_error_dialog.moc"
