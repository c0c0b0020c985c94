#include "table/Layout.h"

#include "util/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tess {

int near(double value)
{
    // 32 bits: the header grid rounds i x clientWidth, which passes 16 bits on screens wider than 1092 pixels.
    return toInt32(value);
}

int half(int value)
{
    return value / 2;
}

float LayoutMetrics::scale() const
{
    return static_cast<float>(clientWidth / 1024.0 * 0.9);
}

double LayoutMetrics::fontScale() const
{
    return twipsPerPixel < 15 ? 0.8 : 1.0;
}

QString frameArt(FrameColour frameColour)
{
    return frameColour == FrameColour::Black ? QStringLiteral("frame_black.png") : QStringLiteral("frame_gold.png");
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

// Pixels of background a small window keeps between the panel's parts where
// the design's sizes would make them touch.
constexpr int Apart = 2;

// A design size where it stays clear of whatever begins `room` pixels after
// the part's start (the next part, the border), else the size that keeps Apart.
int fitted(int designSize, int room)
{
    return designSize < room ? designSize : std::max(1, room - Apart);
}

// The year badge: 100 x 50 where that fits; in a small window it shrinks (still
// 2 : 1, at the same top right corner) to keep clear of the panel's right end
// and of the rules above the time strip.
QRect yearBadge(const LayoutMetrics& m)
{
    const double scale = m.scale();
    const int top = near(50 + 15 * scale);
    const int besidePanel = m.clientWidth - int(std::ceil(panelArea(m).right()));
    const int aboveRules = int(148 * scale - 1) - top;
    const int width = std::min(fitted(100, besidePanel), 2 * fitted(50, aboveRules));
    return QRect(m.clientWidth - width, top, width, width / 2);
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

QRectF panelArea(const LayoutMetrics& m)
{
    const double scale = m.scale();
    return QRectF(0.1 * m.clientWidth, 55 * scale, 0.78 * m.clientWidth, 90 * scale);
}

QRectF panelInside(const LayoutMetrics& m)
{
    const QRectF panel = panelArea(m);
    const double side = panel.width() * 6 / 600;
    const double edge = panel.height() * 6 / 80;
    return panel.adjusted(side, edge, -side, -edge);
}

WindowLayout layoutWindow(const LayoutMetrics& m)
{
    WindowLayout out;
    const double scale = m.scale();
    const double clientWidth = m.clientWidth;
    out.layoutScale = m.scale();

    // Header grid, logo, copyright, time strip, rules, panel: painted once.
    for (int i = 1; i <= 30; ++i) {
        const int x = near(double(i) * clientWidth) / 30;
        out.paint.push_back(line(DarkGrey, x, 0, x, 148 * scale));
    }
    for (int i = 1; i <= 3; ++i) {
        const double y = i * 40 * scale - 10 * scale;
        out.paint.push_back(line(DarkGrey, 0, y, clientWidth, y));
    }
    out.paint.push_back(art(QStringLiteral("logo.png"), 0, 0, clientWidth, 50 * scale));
    out.copyright = yearBadge(m);
    out.paint.push_back(art(QStringLiteral("timebar.png"), 0, 150 * scale, clientWidth, 8));
    out.paint.push_back(line(DarkGrey, 0, 149 * scale, clientWidth, 149 * scale));
    out.paint.push_back(line(LightGrey, 0, 148 * scale, clientWidth, 148 * scale));
    out.paint.push_back(line(DarkGrey, 0, 159 * scale, clientWidth, 159 * scale));
    out.time = placed(0, 151 * scale, 1, 6);
    const QRectF panel = panelArea(m);
    out.paint.push_back(art(QStringLiteral("panel.png"), panel.x(), panel.y(), panel.width(), panel.height()));

    const double fontScale = m.fontScale();
    const double buttonDesignHeight = m.buttonDesignHeight();
    const double buttonDesignWidth = m.buttonDesignHeight();
    out.panelTop = near(m.clientHeight - buttonDesignHeight * 3 * 1.2 * scale);
    out.buttonSize = near(38 * scale);
    const int s = out.buttonSize;
    const int panelTop = out.panelTop;
    for (int i = 0; i < 5; ++i)
        out.buttons[std::size_t(i)] = placed(20 * scale + fontScale * (i * buttonDesignWidth * 1.1 * scale), panelTop, s, s);
    for (int i = 5; i < 10; ++i)
        out.buttons[std::size_t(i)] = placed(20 * scale + fontScale * ((i - 5) * buttonDesignWidth * 1.1 * scale), panelTop + fontScale * (buttonDesignHeight * 1.2 * scale), s, s);
    // The flags stand 32 x scale apart; below full size (scale < 1.1) they shrink with
    // the window, so that they neither overlap nor reach the box's bottom line.
    const double flagWidth = 32;
    const int shownWidth = std::min(32, near(29 * scale));
    const int shownHeight = near(shownWidth * 20.0 / 32);
    // One flag for each language (below, nf is n x scale). A sixth would stand at 45f + 5 x 32f = 205f
    // and end near 234f (29f wide, or 32 pixels once scale >= 1.1): inside the
    // box's outer line (6.2 x 38f = 235.6f at 96 dots per inch, wider at 120)
    // but on its inner one (233.6f) at some widths below about 1260 pixels;
    // stepping the row 31f apart would clear that.
    for (std::size_t i = 0; i < out.flags.size(); ++i)
        out.flags[i] = placed(45 * scale + double(i) * flagWidth * scale, panelTop + 2.4 * s, shownWidth, shownHeight);
    return out;
}

BoardLayout layoutBoard(const LayoutMetrics& m, int rows, int cols, FrameColour frameColour)
{
    BoardLayout out;
    const double scale = m.scale();
    out.boardWidth = near(m.clientHeight * 0.93);
    out.boardLeft = near((m.clientWidth - out.boardWidth) / 1.1);
    out.boardTop = near(out.boardLeft * 0.72);
    out.cellWidth = near(double(out.boardWidth) / cols);
    out.cellHeight = near(out.boardWidth * 0.75 / rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            out.cells.emplace_back(out.cellWidth * c + out.boardLeft, out.cellHeight * r + out.boardTop, out.cellWidth, out.cellHeight);

    const double buttonDesignHeight = m.buttonDesignHeight();
    const double panelTop = near(m.clientHeight - buttonDesignHeight * 3.6 * scale);
    out.paint.push_back(PaintOp{PaintOp::Rectangle, DarkGrey, QPointF(10 * scale, panelTop - 12 * scale),
                                QPointF(6.2 * buttonDesignHeight * scale, panelTop + 3 * buttonDesignHeight * scale + 2 * scale), {}, {}});
    out.paint.push_back(PaintOp{PaintOp::Rectangle, DarkGrey, QPointF(12 * scale, panelTop - 10 * scale),
                                QPointF(6.2 * buttonDesignHeight * scale - 2 * scale, panelTop + 3 * buttonDesignHeight * scale), {}, {}});

    out.frameWidth = near(out.cellWidth * cols + 35 * scale);
    out.frameHeight = near(out.cellHeight * rows + 35 * scale);
    out.frameLeft = near(out.boardLeft + half(near(out.cellWidth * cols - out.frameWidth)));
    out.frameTop = near(out.boardTop + half(near(out.cellHeight * rows - out.frameHeight)));
    out.paint.push_back(art(frameArt(frameColour), out.frameLeft, out.frameTop, out.frameWidth, out.frameHeight));

    const int previewWidth = near(out.frameLeft - 10 * scale);
    out.preview = placed(3 * scale, out.boardTop - 15 * scale, previewWidth, previewWidth * 0.75);
    const int stackLeft = half(near(out.boardLeft - out.cellWidth - 17 * scale));
    out.stack = placed(stackLeft, out.boardTop + out.preview.height() + 10 * scale, out.cellWidth, out.cellHeight);
    return out;
}

PlayersLayout layoutPlayers(const LayoutMetrics& m, int playerCount, QSize labelSize, QSize scoreSize)
{
    PlayersLayout out;
    const double scale = m.scale();
    const double fontScale = m.fontScale();
    const QRectF inside = panelInside(m);
    const int insideRight = int(inside.right());
    const int insideBottom = int(inside.bottom());
    out.step = near(870 * scale / (playerCount + 0.5));
    if (playerCount > 1) {
        out.shown = playerCount;
        const int labelTop = near(70 * scale);
        const int scoreTop = near(100 * scale);
        const int lastLabel = near(125 * scale + (playerCount - 1) * out.step);
        const int lastScore = near(130 * scale + (playerCount - 1) * out.step);
        // The design sizes are in pixels while the places scale with the window:
        // a small window takes off what would touch the next part or the border.
        const QSize label(fitted(fitted(near(fontScale * 130), out.step), insideRight - lastLabel),
                          fitted(near(fontScale * 23), scoreTop - labelTop));
        const QSize score(fitted(fitted(near(fontScale * 123), out.step), insideRight - lastScore),
                          fitted(near(fontScale * 30), insideBottom - scoreTop));
        for (int i = 0; i < playerCount && i < 4; ++i) {
            out.labels[std::size_t(i)] = QRect(QPoint(near(125 * scale + i * out.step), labelTop), label);
            out.scores[std::size_t(i)] = QRect(QPoint(near(130 * scale + i * out.step), scoreTop), score);
        }
    } else {
        out.shown = 1;
        const QPoint labelAt(near(350 * scale), near(85 * scale));
        labelSize.setHeight(fitted(labelSize.height(), insideBottom - labelAt.y()));
        out.labels[0] = QRect(labelAt, labelSize);
        // The label keeps its size: in a small window the score moves right
        // of it rather than over it.
        const QPoint scoreAt(std::max(near(500 * scale), out.labels[0].right() + 7), near(80 * scale));
        scoreSize.setHeight(fitted(scoreSize.height(), insideBottom - scoreAt.y()));
        out.scores[0] = QRect(scoreAt, scoreSize);
    }
    return out;
}

} // namespace tess
