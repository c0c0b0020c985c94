#include "util/RunTimeError.h"

#include <utility>

namespace tess {

QString errorText(int number)
{
    switch (number) {
    case ErrInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow: return QStringLiteral("Overflow");
    case ErrOutOfMemory: return QStringLiteral("Out of memory");
    case ErrSubscript: return QStringLiteral("Subscript out of range");
    case ErrDivisionByZero: return QStringLiteral("Division by zero");
    case ErrTypeMismatch: return QStringLiteral("Type mismatch");
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrDiskFull: return QStringLiteral("Disk full");
    case ErrPermissionDenied: return QStringLiteral("Permission denied");
    case ErrPathFileAccess: return QStringLiteral("Path/File access error");
    case ErrPathNotFound: return QStringLiteral("Path not found");
    case ErrResourceNotFound: return QStringLiteral("Resource with identifier not found");
    case ErrInvalidProperty: return QStringLiteral("Invalid property value");
    case ErrInvalidPicture: return QStringLiteral("Invalid picture");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

RunTimeError::RunTimeError(int number, QString detail)
    : number_(number), detail_(std::move(detail))
{
}

void raiseError(int number, const QString& detail)
{
    throw RunTimeError(number, detail);
}

ErrorState& lastError()
{
    static ErrorState state;
    return state;
}

} // namespace tess
