#pragma once
// The options dialog (frmOpt): board size, players and their names, frame
// colour, sound and music, and the six game options. Every change is stored
// at the click; only the names wait for OK.

#include "settings/SettingKeys.h"
#include "settings/SharedState.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tess {

class OptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit OptionsDialog(QWidget* parent = nullptr);

    // Sets every control from the shared state; each change handling runs as
    // a click would, so every value is written back unchanged.
    void load();
    // The texts in the current language.
    void retranslate();

    void musicToggled();
    void musicRepeatChosen(bool repeat);
    void frameColourChosen(FrameColour colour);
    void boardSizeChosen();
    void playerCountChosen();
    void selectWholeName(int index);
    void saveNamesAndClose();
    // What "Network game..." does: the game window opens its network
    // dialog over this one. Without it the button stays greyed.
    void setNetworkGameOpener(std::function<void()> opener);

    std::array<QLabel*, 2> fieldLabels{};
    QComboBox* boardSizeBox;
    QGroupBox* playersGroup;
    QComboBox* playerCountBox;
    std::array<QLineEdit*, 4> nameEdits{};
    QGroupBox* frameColourGroup;
    std::array<QRadioButton*, 2> frameColourButtons{};
    QGroupBox* soundGroup;
    QCheckBox* soundCheck;
    QCheckBox* musicCheck;
    std::array<QRadioButton*, 2> musicRepeatButtons{};
    QGroupBox* gameOptionsGroup;
    QCheckBox* gridCheck;
    QCheckBox* autoDrawCheck;
    QCheckBox* previewCheck;
    QCheckBox* hintsCheck;
    QCheckBox* jokersCheck;
    QCheckBox* timeLimitCheck;
    QPushButton* networkButton;
    QPushButton* okButton;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A check box bound to one option: its state goes to the shared value and the store.
    struct Binding {
        QCheckBox* box;
        bool SharedState::*value;
        SettingKey key;
        const char* procedure;
    };
    void build();
    void plainOptionClicked(const Binding& binding);
    // Sets a box without its change handling, which the load step runs itself.
    static void setQuietly(QCheckBox* box, bool checked);

    std::array<Binding, 7> optionBindings_{};
    std::function<void()> openNetworkGame_;
};

} // namespace tess
