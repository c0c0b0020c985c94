#pragma once
// Network play for the game window: one game, two to four players, each at
// their own computer. On the host, the game runs as on one screen, through
// the same procedures and the same input gate; a joining computer's actions
// come in with their seat and run only on that seat's turn, and after each
// step that changes the screen the new state goes out. On a joining
// computer the table only shows what the host sends, and the player's
// clicks go to the host instead of running here.
//
// With no network game running, nothing here touches the one-screen game.

#include "net/Discovery.h"
#include "net/Wire.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace tess {

class PuzzleTable;
struct NetworkCommandLine;

class NetworkPlay : public QObject {
    Q_OBJECT

public:
    enum class Role { None, Host, Joining };

    struct Player {
        QString name;
        QString computer; // "" for this computer, else its address
        bool connected = true;
    };

    explicit NetworkPlay(PuzzleTable& table);
    ~NetworkPlay() override;

    Role role() const;

    // The network game dialog over `parent` (netplay/NetworkGameDialog.h),
    // until the player closes it.
    void openDialog(QWidget* parent);
    // --host or --join: the dialog, hosting or joining as the line asks.
    void runCommandLine(const NetworkCommandLine& line, QWidget* parent);

    // --- hosting
    // Offers the game on `port` (0: the default port, or any free one when
    // that is taken) with `code` (random when empty). False, and the reason
    // in lastProblem(), when no port could be had.
    bool host(quint16 port = 0, const QString& code = {});
    QString code() const;
    quint16 port() const;
    // This computer's addresses on the local network, to type by hand.
    QStringList addresses() const;

    // --- joining
    void join(const QString& address, quint16 port, const QString& name, const QString& code);

    // Leaves the network game (the host ends it for everyone); the table
    // becomes a one-screen table with what it shows now.
    void leave();

    // Seat 0 is the host's player; the others are the joined computers'.
    QList<Player> players() const;
    // The games found on the local network (joining), and whether finding works.
    net::Discovery& discovery();
    // A readable sentence in the game's language for what went wrong last.
    QString lastProblem() const;

Q_SIGNALS:
    void playersChanged();
    void joined();
    // A join was refused, the connection was lost or the host ended: `text`
    // says so in the game's language.
    void ended(const QString& text);
    // Hosting: a joining computer's action was checked; `ran` when it was
    // its turn, in range and let in by the gate, false when it changed nothing.
    void actionChecked(int seat, bool ran);
    // Hosting: someone guessed at the join code, so it changed; lastProblem() says so.
    void codeChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tess
