#pragma once
// The help window: the game's manual in the current language, carried in the
// program as HTML with a few pictures. It stands beside the game window (not
// modal); asking for help again raises the one that is open.

#include <QTextBrowser>
#include <QtGlobal>

namespace tess {

class HelpWindow : public QTextBrowser {
    Q_OBJECT

public:
    // Shows the manual of `language` (a language base), opening
    // the window or raising the one already open. Returns the window.
    static HelpWindow* showHelp(int language);
    // The window when one is open, else nullptr.
    static HelpWindow* openWindow();

    // The manual's resource for a language base; English for a language without one.
    static QString manualFor(int language);

protected:
    // Escape closes the window, as it closes the game's dialogs.
    void keyPressEvent(QKeyEvent* event) override;

private:
    HelpWindow();
};

} // namespace tess
