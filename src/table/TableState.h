#pragma once
// What the game window shows, as plain data: the window draws exactly this.

#include <QRect>
#include <QString>

#include <array>

namespace tess {

// What an image control shows.
enum class Face {
    Empty, // the empty-cell picture (emptyPicture)
    Wrong, // the wrong mark (wrongPicture)
    Joker, // the joker mark (jokerPicture)
    Back,  // the current back side (backPicture)
    Piece, // a piece of the picture (a cell of pieceCutter)
};

struct ImageState {
    QRect geometry;
    bool visible = false;
    bool enabled = true;
    Face face = Face::Empty;
    int piece = -1;      // with Face::Piece
    bool border = false; // a thin border (the grid)
};

struct LabelState {
    QRect geometry;
    bool visible = false;
    QString text;
    bool active = false; // black on gold; otherwise gold on black
};

struct ScoreState {
    QRect geometry;
    bool visible = false;
    QString digits = QStringLiteral("000000");
    std::array<int, 6> x{}; // where each digit is painted, y = 2
};

// The tool buttons, in their order on the window: the index into toolButtons
// and into their pictures and tips.
enum class ToolButton {
    Start,
    End, // abandons the running game, or quits between games
    Hint,
    Picture,
    BackSide,
    Save,
    Load,
    Options,
    Champions,
    Help,
};
inline constexpr int ToolButtonCount = 10;
static_assert(int(ToolButton::Help) + 1 == ToolButtonCount);

struct ButtonState {
    QRect geometry;
    bool visible = false;
    bool enabled = true;
    QString tip;
};

inline constexpr int CellCount = 300;

// Tells the window what changed, so it redraws only that.
class TableListener {
public:
    virtual ~TableListener() = default;
    virtual void cellChanged(int) {}
    virtual void stackChanged() {}
    virtual void previewChanged() {}
    virtual void pictureChanged() {}    // a new picture or grid: cut pieces anew
    virtual void backgroundChanged() {} // more paint operations to apply
    virtual void controlsChanged() {}   // buttons, flags, labels, scores, time bar, menu texts
};

} // namespace tess
