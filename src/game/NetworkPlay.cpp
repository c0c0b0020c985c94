#include "game/NetworkPlay.h"

#include "game/PuzzleTable.h"

namespace tess {

struct NetworkPlay::Private {
    explicit Private(PuzzleTable& t) : table(t) {}
    PuzzleTable& table;
    Role role = Role::None;
    QString problem;
    std::unique_ptr<net::Discovery> discovery; // made at the first use
};

NetworkPlay::NetworkPlay(PuzzleTable& table)
    : d(std::make_unique<Private>(table))
{
}

NetworkPlay::~NetworkPlay() = default;

NetworkPlay::Role NetworkPlay::role() const { return d->role; }

bool NetworkPlay::host(quint16, const QString&)
{
    return false;
}

QString NetworkPlay::code() const { return {}; }
quint16 NetworkPlay::port() const { return 0; }
QStringList NetworkPlay::addresses() const { return {}; }

void NetworkPlay::join(const QString&, quint16, const QString&, const QString&) {}

void NetworkPlay::leave() { d->role = Role::None; }

QList<NetworkPlay::Player> NetworkPlay::players() const { return {}; }

net::Discovery& NetworkPlay::discovery()
{
    if (!d->discovery)
        d->discovery = std::make_unique<net::Discovery>();
    return *d->discovery;
}

QString NetworkPlay::lastProblem() const { return d->problem; }

} // namespace tess
