#pragma once
// The tool buttons, the hint and the language flags.

#include "table/TableState.h"

namespace tess {

class GameTable;
class PuzzleTable;

class ToolButtonProcedures {
public:
    ToolButtonProcedures(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    void runToolButton(ToolButton button);
    void chooseLanguage(int languageDigit);
    // The piece in hand lies on its cell, for no points.
    void hint();
    void applyOptions(); // after the options dialog
    // True unless ending the running game here would end it for players at
    // other computers too and the player says No to that.
    bool mayEndGameForAll();

private:
    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
