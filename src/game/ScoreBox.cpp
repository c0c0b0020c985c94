#include "game/ScoreBox.h"

#include <QPainter>

namespace tess {

ScoreBox::ScoreBox(const PictureClip& digits, QWidget* parent)
    : QWidget(parent), digits_(digits)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScoreBox::display(const ScoreState& state)
{
    state_ = state;
    setGeometry(state.geometry);
    setVisible(state.visible);
    update();
}

void ScoreBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), Qt::black);
    if (digits_.picture().isNull())
        return;
    for (int i = 0; i < state_.digits.size() && i < int(state_.x.size()); ++i) {
        const int digit = state_.digits[i].digitValue();
        if (digit < 0)
            continue;
        const QImage& cell = digits_.graphicCell(qint16(digit));
        painter.drawImage(QPoint(state_.x[std::size_t(i)], 2), cell);
    }
}

} // namespace tess
