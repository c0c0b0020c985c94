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

class FltDesk : public QDialog {
    Q_OBJECT

public:
    // `printer` prints the protocol; the default printer when none is given.
    explicit FltDesk(std::unique_ptr<ProtocolPrinter> printer = {}, QWidget* parent = nullptr);
    ~FltDesk() override;

    // Fills the dialog, arranges it, shows it modally and returns the index of
    // the continue button pressed; 2 when it was closed any other way.
    qint16 showError(const ProtocolData& data);

    // Frames stacked from the top, the window sized to them and centred.
    void ArrangeDialog();

    QGroupBox* framComment;
    QGroupBox* framFehler;
    QGroupBox* framProgInfo;
    QGroupBox* framProtocol;
    QGroupBox* framCallStack;
    QGroupBox* framContinue;
    QLabel* lblComment;
    std::array<QLabel*, 4> lblErrTitel{};
    std::array<QLabel*, 4> lblError{};
    QLabel* lblProgInfo;
    QListWidget* lstCallStack;
    std::array<QPushButton*, 4> cmdProtocol{};
    std::array<QPushButton*, 4> cmdContinue{};

    static constexpr int DialogWidth = 600;

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();
    void cmdProtocol_Click(int index);
    void cmdContinue_Click(int index);

    std::unique_ptr<ProtocolPrinter> printer_;
    ProtocolData data_;
};

// The reporter's prompt through FltDesk: the dialog is made at the first
// error and afterwards only hidden.
class FltDeskPrompt : public ErrorPrompt {
public:
    explicit FltDeskPrompt(std::unique_ptr<ProtocolPrinter> printer = {});
    ~FltDeskPrompt() override;

    void resetMousePointer() override;
    void beep() override;
    qint16 ask(const ProtocolData& shown) override;

    // The dialog once the first error has made it; nullptr before.
    FltDesk* desk() const { return desk_.get(); }

private:
    std::unique_ptr<ProtocolPrinter> printer_;
    std::unique_ptr<FltDesk> desk_;
};

} // namespace tess
