#include "errors/Protocol.h"

#include "util/Paths.h"

#include <sys/utsname.h>

namespace tess {

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString BodyIndent(10, u' ');
const QString SectionRule(70, u'-');

} // namespace

QString textBeforeNul(const QString& buffer)
{
    const qsizetype nul = buffer.indexOf(QChar(u'\0'));
    return nul < 0 ? QString() : buffer.left(nul);
}

SystemInfo SystemInfo::fromUname(const QString& sysname, const QString& release, const QString& versionBuffer)
{
    // "6.1.0-18-amd64": version "6.1", build "0-18-amd64".
    SystemInfo info;
    info.platform = sysname;
    const QStringList parts = release.split(u'.');
    if (parts.size() >= 2) {
        info.version = parts[0] + u'.' + parts[1];
        info.build = parts.mid(2).join(u'.');
    } else {
        info.version = release;
    }
    info.build += QStringLiteral("   ") + textBeforeNul(versionBuffer);
    return info;
}

SystemInfo SystemInfo::current()
{
    utsname names{};
    if (uname(&names) != 0)
        return fromUname(QStringLiteral("Linux"), QString(), QString());
    return fromUname(QString::fromLocal8Bit(names.sysname), QString::fromLocal8Bit(names.release),
                     QString::fromLocal8Bit(names.version, sizeof(names.version)));
}

const std::array<QString, 4>& errorTitles()
{
    static const std::array<QString, 4> titles = {
        QStringLiteral("Fehler-Nr / error :"),
        QStringLiteral("Modul:"),
        QStringLiteral("Prozedur / procedure:"),
        QStringLiteral("Zeile / Line:"),
    };
    return titles;
}

QString programInfoLine()
{
    return programBaseName() + QStringLiteral("  V") + QString::number(TESSARON_VERSION_MAJOR) + u'.'
        + QString::number(TESSARON_VERSION_MINOR) + u'.' + QString::number(TESSARON_VERSION_PATCH);
}

QString protocolText(const ProtocolData& data)
{
    QString text;
    const auto line = [&text](const QString& content) { text += content + CrLf; };

    line(SectionRule);
    line(QStringLiteral("F E H L E R P R O T O K O L L vom FaultDesk"));
    line(SectionRule);
    line(QStringLiteral("PROGRAMM-INFO:"));
    line(BodyIndent + data.programInfo);
    line(SectionRule);
    line(QStringLiteral("FEHLERBESCHREIBUNG / ERROR DESCRIPTION:"));
    for (std::size_t i = 0; i < 4; ++i)
        line(BodyIndent + errorTitles()[i] + u'\t' + data.errorValues[i]);
    line(BodyIndent + QStringLiteral("Datum/Uhrzeit:\t") + data.when.toString(QStringLiteral("MM-dd-yyyy"))
         + QStringLiteral(" / ") + data.when.toString(QStringLiteral("HH:mm:ss")));
    line(SectionRule);
    line(QStringLiteral("CALLSTACK:"));
    for (const QString& entry : data.callStack)
        line(BodyIndent + entry);
    line(SectionRule);
    line(QStringLiteral("SYSTEMINFO:"));
    line(BodyIndent + QStringLiteral("Plattform:\t") + data.system.platform);
    line(BodyIndent + QStringLiteral("Version:\t") + data.system.version);
    line(BodyIndent + QStringLiteral("Build:\t") + data.system.build);
    line(SectionRule);
    return text;
}

} // namespace tess
