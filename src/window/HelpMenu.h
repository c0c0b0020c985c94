#pragma once
// The help menu of the Help tool button (mnuHilfe): the help window, the makers' web
// page, an e-mail to the makers and the about box.

#include <QObject>

#include <array>
#include <functional>

class QMenu;
class QWidget;

namespace tess {

class HelpMenu : public QObject {
    Q_OBJECT

public:
    // `about` opens the about box modally.
    HelpMenu(QWidget* owner, std::function<void()> about);

    // The menu with its entries in the current language (texts 121, 122, 123).
    QMenu* build(const std::array<QString, 3>& captions);
    // Pops the menu up at the mouse position and returns when it has closed.
    void popUp(const std::array<QString, 3>& captions);

    void showManual();
    void openWebPage();
    void writeEmail();
    void showAbout();

    // "mailto:" + the support address + "?Subject=" + the application title.
    static QString mailLink();

private:
    QWidget* owner_;
    std::function<void()> about_;
};

} // namespace tess
