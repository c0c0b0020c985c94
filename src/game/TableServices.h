#pragma once
// The dialogs and menus the game's procedures open: the window implements
// them over itself; a table with none plugged in opens nothing.

namespace tess {

class TableServices {
public:
    virtual ~TableServices() = default;
    // The Picture button: true when the player chose a picture (OK), false
    // when the dialog was closed otherwise and the game keeps the one it had.
    virtual bool choosePicture() = 0;
    virtual void chooseBackSide() = 0; // the Back side button
    virtual void showOptions() = 0;    // the Options button
    // The Champions button, and the end of a one-player game (with newResultPending).
    virtual void showChampions() = 0;
    virtual void showHelpMenu() = 0; // the Help button
};

} // namespace tess
