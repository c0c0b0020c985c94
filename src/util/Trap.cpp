#include "util/Trap.h"

#include "util/ProgramEnd.h"
#include "util/RunTimeError.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>

namespace tess {

namespace {

class StderrReporter : public ErrorReporter {
public:
    ErrorAnswer handleError(const QString& module, const QString& procedure) override
    {
        const ErrorState& err = lastError();
        std::fprintf(stderr, "Tessaron: error %d (%s) in %s.%s, line %d\n", err.number,
                     qPrintable(err.description), qPrintable(module), qPrintable(procedure), err.line);
        return ErrorAnswer::Leave;
    }
};

ErrorReporter*& installed()
{
    static ErrorReporter* reporter = nullptr;
    return reporter;
}

} // namespace

ErrorReporter& errorReporter()
{
    static StderrReporter fallback;
    return installed() ? *installed() : fallback;
}

void setErrorReporter(ErrorReporter* reporter)
{
    installed() = reporter;
}

Steps::Steps(const char* module, const char* procedure, Mode mode)
    : module_(module), procedure_(procedure), mode_(mode)
{
}

void Steps::operator()(int line, const std::function<void()>& step)
{
    line_ = line;
    for (;;) {
        std::optional<RunTimeError> failure;
        try {
            step();
            return;
        } catch (const RunTimeError& error) {
            failure = error;
        } catch (const std::bad_alloc&) {
            failure = RunTimeError(ErrOutOfMemory);
        } catch (const std::exception& error) {
            failure = RunTimeError(ErrInvalidCall, QString::fromLocal8Bit(error.what()));
        }

        if (mode_ == Mode::Ignore)
            return;
        if (silentError_ != 0 && failure->number() == silentError_)
            throw LeaveProcedure{};

        ErrorState& state = lastError();
        state.number = failure->number();
        state.description = failure->text();
        state.line = line_;
        const ErrorAnswer answer = errorReporter().handleError(QString::fromUtf8(module_), QString::fromUtf8(procedure_));
        state = ErrorState{};

        switch (answer) {
        case ErrorAnswer::Retry:
            continue;
        case ErrorAnswer::Ignore:
            return;
        case ErrorAnswer::End:
            endProgramAtOnce();
            return; // only reached when a test has replaced the ending
        case ErrorAnswer::Leave:
        default: // a reporter's number outside the four
            throw LeaveProcedure{};
        }
    }
}

} // namespace tess
