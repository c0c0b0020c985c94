#pragma once
// The game's error reporter: every trapped step hands its run-time error to
// handleError (the interface and the reporter in force are in util/Trap.h),
// which logs the protocol and asks the player how to go on.

#include "errors/ErrorLog.h"
#include "errors/Protocol.h"
#include "util/Trap.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

namespace tess {

// What the dialog shows, and the means to ask the player.
class ErrorPrompt {
public:
    virtual ~ErrorPrompt() = default;
    virtual void resetMousePointer() = 0;
    virtual void beep() = 0;
    // Shows the dialog modally and returns the continue button pressed; any
    // other way of closing it answers Leave.
    virtual ErrorAnswer ask(const ProtocolData& shown) = 0;
};

// The game's reporter: keeps the program-info line and the call stack between
// errors and appends every protocol to the ".EPT" log. One error is asked at a
// time; an error raised while the dialog is open is only logged, and its
// procedure left.
class GameErrorReporter : public ErrorReporter {
public:
    explicit GameErrorReporter(std::unique_ptr<ErrorPrompt> prompt);

    ErrorAnswer handleError(const QString& module, const QString& procedure) override;

    // Puts "text hh:mm:ss" at the top of the call stack (at most 20 entries).
    void addToCallStack(const QString& text);
    void setProgramInfo(const QString& text);

    const ProtocolData& current() const { return data_; }
    QString protocol() const { return protocolText(data_); }

    // The log files stand in the writable program folder, named after the program.
    static QString logPath(const QString& extension);
    // Appends the protocol and one more CR LF to the ".EPT" log (errors/ErrorLog.h:
    // capped, a repeated report counted); false when it could not be written
    // (the dialog appears all the same).
    bool logCurrentError();

private:
    static void fillCurrentError(ProtocolData& data, const QString& module, const QString& procedure);
    bool appendToLog(const ProtocolData& data);

    std::unique_ptr<ErrorPrompt> prompt_;
    ProtocolData data_;
    bool asking_ = false; // the dialog is open and waits for the player
    ErrorLog log_{QString()};
};

} // namespace tess
