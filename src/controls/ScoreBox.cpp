#include "controls/ScoreBox.h"

#include "resources/Resources.h"

#include <QPainter>

namespace tess {

namespace {

// The double-size strip is for dense screens alone: it loads at the first
// paint on one, once for all four boxes.
const PictureCutter& denseDigits()
{
    static const PictureCutter strip = [] {
        PictureCutter cutter;
        cutter.setPicture(loadArt(QStringLiteral("digits@2x.png")));
        cutter.setRows(1);
        cutter.setCols(10);
        return cutter;
    }();
    return strip;
}

} // namespace

ScoreBox::ScoreBox(const PictureCutter& digits, QWidget* parent)
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
    // On dense screens the digits come from the double-size strip, drawn at the same place and size.
    const bool dense = devicePixelRatioF() > 1 && !denseDigits().picture().isNull();
    for (int i = 0; i < state_.digits.size() && i < int(state_.x.size()); ++i) {
        const int digit = state_.digits[i].digitValue();
        if (digit < 0)
            continue;
        const QImage& cell = digits_.cell(digit);
        const QRect target(QPoint(state_.x[std::size_t(i)], 2), cell.size());
        painter.drawImage(target, dense ? denseDigits().cell(digit) : cell);
    }
}

} // namespace tess
