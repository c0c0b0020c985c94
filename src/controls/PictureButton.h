#pragma once
// A button of the game window's button bar: its picture on the window's own
// background, a ring while it has the keyboard focus, and the picture moved by
// a pixel while it is held down. A disabled button shows its picture greyed.
// It paints itself rather than through a style sheet: ten of those would be
// parsed and polished on the way to the first window.

#include <QColor>
#include <QToolButton>

namespace tess {

class PictureButton : public QToolButton {
    Q_OBJECT

public:
    using QToolButton::QToolButton;

    static constexpr int RingWidth = 2;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor ringColour_{0, 200, 255};
};

} // namespace tess
