#pragma once
// The table's dialogs as a test scripts them: each does what the test gives
// it, or what `otherwise` does (a window's own), or nothing.

#include "game/TableServices.h"

#include <functional>

namespace tess::test {

struct TestServices : TableServices {
    std::function<void()> pictureChoice;
    bool pictureChosen = true;
    std::function<void()> backChoice;
    std::function<void()> options;
    std::function<void()> champions;
    std::function<void()> helpMenu;
    TableServices* otherwise = nullptr;

    // A scripted picture choice, or none, counts as made (OK) unless
    // `pictureChosen` says otherwise.
    bool choosePicture() override
    {
        if (pictureChoice)
            pictureChoice();
        else if (otherwise)
            return otherwise->choosePicture();
        return pictureChosen;
    }
    void chooseBackSide() override { run(backChoice, &TableServices::chooseBackSide); }
    void showOptions() override { run(options, &TableServices::showOptions); }
    void showChampions() override { run(champions, &TableServices::showChampions); }
    void showHelpMenu() override { run(helpMenu, &TableServices::showHelpMenu); }

private:
    void run(const std::function<void()>& scripted, void (TableServices::*own)())
    {
        if (scripted)
            scripted();
        else if (otherwise)
            (otherwise->*own)();
    }
};

} // namespace tess::test
