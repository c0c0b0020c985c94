#include "errors/ErrorReporter.h"

#include "util/Paths.h"
#include "util/RunTimeError.h"

#include <QFile>
#include <QTime>

#include <utility>

namespace tess {

namespace {

constexpr int MaxCallStack = 20;

} // namespace

GameErrorReporter::GameErrorReporter(std::unique_ptr<ErrorPrompt> prompt)
    : prompt_(std::move(prompt))
{
}

ErrorAnswer GameErrorReporter::handleError(const QString& module, const QString& procedure)
{
    if (asking_) {
        // A timer's procedure failed while the player still reads the first
        // error: its protocol goes to the log and the procedure is left; the
        // open dialog keeps showing, and answering, the first error.
        ProtocolData second = data_;
        fillCurrentError(second, module, procedure);
        appendToLog(second);
        return ErrorAnswer::Leave;
    }
    fillCurrentError(data_, module, procedure);
    prompt_->resetMousePointer();
    logCurrentError();
    prompt_->beep();
    asking_ = true;
    const ErrorAnswer answer = prompt_->ask(data_);
    asking_ = false;
    return errorAnswerAt(static_cast<int>(answer)); // a prompt's number outside the four leaves
}

void GameErrorReporter::fillCurrentError(ProtocolData& data, const QString& module, const QString& procedure)
{
    const ErrorState& err = lastError();
    data.errorValues = {
        QString::number(err.number) + QStringLiteral(" (") + err.description + u')',
        module,
        procedure,
        QString::number(err.line),
    };
    if (data.programInfo.isEmpty())
        data.programInfo = programInfoLine();
    data.when = QDateTime::currentDateTime();
    data.system = SystemInfo::current();
}

void GameErrorReporter::addToCallStack(const QString& text)
{
    data_.callStack.prepend(text + u' ' + QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    while (data_.callStack.size() > MaxCallStack)
        data_.callStack.removeLast();
}

void GameErrorReporter::setProgramInfo(const QString& text)
{
    data_.programInfo = text;
}

QString GameErrorReporter::logPath(const QString& extension)
{
    return writableFolder() + programBaseName() + extension;
}

bool GameErrorReporter::logCurrentError()
{
    return appendToLog(data_);
}

bool GameErrorReporter::appendToLog(const ProtocolData& data)
{
    const QString path = logPath(QStringLiteral(".EPT"));
    if (path != log_.path())
        log_ = ErrorLog(path);
    const auto& [number, module, procedure, line] = data.errorValues;
    return log_.add(protocolText(data) + QStringLiteral("\r\n"), QStringList{number, module, procedure, line}.join(u'|'));
}

} // namespace tess
