#include "game/Layout.h"

#include "util/Numbers.h"

#include <algorithm>

namespace tess {

int near(double value)
{
    // 32 bits: the header grid rounds i x SW, which passes 16 bits on screens wider than 1092 pixels.
    return toInt32(value);
}

int half(int value)
{
    return value / 2;
}

float LayoutMetrics::f() const
{
    return static_cast<float>(SW / 1024.0 * 0.9);
}

double LayoutMetrics::k() const
{
    return tpp < 15 ? 0.8 : 1.0;
}

QString frameArt(int rahmen)
{
    return rahmen == 1 ? QStringLiteral("frame_black.png") : QStringLiteral("frame_gold.png");
}

namespace {

PaintOp line(const QColor& colour, double x1, double y1, double x2, double y2)
{
    return PaintOp{PaintOp::Line, colour, QPointF(x1, y1), QPointF(x2, y2), {}, {}};
}

PaintOp art(const QString& name, double x, double y, double w, double h)
{
    return PaintOp{PaintOp::Art, {}, {}, {}, QRectF(x, y, w, h), name};
}

QRect placed(double left, double top, double width, double height)
{
    return QRect(near(left), near(top), near(width), near(height));
}

} // namespace

namespace {

QRectF bounds(const PaintOp& op)
{
    if (op.kind == PaintOp::Art)
        return op.target;
    return QRectF(op.from, op.to).normalized().adjusted(-1, -1, 1, 1); // the pen's width
}

bool same(const PaintOp& a, const PaintOp& b)
{
    return a.kind == b.kind && a.colour == b.colour && a.from == b.from && a.to == b.to && a.target == b.target && a.art == b.art;
}

} // namespace

void addPaint(std::vector<PaintOp>& background, const std::vector<PaintOp>& more)
{
    for (const PaintOp& op : more) {
        const bool covers = op.kind == PaintOp::Art;
        std::erase_if(background, [&](const PaintOp& earlier) {
            return same(earlier, op) || (covers && op.target.contains(bounds(earlier)));
        });
        background.push_back(op);
    }
}

WindowLayout layoutWindow(const LayoutMetrics& m)
{
    WindowLayout out;
    const double f = m.f();
    const double SW = m.SW;
    out.LayoutScale = m.f();

    // Header grid, logo, copyright, time strip, rules, panel: painted once.
    for (int i = 1; i <= 30; ++i) {
        const int x = near(double(i) * SW) / 30;
        out.paint.push_back(line(DarkGrey, x, 0, x, 148 * f));
    }
    for (int i = 1; i <= 3; ++i) {
        const double y = i * 40 * f - 10 * f;
        out.paint.push_back(line(DarkGrey, 0, y, SW, y));
    }
    out.paint.push_back(art(QStringLiteral("logo.png"), 0, 0, SW, 50 * f));
    out.copyright = placed(SW - 100, 50 + 15 * f, 100, 50);
    out.paint.push_back(art(QStringLiteral("timebar.png"), 0, 150 * f, SW, 8));
    out.paint.push_back(line(DarkGrey, 0, 149 * f, SW, 149 * f));
    out.paint.push_back(line(LightGrey, 0, 148 * f, SW, 148 * f));
    out.paint.push_back(line(DarkGrey, 0, 159 * f, SW, 159 * f));
    out.time = placed(0, 151 * f, 1, 6);
    out.paint.push_back(art(QStringLiteral("panel.png"), 0.1 * SW, 55 * f, 0.78 * SW, 90 * f));

    const double k = m.k();
    const double H0 = m.H0();
    const double W0 = m.H0();
    out.PanelTop = near(m.SH - H0 * 3 * 1.2 * f);
    out.ButtonSize = near(38 * f);
    const int s = out.ButtonSize;
    const int B = out.PanelTop;
    for (int i = 0; i < 5; ++i)
        out.buttons[std::size_t(i)] = placed(20 * f + k * (i * W0 * 1.1 * f), B, s, s);
    for (int i = 5; i < 10; ++i)
        out.buttons[std::size_t(i)] = placed(20 * f + k * ((i - 5) * W0 * 1.1 * f), B + k * (H0 * 1.2 * f), s, s);
    // The flags stand 32f apart; below full size (f < 1.1) they shrink with
    // the window, so that they neither overlap nor reach the box's bottom line.
    const double flagWidth = 32;
    const int shownWidth = std::min(32, near(29 * f));
    const int shownHeight = near(shownWidth * 20.0 / 32);
    // One flag for each language. A sixth would stand at 45f + 5 x 32f = 205f
    // and end near 234f (29f wide, or 32 pixels once f >= 1.1): inside the
    // box's outer line (6.2 x 38f = 235.6f at 96 dots per inch, wider at 120)
    // but on its inner one (233.6f) at some widths below about 1260 pixels;
    // stepping the row 31f apart would clear that.
    for (std::size_t i = 0; i < out.flags.size(); ++i)
        out.flags[i] = placed(45 * f + double(i) * flagWidth * f, B + 2.4 * s, shownWidth, shownHeight);
    return out;
}

BoardLayout layoutBoard(const LayoutMetrics& m, int rows, int cols, int rahmen)
{
    BoardLayout out;
    const double f = m.f();
    out.bw = near(m.SH * 0.93);
    out.bx = near((m.SW - out.bw) / 1.1);
    out.by = near(out.bx * 0.72);
    out.pw = near(double(out.bw) / cols);
    out.ph = near(out.bw * 0.75 / rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            out.cells.emplace_back(out.pw * c + out.bx, out.ph * r + out.by, out.pw, out.ph);

    const double H0 = m.H0();
    const double B = near(m.SH - H0 * 3.6 * f);
    out.paint.push_back(PaintOp{PaintOp::Rectangle, DarkGrey, QPointF(10 * f, B - 12 * f),
                                QPointF(6.2 * H0 * f, B + 3 * H0 * f + 2 * f), {}, {}});
    out.paint.push_back(PaintOp{PaintOp::Rectangle, DarkGrey, QPointF(12 * f, B - 10 * f),
                                QPointF(6.2 * H0 * f - 2 * f, B + 3 * H0 * f), {}, {}});

    out.fw = near(out.pw * cols + 35 * f);
    out.fh = near(out.ph * rows + 35 * f);
    out.fx = near(out.bx + half(near(out.pw * cols - out.fw)));
    out.fy = near(out.by + half(near(out.ph * rows - out.fh)));
    out.paint.push_back(art(frameArt(rahmen), out.fx, out.fy, out.fw, out.fh));

    const int pvw = near(out.fx - 10 * f);
    out.preview = placed(3 * f, out.by - 15 * f, pvw, pvw * 0.75);
    const int sx = half(near(out.bx - out.pw - 17 * f));
    out.stack = placed(sx, out.by + out.preview.height() + 10 * f, out.pw, out.ph);
    return out;
}

PlayersLayout layoutPlayers(const LayoutMetrics& m, int playerCount, QSize labelSize, QSize scoreSize)
{
    PlayersLayout out;
    const double f = m.f();
    const double k = m.k();
    out.step = near(870 * f / (playerCount + 0.5));
    if (playerCount > 1) {
        out.shown = playerCount;
        for (int i = 0; i < playerCount && i < 4; ++i) {
            out.labels[std::size_t(i)] = placed(125 * f + i * out.step, 70 * f, k * 130, k * 23);
            out.scores[std::size_t(i)] = placed(130 * f + i * out.step, 100 * f, k * 123, k * 30);
        }
    } else {
        out.shown = 1;
        out.labels[0] = QRect(QPoint(near(350 * f), near(85 * f)), labelSize);
        // The label keeps its size: in a small window the score moves right
        // of it rather than over it.
        out.scores[0] = QRect(QPoint(std::max(near(500 * f), out.labels[0].right() + 7), near(80 * f)), scoreSize);
    }
    return out;
}

} // namespace tess
