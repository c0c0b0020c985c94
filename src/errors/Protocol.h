#pragma once
// The error protocol: the text that is appended to the ".EPT" log, saved to
// the ".ERR" file, printed and mailed. Lines end in CR LF.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>

namespace tess {

struct SystemInfo {
    QString platform; // "Linux"
    QString version;  // major.minor of the kernel release, "6.1"
    QString build;    // rest of the release, three blanks, the kernel's version text

    static SystemInfo current();
    // Splits a kernel release and version as uname() reports them; `versionBuffer`
    // is the whole fixed buffer of the version text, cut at its first NUL.
    static SystemInfo fromUname(const QString& sysname, const QString& release, const QString& versionBuffer);
};

struct ProtocolData {
    QString programInfo;
    std::array<QString, 4> errorValues; // number (text), module, procedure, line
    QDateTime when;
    QStringList callStack; // newest first
    SystemInfo system;
};

// The reporter's text helper: the part of a text before its first NUL, or the
// empty text when it holds none (a fixed buffer always ends in one).
QString textBeforeNul(const QString& buffer);

// The four fixed titles of the error block.
const std::array<QString, 4>& errorTitles();

// "tessaron  V1.0.0": program file name without extension, two blanks, version.
QString programInfoLine();

QString protocolText(const ProtocolData& data);

} // namespace tess
