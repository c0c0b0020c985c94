#pragma once
// The buttons of a window's title bar, as far as the window system lets a
// program choose them.

class QWidget;

namespace tess {

// A dialog of one size has nothing to maximize to: its title bar keeps the
// title, the window menu and the close button, and offers no maximize (nor
// full screen). Wayland's Qt decorations draw their buttons regardless.
void withoutMaximizeButton(QWidget* window);

} // namespace tess
