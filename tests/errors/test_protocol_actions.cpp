// The protocol buttons: print wrapping (read back from a PDF), save, mail.

#include "errors/ProtocolActions.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace tess;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class RefusingPrinter : public ProtocolPrinter {
public:
    bool print(const QStringList&) override { return false; }
};

const QString Blanks20(20, u' ');

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestProtocolActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    void theFirstPrintedLineIsASingleBlank()
    {
        const QStringList lines = printLines(QStringLiteral("abc\r\n"));
        QCOMPARE(lines, (QStringList{" ", "abc ", " "}));
    }

    void aLongWordStaysOneLine()
    {
        const QString word(200, u'x');
        const QStringList lines = printLines(word + QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[1], Blanks20 + word + u' ');
    }

    void shortWordsWrapWithTwentyBlankContinuationLines()
    {
        // 20 words of "word " are 100 characters: 14 fit into 73 (70), the 15th does not.
        const QString line = QStringLiteral("word ").repeated(19) + QStringLiteral("word");
        const QStringList lines = printLines(line + QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1], QStringLiteral("word ").repeated(14));
        QCOMPARE(lines[2], Blanks20 + QStringLiteral("word ").repeated(6));
    }

    void theCountIncludesTheWordThatReachesSeventyThree()
    {
        // 73 counted characters fit exactly; one more wraps.
        const QString fits = QString(72, u'a'); // plus its appended blank: 73
        QCOMPARE(printLines(fits + QStringLiteral("\r\n"))[1], fits + u' ');
        const QString twoWords = QString(40, u'a') + u' ' + QString(32, u'b'); // 41 + 33 = 74
        const QStringList lines = printLines(twoWords + QStringLiteral("\r\n"));
        QCOMPARE(lines[1], QString(40, u'a') + u' ');
        QCOMPARE(lines[2], Blanks20 + QString(32, u'b') + u' ');
    }

    void indentBlanksAreWordsOfTheirOwn()
    {
        const QString indented = QString(10, u' ') + QStringLiteral("Modul:\tAllgemein");
        QCOMPARE(printLines(indented + QStringLiteral("\r\n"))[1], indented + u' ');
    }

    void thePrintedPdfHoldsTheWrappedLines()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        const QString pdf = test::tempFolder() + "/protocol.pdf";
        const QString longWord(200, u'L');
        const QString protocol = QStringLiteral("first line\r\n") + longWord + QStringLiteral("\r\n")
            + QStringLiteral("word ").repeated(19) + QStringLiteral("last\r\n");
        QtProtocolPrinter printer(pdf);
        QVERIFY(printer.print(printLines(protocol)));

        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(reader.waitForFinished(30000));
        const QStringList text = QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n');
        const auto lineWith = [&](const QString& part) {
            for (const QString& line : text)
                if (line.contains(part))
                    return line;
            return QString();
        };
        QVERIFY(!lineWith(QStringLiteral("first line")).isEmpty());
        // The 200-character word is printed whole on one line.
        QVERIFY2(lineWith(longWord).contains(longWord), qPrintable(text.join(u'\n')));
        // The short words wrap: 14 on the first line, the rest on an indented continuation.
        const QString first = lineWith(QStringLiteral("word word"));
        QCOMPARE(first.count(QStringLiteral("word")), 14);
        const QString continuation = lineWith(QStringLiteral("last"));
        QCOMPARE(continuation.count(QStringLiteral("word")), 5);
        QVERIFY2(continuation.startsWith(QString(15, u' ')), qPrintable(continuation));
        QVERIFY(!first.startsWith(u' '));
    }

    void withoutAPrinterThePlayerIsTold()
    {
        test::ScriptedDialogs dialogs;
        RefusingPrinter printer;
        printProtocol(QStringLiteral("protocol\r\n"), printer);
        QCOMPARE(dialogs.informed.size(), 1);
        QVERIFY(dialogs.informed.first().contains(QStringLiteral("No printer is available")));
    }

    void savingWritesTheProtocolAndConfirms()
    {
        test::ScriptedDialogs dialogs;
        const QString path = test::programFolder() + "/tessaron.ERR";
        QVERIFY(saveProtocol(QStringLiteral("the protocol\r\n"), path));
        QVERIFY(dialogs.asked.isEmpty()); // nothing to replace, nothing to ask
        QCOMPARE(readText(path), QStringLiteral("the protocol\r\n\r\n"));
        QCOMPARE(dialogs.informed,
                 QStringList{QStringLiteral("Das Fehlerprotokoll wurde in die Datei '") + path
                             + QStringLiteral("' geschrieben !")});
    }

    void savingAsksBeforeItReplacesAFile()
    {
        const QString path = test::programFolder() + "/tessaron.ERR";
        writeText(path, "the old protocol");
        {
            test::ScriptedDialogs dialogs;
            dialogs.answers = {false};
            QVERIFY(!saveProtocol(QStringLiteral("new\r\n"), path));
            QCOMPARE(dialogs.asked,
                     QStringList{QStringLiteral("Vorhandene Datei '") + path + QStringLiteral("' überschreiben ?")});
            QVERIFY(dialogs.informed.isEmpty()); // No shows no confirmation
            QCOMPARE(readText(path), QStringLiteral("the old protocol"));
        }
        {
            test::ScriptedDialogs dialogs;
            dialogs.answers = {true};
            QVERIFY(saveProtocol(QStringLiteral("new\r\n"), path));
            QCOMPARE(readText(path), QStringLiteral("new\r\n\r\n"));
            QCOMPARE(dialogs.informed.size(), 1);
        }
    }

    void aFailedSaveIsNotReportedAsSuccess()
    {
        test::ScriptedDialogs dialogs;
        const QString path = test::programFolder() + "/no such folder/tessaron.ERR";
        QVERIFY(!saveProtocol(QStringLiteral("p\r\n"), path));
        QCOMPARE(dialogs.informed.size(), 1);
        QVERIFY(dialogs.informed.first().contains(QStringLiteral("could not be written")));
    }

    void mailingExplainsCopiesAndOpensTheMailProgram()
    {
        test::ScriptedDialogs dialogs;
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        mailProtocol(QStringLiteral("the protocol\r\n"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

        QCOMPARE(dialogs.informed.size(), 1);
        const QStringList explanation = dialogs.informed.first().split(QStringLiteral("\r\n"));
        QCOMPARE(explanation.size(), 6);
        QVERIFY(explanation[0].startsWith(QStringLiteral("Es wird jetzt Ihr Standard-Email-Programm aufgerufen.")));
        QCOMPARE(explanation[2], QString());
        QVERIFY(explanation[5].endsWith(QStringLiteral("aus dem Menü 'Bearbeiten' ausführen.")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the protocol\r\n"));
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened.first().scheme(), QStringLiteral("mailto"));
        QVERIFY(!catcher.opened.first().toString().contains(u' ')); // the address is trimmed
    }
};

TESSARON_TEST_MAIN(TestProtocolActions)
#include "test_protocol_actions.moc"
