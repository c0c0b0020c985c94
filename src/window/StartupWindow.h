#pragma once
// The start-up window (frmInfo): while it shows, the language is settled, the
// language table is written out and the game window is loaded behind it; then
// it shows the game window and closes itself. Later the same window serves as
// the about box, closed with its OK button.

#include "language/Languages.h"

#include <QDialog>

#include <array>
#include <functional>

class QGridLayout;
class QLabel;
class QPushButton;

namespace tess {

class ImageControl;

class StartupWindow : public QDialog {
    Q_OBJECT

public:
    // `loadGameWindow` loads the game window (its load step runs) and returns it, not yet shown.
    explicit StartupWindow(std::function<QWidget*()> loadGameWindow, QWidget* parent = nullptr);

    void load();
    void closeAboutBox();
    void openWebPage();

    // "Tessaron  1.02.0015" for version 1.2.15.
    static QString versionLine(int major, int minor, int revision);

    QLabel* titleImage;
    QLabel* boardImage;
    QLabel* versionLabel;
    QLabel* webPageLink;
    // The about box's button and language flags (one for each of Languages in
    // its order, acting as the game window's flags do); made when the window
    // serves as about box.
    QPushButton* okButton = nullptr;
    std::array<ImageControl*, Languages.size()> languageFlags{};
    void setFlagHandler(std::function<void(int)> handler) { flagClicked_ = std::move(handler); }
    void chooseLanguage(int languageDigit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addAboutBoxControls();

    QGridLayout* layout_ = nullptr;
    std::function<QWidget*()> loadGameWindow_;
    std::function<void(int)> flagClicked_;
    QWidget* gameWindow_ = nullptr;
};

} // namespace tess
