#pragma once
// Windows that fit the desktop people have: inside the work area (panels left
// free), dialogs centred on the window they belong to, and windows of a fixed
// size that survive a maximize where the window system offers one anyway.

#include <QMargins>
#include <QObject>
#include <QRect>

#include <optional>

class QWidget;

namespace tess {

// The part of the screen a window may cover: the screen less its panels.
// Wayland does not tell clients where the panels are; there a panel's height
// is kept free at the top (where weston and GNOME have theirs).
QRect workArea(const QWidget* window = nullptr);

// The frame the window system has put around a window, once it is known.
std::optional<QMargins> realFrame(const QWidget* window);

// The frame the window system puts around a window's client area: the real
// one once the window is on screen, else what a usual desktop adds.
QMargins windowFrame(const QWidget* window);

// Where a frame of `frame` size goes: centred on `over`, then moved wholly
// into `work` (its top left corner first, should it be larger).
QRect placedFrame(const QSize& frame, const QRect& over, const QRect& work);

// The largest size up to `wanted` whose frame fits the work area.
QSize fittedClientSize(const QSize& wanted, const QRect& work, const QMargins& frame);

// Moves a top-level window to its place: centred on its parent window (or the
// work area) and wholly inside the work area.
void placeWindow(QWidget* window);

// Watches every top-level window of the program: places each when it first
// shows, fits it again whenever the window manager frames it (shrinking one
// too large for the work area), and keeps fixed-size windows whole on
// Wayland (see WindowFit.cpp). Installed once, by main.
class WindowFit : public QObject {
public:
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace tess
