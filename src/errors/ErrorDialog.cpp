#include "errors/ErrorDialog.h"

#include "util/WindowButtons.h"
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

ErrorDialog::ErrorDialog(std::unique_ptr<ProtocolPrinter> printer, QWidget* parent)
    : QDialog(parent)
    , commentGroup(new QGroupBox(this))
    , errorGroup(new QGroupBox(QStringLiteral("Fehlerbeschreibung / error description:"), this))
    , programInfoGroup(new QGroupBox(QStringLiteral("Programm-Info:"), this))
    , protocolGroup(new QGroupBox(QStringLiteral("Fehlerprotokoll ... / error protocoll..."), this))
    , callStackGroup(new QGroupBox(QStringLiteral("CallStack:"), this))
    , continueGroup(new QGroupBox(QStringLiteral("Weiterer Programmablauf... / Continue..."), this))
    , commentLabel(new QLabel(commentGroup))
    , programInfoLabel(new QLabel(programInfoGroup))
    , callStackList(new QListWidget(callStackGroup))
    , printer_(printer ? std::move(printer) : std::make_unique<QtProtocolPrinter>())
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setModal(true);
    withoutMaximizeButton(this);

    commentLabel->setWordWrap(true);
    commentLabel->setTextFormat(Qt::PlainText);
    programInfoLabel->setTextFormat(Qt::PlainText);
    (new QVBoxLayout(commentGroup))->addWidget(commentLabel);

    auto* grid = new QGridLayout(errorGroup);
    const std::array<QString, 4> titles = {QStringLiteral("Fehler-Nr / error :"), QStringLiteral("Modul:"),
                                           QStringLiteral("Prozedur / procedure:"), QStringLiteral("Zeile / Line:")};
    for (std::size_t i = 0; i < 4; ++i) {
        errorCaptionLabels[i] = new QLabel(titles[i], errorGroup);
        errorValueLabels[i] = new QLabel(errorGroup);
        errorValueLabels[i]->setTextFormat(Qt::PlainText); // error texts name files and paths
        errorValueLabels[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(errorCaptionLabels[i], static_cast<int>(i), 0);
        grid->addWidget(errorValueLabels[i], static_cast<int>(i), 1);
    }
    grid->setColumnStretch(1, 1);

    (new QVBoxLayout(programInfoGroup))->addWidget(programInfoLabel);
    (new QVBoxLayout(callStackGroup))->addWidget(callStackList);

    protocolButtons = buttonRow(protocolGroup, ProtocolCaptions);
    continueButtons = buttonRow(continueGroup, ContinueCaptions);
    for (int i = 0; i < 4; ++i) {
        connect(protocolButtons[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { passOnProtocol(i); });
        connect(continueButtons[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { answerWith(i); });
    }
    continueButtons[0]->setDefault(true);
}

ErrorDialog::~ErrorDialog() = default;

void ErrorDialog::arrangeFrames()
{
    const auto place = [](QGroupBox* frame, int top) {
        frame->setVisible(true);
        const int height = frame->hasHeightForWidth() ? frame->heightForWidth(DialogWidth) : frame->sizeHint().height();
        frame->setGeometry(0, top, DialogWidth, height);
        return height;
    };

    commentLabel->setText(QStringLiteral("There is a problem. Please contact the author if this problem appears again.\r\n"
                                       "Es liegt ein Problem vor, mit dem Sie sich an den technischen Support "
                                       "wenden sollten, falls es wiederholt auftritt."));
    int y = place(commentGroup, 0);
    for (QGroupBox* frame : {errorGroup, programInfoGroup, protocolGroup})
        y += place(frame, y);
    for (std::size_t i = 0; i < 3; ++i)
        protocolButtons[i]->setVisible(true);
    protocolButtons[3]->setVisible(false);
    callStackGroup->setVisible(false);
    y += place(continueGroup, y);
    for (QPushButton* button : continueButtons)
        button->setVisible(true);

    setFixedSize(DialogWidth, y);
    centreOnScreen();
}

void ErrorDialog::centreOnScreen()
{
    placeWindow(this);
}

void ErrorDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The window border is known only once the window is shown.
    centreOnScreen();
}

ErrorAnswer ErrorDialog::showError(const ProtocolData& data)
{
    data_ = data;
    for (std::size_t i = 0; i < 4; ++i)
        errorValueLabels[i]->setText(data.errorValues[i]);
    programInfoLabel->setText(data.programInfo);
    callStackList->clear();
    callStackList->addItems(data.callStack);
    arrangeFrames();
    return errorAnswerAt(exec()); // the dialog ends with the button's place
}

void ErrorDialog::answerWith(int index)
{
    done(index);
}

void ErrorDialog::reject()
{
    // Escape, the close button or the window manager: leave the procedure, the safe choice.
    done(static_cast<int>(ErrorAnswer::Leave));
}

void ErrorDialog::passOnProtocol(int index)
{
    const QString protocol = protocolText(data_);
    switch (index) {
    case 0:
        printProtocol(protocol, *printer_);
        break;
    case 1:
        saveProtocol(protocol, GameErrorReporter::logPath(QStringLiteral(".ERR")));
        break;
    case 2:
        mailProtocol(protocol);
        break;
    default:
        openWebWithProtocol(protocol);
        break;
    }
}

ErrorDialogPrompt::ErrorDialogPrompt(std::unique_ptr<ProtocolPrinter> printer)
    : printer_(std::move(printer))
{
}

ErrorDialogPrompt::~ErrorDialogPrompt() = default;

void ErrorDialogPrompt::resetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void ErrorDialogPrompt::beep()
{
    QApplication::beep();
}

ErrorAnswer ErrorDialogPrompt::ask(const ProtocolData& shown)
{
    if (!dialog_)
        dialog_ = std::make_unique<ErrorDialog>(std::move(printer_));
    return dialog_->showError(shown);
}

} // namespace tess
