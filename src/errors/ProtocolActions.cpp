#include "errors/ProtocolActions.h"

#include "util/Dialogs.h"
#include "util/FileWrite.h"
#include "util/Maker.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QUrl>

#include <utility>

namespace tess {

namespace {

constexpr qsizetype LineWidth = 73;
const QString ContinuationIndent(20, u' ');
const QString Title = QStringLiteral("Tessaron");

// Splits at blanks; every word keeps the blank that ends it.
QStringList wordsOf(const QString& line)
{
    QStringList words;
    qsizetype start = 0;
    while (start < line.size()) {
        const qsizetype blank = line.indexOf(u' ', start);
        const qsizetype end = blank < 0 ? line.size() : blank + 1;
        words << line.mid(start, end - start);
        start = end;
    }
    return words;
}

void toClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace

QStringList printLines(const QString& protocol)
{
    QStringList printed;
    const QStringList lines = (QStringLiteral("\r\n") + protocol).split(QStringLiteral("\r\n"));
    for (const QString& line : lines) {
        QString output;
        qsizetype count = 0;
        for (const QString& word : wordsOf(line + u' ')) {
            if (count + word.size() > LineWidth) {
                if (!output.isEmpty())
                    printed << output;
                output = ContinuationIndent + word;
                count = word.size();
            } else {
                output += word;
                count += word.size();
            }
        }
        if (!output.isEmpty())
            printed << output;
    }
    return printed;
}

QtProtocolPrinter::QtProtocolPrinter(QString pdfFile)
    : pdfFile_(std::move(pdfFile))
{
}

bool QtProtocolPrinter::print(const QStringList& lines)
{
    QPrinter printer(QPrinter::HighResolution);
    if (pdfFile_.isEmpty()) {
        if (QPrinterInfo::defaultPrinter().isNull())
            return false;
        printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile_);
    }
    printer.setDocName(QStringLiteral("Tessaron error protocol"));

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    painter.setFont(font);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    const int pageHeight = printer.height();
    int y = 0;
    for (const QString& line : lines) {
        if (y + lineHeight > pageHeight) {
            printer.newPage();
            y = 0;
        }
        // Tabs stop every eight columns of the fixed-width font.
        QString shown;
        for (const QChar c : line) {
            if (c == u'\t')
                shown += QString(8 - shown.size() % 8, u' ');
            else
                shown += c;
        }
        // A word longer than a line stays whole: that line gets a smaller font.
        const double pageWidth = printer.width(); // the printable area, inside the margins
        const double width = painter.fontMetrics().horizontalAdvance(shown);
        painter.save();
        if (width > pageWidth) {
            QFont smaller = font;
            smaller.setPointSizeF(font.pointSizeF() * pageWidth / width * 0.98);
            painter.setFont(smaller);
        }
        painter.drawText(QPointF(0, y + lineHeight - painter.fontMetrics().descent()), shown);
        painter.restore();
        y += lineHeight;
    }
    return painter.end();
}

void printProtocol(const QString& protocol, ProtocolPrinter& printer)
{
    if (!printer.print(printLines(protocol)))
        dialogs().inform(QStringLiteral("Es ist kein Drucker verfügbar.\r\nNo printer is available."), Title);
}

bool saveProtocol(const QString& protocol, const QString& path)
{
    if (QFile::exists(path)
        && !dialogs().askYesNo(QStringLiteral("Vorhandene Datei '") + path + QStringLiteral("' überschreiben ?"), Title))
        return false;
    if (replaceFileWhole(path, (protocol + QStringLiteral("\r\n")).toUtf8()) != 0) {
        dialogs().inform(QStringLiteral("Die Datei '") + path
                             + QStringLiteral("' konnte nicht geschrieben werden.\r\nThe file could not be written."),
                         Title);
        return false;
    }
    dialogs().inform(QStringLiteral("Das Fehlerprotokoll wurde in die Datei '") + path + QStringLiteral("' geschrieben !"),
                     Title);
    return true;
}

QString mailExplanation()
{
    return QStringList{
        QStringLiteral("Es wird jetzt Ihr Standard-Email-Programm aufgerufen. Die Fehlerbeschreibung sowie das "
                       "Fehlerprotokoll"),
        QStringLiteral("wurden zu Ihrer Bequemlichkeit in die Zwischenablage kopiert."),
        QString(),
        QStringLiteral("Bitte fügen Sie den Inhalt der Zwischenablage in Ihre Email ein, indem Sie in Ihrem "
                       "Email-Programm"),
        QStringLiteral("die Tasten [Strg] und [Einfg] gleichzeitig betätigen. Alternativ können Sie den Inhalt in "
                       "die EMail"),
        QStringLiteral("einfügen, indem Sie den Befehl 'Einfügen' aus dem Menü 'Bearbeiten' ausführen."),
    }
        .join(QStringLiteral("\r\n"));
}

void mailProtocol(const QString& protocol)
{
    dialogs().inform(mailExplanation(), Title);
    toClipboard(protocol);
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + QString::fromUtf8(MakerSupportAddress).trimmed()));
}

void openWebWithProtocol(const QString& protocol)
{
    toClipboard(protocol);
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(MakerWebPage)));
}

} // namespace tess
