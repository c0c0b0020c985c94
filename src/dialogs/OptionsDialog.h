#pragma once
// The options dialog (frmOpt): board size, players and their names, frame
// colour, sound and music, and the game options. Every change is stored at
// the click; only the names wait for OK. A plain on/off option gets its check
// box from one row of OnOffBoxes in OptionsDialog.cpp.

#include "settings/SettingKeys.h"
#include "settings/SharedState.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QBoxLayout;
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
    // On a computer that joined a network game, the game is the host's: the
    // dialog shows only sound, music and the network game, and neither load
    // nor OK writes the game's board, players or options as this computer's.
    // Before load.
    void setJoining(bool joining);
    // The check box of a plain on/off option (OnOffBoxes in the .cpp), or
    // nullptr for a key the dialog shows no such box for.
    QCheckBox* optionCheck(const SettingKey& key) const;

    std::array<QLabel*, 2> fieldLabels{};
    QComboBox* boardSizeBox;
    QGroupBox* playersGroup;
    QComboBox* playerCountBox;
    std::array<QLineEdit*, 4> nameEdits{};
    QGroupBox* frameColourGroup;
    std::array<QRadioButton*, 2> frameColourButtons{};
    QGroupBox* soundGroup;
    QCheckBox* musicCheck;
    std::array<QRadioButton*, 2> musicRepeatButtons{};
    QGroupBox* gameOptionsGroup;
    QPushButton* networkButton;
    QPushButton* okButton;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    // The boxes of OnOffBoxes that belong in `group`, added to its column.
    void addOptionBoxes(QBoxLayout* column, QGroupBox* group, bool soundGroup);
    // The click on the box of OnOffBoxes[index]: its state goes to the shared value and the store.
    void plainOptionClicked(std::size_t index);
    // Sets a box without its change handling, which the load step runs itself.
    static void setQuietly(QCheckBox* box, bool checked);

    std::vector<QCheckBox*> optionBoxes_; // by the index of OnOffBoxes
    std::function<void()> openNetworkGame_;
    bool joining_ = false;
};

} // namespace tess
