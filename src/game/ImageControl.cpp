#include "game/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>

namespace tess {

ImageControl::ImageControl(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageControl::setPicture(const QImage& picture, qint64 key)
{
    if (key == key_ && key >= 0)
        return;
    picture_ = picture;
    key_ = key;
    scaled_ = QPixmap();
    update();
}

void ImageControl::setBorder(bool border)
{
    if (border_ == border)
        return;
    border_ = border;
    update();
}

void ImageControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (!picture_.isNull() && (scaled_.isNull() || scaledFor_ != size() || scaledRatio_ != ratio)) {
        scaled_ = QPixmap::fromImage(picture_.scaled(size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        scaled_.setDevicePixelRatio(ratio);
        scaledFor_ = size();
        scaledRatio_ = ratio;
    }
    if (scaled_.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawPixmap(0, 0, scaled_);
    if (border_) {
        painter.setPen(QColor(0, 0, 0));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        Q_EMIT clicked();
}

} // namespace tess

namespace tess {

void ImageControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && isEnabled())
        Q_EMIT doubleClicked();
}

} // namespace tess
