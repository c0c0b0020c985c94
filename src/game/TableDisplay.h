#pragma once
// What the game window shows, as plain data the procedures fill and the
// window draws: the cells' places and faces, the stack and the thumbnail,
// the tool buttons and flags, the player panels and score boxes, the time
// bar, the menu captions, the background's paint operations and the
// pictures the faces are cut from. The game itself is table/GameTable.

#include "language/Languages.h"
#include "resources/PictureCutter.h"
#include "table/Layout.h"
#include "table/TableState.h"

#include <QColor>
#include <QImage>

#include <array>
#include <vector>

namespace tess {

struct TableDisplay {
    std::array<ImageState, CellCount> boardCells;
    ImageState stackCell;
    ImageState previewCell;
    std::array<ButtonState, ToolButtonCount> toolButtons; // in the order of ToolButton
    ButtonState& toolButton(ToolButton button) { return toolButtons[std::size_t(button)]; }
    const ButtonState& toolButton(ToolButton button) const { return toolButtons[std::size_t(button)]; }
    std::array<ButtonState, Languages.size()> languageFlags; // in the order of Languages
    std::array<LabelState, 4> playerLabels;
    std::array<ScoreState, 4> scoreBoxes;
    QRect timeBar;
    double timeBarWidth = 1; // timeBar's width; the widget shows it rounded
    QRect copyright;
    std::array<QString, 3> menuCaptions; // help, e-mail, about
    QColor backColor = Qt::white;
    std::vector<PaintOp> background; // painted in order into the persistent background

    // The pictures the faces are cut from.
    PictureCutter pieceCutter;
    PictureCutter digitCutter;
    QImage previewPicture;
    QImage emptyPicture;
    QImage wrongPicture;
    QImage jokerPicture;
    QImage backPicture;

    bool layoutDone = false;
    float layoutScale = 0;
    LayoutMetrics metrics;
};

} // namespace tess
