#include "game/PictureButton.h"

#include <QPainter>

namespace tess {

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect inside = rect().adjusted(RingWidth, RingWidth, -RingWidth, -RingWidth);
    if (isDown())
        inside.translate(1, 1);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    icon().paint(&painter, inside, Qt::AlignCenter, mode);
    if (hasFocus()) {
        painter.setPen(QPen(ringColour_, RingWidth));
        painter.drawRect(QRectF(rect()).adjusted(RingWidth / 2.0, RingWidth / 2.0, -RingWidth / 2.0, -RingWidth / 2.0));
    }
}

} // namespace tess
