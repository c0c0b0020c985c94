#include "controls/PictureButton.h"

#include <QPainter>
#include <QPainterPath>

namespace tess {

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inside = rect().adjusted(RingWidth, RingWidth, -RingWidth, -RingWidth);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    icon().paint(&painter, isDown() ? inside.translated(1, 1) : inside, Qt::AlignCenter, mode);
    if (hasFocus()) {
        QPainterPath ring; // the band between the two rectangles
        ring.addRect(rect());
        ring.addRect(inside);
        painter.fillPath(ring, ringColour_);
    }
}

} // namespace tess
