#pragma once
// The window laid out: its controls and background at the first resize, the
// board at its size, the player panels and score boxes, whose turn it shows,
// and the language step's tips and menu captions.

#include <QtGlobal>

namespace tess {

class GameTable;
class PuzzleTable;

class LayoutProcedures {
public:
    LayoutProcedures(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    void layOut();
    void resizeBoard();
    void arrangePlayerPanels();
    void advancePlayer();
    void showScore(qint32 score, int player);
    void applyLanguage();

private:
    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
