#include "errors/FltDesk.h"

#include "util/WindowFit.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tess {

namespace {

const std::array<QString, 4> ProtocolCaptions = {
    QStringLiteral("&Drucken/Print"), QStringLiteral("&Speichern/Save"), QStringLiteral("&EMail"),
    QStringLiteral("&WWW")};
const std::array<QString, 4> ContinueCaptions = {
    QStringLiteral("Wieder&holen Retry"), QStringLiteral("&Ignorieren   Ignore"), QStringLiteral("&Abbrechen Cancel"),
    QStringLiteral("&Beenden       End")};

constexpr qint16 LeaveAnswer = 2;

// A row of four buttons in a frame.
std::array<QPushButton*, 4> buttonRow(QGroupBox* frame, const std::array<QString, 4>& captions)
{
    std::array<QPushButton*, 4> buttons{};
    auto* row = new QHBoxLayout(frame);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i] = new QPushButton(captions[i], frame);
        buttons[i]->setAutoDefault(false);
        row->addWidget(buttons[i]);
    }
    return buttons;
}

} // namespace

FltDesk::FltDesk(std::unique_ptr<ProtocolPrinter> printer, QWidget* parent)
    : QDialog(parent)
    , framComment(new QGroupBox(this))
    , framFehler(new QGroupBox(QStringLiteral("Fehlerbeschreibung / error description:"), this))
    , framProgInfo(new QGroupBox(QStringLiteral("Programm-Info:"), this))
    , framProtocol(new QGroupBox(QStringLiteral("Fehlerprotokoll ... / error protocoll..."), this))
    , framCallStack(new QGroupBox(QStringLiteral("CallStack:"), this))
    , framContinue(new QGroupBox(QStringLiteral("Weiterer Programmablauf... / Continue..."), this))
    , lblComment(new QLabel(framComment))
    , lblProgInfo(new QLabel(framProgInfo))
    , lstCallStack(new QListWidget(framCallStack))
    , printer_(printer ? std::move(printer) : std::make_unique<QtProtocolPrinter>())
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setModal(true);

    lblComment->setWordWrap(true);
    lblComment->setTextFormat(Qt::PlainText);
    lblProgInfo->setTextFormat(Qt::PlainText);
    (new QVBoxLayout(framComment))->addWidget(lblComment);

    auto* grid = new QGridLayout(framFehler);
    const std::array<QString, 4> titles = {QStringLiteral("Fehler-Nr / error :"), QStringLiteral("Modul:"),
                                           QStringLiteral("Prozedur / procedure:"), QStringLiteral("Zeile / Line:")};
    for (std::size_t i = 0; i < 4; ++i) {
        lblErrTitel[i] = new QLabel(titles[i], framFehler);
        lblError[i] = new QLabel(framFehler);
        lblError[i]->setTextFormat(Qt::PlainText); // error texts name files and paths
        lblError[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(lblErrTitel[i], static_cast<int>(i), 0);
        grid->addWidget(lblError[i], static_cast<int>(i), 1);
    }
    grid->setColumnStretch(1, 1);

    (new QVBoxLayout(framProgInfo))->addWidget(lblProgInfo);
    (new QVBoxLayout(framCallStack))->addWidget(lstCallStack);

    cmdProtocol = buttonRow(framProtocol, ProtocolCaptions);
    cmdContinue = buttonRow(framContinue, ContinueCaptions);
    for (int i = 0; i < 4; ++i) {
        connect(cmdProtocol[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { cmdProtocol_Click(i); });
        connect(cmdContinue[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { cmdContinue_Click(i); });
    }
    cmdContinue[0]->setDefault(true);
}

FltDesk::~FltDesk() = default;

void FltDesk::ArrangeDialog()
{
    const auto place = [](QGroupBox* frame, int top) {
        frame->setVisible(true);
        const int height = frame->hasHeightForWidth() ? frame->heightForWidth(DialogWidth) : frame->sizeHint().height();
        frame->setGeometry(0, top, DialogWidth, height);
        return height;
    };

    lblComment->setText(QStringLiteral("There is a problem. Please contact the author if this problem appears again.\r\n"
                                       "Es liegt ein Problem vor, mit dem Sie sich an den technischen Support "
                                       "wenden sollten, falls es wiederholt auftritt."));
    int y = place(framComment, 0);
    for (QGroupBox* frame : {framFehler, framProgInfo, framProtocol})
        y += place(frame, y);
    for (std::size_t i = 0; i < 3; ++i)
        cmdProtocol[i]->setVisible(true);
    cmdProtocol[3]->setVisible(false);
    framCallStack->setVisible(false);
    y += place(framContinue, y);
    for (QPushButton* button : cmdContinue)
        button->setVisible(true);

    setFixedSize(DialogWidth, y);
    centreOnScreen();
}

void FltDesk::centreOnScreen()
{
    placeWindow(this);
}

void FltDesk::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The window border is known only once the window is shown.
    centreOnScreen();
}

qint16 FltDesk::showError(const ProtocolData& data)
{
    data_ = data;
    for (std::size_t i = 0; i < 4; ++i)
        lblError[i]->setText(data.errorValues[i]);
    lblProgInfo->setText(data.programInfo);
    lstCallStack->clear();
    lstCallStack->addItems(data.callStack);
    ArrangeDialog();
    const int answer = exec();
    return answer >= 0 && answer <= 3 ? static_cast<qint16>(answer) : LeaveAnswer;
}

void FltDesk::cmdContinue_Click(int index)
{
    done(index);
}

void FltDesk::reject()
{
    // Escape, the close button or the window manager: leave the procedure, the safe choice.
    done(LeaveAnswer);
}

void FltDesk::cmdProtocol_Click(int index)
{
    const QString protocol = protocolText(data_);
    switch (index) {
    case 0:
        printProtocol(protocol, *printer_);
        break;
    case 1:
        saveProtocol(protocol, ErrorDesk::logPath(QStringLiteral(".ERR")));
        break;
    case 2:
        mailProtocol(protocol);
        break;
    default:
        openWebWithProtocol(protocol);
        break;
    }
}

FltDeskPrompt::FltDeskPrompt(std::unique_ptr<ProtocolPrinter> printer)
    : printer_(std::move(printer))
{
}

FltDeskPrompt::~FltDeskPrompt() = default;

void FltDeskPrompt::resetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void FltDeskPrompt::beep()
{
    QApplication::beep();
}

qint16 FltDeskPrompt::ask(const ProtocolData& shown)
{
    if (!desk_)
        desk_ = std::make_unique<FltDesk>(std::move(printer_));
    return desk_->showError(shown);
}

} // namespace tess
