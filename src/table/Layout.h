#pragma once
// Where everything in the game window sits. All of it follows from the client
// area (clientWidth x clientHeight pixels) through one scale factor, clientWidth / 1024 x 0.9; these
// are plain formulas, so tests can check them number by number.

#include "language/Languages.h"
#include "settings/OptionChoices.h"

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <array>
#include <vector>

namespace tess {

// The nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int near(double value);
// Integer division by 2 toward zero (-23 -> -11).
int half(int value);

inline const QColor LightGrey(192, 192, 192);
inline const QColor DarkGrey(128, 128, 128);

// One thing painted into the window's background. The window art is opaque:
// a picture hides whatever lies under it.
struct PaintOp {
    enum Kind { Line, Rectangle, Art };
    Kind kind = Line;
    QColor colour;
    QPointF from;  // Line, Rectangle: first corner
    QPointF to;    // Line, Rectangle: opposite corner
    QRectF target; // Art: where the picture is stretched to
    QString art;   // Art: the window-art file
};

// Appends `more` to the background, leaving out what they paint over: an
// earlier operation drawn again, and anything that lies wholly under a
// picture. So the list stays as long as one window's worth, however many
// games are played.
void addPaint(std::vector<PaintOp>& background, const std::vector<PaintOp>& more);

struct LayoutMetrics {
    int clientWidth = 0;
    int clientHeight = 0;
    int twipsPerPixel = 15; // twips per pixel: 15 at 96 dots per inch, 12 at 120

    float scale() const; // clientWidth / 1024 x 0.9
    double fontScale() const; // 0.8 on large-font displays, else 1
    double buttonDesignHeight() const { return 570.0 / twipsPerPixel; } // design height (and width) of a tool button
};

// The players' panel picture (stretched to 0.78 x clientWidth by 90 x scale) and
// its inside: the picture less its painted border, 6 of its 600 x 80 pixels on each side.
QRectF panelArea(const LayoutMetrics& m);
QRectF panelInside(const LayoutMetrics& m);

// The one-time layout pass.
struct WindowLayout {
    float layoutScale = 0;
    int panelTop = 0;   // the top of the players' panel
    int buttonSize = 0; // a tool button's side
    std::array<QRect, 10> buttons;
    std::array<QRect, Languages.size()> flags; // in the order of Languages
    QRect time;      // the time bar, at width 1
    QRect copyright; // the copyright year at the top right; smaller in a small window
    std::vector<PaintOp> paint;
};
WindowLayout layoutWindow(const LayoutMetrics& m);

// The board for the current size.
struct BoardLayout {
    int boardWidth = 0, boardLeft = 0, boardTop = 0;
    int cellWidth = 0, cellHeight = 0;
    int frameLeft = 0, frameTop = 0, frameWidth = 0, frameHeight = 0; // the frame around the board
    std::vector<QRect> cells;   // rows x cols, row by row
    QRect preview;
    QRect stack;
    std::vector<PaintOp> paint; // the button boxes and the frame
};
BoardLayout layoutBoard(const LayoutMetrics& m, int rows, int cols, FrameColour frameColour);

// The player panels.
struct PlayersLayout {
    int step = 0; // from one panel to the next
    int shown = 0;
    std::array<QRect, 4> labels;
    std::array<QRect, 4> scores;
};
// `labelSize` and `scoreSize` are the sizes the single panel keeps. In a small
// window a label or score box is narrower or lower than its design size where
// that would touch its neighbour or the panel's border; positions stay.
PlayersLayout layoutPlayers(const LayoutMetrics& m, int playerCount, QSize labelSize, QSize scoreSize);

// The design sizes of a name label and a score box.
inline constexpr QSize DesignLabelSize(129, 23);
inline constexpr QSize DesignScoreSize(120, 32);

// The window art of the two frame colours.
QString frameArt(FrameColour frameColour);

} // namespace tess
