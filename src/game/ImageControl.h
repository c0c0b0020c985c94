#pragma once
// An image control: shows a picture stretched to its size, optionally with a
// thin border, and reports clicks while enabled. The picture is scaled once
// per size and kept, so repainting is cheap and crisp on high-density screens.

#include <QPixmap>
#include <QWidget>

namespace tess {

class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    void setPicture(const QImage& picture, qint64 key);
    void setBorder(bool border);
    bool hasBorder() const { return border_; }

Q_SIGNALS:
    void clicked();
    void doubleClicked(); // after the click that the second press also is

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    qint64 key_ = -1;
    QPixmap scaled_;
    QSize scaledFor_;
    qreal scaledRatio_ = 0;
    bool border_ = false;
};

} // namespace tess
