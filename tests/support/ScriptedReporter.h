#pragma once
// An error reporter for tests: records every report and answers from a script.

#include "errors/ErrorReporter.h"

#include <QList>
#include <QString>

#include <functional>

namespace tess::test {

struct Report {
    QString module;
    QString procedure;
    int number = 0;
    QString description;
    int line = 0;
};

class ScriptedReporter : public ErrorReporter {
public:
    ScriptedReporter();
    ~ScriptedReporter() override;

    ErrorAnswer handleError(const QString& module, const QString& procedure) override;

    // Answers given in turn; once used up, every report is answered with `then`.
    QList<ErrorAnswer> answers;
    ErrorAnswer then = ErrorAnswer::Leave;
    QList<Report> reports;
    // Runs while the report is up, as the player would act then.
    std::function<void()> whileShown;
};

} // namespace tess::test
