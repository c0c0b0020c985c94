#pragma once
// What the reporter's protocol buttons do: print, save, mail, web.

#include <QString>
#include <QStringList>

namespace tess {

// The lines the protocol is printed as: the text is preceded by CR LF, every
// line is split into words at blanks (each keeping its blank) and filled into
// lines of at most 73 counted characters; a continuation line starts with 20
// blanks that are not counted. A word longer than a line stays whole.
QStringList printLines(const QString& protocol);

class ProtocolPrinter {
public:
    virtual ~ProtocolPrinter() = default;
    // Prints the lines; false when no printer is available.
    virtual bool print(const QStringList& lines) = 0;
};

// Prints to the default printer, or into a PDF file when one is named (tests).
class QtProtocolPrinter : public ProtocolPrinter {
public:
    explicit QtProtocolPrinter(QString pdfFile = {});
    bool print(const QStringList& lines) override;

private:
    QString pdfFile_;
};

// Print button: prints, or tells the player plainly that there is no printer.
void printProtocol(const QString& protocol, ProtocolPrinter& printer);

// Save button: writes the protocol and CR LF to `path`, asking first before it
// replaces a file; confirms, or says plainly that the file could not be written.
// Returns whether the file was written.
bool saveProtocol(const QString& protocol, const QString& path);

// Mail button: explains, puts the protocol on the clipboard and opens a mail
// to the support address.
void mailProtocol(const QString& protocol);

// The hidden web button: protocol to the clipboard and the maker's page opened.
void openWebWithProtocol(const QString& protocol);

// The six lines of the mail explanation, joined by CR LF.
QString mailExplanation();

} // namespace tess
