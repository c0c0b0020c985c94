#pragma once
// Finding games on the local network: DNS-SD through the Avahi daemon,
// spoken over the system D-Bus. The host publishes a service of type
// ServiceType under its player's name, with a TXT record of the version
// ("v=1.0"), the board ("board=3x4") and the free seats ("free=2"); a joining
// computer browses for it. Where no Avahi daemon answers, available() is
// false and problem() says why; typing an address still works.

#include <QObject>
#include <QString>

#include <memory>

namespace tess::net {

class Discovery : public QObject {
    Q_OBJECT

public:
    struct Game {
        QString name;    // the service's instance name: the host player's name
        QString address; // resolved, IPv4 preferred
        quint16 port = 0;
        QString version; // TXT "v"
        QString board;   // TXT "board", e.g. "3x4"
        int freeSeats = 0;
    };
    enum class Problem { None, NoDaemon, Failed };

    Discovery();
    ~Discovery() override;

    bool available() const;
    Problem problem() const;
    // What went wrong, in English for the log; empty without a problem.
    QString problemText() const;

    void publish(const QString& name, quint16 port, const QString& board, int freeSeats);
    // The same service with a new board or number of free seats.
    void updateRecord(const QString& board, int freeSeats);
    void unpublish();

    void browse();
    void stopBrowsing();
    // At most MaxListedGames, by name: those of the computers that publish
    // fewest games, then those heard from most recently.
    QList<Game> games() const;
    // How many more games were found than games() lists.
    int unlistedGames() const;

Q_SIGNALS:
    void gamesChanged();
    void problemChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tess::net
