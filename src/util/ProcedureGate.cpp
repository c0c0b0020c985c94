#include "util/ProcedureGate.h"

#include <QApplication>

namespace tess {

namespace {

// Counts a running procedure for as long as it runs, even when it is left early.
class Counted {
public:
    explicit Counted(int& depth) : depth_(depth) { ++depth_; }
    ~Counted() { --depth_; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

private:
    int& depth_;
};

} // namespace

ProcedureGate& ProcedureGate::instance()
{
    static ProcedureGate gate;
    return gate;
}

bool ProcedureGate::inputBlocked() const
{
    return busy() || QApplication::activeModalWidget() != nullptr;
}

void ProcedureGate::run(const std::function<void()>& procedure, bool dropHeldInput)
{
    {
        Counted counted(depth_);
        procedure();
        if (depth_ == 1 && dropHeldInput) {
            // Clicks held back by a sound heard to its end come in now, while
            // the procedure still counts as running: they are dropped too.
            QCoreApplication::processEvents();
        }
    }
    if (depth_ == 0 && idleHandler_)
        idleHandler_();
}

bool ProcedureGate::runInput(const std::function<void()>& procedure)
{
    if (inputBlocked())
        return false;
    run(procedure);
    return true;
}

} // namespace tess
