// The way in for the player's clicks and the move clock. Sounds that are
// heard to their end, pauses and the joker's blinking let window events run
// in the middle of a procedure; a click handled there would act on a turn
// half done (a piece on the board and on the stack, "-1" on the stack, a
// game end for an abandoned game). So one procedure runs at a time, and
// input that arrives meanwhile, or while a modal dialog is open, is dropped,
// as games ignore clicks during an animation (util/ProcedureGate.h).
// Painting, the idle animation, the move clock and the music go on.

#include "game/PuzzleTable.h"
#include "table/Rules.h"

#include "settings/SharedState.h"
#include "util/ProcedureGate.h"

#include <QCoreApplication>
#include <QTimer>

namespace tess {

void PuzzleTable::runProcedure(const std::function<void()>& procedure)
{
    ProcedureGate::instance().run(procedure);
}

bool PuzzleTable::runInput(const std::function<void()>& procedure)
{
    return ProcedureGate::instance().runInput(procedure);
}

void PuzzleTable::whenIdle()
{
    if (activationPending_) {
        activationPending_ = false;
        QTimer::singleShot(0, this, &PuzzleTable::activate);
    }
}

void PuzzleTable::stackClicked()
{
    if (turnIsLocal())
        stackInput();
}

void PuzzleTable::stackInput()
{
    if (!stackCell.visible || !stackCell.enabled)
        return;
    if (remote())
        network_->forward(SeatInput::Draw, -1);
    else
        runInput([this] { drawPiece(); });
}

void PuzzleTable::cellClicked(int index)
{
    if (turnIsLocal())
        cellInput(index);
}

void PuzzleTable::cellInput(int index)
{
    if (index < 0 || index >= CellCount)
        return;
    const ImageState& cell = boardCells[std::size_t(index)];
    if (!cell.visible || !cell.enabled)
        return;
    if (remote())
        network_->forward(SeatInput::Place, index);
    else
        runInput([this, index] { placePiece(index); });
}

void PuzzleTable::hintInput()
{
    if (!toolButton(ToolButton::Hint).enabled)
        return;
    if (remote())
        network_->forward(SeatInput::Hint, -1);
    else
        runInput([this] { runToolButton(ToolButton::Hint); });
}

void PuzzleTable::buttonPressed(int index)
{
    if (index == int(ToolButton::Hint)) {
        if (turnIsLocal())
            hintInput();
        return;
    }
    if (index >= 0 && index < ToolButtonCount && toolButtons[std::size_t(index)].enabled)
        runInput([this, index] { runToolButton(ToolButton(index)); });
}

bool PuzzleTable::runSeatInput(SeatInput input, int cell)
{
    // As a click: on what is shown and enabled, through the same gate.
    const auto ran = [this](const std::function<void()>& procedure) { return runInput(procedure); };
    switch (input) {
    case SeatInput::Draw:
        return stackCell.visible && stackCell.enabled && ran([this] { drawPiece(); });
    case SeatInput::Place: {
        if (cell < 0 || cell >= shared().boardRows * shared().boardCols || cell >= CellCount)
            return false;
        const ImageState& state = boardCells[std::size_t(cell)];
        return state.visible && state.enabled && ran([this, cell] { placePiece(cell); });
    }
    case SeatInput::Hint:
        return toolButton(ToolButton::Hint).enabled && ran([this] { runToolButton(ToolButton::Hint); });
    }
    return false;
}

void PuzzleTable::flagClicked(int languageDigit)
{
    runInput([this, languageDigit] { chooseLanguage(languageDigit); });
}

void PuzzleTable::activate()
{
    if (ProcedureGate::instance().busy()) {
        activationPending_ = true;
        return;
    }
    runProcedure([this] { greetOnActivation(); });
}

void PuzzleTable::close()
{
    runProcedure([this] { endProgram(); });
}

void PuzzleTable::moveClockTick()
{
    if (!ProcedureGate::instance().inputBlocked()) {
        runProcedure([this] { advanceMoveClock(); });
        return;
    }
    // Another procedure runs or a dialog is open over the window: the bar goes
    // on growing, and the time-out, should it be due, comes with the first
    // tick after it.
    game_.setTurnHalfSeconds(turns_.elapsedHalfSeconds());
    setTimeBar(rules::timeBarWidth(game_.turnHalfSeconds(), metrics.clientWidth));
}

} // namespace tess
