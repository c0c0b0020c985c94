#include "support/ScriptedReporter.h"

#include "util/RunTimeError.h"

namespace tess::test {

ScriptedReporter::ScriptedReporter()
{
    setErrorReporter(this);
}

ScriptedReporter::~ScriptedReporter()
{
    setErrorReporter(nullptr);
}

ErrorAnswer ScriptedReporter::handleError(const QString& module, const QString& procedure)
{
    const ErrorState& err = lastError();
    reports.append({module, procedure, err.number, err.description, err.line});
    if (whileShown)
        whileShown();
    return answers.isEmpty() ? then : answers.takeFirst();
}

} // namespace tess::test
