#include "dialogs/BackChoiceDialog.h"

#include "controls/Accessibility.h"
#include "controls/ImageControl.h"
#include "resources/BackSides.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "util/Checked.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/WindowButtons.h"

#include <QAccessible>
#include <QFrame>
#include <QPushButton>

namespace tess {

namespace {

constexpr int Cell = 100;
constexpr int Gap = 16;
constexpr int Margin = 20;
constexpr int FrameSize = Cell + 10;

} // namespace

BackChoiceDialog::BackChoiceDialog(QWidget* parent)
    : QDialog(parent)
    , selectionFrame(new QFrame(this))
    , okButton(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setModal(true);
    withoutMaximizeButton(this);
    const int width = 2 * Margin + 5 * Cell + 4 * Gap;
    const int height = 2 * Margin + 2 * Cell + Gap + 56;
    setFixedSize(width, height);
    selectionFrame->setStyleSheet(QStringLiteral("QFrame { border: 3px solid rgb(255, 204, 0); border-radius: 4px; }"));
    selectionFrame->resize(FrameSize, FrameSize);
    for (int i = 0; i < 10; ++i) {
        ImageControl* image = new ImageControl(this);
        image->setGeometry(Margin + (i % 5) * (Cell + Gap), Margin + (i / 5) * (Cell + Gap), Cell, Cell);
        image->setCursor(Qt::PointingHandCursor);
        setAccessibleRole(image, QAccessible::Button);
        image->setAccessibleName(QString::number(i + 1));
        connect(image, &ImageControl::clicked, this, [this, i] { chooseBackSide(i); });
        connect(image, &ImageControl::doubleClicked, this, [this, i] { chooseBackSideAndClose(i); });
        backPicture[std::size_t(i)] = image;
    }
    selectionFrame->lower();
    okButton->setDefault(true);
    okButton->setGeometry(width - Margin - 120, height - Margin - 34, 120, 34);
    connect(okButton, &QPushButton::clicked, this, &BackChoiceDialog::confirmChoice);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(24, 24, 24));
    setPalette(dark);
    setAutoFillBackground(true);
}

void BackChoiceDialog::frame(int index)
{
    const QRect image = at(backPicture, index, "imgBack")->geometry();
    for (std::size_t i = 0; i < backPicture.size(); ++i)
        backPicture[i]->setAccessibleDescription(int(i) == index ? QStringLiteral("\u2713") : QString());
    // Centred on the image: each half rounded down, as the classic shape was placed.
    selectionFrame->move(image.left() - (selectionFrame->width() - image.width()) / 2,
                  image.top() - (selectionFrame->height() - image.height()) / 2);
}

void BackChoiceDialog::load()
{
    trapped("frmBack", "Form_Load", [&](Steps& step) {
        step(50010, [&] { frame(shared().backSide); });
        step(50020, [&] {
            for (int i = 0; i < 10; ++i)
                backPicture[std::size_t(i)]->setPicture(backSideCutter().cell(i), i);
        });
    });
}

void BackChoiceDialog::chooseBackSide(int index)
{
    trapped("frmBack", "imgBack_Click", [&](Steps& step) {
        step(50010, [&] { frame(index); });
        step(50020, [&] { shared().backSide = index; });
        step(50030, [&] { saveIntegerSetting(keys::backSide, shared().backSide); });
    });
}

void BackChoiceDialog::chooseBackSideAndClose(int index)
{
    trapped("frmBack", "imgBack_DblClick", [&](Steps& step) {
        step(50010, [&] { chooseBackSide(index); });
        step(50020, [&] { confirmChoice(); });
    });
}

void BackChoiceDialog::confirmChoice()
{
    trapped("frmBack", "cmdOK_Click", [&](Steps& step) { step(50010, [&] { accept(); }); });
}

} // namespace tess
