#pragma once
// An image control: shows a picture stretched to its size, optionally with a
// thin border, and reports clicks while active. It takes the keyboard focus
// too, shows it as a ring, and reports Space and Enter as clicks and the
// arrow keys for moving on. The picture is scaled once per size and kept, so
// repainting is cheap and crisp on high-density screens.

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace tess {

// A picture at another size, each pixel averaged from the area it covers,
// also for pictures of 256 colours. Always made from the picture itself.
QImage smoothlyScaled(const QImage& picture, const QSize& size);

class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    void setPicture(const QImage& picture, qint64 key);
    void setBorder(bool border);
    bool hasBorder() const { return border_; }
    // Whether clicks and keys act; an inactive control still takes the focus,
    // so the keyboard can visit a laid piece and a screen reader tell it.
    void setActive(bool active);
    bool isActive() const { return active_ && isEnabled(); }
    void setFocusColour(const QColor& colour);

    // Acts as a click would (Space, Enter, a screen reader's "press").
    void press();

Q_SIGNALS:
    void clicked();
    void doubleClicked(); // after the click that the second press also is
    void arrowPressed(int dx, int dy);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QImage picture_;
    qint64 key_ = -1;
    QPixmap scaled_;
    QSize scaledFor_;
    qreal scaledRatio_ = 0;
    bool border_ = false;
    bool active_ = true;
    QColor focusColour_{0, 200, 255};
};

} // namespace tess
