#pragma once
// The error trap every procedure of the game runs under.
//
//     QString textForKey(qint16 key)
//     {
//         QString text;
//         trapped("Allgemein", "GetLang", [&](Steps& step) {
//             step(50010, [&] { ... });
//             step(50020, [&] { ... });
//         });
//         return text;
//     }
//
// Each step carries its number, written where the step is: 50010 for the
// first, then in tens. A new step takes a number no other step of the
// procedure uses, so no report of another step changes (CTest step_numbers
// lists them all). When a step
// raises a run-time error, the reporter's handleError is asked and its answer is
// acted on (the game's reporter, which logs and asks the player, is
// errors/ErrorReporter.h; it sits above the helpers that run trapped): Retry
// runs the step again, Ignore goes on with the next step, Leave leaves the
// procedure (the remaining steps are skipped), End ends the program at once.
// Errors of plain helpers called from a step land in that step, as they would
// in a handler-less classic procedure.
//
// Where to cut the steps: a step is what the player may want to run again,
// go past or stop at, so each statement that can raise a run-time error gets
// a step of its own: arithmetic that can overflow (addInt16, toInt16,
// toInt32), an index that can be out of range (raiseError(ErrSubscript)), a
// file, a picture, a sound, a dialog, a call of another trapped procedure. A
// statement that cannot fail (an assignment, a comparison, a plain rule of
// table/Rules, a notification of the window) joins the step it belongs to
// rather than standing alone: a step that cannot fail only lengthens the ladder.

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tess {

// How the player goes on after a run-time error: retry the step, ignore it,
// leave the procedure, end the program. The numbers are the places of the
// error dialog's continue buttons.
enum class ErrorAnswer { Retry = 0, Ignore = 1, Leave = 2, End = 3 };

// The answer for a continue button's place; Leave, the safe choice, for any other number.
constexpr ErrorAnswer errorAnswerAt(int place)
{
    return place >= 0 && place <= 3 ? static_cast<ErrorAnswer>(place) : ErrorAnswer::Leave;
}

// Who hears of a step's run-time error. The game's own reporter, which logs
// it and asks the player, is GameErrorReporter in errors/ErrorReporter.h.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    // Reads the current error from lastError() and returns how to go on.
    virtual ErrorAnswer handleError(const QString& module, const QString& procedure) = 0;
};

// The reporter in force. Until one is installed, errors are written to stderr
// and answered with Leave, the safe choice.
ErrorReporter& errorReporter();
// Installs a reporter (not owned); nullptr restores the fallback.
void setErrorReporter(ErrorReporter* reporter);

class Steps {
public:
    enum class Mode { Report, Ignore };

    Steps(const char* module, const char* procedure, Mode mode);

    // Runs step `line` under the trap: the number its error reports name.
    void operator()(int line, const std::function<void()>& step);

    // The line number of the step that runs (or ran) last; 0 before the first.
    int line() const { return line_; }

    // An error with this number leaves the procedure without a word, for the
    // one failure a procedure expects and handles itself.
    void leaveSilentlyOn(int errorNumber) { silentError_ = errorNumber; }

private:
    const char* module_;
    const char* procedure_;
    Mode mode_;
    int line_ = 0;
    int silentError_ = 0;
};

// Thrown by a step when the answer is "leave the procedure"; only trapped()
// and ignoringErrors() catch it, so it is not a std::exception.
struct LeaveProcedure {};

// Runs a procedure body whose steps report their errors.
template <class Body>
void trapped(const char* module, const char* procedure, Body&& body)
{
    Steps steps(module, procedure, Steps::Mode::Report);
    try {
        body(steps);
    } catch (const LeaveProcedure&) {
    }
}

// Runs a procedure body whose failing steps are skipped without a word
// (abandonGameOrQuit, the game window's unload step, quitProgram).
template <class Body>
void ignoringErrors(Body&& body)
{
    Steps steps("", "", Steps::Mode::Ignore);
    try {
        body(steps);
    } catch (const LeaveProcedure&) {
    }
}

} // namespace tess
