#include "support/ScriptedReporter.h"

#include "errors/RunTimeError.h"

namespace tess::test {

ScriptedReporter::ScriptedReporter()
{
    setErrorReporter(this);
}

ScriptedReporter::~ScriptedReporter()
{
    setErrorReporter(nullptr);
}

void ScriptedReporter::OnError(const QString& AktModul, const QString& AktProc, qint16& answer)
{
    const ErrState& err = Err();
    reports.append({AktModul, AktProc, err.number, err.description, err.line});
    if (whileShown)
        whileShown();
    answer = answers.isEmpty() ? then : answers.takeFirst();
}

} // namespace tess::test
