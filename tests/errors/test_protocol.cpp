// The error protocol, the ".EPT" log and the plain answer dialog.

#include "errors/ErrorLog.h"
#include "errors/ErrorReporter.h"
#include "errors/Protocol.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace tess;

namespace {

class FakePrompt : public ErrorPrompt {
public:
    QStringList* calls;
    ErrorAnswer answer;
    std::function<void()> onAsk; // runs while the player is asked
    FakePrompt(QStringList* log, ErrorAnswer answerToGive) : calls(log), answer(answerToGive) {}
    void resetMousePointer() override { *calls << "pointer"; }
    void beep() override { *calls << "beep"; }
    ErrorAnswer ask(const ProtocolData& shown) override
    {
        // The log is written before the player is asked.
        *calls << (QFile::exists(GameErrorReporter::logPath(".EPT")) ? "ask after log" : "ask without log");
        *calls << shown.errorValues[0];
        if (onAsk)
            onAsk();
        return answer;
    }
};

QStringList lines(const QString& text)
{
    QStringList result = text.split(QStringLiteral("\r\n"));
    return result;
}

ProtocolData example()
{
    ProtocolData data;
    data.programInfo = QStringLiteral("tessaron  V1.0.0");
    data.errorValues = {QStringLiteral("53 (File not found)"), QStringLiteral("Allgemein"), QStringLiteral("GetLang"),
                        QStringLiteral("50080")};
    data.when = QDateTime(QDate(2026, 3, 4), QTime(17, 5, 9));
    data.system = SystemInfo::fromUname(QStringLiteral("Linux"), QStringLiteral("6.1.0-18-amd64"),
                                        QString::fromLatin1("#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1\0\0junk", 45));
    return data;
}

void raiseIn(const char* module, const char* procedure, int number, int failingStep)
{
    trapped(module, procedure, [&](Steps& step) {
        for (int i = 1; i <= failingStep; ++i)
            step(50000 + 10 * i, [&] {
                if (i == failingStep)
                    raiseError(number);
            });
    });
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        setProgramFolder(test::programFolder());
        QDir().mkpath(test::programFolder() + "/pics"); // an unpacked program: its logs stand beside it
    }
    void cleanup() { setErrorReporter(nullptr); }

    void protocolHasExactlyItsLines()
    {
        const QString separator(70, u'-');
        const QString indent(10, u' ');
        const QStringList expected = {
            separator,
            "F E H L E R P R O T O K O L L vom FaultDesk",
            separator,
            "PROGRAMM-INFO:",
            indent + "tessaron  V1.0.0",
            separator,
            "FEHLERBESCHREIBUNG / ERROR DESCRIPTION:",
            indent + "Fehler-Nr / error :\t53 (File not found)",
            indent + "Modul:\tAllgemein",
            indent + "Prozedur / procedure:\tGetLang",
            indent + "Zeile / Line:\t50080",
            indent + "Datum/Uhrzeit:\t03-04-2026 / 17:05:09",
            separator,
            "CALLSTACK:",
            separator,
            "SYSTEMINFO:",
            indent + "Plattform:\tLinux",
            indent + "Version:\t6.1",
            indent + "Build:\t0-18-amd64   #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1",
            separator,
            "", // the last line ends in CR LF too
        };
        QCOMPARE(lines(protocolText(example())), expected);
    }

    void callStackEntriesStandBetweenTheirHeadings()
    {
        ProtocolData data = example();
        data.callStack = {QStringLiteral("newer 10:00:01"), QStringLiteral("older 10:00:00")};
        const QStringList all = lines(protocolText(data));
        const qsizetype heading = all.indexOf("CALLSTACK:");
        QCOMPARE(all[heading + 1], QString(10, u' ') + "newer 10:00:01");
        QCOMPARE(all[heading + 2], QString(10, u' ') + "older 10:00:00");
        QCOMPARE(all[heading + 3], QString(70, u'-'));
    }

    void theTextHelperCutsAtTheFirstNul()
    {
        QCOMPARE(textBeforeNul(QString::fromLatin1("Service Pack 3\0rest", 19)), QStringLiteral("Service Pack 3"));
        QCOMPARE(textBeforeNul(QString::fromLatin1("\0rest", 5)), QString());
        QCOMPARE(textBeforeNul(QStringLiteral("no nul at all")), QString()); // unlike cutAtNul
    }

    void systemLinesComeFromUname()
    {
        const SystemInfo info = SystemInfo::current();
        QCOMPARE(info.platform, QStringLiteral("Linux"));
        QVERIFY2(QRegularExpression("^\\d+\\.\\d+$").match(info.version).hasMatch(), qPrintable(info.version));
        QVERIFY(info.build.contains(QStringLiteral("   #"))); // the kernel's version text follows
        QVERIFY(!info.build.contains(QChar(u'\0')));
    }

    void onErrorFillsTheValuesLogsBeepsAndAsks()
    {
        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, ErrorAnswer::Ignore));
        setErrorReporter(&desk);
        QStringList trace;
        trapped("Allgemein", "GetLang", [&](Steps& step) {
            for (int i = 0; i < 7; ++i)
                step(50010 + 10 * i, [] {});
            step(50080, [] { raiseError(ErrFileNotFound); });
            step(50090, [&] { trace << "ignored and went on"; });
        });
        QCOMPARE(trace, QStringList{"ignored and went on"});
        QCOMPARE(calls, (QStringList{"pointer", "beep", "ask after log", "53 (File not found)"}));
        const ProtocolData& shown = desk.current();
        QCOMPARE(shown.errorValues[1], QStringLiteral("Allgemein"));
        QCOMPARE(shown.errorValues[2], QStringLiteral("GetLang"));
        QCOMPARE(shown.errorValues[3], QStringLiteral("50080"));
        QCOMPARE(shown.programInfo, programBaseName() + QStringLiteral("  V1.0.0"));
        QVERIFY(QFile::exists(test::programFolder() + "/" + programBaseName() + ".EPT"));
    }

    void aPromptsNumberOutsideTheFourLeavesTheProcedure()
    {
        // The answers are the continue buttons' places 0 to 3; any other number is Leave.
        QCOMPARE(errorAnswerAt(0), ErrorAnswer::Retry);
        QCOMPARE(errorAnswerAt(3), ErrorAnswer::End);
        QCOMPARE(errorAnswerAt(-1), ErrorAnswer::Leave);
        QCOMPARE(errorAnswerAt(4), ErrorAnswer::Leave);
        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, static_cast<ErrorAnswer>(9)));
        QCOMPARE(desk.handleError("Allgemein", "GetLang"), ErrorAnswer::Leave);
        setErrorReporter(&desk);
        QStringList trace;
        trapped("Allgemein", "GetLang", [&](Steps& step) {
            step(50010, [] { raiseError(ErrFileNotFound); });
            step(50020, [&] { trace << "went on"; });
        });
        QVERIFY(trace.isEmpty());
    }

    void twoErrorsAppendTwoFramedProtocols()
    {
        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, ErrorAnswer::Leave));
        setErrorReporter(&desk);
        raiseIn("Allgemein", "GetLang", ErrFileNotFound, 8);
        raiseIn("frmPuzzle", "Form_Load", ErrTypeMismatch, 3);

        QFile log(GameErrorReporter::logPath(".EPT"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        const QString separator(70, u'-');
        const QStringList protocols = text.split(separator + "\r\n\r\n", Qt::SkipEmptyParts);
        QCOMPARE(protocols.size(), 2);
        QVERIFY(protocols[0].startsWith(separator + "\r\nF E H L E R"));
        QVERIFY(protocols[0].contains("Modul:\tAllgemein\r\n"));
        QVERIFY(protocols[0].contains("Zeile / Line:\t50080\r\n"));
        QVERIFY(protocols[1].startsWith(separator + "\r\nF E H L E R"));
        QVERIFY(protocols[1].contains("Fehler-Nr / error :\t13 (Type mismatch)\r\n"));
        QVERIFY(protocols[1].contains("Prozedur / procedure:\tForm_Load\r\n"));
        QVERIFY(protocols[1].contains("Zeile / Line:\t50030\r\n"));
        QVERIFY(text.endsWith(separator + "\r\n\r\n"));
    }

    void aRepeatedReportIsCountedAndTheLogStaysSmall()
    {
        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, ErrorAnswer::Ignore));
        setErrorReporter(&desk);
        for (int i = 0; i < 100; ++i)
            raiseIn("Allgemein", "MakeMusic", ErrDiskFull, 4);
        raiseIn("Allgemein", "GetLang", ErrFileNotFound, 2);
        QFile log(GameErrorReporter::logPath(".EPT"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QCOMPARE(text.count("F E H L E R"), 2);
        QCOMPARE(text.count("Prozedur / procedure:\tMakeMusic"), 1);
        QCOMPARE(text.count("Wiederholt / repeated: "), 1);
        QVERIFY(text.contains("Wiederholt / repeated: 99\r\n")); // counted to the end before the next report
        QVERIFY(text.indexOf("repeated") < text.indexOf("GetLang"));

        // Beyond the limit the oldest reports go, whole.
        const QByteArray report = QByteArray(70, '-') + "\r\nF E H L E R P R O T O K O L L vom FaultDesk\r\n"
            + QByteArray(300, 'x') + "\r\n\r\n";
        QByteArray grown;
        for (int i = 0; i < 20; ++i)
            grown = ErrorLog::appended(grown, report, {}, 10 * report.size() + 50);
        QCOMPARE(grown.size(), 10 * report.size());
        QVERIFY(grown.startsWith(report.left(80)));
        const QByteArray last = ErrorLog::appended(grown, QByteArray(5000, 'y'), {}, 1000);
        QCOMPARE(last, QByteArray(1000, 'y')); // one report larger than the limit keeps its end

        // An older version's log of 3 MB keeps its newest reports.
        const QString path = test::tempFolder() + "/old.EPT";
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        for (int i = 0; i < 3 * 1024 * 1024 / report.size(); ++i)
            old.write(report);
        old.write(QByteArray(70, '-') + "\r\nF E H L E R P R O T O K O L L newest\r\n\r\n");
        old.close();
        ErrorLog older(path);
        QVERIFY(older.add("the next report\r\n", "next"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray kept = old.readAll();
        QVERIFY(kept.size() <= ErrorLog::MaxBytes && kept.size() > ErrorLog::MaxBytes / 2);
        QVERIFY(kept.startsWith(QByteArray(70, '-') + "\r\nF E H L E R"));
        QVERIFY(kept.endsWith("newest\r\n\r\nthe next report\r\n"));
    }

    void theLogMovesToTheDataFolderWhenTheProgramFolderIsGone()
    {
        setProgramFolder(test::rootFolder() + "/no such folder");
        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, ErrorAnswer::Leave));
        setErrorReporter(&desk);
        raiseIn("Allgemein", "zz", ErrOverflow, 1);
        QVERIFY(QFile::exists(test::dataFolder() + "/Tessaron/" + programBaseName() + ".EPT"));
    }

    void thePlayerIsAskedEvenWhenNoLogCanBeWritten()
    {
        setProgramFolder(test::rootFolder() + "/no such folder");
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        QFile blocker(test::rootFolder() + "/a file, not a folder");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", blocker.fileName().toLocal8Bit());

        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, ErrorAnswer::Retry));
        setErrorReporter(&desk);
        int attempts = 0;
        trapped("Allgemein", "Retry", [&](Steps& step) {
            step(50010, [&] {
                if (++attempts == 1)
                    raiseError(ErrDiskFull);
            });
        });
        qputenv("XDG_DATA_HOME", savedData);
        QCOMPARE(attempts, 2);
        QVERIFY(calls.contains("ask without log"));
    }

    void anErrorWhileTheFirstIsAskedIsLoggedAndLeavesItsProcedure()
    {
        // While the dialog waits, a timer's procedure fails: it must neither
        // replace what the dialog shows nor take the player's answer.
        QStringList calls;
        auto prompt = std::make_unique<FakePrompt>(&calls, ErrorAnswer::Ignore);
        FakePrompt* asking = prompt.get();
        GameErrorReporter desk(std::move(prompt));
        setErrorReporter(&desk);
        QStringList trace;
        auto secondError = [&] {
            trapped("frmPuzzle", "Timer1_Timer", [&](Steps& step) {
                step(50010, [] { raiseError(ErrOverflow); });
                step(50020, [&] { trace << "second went on"; });
            });
            trace << "second left";
        };
        asking->onAsk = secondError;
        trapped("Allgemein", "GetLang", [&](Steps& step) {
            step(50010, [] { raiseError(ErrFileNotFound); });
            step(50020, [&] { trace << "first ignored and went on"; });
        });
        setErrorReporter(nullptr);
        QCOMPARE(trace, (QStringList{"second left", "first ignored and went on"}));
        QCOMPARE(calls.count("ask after log"), 1); // asked once
        QCOMPARE(desk.current().errorValues[0], QStringLiteral("53 (File not found)"));
        QFile log(GameErrorReporter::logPath(".EPT"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY(text.contains("53 (File not found)"));
        QVERIFY(text.contains("6 (Overflow)"));
        QVERIFY(text.contains("Timer1_Timer"));
    }

    void callStackKeepsTheTwentyNewest()
    {
        QStringList calls;
        GameErrorReporter desk(std::make_unique<FakePrompt>(&calls, ErrorAnswer::Leave));
        for (int i = 1; i <= 25; ++i)
            desk.addToCallStack(QStringLiteral("entry %1").arg(i));
        const QStringList& stack = desk.current().callStack;
        QCOMPARE(stack.size(), 20);
        QVERIFY(stack.first().startsWith("entry 25 "));
        QVERIFY(stack.last().startsWith("entry 6 "));
        QVERIFY(QRegularExpression("^entry 25 \\d\\d:\\d\\d:\\d\\d$").match(stack.first()).hasMatch());
        desk.setProgramInfo(QStringLiteral("custom info"));
        QCOMPARE(desk.current().programInfo, QStringLiteral("custom info"));
    }
};

TESSARON_TEST_MAIN(TestProtocol)
#include "test_protocol.moc"
