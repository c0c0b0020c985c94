#pragma once
// What a published game says about itself in DNS-SD, both ways: the TXT
// record the host publishes, and the careful reading of what another computer
// published. Everything read comes from the network: lengths are capped,
// numbers checked, and a record that does not read cleanly is no game.

#include "net/Discovery.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tess::net {

// A DNS-SD instance name is at most 63 bytes of UTF-8.
inline constexpr int MaxServiceNameBytes = 63;
// Longer TXT values than this are not ours ("1.0", "3x4", "2").
inline constexpr int MaxRecordValueBytes = 16;
// Only this many TXT entries are looked at.
inline constexpr int MaxRecordEntries = 32;
// The most games a list shows; more on one network is a flood.
inline constexpr int MaxListedGames = 32;

// `name` cut to MaxServiceNameBytes of UTF-8, never inside a character.
QString serviceName(const QString& name);

// The TXT record of a hosted game: "v=1.0", "board=3x4", "free=2".
QList<QByteArray> serviceRecord(const QString& board, int freeSeats);

// A game as another computer published it, or nothing when any part is
// malformed: a name that is blank or holds control characters or line
// breaks (isShowableName), an address that is none, port 0, or a TXT record
// without a clean version ("1.0"), board ("3x4") and number of free seats
// (0 .. 3).
std::optional<Discovery::Game> gameFromService(const QString& name, const QString& address, quint16 port,
                                               const QList<QByteArray>& record);

// A service the games list follows: the address it was found at (empty until
// it is found) and when it was last heard of.
struct FollowedService {
    QString address;
    quint64 heard = 0;
};

// Which followed service makes room for a new one when a network publishes
// more than are followed: one not found yet before a game, then a game of the
// computer that published the most, and of those the one heard of longest
// ago. So a computer that floods the network with new names pushes out only
// its own, never another computer's game. -1 for an empty list.
qsizetype serviceToForget(const QList<FollowedService>& services);

} // namespace tess::net
