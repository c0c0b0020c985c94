#include "util/WindowFit.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
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
// What window managers add around a window the player may resize (openbox: a
// handle of 5 pixels below) beyond the frame of a fixed-size one.
const QMargins ResizeHandles(0, 0, 0, 6);

const char* const PlacedProperty = "tessaronPlaced";
// Shown, and not yet seen whole inside the work area in the frame the window
// manager gave it.
const char* const AwaitingFrameProperty = "tessaronAwaitingFrame";
// Where the window's frame was last put.
const char* const PutAtProperty = "tessaronPutAt";
// How often, since the window showed (or was framed anew), the window
// manager was asked to move or resize it, and whether it has yet to answer.
const char* const TimesAskedProperty = "tessaronTimesAsked";
const char* const AnswerPendingProperty = "tessaronAnswerPending";
// A look at the window is on its way.
const char* const CheckPendingProperty = "tessaronCheckPending";
// A window manager that keeps a window otherwise is asked no more often.
constexpr int MostTimesAsked = 8;
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

// Where the frame of a window of client size `size` goes: centred on its
// parent window (or the work area) and wholly inside the work area.
QRect framePlace(const QWidget* window, const QSize& size, const QMargins& frame)
{
    const QRect work = workArea(window);
    const QWidget* parent = parentWindow(window);
    const QRect over = parent && parent->isVisible() ? parent->frameGeometry() : work;
    return placedFrame(size.grownBy(frame), over, work);
}

void moveFrameTo(QWidget* window, const QPoint& target)
{
    window->setProperty(PutAtProperty, target);
    // On X11 Qt takes a move() of a window not yet created as the frame's
    // place, but of one already created as the client's: the title bar would
    // then stand above the place meant.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (QWindow* handle = window->windowHandle(); x11 && handle && window->testAttribute(Qt::WA_WState_Created))
        handle->setFramePosition(target);
    else
        window->move(target);
}

bool awaitingFrame(const QWidget* window)
{
    return window->isVisible() && window->property(AwaitingFrameProperty).toBool();
}

// Not moved since it was put in its place (by the player, say).
bool standsWherePut(const QWidget* window)
{
    const QVariant putAt = window->property(PutAtProperty);
    return putAt.isValid() && window->frameGeometry().topLeft() == putAt.toPoint();
}

// A window on screen: its client area and the frame around it.
struct Framed {
    QRect client;
    QMargins frame;
    QRect outer() const { return client.marginsAdded(frame); }
};

// The X server's own word on a window's frame: where the window is now and
// the frame the window manager says it put around it (_NET_FRAME_EXTENTS).
// Asked rather than taken from Qt, which learns of a new frame only with the
// next move. Nothing when the window manager has not framed the window (or
// there is none).
class X11Frames {
public:
    static X11Frames* instance()
    {
        static std::unique_ptr<X11Frames> frames = [] {
            auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
            return std::unique_ptr<X11Frames>(x11 && x11->connection() ? new X11Frames(x11->connection()) : nullptr);
        }();
        return frames.get();
    }

    // Asked for as the program starts, taken when first needed: by then the
    // answer is in, and the start does not wait for the X server.
    xcb_atom_t extentsAtom() const
    {
        if (extentsAsked_) {
            const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
                xcb_intern_atom_reply(connection_, *extentsAsked_, nullptr), &std::free);
            extents_ = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
            extentsAsked_.reset();
        }
        return extents_;
    }

    std::optional<Framed> frameOf(const QWidget* window) const
    {
        const xcb_atom_t extents = extentsAtom();
        if (!extents || !window->testAttribute(Qt::WA_WState_Created))
            return std::nullopt;
        const auto id = xcb_window_t(window->internalWinId());
        if (!id)
            return std::nullopt;
        const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
            xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr),
            &std::free);
        const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, id), nullptr), &std::free);
        if (!property || !geometry || property->type != XCB_ATOM_CARDINAL || property->format != 32
            || xcb_get_property_value_length(property.get()) != 16)
            return std::nullopt;
        const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> place(
            xcb_translate_coordinates_reply(connection_, xcb_translate_coordinates(connection_, id, geometry->root, 0, 0), nullptr),
            &std::free);
        if (!place)
            return std::nullopt;
        const auto* sides = static_cast<const quint32*>(xcb_get_property_value(property.get()));
        // left, right, top, bottom; a window manager's nonsense counts as no frame.
        for (int side = 0; side < 4; ++side)
            if (sides[side] > 100)
                return std::nullopt;
        // In the window's own pixels, should the screen be scaled.
        const qreal ratio = window->devicePixelRatioF() > 0 ? window->devicePixelRatioF() : 1.0;
        const auto logical = [ratio](int pixels) { return qRound(pixels / ratio); };
        return Framed{QRect(logical(place->dst_x), logical(place->dst_y), logical(geometry->width), logical(geometry->height)),
                      QMargins(logical(int(sides[0])), logical(int(sides[2])), logical(int(sides[1])), logical(int(sides[3])))};
    }

private:
    explicit X11Frames(xcb_connection_t* connection) : connection_(connection)
    {
        static const char name[] = "_NET_FRAME_EXTENTS";
        extentsAsked_ = xcb_intern_atom(connection, 0, sizeof name - 1, name);
    }

    xcb_connection_t* connection_;
    mutable std::optional<xcb_intern_atom_cookie_t> extentsAsked_;
    mutable xcb_atom_t extents_ = XCB_ATOM_NONE;
};

// The window with its frame, once the window manager has framed it.
std::optional<Framed> framedWindow(const QWidget* window)
{
    if (const X11Frames* frames = X11Frames::instance())
        if (const auto framed = frames->frameOf(window))
            return framed;
    if (const auto frame = realFrame(window))
        return Framed{window->geometry(), *frame};
    return std::nullopt;
}

enum class Ask { Now, Wait, Never };

// Whether the window manager is asked now to move or resize a window: once
// it has answered the last request (with the window's new place or size, or
// with the one it keeps), and not without end: one that keeps the window
// otherwise wins. While it takes a new window in, it may put it back as it
// first stood, and is then asked again.
Ask askWindowManager(QWidget* window)
{
    if (window->property(AnswerPendingProperty).toBool())
        return Ask::Wait;
    const int asked = window->property(TimesAskedProperty).toInt();
    if (asked >= MostTimesAsked)
        return Ask::Never;
    window->setProperty(TimesAskedProperty, asked + 1);
    window->setProperty(AnswerPendingProperty, true);
    return Ask::Now;
}

// Called whenever the window manager may have framed, moved or resized a
// window that waits for its frame: one larger than expected, or one that went
// elsewhere than asked, is brought back whole into the work area. The wait
// ends once the window is seen whole inside the work area in its frame, or
// as far in as it can be; a hidden window is let go and never touched.
void fitFramedWindow(QWidget* window)
{
    if (!awaitingFrame(window)) {
        window->setProperty(AwaitingFrameProperty, false);
        return;
    }
    const std::optional<Framed> framed = framedWindow(window);
    if (!framed)
        return; // no frame yet: the window manager's next word brings us back
    const QRect work = workArea(window);
    const QRect standing = framed->outer();
    if (!isFixed(window) && !work.contains(standing)) {
        const QSize fitted = fittedClientSize(framed->client.size(), work, framed->frame);
        if (fitted != framed->client.size()) {
            const Ask ask = askWindowManager(window);
            if (ask == Ask::Now)
                window->resize(fitted); // placed once the window manager has given it the new size
            else if (ask == Ask::Never)
                window->setProperty(AwaitingFrameProperty, false);
            return;
        }
    }
    // Placed again with the real frame: centred, and whole in the work area
    // as far as it can be (a window larger than the work area keeps its
    // title bar on screen).
    const QPoint target = framePlace(window, framed->client.size(), framed->frame).topLeft();
    if (standing.topLeft() == target) {
        // Done once Qt knows it too: Qt sends its own idea of the place
        // along with the window's next change of size.
        if (window->frameGeometry().topLeft() == target)
            window->setProperty(AwaitingFrameProperty, false);
        return;
    }
    const Ask ask = askWindowManager(window);
    if (ask == Ask::Now)
        moveFrameTo(window, target);
    else if (ask == Ask::Never)
        window->setProperty(AwaitingFrameProperty, false);
}

// Looked at again once the events in hand are handled: Qt takes in what the
// window system said before the window is measured.
void fitFramedWindowSoon(QWidget* window)
{
    // Once for all the window system said in one go.
    if (window->property(CheckPendingProperty).toBool())
        return;
    window->setProperty(CheckPendingProperty, true);
    QMetaObject::invokeMethod(window, [window] {
        window->setProperty(CheckPendingProperty, false);
        fitFramedWindow(window);
    }, Qt::QueuedConnection);
}

// The window manager's words about our windows, as they come: a frame put on
// or changed, the window taken into a frame, moved or resized.
class FrameEvents : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t" || !X11Frames::instance())
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t id = XCB_WINDOW_NONE;
        bool newFrame = false;
        bool answer = false; // the window manager's answer to a move or resize
        switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (property->atom == X11Frames::instance()->extentsAtom()) {
                id = property->window;
                newFrame = true;
            }
            break;
        }
        case XCB_REPARENT_NOTIFY:
            id = reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window;
            newFrame = true;
            break;
        case XCB_CONFIGURE_NOTIFY:
            id = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
            answer = true;
            break;
        default:
            break;
        }
        if (id == XCB_WINDOW_NONE)
            return false;
        QWidget* window = QWidget::find(WId(id));
        if (!window || !window->isWindow() || !window->isVisible())
            return false;
        // A new frame (a window manager that came late, another theme) is
        // fitted again whenever it comes; moves only while the frame is awaited.
        if (newFrame && window->property(PlacedProperty).toBool()) {
            window->setProperty(AwaitingFrameProperty, true);
            window->setProperty(TimesAskedProperty, 0);
            window->setProperty(AnswerPendingProperty, false);
        }
        if (answer)
            window->setProperty(AnswerPendingProperty, false);
        if (awaitingFrame(window))
            fitFramedWindowSoon(window);
        return false;
    }
};

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
    moveFrameTo(window, framePlace(window, window->size(), windowFrame(window)).topLeft());
}

void WindowFit::install()
{
    static WindowFit* fit = nullptr;
    if (fit)
        return;
    fit = new WindowFit(qApp);
    qApp->installEventFilter(fit);
    if (X11Frames::instance()) {
        static FrameEvents frameEvents;
        qApp->installNativeEventFilter(&frameEvents);
    }
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
        }
        // Until the window manager has framed it: a frame larger than the
        // one expected (a resizable window's handles, a taller title bar) or
        // one put elsewhere than asked must still fit. Wayland places windows
        // itself.
        if (!onWayland()) {
            window->setProperty(AwaitingFrameProperty, true);
            window->setProperty(TimesAskedProperty, 0);
            window->setProperty(AnswerPendingProperty, false);
            fitFramedWindowSoon(window);
        } else {
            settleLater(window);
        }
        break;
    case QEvent::Hide:
        // A closed window is let go: nothing it waited for touches it again.
        window->setProperty(AwaitingFrameProperty, false);
        break;
    case QEvent::Move:
        // Where the window system tells the frame with a move (and where no
        // native events come, as offscreen).
        if (event->spontaneous())
            window->setProperty(AnswerPendingProperty, false);
        if (awaitingFrame(window))
            fitFramedWindowSoon(window);
        break;
    case QEvent::Resize:
        if (event->spontaneous())
            window->setProperty(AnswerPendingProperty, false);
        // A dialog fills in its texts as it shows and takes its final size
        // only then, perhaps after its frame came: it stays centred on its
        // window, unless the player has moved it. A size the player or the
        // window system gives it is theirs.
        if (onWayland()) {
            settleLater(window);
        } else if (window->isVisible() && !event->spontaneous() && (awaitingFrame(window) || standsWherePut(window))) {
            placeWindow(window);
            window->setProperty(AwaitingFrameProperty, true);
        }
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
