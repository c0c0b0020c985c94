#pragma once
// The one way in for everything that starts a procedure of the game: the
// player's clicks, the move clock, the music timer, the idle animation,
// activation and closing. It counts the procedures that run, nested ones
// included (sounds heard to their end, waits and dialogs let window events
// run in the middle of one).
//
// Input is let in only when nothing runs and no modal dialog is open: a
// screen reader's Press action, for one, reaches the game window past a
// modal dialog. Timers and the window's own steps are never dropped; they
// are counted while they run, so input that comes meanwhile (while the error
// reporter they opened is up, say) is dropped too.

#include <functional>

namespace tess {

class ProcedureGate {
public:
    static ProcedureGate& instance();

    // Whether a procedure runs.
    bool busy() const { return depth_ > 0; }
    // Whether the player's input is to be dropped now: a procedure runs or a modal dialog is open.
    bool inputBlocked() const;

    // Runs a procedure, counted; never dropped. With `dropHeldInput`, input
    // held back meanwhile (by a sound heard to its end) is taken in and
    // dropped before the procedure stops counting; a timer's step leaves it
    // for after, so a click that came during a tick still counts.
    void run(const std::function<void()>& procedure, bool dropHeldInput = true);
    // Runs a procedure of the player's input unless input is blocked; false when it was dropped.
    bool runInput(const std::function<void()>& procedure);

    // `handler` is called whenever the last running procedure has ended,
    // until its owner sets another or clears it.
    void setIdleHandler(const void* owner, std::function<void()> handler)
    {
        idleOwner_ = owner;
        idleHandler_ = std::move(handler);
    }
    void clearIdleHandler(const void* owner)
    {
        if (idleOwner_ == owner)
            setIdleHandler(nullptr, {});
    }

private:
    int depth_ = 0;
    const void* idleOwner_ = nullptr;
    std::function<void()> idleHandler_;
};

} // namespace tess
