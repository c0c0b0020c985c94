#pragma once
// The back-side choice (frmBack): the ten designs of the back sheet, the
// current one framed. A click chooses and stores at once, a double click
// chooses and closes; OK closes. There is no cancel.

#include <QDialog>

#include <array>

class QFrame;
class QPushButton;

namespace tess {

class ImageControl;

class BackChoiceDialog : public QDialog {
    Q_OBJECT

public:
    explicit BackChoiceDialog(QWidget* parent = nullptr);

    void load();
    void chooseBackSide(int index);
    void chooseBackSideAndClose(int index);
    void confirmChoice();

    std::array<ImageControl*, 10> backPicture{};
    QFrame* selectionFrame;
    QPushButton* okButton;

private:
    void frame(int index);
};

} // namespace tess
