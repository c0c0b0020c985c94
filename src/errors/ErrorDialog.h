#pragma once
// The error reporter's dialog: what failed, the program info, the protocol
// buttons (print, save, mail) and the four ways to go on. Its fixed texts are
// German and English side by side and do not follow the game's language.

#include "errors/ErrorReporter.h"
#include "errors/ProtocolActions.h"

#include <QDialog>

#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tess {

class ErrorDialog : public QDialog {
    Q_OBJECT

public:
    // `printer` prints the protocol; the default printer when none is given.
    explicit ErrorDialog(std::unique_ptr<ProtocolPrinter> printer = {}, QWidget* parent = nullptr);
    ~ErrorDialog() override;

    // Fills the dialog, arranges it, shows it modally and returns the continue
    // button pressed; Leave when it was closed any other way.
    ErrorAnswer showError(const ProtocolData& data);

    // Frames stacked from the top, the window sized to them and centred.
    void arrangeFrames();

    QGroupBox* commentGroup;
    QGroupBox* errorGroup;
    QGroupBox* programInfoGroup;
    QGroupBox* protocolGroup;
    QGroupBox* callStackGroup;
    QGroupBox* continueGroup;
    QLabel* commentLabel;
    std::array<QLabel*, 4> errorCaptionLabels{};
    std::array<QLabel*, 4> errorValueLabels{};
    QLabel* programInfoLabel;
    QListWidget* callStackList;
    std::array<QPushButton*, 4> protocolButtons{};
    std::array<QPushButton*, 4> continueButtons{};

    static constexpr int DialogWidth = 600;

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();
    void passOnProtocol(int index);
    void answerWith(int index);

    std::unique_ptr<ProtocolPrinter> printer_;
    ProtocolData data_;
};

// The reporter's prompt through ErrorDialog: the dialog is made at the first
// error and afterwards only hidden.
class ErrorDialogPrompt : public ErrorPrompt {
public:
    explicit ErrorDialogPrompt(std::unique_ptr<ProtocolPrinter> printer = {});
    ~ErrorDialogPrompt() override;

    void resetMousePointer() override;
    void beep() override;
    ErrorAnswer ask(const ProtocolData& shown) override;

    // The dialog once the first error has made it; nullptr before.
    ErrorDialog* dialog() const { return dialog_.get(); }

private:
    std::unique_ptr<ProtocolPrinter> printer_;
    std::unique_ptr<ErrorDialog> dialog_;
};

} // namespace tess
