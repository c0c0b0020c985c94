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

void ScriptedReporter::handleError(const QString& module, const QString& procedure, qint16& answer)
{
    const ErrorState& err = lastError();
    reports.append({module, procedure, err.number, err.description, err.line});
    if (whileShown)
        whileShown();
    answer = answers.isEmpty() ? then : answers.takeFirst();
}

} // namespace tess::test
