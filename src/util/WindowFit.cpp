#include "util/WindowFit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace tess {

namespace {

// What a desktop's title bar and borders usually take, until the real frame
// is known: a little more than most themes, so the window rather fits.
const QMargins UsualFrame(4, 32, 4, 4);
// Qt's own decorations on Wayland (a 30-pixel title bar, 3-pixel borders).
const QMargins WaylandFrame(3, 30, 3, 3);
// Kept free for a panel where the window system does not say where panels are.
constexpr int WaylandPanel = 48;
// How long after showing a window the frame's late arrival may still move it.
constexpr qint64 SettleMilliseconds = 2000;
// When a shown window's real frame is looked at.
constexpr int FrameCheckMilliseconds = 300;
// What window managers add around a window the player may resize (openbox: a
// handle of 5 pixels below) beyond the frame of a fixed-size one.
const QMargins ResizeHandles(0, 0, 0, 6);

const char* const PlacedProperty = "tessaronPlaced";
const char* const ShownAtProperty = "tessaronShownAt";
const char* const FixedSizeProperty = "tessaronFixedSize";
const char* const SettlingProperty = "tessaronSettling";
const char* const UndoneAtProperty = "tessaronMaximizeUndoneAt";
// How long the compositor may take to give a window its size back after a maximize.
constexpr qint64 UndoMilliseconds = 3000;

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QElapsedTimer& clock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer;
}

bool isFixed(const QWidget* window)
{
    return window->minimumSize() == window->maximumSize();
}

QWidget* parentWindow(const QWidget* window)
{
    QWidget* parent = window->parentWidget();
    return parent ? parent->window() : nullptr;
}

// Qt's decorations on Wayland offer maximize whatever the window's flags say,
// and a window that then keeps its fixed size breaks the protocol: the
// compositor ends the program. So there a window of fixed size has only a
// minimum size; a maximize is taken and at once undone, and any other size
// the window is given goes back to its own. Going back waits until the
// compositor has let go of the maximized state (it gives the old size back
// itself): a smaller window while still maximized breaks the protocol too.
void settleLater(QWidget* window, int milliseconds = 0);

void settleFixedSize(QWidget* window)
{
    window->setProperty(SettlingProperty, false);
    if (window->maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) && isFixed(window)) {
        window->setProperty(FixedSizeProperty, window->maximumSize());
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    const QSize fixed = window->property(FixedSizeProperty).toSize();
    if (!fixed.isValid() || !window->isVisible())
        return;
    const Qt::WindowStates large = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (window->windowState() & large) {
        window->setProperty(UndoneAtProperty, clock().elapsed());
        window->setWindowState(window->windowState() & ~large);
        return;
    }
    const QVariant undoneAt = window->property(UndoneAtProperty);
    if (window->size() == fixed) {
        window->setProperty(UndoneAtProperty, QVariant());
    } else if (undoneAt.isValid() && clock().elapsed() - undoneAt.toLongLong() < UndoMilliseconds) {
        settleLater(window, 250);
    } else {
        window->resize(fixed);
    }
}

void settleLater(QWidget* window, int milliseconds)
{
    if (window->property(SettlingProperty).toBool())
        return;
    window->setProperty(SettlingProperty, true);
    QTimer::singleShot(milliseconds, window, [window] { settleFixedSize(window); });
}

bool insideWorkArea(const QWidget* window)
{
    return workArea(window).contains(window->frameGeometry());
}

bool settling(const QWidget* window);

// Looks again until the window manager has framed the window (and for as long
// as a window just shown may be moved): a frame larger than expected, or one
// that went elsewhere than asked, is brought back whole into the work area.
void fitFramedWindow(QWidget* window)
{
    if (!window->isVisible())
        return;
    const std::optional<QMargins> frame = realFrame(window);
    if (frame && !insideWorkArea(window)) {
        if (!isFixed(window))
            window->resize(fittedClientSize(window->size(), workArea(window), *frame));
        placeWindow(window);
    }
    if (settling(window))
        QTimer::singleShot(FrameCheckMilliseconds, window, [window] { fitFramedWindow(window); });
}

// Just shown, on a window system that lets programs place their windows.
bool settling(const QWidget* window)
{
    const QVariant shownAt = window->property(ShownAtProperty);
    return !onWayland() && window->isVisible() && shownAt.isValid()
           && clock().elapsed() - shownAt.toLongLong() < SettleMilliseconds;
}


} // namespace

QRect workArea(const QWidget* window)
{
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(0, 0, 1024, 768);
    QRect area = screen->availableGeometry();
    if (onWayland() && area == screen->geometry())
        area.setHeight(std::max(area.height() / 2, area.height() - WaylandPanel));
    return area;
}

std::optional<QMargins> realFrame(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (!window->isVisible() || frame == client)
        return std::nullopt;
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    // While the window manager puts its frame on, Qt may report a frame that
    // does not enclose the window: not known yet, then.
    const auto sane = [](int side) { return side >= 0 && side <= 100; };
    if (!sane(margins.left()) || !sane(margins.top()) || !sane(margins.right()) || !sane(margins.bottom()))
        return std::nullopt;
    return margins;
}

QMargins windowFrame(const QWidget* window)
{
    for (const QWidget* known = window; known; known = parentWindow(known))
        if (const auto margins = realFrame(known))
            return *margins;
    // Another window of the program on screen (the start-up window before the
    // game window) wears the same frame.
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other->windowType() == Qt::Window || other->windowType() == Qt::Dialog)
            if (const auto margins = realFrame(other))
                return *margins;
    return onWayland() ? WaylandFrame : UsualFrame;
}

QRect placedFrame(const QSize& frame, const QRect& over, const QRect& work)
{
    QRect placed(QPoint(over.x() + (over.width() - frame.width()) / 2, over.y() + (over.height() - frame.height()) / 2), frame);
    placed.moveLeft(std::max(work.left(), std::min(placed.left(), work.left() + work.width() - frame.width())));
    placed.moveTop(std::max(work.top(), std::min(placed.top(), work.top() + work.height() - frame.height())));
    return placed;
}

QSize fittedClientSize(const QSize& wanted, const QRect& work, const QMargins& frame)
{
    return QSize(std::min(wanted.width(), work.width() - frame.left() - frame.right()),
                 std::min(wanted.height(), work.height() - frame.top() - frame.bottom()));
}

void placeWindow(QWidget* window)
{
    const QMargins frame = windowFrame(window);
    const QRect work = workArea(window);
    const QWidget* parent = parentWindow(window);
    const QRect over = parent && parent->isVisible() ? parent->frameGeometry() : work;
    const QPoint target = placedFrame(window->size().grownBy(frame), over, work).topLeft();
    // The frame goes there. On X11 Qt takes a move() of a window not yet
    // created as the frame's place, but of one already created as the
    // client's: the title bar would then stand above the place meant.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (QWindow* handle = window->windowHandle(); x11 && handle && window->testAttribute(Qt::WA_WState_Created))
        handle->setFramePosition(target);
    else
        window->move(target);
}

void WindowFit::install()
{
    static WindowFit* fit = nullptr;
    if (fit)
        return;
    fit = new WindowFit(qApp);
    qApp->installEventFilter(fit);
}

bool WindowFit::eventFilter(QObject* watched, QEvent* event)
{
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window || !window->isWindow() || (window->windowType() != Qt::Window && window->windowType() != Qt::Dialog))
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!window->property(PlacedProperty).toBool()) {
            window->setProperty(PlacedProperty, true);
            if (!isFixed(window))
                window->resize(fittedClientSize(window->size(), workArea(window), windowFrame(window) + ResizeHandles));
            placeWindow(window);
            // Once the window manager has framed it: a frame larger than the
            // one expected (a resizable window's handles) must still fit.
            if (!onWayland())
                QTimer::singleShot(FrameCheckMilliseconds, window, [window] { fitFramedWindow(window); });
        }
        if (!window->property(ShownAtProperty).isValid())
            window->setProperty(ShownAtProperty, clock().elapsed());
        if (onWayland())
            settleLater(window);
        break;
    case QEvent::Move:
        // The window system tells the frame only once the window is on screen;
        // a frame larger than expected may push the window past the work
        // area. It is placed again from scratch rather than pushed back from
        // where it stands: while the frame is being put on, Qt may briefly
        // report the window at the screen's corner.
        if (settling(window) && realFrame(window) && !insideWorkArea(window))
            placeWindow(window);
        break;
    case QEvent::Resize:
        // A dialog fills in its texts as it shows and takes its final size
        // only then: it stays centred on its window.
        if (settling(window))
            placeWindow(window);
        if (onWayland())
            settleLater(window);
        break;
    case QEvent::LayoutRequest:
    case QEvent::WindowStateChange:
        if (onWayland())
            settleLater(window);
        break;
    default:
        break;
    }
    return false;
}

} // namespace tess
