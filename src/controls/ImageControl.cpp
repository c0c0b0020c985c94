#include "controls/ImageControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QCoreApplication>
#include <QHash>

namespace tess {

namespace {

QHash<QString, QPixmap>& scaledCopies()
{
    static QHash<QString, QPixmap> copies;
    static const bool clearedAtTheEnd = [] {
        qAddPostRoutine([] { copies.clear(); }); // no pixmap may outlive the application
        return true;
    }();
    Q_UNUSED(clearedAtTheEnd);
    return copies;
}

} // namespace

QImage smoothlyScaled(const QImage& picture, const QSize& size)
{
    // Qt scales a picture of 256 colours (the built-in ones, GIFs) within its
    // palette, picking pixels: the result is grainy. Averaged in full colour,
    // each pixel shows the area it stands for.
    const bool paletted = picture.format() == QImage::Format_Indexed8 || picture.format() == QImage::Format_Mono
                          || picture.format() == QImage::Format_MonoLSB;
    if (!paletted)
        return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32)
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

namespace {

// Controls that show the same picture at the same size (the empty cells of
// a board, the back of every piece) share one scaled copy; a copy that no
// control shows any more goes when the next one is made.
QPixmap scaledPicture(const QImage& picture, const QSize& size, qreal ratio)
{
    QHash<QString, QPixmap>& copies = scaledCopies();
    const QString key = QStringLiteral("%1 %2x%3 %4").arg(picture.cacheKey()).arg(size.width()).arg(size.height()).arg(ratio);
    if (const auto found = copies.constFind(key); found != copies.constEnd())
        return *found;
    copies.removeIf([](const auto& entry) { return entry.value().isDetached(); });
    QPixmap scaled = QPixmap::fromImage(smoothlyScaled(picture, size * ratio));
    scaled.setDevicePixelRatio(ratio);
    copies.insert(key, scaled);
    return scaled;
}

} // namespace

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

void ImageControl::setActive(bool active)
{
    active_ = active;
}

void ImageControl::setFocusColour(const QColor& colour)
{
    focusColour_ = colour;
    if (hasFocus())
        update();
}

void ImageControl::press()
{
    if (isActive())
        Q_EMIT clicked();
}

void ImageControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (!picture_.isNull() && (scaled_.isNull() || scaledFor_ != size() || scaledRatio_ != ratio)) {
        scaled_ = scaledPicture(picture_, size(), ratio);
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
    if (hasFocus()) {
        // A ring that stands out from the frame, with a dark edge inside for light pictures.
        const int w = std::max(3, width() / 30);
        painter.setPen(QPen(focusColour_, w));
        painter.drawRect(QRectF(rect()).adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(w, w, -w - 1, -w - 1));
    }
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isActive())
        Q_EMIT clicked();
}

void ImageControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && isActive())
        Q_EMIT doubleClicked();
}

void ImageControl::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        press();
        return;
    case Qt::Key_Left: Q_EMIT arrowPressed(-1, 0); return;
    case Qt::Key_Right: Q_EMIT arrowPressed(1, 0); return;
    case Qt::Key_Up: Q_EMIT arrowPressed(0, -1); return;
    case Qt::Key_Down: Q_EMIT arrowPressed(0, 1); return;
    default: QWidget::keyPressEvent(event);
    }
}

void ImageControl::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void ImageControl::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tess
