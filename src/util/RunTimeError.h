#pragma once
// A run-time error carries one of the classic error numbers and its text.
// Raising one unwinds to the nearest trapped step (see Trap.h), which hands it
// to the error reporter.

#include <QString>

namespace tess {

enum ErrorNumber : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrDiskFull = 61,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrResourceNotFound = 326,
    ErrInvalidProperty = 380,
    ErrInvalidPicture = 481,
};

// The message for an error number, as the player sees it ("Overflow").
QString errorText(int number);

class RunTimeError {
public:
    explicit RunTimeError(int number, QString detail = {});
    int number() const { return number_; }
    QString text() const { return errorText(number_); }
    // Extra words for the log (a file name, say); never shown instead of text().
    const QString& detail() const { return detail_; }

private:
    int number_;
    QString detail_;
};

[[noreturn]] void raiseError(int number, const QString& detail = {});

// The run-time error state the reporter reads: number, text and the number of
// the failing step, like the classic Err object and Erl.
struct ErrorState {
    int number = 0;
    QString description;
    int line = 0;
};
ErrorState& lastError();

} // namespace tess
