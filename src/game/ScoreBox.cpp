#include "game/ScoreBox.h"

#include "resources/Resources.h"

#include <QPainter>

namespace tess {

ScoreBox::ScoreBox(const PictureCutter& digits, QWidget* parent)
    : QWidget(parent), digits_(digits)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    dense_.setPicture(loadArt(QStringLiteral("digits@2x.png")));
    dense_.setRows(1);
    dense_.setCols(10);
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
    // On dense screens the digits come from the double-size strip, drawn at the same place and size.
    const bool dense = devicePixelRatioF() > 1 && !dense_.picture().isNull();
    for (int i = 0; i < state_.digits.size() && i < int(state_.x.size()); ++i) {
        const int digit = state_.digits[i].digitValue();
        if (digit < 0)
            continue;
        const QImage& cell = digits_.cell(digit);
        const QRect target(QPoint(state_.x[std::size_t(i)], 2), cell.size());
        painter.drawImage(target, dense ? dense_.cell(digit) : cell);
    }
}

} // namespace tess
