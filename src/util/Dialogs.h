#pragma once
// The modal message boxes the game asks and tells through. Tests install
// their own answers; the game uses Qt's message boxes.

#include <QMessageBox>
#include <QString>

class QWidget;

namespace tess {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An information box with an OK button.
    virtual void inform(const QString& text, const QString& title) = 0;
    enum class Answer { Yes, No };
    // A question box with Yes and No, `byDefault` the button Enter presses
    // (Yes unless a wrong Yes would cost the player); true for Yes. Closing it answers No.
    virtual bool askYesNo(const QString& text, const QString& title, Answer byDefault = Answer::Yes) = 0;
    // A text-input box with an empty default, taking up to maxLength
    // characters (0: any number); false for Cancel (text then empty).
    virtual bool inputText(const QString& prompt, const QString& title, QString& text, int maxLength = 0) = 0;
    // The desktop's file chooser (through its portal where it has one), to
    // pick picture files in `folder`; `patterns` like "*.jpg". Empty for Cancel.
    virtual QStringList chooseFiles(const QString& title, const QString& folder, const QStringList& patterns) = 0;
};

// The width a window needs to show `title` whole in its title bar. The
// window manager draws the title in a font of its own, often bold and
// larger: measured bold and a quarter wider, with room for the frame's
// icon and three buttons.
int titleBarWidth(const QWidget& window, const QString& title);
// A message box sizes itself to its text alone: this keeps it at least as
// wide as its title, so the title bar does not cut it short.
void makeRoomForTitle(QMessageBox& box);
// A message box of the game: plain text (names, file names and paths are
// shown as the characters they are, never as rich text, which would read any
// file an "<img src=...>" names), no maximize button, as wide as its title.
QMessageBox* makeMessageBox(QMessageBox::Icon icon, const QString& text, const QString& title,
                            QMessageBox::StandardButtons buttons, QWidget* parent);

// The dialogs in force: Qt's message boxes unless a test installed others.
Dialogs& dialogs();
// Installs dialogs (not owned); nullptr restores Qt's message boxes.
void setDialogs(Dialogs* replacement);

} // namespace tess
