#include "net/DiscoveryRecord.h"

#include "net/NetLimits.h"
#include "net/Wire.h"

#include <QHash>
#include <QHostAddress>
#include <QRegularExpression>

namespace tess::net {

namespace {

bool isClean(const QString& value, const QRegularExpression& pattern)
{
    return pattern.match(value).hasMatch();
}

} // namespace

QString serviceName(const QString& name)
{
    // Every character takes at least one byte: cut the long ones short first.
    QString cut = name.left(MaxServiceNameBytes);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    while (cut.toUtf8().size() > MaxServiceNameBytes)
        cut.chop(cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1);
    return cut;
}

QList<QByteArray> serviceRecord(const QString& board, int freeSeats)
{
    return {
        QByteArray("v=") + QByteArray::number(ProtocolMajor) + '.' + QByteArray::number(ProtocolMinor),
        "board=" + board.toUtf8().left(MaxRecordValueBytes),
        "free=" + QByteArray::number(qBound(0, freeSeats, MaxJoiningComputers)),
    };
}

std::optional<Discovery::Game> gameFromService(const QString& name, const QString& address, quint16 port,
                                               const QList<QByteArray>& record)
{
    static const QRegularExpression version(QStringLiteral("^[0-9]{1,3}\\.[0-9]{1,3}$"));
    static const QRegularExpression board(QStringLiteral("^[1-9][0-9]?x[1-9][0-9]?$"));
    static const QRegularExpression seats(QStringLiteral("^[0-3]$"));

    Discovery::Game game;
    game.name = serviceName(name);
    if (!isShowableName(game.name))
        return std::nullopt;
    if (address.size() > 64 || QHostAddress(address).isNull() || port == 0)
        return std::nullopt;
    game.address = address;
    game.port = port;

    // Keys are case-blind and only their first appearance counts (as DNS-SD
    // says); an entry without "=" is a flag, none of ours.
    bool haveVersion = false, haveBoard = false, haveSeats = false;
    for (qsizetype i = 0; i < record.size() && i < MaxRecordEntries; ++i) {
        const QByteArray& entry = record[i];
        const qsizetype equals = entry.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = entry.left(equals).toLower();
        const QByteArray raw = entry.mid(equals + 1);
        if (raw.size() > MaxRecordValueBytes)
            return std::nullopt;
        const QString value = QString::fromLatin1(raw);
        if (key == "v" && !haveVersion) {
            if (!isClean(value, version))
                return std::nullopt;
            game.version = value;
            haveVersion = true;
        } else if (key == "board" && !haveBoard) {
            if (!isClean(value, board))
                return std::nullopt;
            game.board = value;
            haveBoard = true;
        } else if (key == "free" && !haveSeats) {
            if (!isClean(value, seats))
                return std::nullopt;
            game.freeSeats = value.toInt();
            haveSeats = true;
        }
    }
    if (!haveVersion || !haveBoard || !haveSeats)
        return std::nullopt;
    return game;
}

qsizetype serviceToForget(const QList<FollowedService>& services)
{
    QHash<QString, int> perAddress;
    for (const FollowedService& service : services)
        ++perAddress[service.address];
    // Not found yet ranks above any computer's games.
    const auto crowd = [&](const FollowedService& service) {
        return service.address.isEmpty() ? int(services.size()) + 1 : perAddress.value(service.address);
    };
    qsizetype chosen = -1;
    for (qsizetype i = 0; i < services.size(); ++i) {
        if (chosen < 0)
            chosen = i;
        const int mine = crowd(services[i]);
        const int theirs = crowd(services[chosen]);
        if (mine > theirs || (mine == theirs && services[i].heard < services[chosen].heard))
            chosen = i;
    }
    return chosen;
}

} // namespace tess::net
