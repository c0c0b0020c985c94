// The error trap: numbered steps, the four answers, nesting, ignoring.

#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"
#include "util/ProgramEnd.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStringList>
#include <stdexcept>

using namespace tess;

namespace {

struct ProgramEnded {};

// A procedure of three steps whose second step fails `failures` times.
QStringList runThreeSteps(int failures)
{
    QStringList trace;
    int left = failures;
    trapped("Allgemein", "Sample", [&](Steps& step) {
        step(50010, [&] { trace << "first"; });
        step(50020, [&] {
            trace << "second";
            if (left-- > 0)
                raiseError(ErrFileNotFound);
        });
        step(50030, [&] { trace << "third"; });
    });
    trace << "after";
    return trace;
}

} // namespace

class TestTrap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        setProgramEnder([] { throw ProgramEnded{}; });
    }
    void cleanup()
    {
        setProgramEnder({});
    }

    void reportsModuleProcedureNumberAndLine()
    {
        test::ScriptedReporter reporter;
        runThreeSteps(1);
        QCOMPARE(reporter.reports.size(), 1);
        const test::Report& report = reporter.reports.first();
        QCOMPARE(report.module, QStringLiteral("Allgemein"));
        QCOMPARE(report.procedure, QStringLiteral("Sample"));
        QCOMPARE(report.number, 53);
        QCOMPARE(report.description, QStringLiteral("File not found"));
        QCOMPARE(report.line, 50020);
        QCOMPARE(lastError().number, 0); // the error state is cleared once answered
    }

    void retryRunsTheFailingStepAgain()
    {
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer::Retry, ErrorAnswer::Retry};
        const QStringList trace = runThreeSteps(2);
        QCOMPARE(trace, (QStringList{"first", "second", "second", "second", "third", "after"}));
        QCOMPARE(reporter.reports.size(), 2);
    }

    void ignoreGoesOnWithTheNextStep()
    {
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer::Ignore};
        QCOMPARE(runThreeSteps(1), (QStringList{"first", "second", "third", "after"}));
    }

    void leaveReturnsToTheCaller()
    {
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer::Leave};
        QCOMPARE(runThreeSteps(1), (QStringList{"first", "second", "after"}));
    }

    void endEndsTheProgram()
    {
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer::End};
        QStringList trace;
        bool ended = false;
        try {
            trapped("frmPuzzle", "Form_Load", [&](Steps& step) {
                step(50010, [&] { raiseError(ErrTypeMismatch); });
                step(50020, [&] { trace << "went on"; });
            });
        } catch (const ProgramEnded&) {
            ended = true;
        }
        QVERIFY(ended);
        QVERIFY(trace.isEmpty());
    }

    void anAnswerOutsideTheFourLeaves()
    {
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer(7)};
        QCOMPARE(runThreeSteps(1), (QStringList{"first", "second", "after"}));
    }

    void leavingAnInnerProcedureLetsTheOuterGoOn()
    {
        test::ScriptedReporter reporter;
        reporter.answers = {ErrorAnswer::Leave};
        QStringList trace;
        trapped("frmPuzzle", "Outer", [&](Steps& step) {
            step(50010, [&] {
                trapped("Allgemein", "Inner", [&](Steps& inner) {
                    inner(50010, [&] { raiseError(ErrOverflow); });
                    inner(50020, [&] { trace << "inner went on"; });
                });
                trace << "outer step finished";
            });
            step(50020, [&] { trace << "outer second step"; });
        });
        QCOMPARE(trace, (QStringList{"outer step finished", "outer second step"}));
        QCOMPARE(reporter.reports.first().procedure, QStringLiteral("Inner"));
        QCOMPARE(reporter.reports.first().line, 50010);
    }

    void anErrorOfAPlainHelperLandsInTheCallingStep()
    {
        test::ScriptedReporter reporter;
        const auto helper = [] { raiseError(ErrSubscript); };
        trapped("frmPuzzle", "Caller", [&](Steps& step) {
            step(50010, [] {});
            step(50020, [] {});
            step(50030, [&] { helper(); });
        });
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports.first().number, 9);
        QCOMPARE(reporter.reports.first().line, 50030);
    }

    void foreignExceptionsBecomeRunTimeErrors()
    {
        test::ScriptedReporter reporter;
        reporter.then = ErrorAnswer::Ignore;
        trapped("Allgemein", "Foreign", [&](Steps& step) {
            step(50010, [] { throw std::runtime_error("broken"); });
            step(50020, [] { throw std::bad_alloc(); });
        });
        QCOMPARE(reporter.reports.size(), 2);
        QCOMPARE(reporter.reports[0].number, 5);
        QCOMPARE(reporter.reports[1].number, 7);
    }

    void ignoringErrorsSkipsFailuresSilently()
    {
        test::ScriptedReporter reporter;
        QStringList trace;
        ignoringErrors([&](Steps& step) {
            step(50010, [&] { raiseError(ErrPermissionDenied); });
            step(50020, [&] { trace << "second"; });
            step(50030, [&] { raiseError(ErrOverflow); });
            step(50040, [&] { trace << "fourth"; });
        });
        QCOMPARE(trace, (QStringList{"second", "fourth"}));
        QVERIFY(reporter.reports.isEmpty());
    }

    void theExpectedErrorLeavesSilently()
    {
        test::ScriptedReporter reporter;
        QStringList trace;
        trapped("ModResFiles", "SaveResItemToDisk", [&](Steps& step) {
            step.leaveSilentlyOn(ErrPermissionDenied);
            step(50010, [&] { raiseError(ErrPermissionDenied); });
            step(50020, [&] { trace << "went on"; });
        });
        QVERIFY(trace.isEmpty());
        QVERIFY(reporter.reports.isEmpty());
    }

    void anErrorThatSlipsPastEveryTrapIsStillReported()
    {
        struct Raising : QObject {
            bool event(QEvent*) override { raiseError(ErrSubscript); }
        } raising;
        test::ScriptedReporter reporter;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&raising, &event); // must not end the program
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports.first().module, QStringLiteral("Tessaron"));
        QCOMPARE(reporter.reports.first().procedure, QStringLiteral("notify"));
        QCOMPARE(reporter.reports.first().number, 9);
    }

    void errorNumbersCarryTheirTexts_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5 << "Invalid procedure call or argument";
        QTest::newRow("6") << 6 << "Overflow";
        QTest::newRow("9") << 9 << "Subscript out of range";
        QTest::newRow("13") << 13 << "Type mismatch";
        QTest::newRow("53") << 53 << "File not found";
        QTest::newRow("61") << 61 << "Disk full";
        QTest::newRow("70") << 70 << "Permission denied";
        QTest::newRow("75") << 75 << "Path/File access error";
        QTest::newRow("76") << 76 << "Path not found";
        QTest::newRow("481") << 481 << "Invalid picture";
    }
    void errorNumbersCarryTheirTexts()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(errorText(number), text);
        QCOMPARE(RunTimeError(number).text(), text);
    }
};

TESSARON_TEST_MAIN(TestTrap)
#include "test_trap.moc"
