#include "netplay/NetworkPlay.h"

#include "game/PuzzleTable.h"
#include "table/TableSnapshot.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "net/GameClient.h"
#include "net/GameHost.h"
#include "net/RateLimit.h"
#include "resources/PictureDecoder.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "sound/SoundEffects.h"
#include "sound/Sounds.h"
#include "util/Dialogs.h"
#include "util/ProcedureGate.h"
#include "util/Text.h"
#include "util/Trap.h"

#include <QApplication>
#include <QBuffer>
#include <QCborValue>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace tess {

// Actions a joining computer may send out of its turn in a row before it is
// thrown out: clicks that crossed a new state on the way are a few at most.
constexpr int MaxActionsOutOfTurn = 8;

namespace {

// Sound effects are numbered from FirstSoundEffect; on the wire they count from 1.
constexpr int SoundBase = FirstSoundEffect - 1;

// A joining screen shows the host's newest state at most this often.
constexpr int FrameMilliseconds = 16;

// With TESSARON_NETWORK_TRACE set, each screen writes what it shows and what
// it does to stderr, one line each: the end-to-end tests read it.
bool tracing()
{
    static const bool on = qEnvironmentVariableIsSet("TESSARON_NETWORK_TRACE");
    return on;
}

void trace(const QString& line)
{
    if (!tracing())
        return;
    std::fprintf(stderr, "network: %s\n", qPrintable(line));
    std::fflush(stderr);
}

QString describe(const TableSnapshot& t)
{
    int placed = 0;
    QString board;
    for (const TableSnapshot::Cell& cell : t.cells) {
        placed += cell.placed ? 1 : 0;
        constexpr char faces[] = ".xjbp";
        board += QLatin1Char(faces[std::clamp(int(cell.face), 0, 4)]);
    }
    QStringList scores;
    for (qsizetype i = 0; i < t.names.size(); ++i)
        scores.append(QStringLiteral("%1:%2").arg(t.names[i]).arg(t.scores[std::size_t(i)]));
    const int seat = t.seats.empty() ? 0 : t.seats[std::size_t(t.currentPlayer)];
    const int hand = t.stack.face == Face::Piece ? t.stack.piece : -1;
    return QStringLiteral("state idle=%1 seat=%2 player=%3 stack=%4 hand=%5 placed=%6/%7 board=%8 scores=%9")
        .arg(t.gameIdle ? 1 : 0)
        .arg(seat)
        .arg(t.currentPlayer)
        .arg(t.stackVisible && t.stack.enabled ? 1 : 0)
        .arg(hand)
        .arg(placed)
        .arg(t.pieceCount())
        .arg(board)
        .arg(scores.join(QLatin1Char(',')));
}

net::PlayerAction actionOf(SeatInput input)
{
    switch (input) {
    case SeatInput::Draw: return net::PlayerAction::Draw;
    case SeatInput::Place: return net::PlayerAction::Place;
    case SeatInput::Hint: return net::PlayerAction::Hint;
    }
    return net::PlayerAction::Draw;
}

SeatInput inputOf(net::PlayerAction action)
{
    switch (action) {
    case net::PlayerAction::Draw: return SeatInput::Draw;
    case net::PlayerAction::Place: return SeatInput::Place;
    case net::PlayerAction::Hint: return SeatInput::Hint;
    }
    return SeatInput::Draw;
}

// A box that says something without holding up the game: the host's game
// goes on while it is open.
void sayAside(const QString& text)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QMessageBox* box = makeMessageBox(QMessageBox::Information, text, langText(text::NetworkGameTitle), QMessageBox::Ok,
                                      QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

// The player settings as they were before a network game: the game puts
// its players into the shared state, where the options dialog would save
// them as this computer's own.
struct PlayerSettings {
    QString count;
    std::array<QString, 4> names;

    static PlayerSettings read()
    {
        PlayerSettings settings;
        ignoringErrors([&](Steps& step) {
            step(50010, [&] { settings.count = readSetting(keys::playerCount, QString()); });
            step(50020, [&] {
                for (std::size_t i = 0; i < settings.names.size(); ++i)
                    settings.names[i] = readSetting(keys::playerLabels[i], QString());
            });
        });
        return settings;
    }

    // Puts back what changed; a setting that was not there stays as it is now.
    void restore() const
    {
        const PlayerSettings now = read();
        const SettingsAction action; // count and names go together
        ignoringErrors([&](Steps& step) {
            step(50010, [&] {
                if (!count.isEmpty() && now.count != count)
                    saveSetting(keys::playerCount, count);
            });
            step(50020, [&] {
                for (std::size_t i = 0; i < names.size(); ++i)
                    if (!names[i].isEmpty() && now.names[i] != names[i])
                        saveSetting(keys::playerLabels[i], names[i]);
            });
        });
    }
};

} // namespace

struct NetworkPlay::Private : TableListener, SeatNetwork {
    Private(NetworkPlay& owner, PuzzleTable& t)
        : q(owner)
        , table(t)
    {
        awayCheck.setSingleShot(true);
        QObject::connect(&awayCheck, &QTimer::timeout, &q, [this] { checkAwayTurn(); });
        stateTimer.setSingleShot(true);
        QObject::connect(&stateTimer, &QTimer::timeout, &q, [this] { takeState(); });
        pictureDue.setSingleShot(true);
        QObject::connect(&pictureDue, &QTimer::timeout, &q, [this] { flush(); });
        QObject::connect(&hostPictures, &PictureDecoder::decoded, &q, [this](const QImage& image) { showPicture(image); });
        clock.start();
    }

    NetworkPlay& q;
    PuzzleTable& table;
    Role role = Role::None;
    QString problem;
    std::unique_ptr<net::Discovery> discovery; // made at the first use

    // --- hosting
    std::unique_ptr<net::GameHost> host;
    QString hostName;
    QList<int> seatOfPlayer{0}; // the seat of each player in the game
    QHash<int, int> outOfTurn;  // actions in a row each seat sent out of its turn
    bool stateDue = false;      // the table changed since the last State went out
    QByteArray lastState;       // the last State as sent, to send no repeats
    net::Message picture;       // the game's picture as last sent
    QString pictureKey;
    int pictureGeneration = 0;
    QElapsedTimer pictureSent;
    QTimer pictureDue; // a picture changed again too soon goes out then
    bool wasIdle = true;
    QTimer awayCheck;
    QString recordBoard; // the offer's record as published
    int recordFree = -1;
    int savedPlayerCount = 0;
    std::array<QString, 4> savedNames;
    PlayerSettings savedSettings; // hosting or joining

    // --- joining
    std::unique_ptr<net::GameClient> client;
    QString hostAddress;
    int seat = 0;
    bool welcomed = false;
    QList<net::LobbySeat> lobby;
    std::optional<TableSnapshot> shown;   // the host's state as this screen shows it
    std::optional<TableSnapshot> pending; // one that waits for the window's layout
    // What a host sends is taken no faster than a game makes it: the newest
    // state once a frame, sounds as the limits say, a picture once for each
    // the host announces, decoded aside.
    std::optional<QCborMap> stateWaiting;
    QTimer stateTimer;
    QElapsedTimer clock;
    qint64 stateTaken = -FrameMilliseconds;
    net::RateLimit sounds{net::MaxSoundsPerSecond, net::MaxSoundBurst};
    int announcedPicture = -1;         // the picture generation the newest state tells
    std::optional<int> pictureTakenAt; // what it told when the last picture came
    PictureDecoder hostPictures;
    struct Box {
        QString text;
        QString title;
        bool notice = false; // one the host asked for
    };
    QList<Box> boxes; // message boxes waiting to be shown, one at a time
    bool boxOpen = false;
    bool noticeOpen = false;

    // TableListener: whatever changed, the screens get the new state once.
    void cellChanged(int) override { stateChanged(); }
    void stackChanged() override { stateChanged(); }
    void previewChanged() override { stateChanged(); }
    void pictureChanged() override { stateChanged(); }
    void backgroundChanged() override {}
    void controlsChanged() override { stateChanged(); }

    // SeatNetwork: the table asks the network game, as this computer's role answers.
    bool turnIsLocal() const override { return role == Role::Host ? localTurn() : !welcomed || myTurn(); }
    bool remote() const override { return role == Role::Joining && welcomed; }
    void forward(SeatInput input, int cell) override;
    bool away(int player) const override;
    void sound(int number) override;
    void notice(int text, const QStringList& arguments) override;
    void refresh() override;
    void ending() override { q.leave(); }
    void gameStarting() override;
    bool othersPlaying() const override;

    void beginHosting(std::unique_ptr<net::GameHost> server);
    void watchHost();
    void stateChanged();
    void flush();
    TableSnapshot hostSnapshot() const;
    bool sendPictureIfNew();
    void sendLobby();
    void updateRecord();
    void updatePlayers();
    void takePlayers(); // the players from the seats, without showing them
    bool seatConnected(int seatNumber) const;
    void checkAwayTurn();
    void actionReceived(int from, net::PlayerAction action, int cell);
    void seatJoined(int joined);
    void publish();
    void stopHosting(bool sayGoodbye);
    bool localTurn() const;

    void joinedAs(int mySeat);
    void received(const net::Message& message);
    void takeState();
    void applyPending();
    void takePicture(const net::Message& message);
    void showPicture(QImage image);
    void queueBox(const QString& text, const QString& title, bool notice = false);
    void showBoxes();
    bool myTurn() const;
    void end(const QString& text);
};

// --- hosting

void NetworkPlay::Private::stateChanged()
{
    if (role != Role::Host || stateDue)
        return;
    stateDue = true;
    // After the step: a burst of changes goes out as one state. A wait or a
    // sound heard to its end lets this run, so animations show as they happen.
    QTimer::singleShot(0, &q, [this] { flush(); });
}

TableSnapshot NetworkPlay::Private::hostSnapshot() const
{
    TableSnapshot t = table.snapshot();
    if (qsizetype(t.names.size()) == seatOfPlayer.size())
        t.seats.assign(seatOfPlayer.begin(), seatOfPlayer.end());
    t.pictureGeneration = pictureGeneration;
    return t;
}

void NetworkPlay::Private::flush()
{
    stateDue = false;
    if (role != Role::Host || !host)
        return;
    if (wasIdle != table.gameIdle) {
        wasIdle = table.gameIdle;
        // While a game runs, only a computer that had a seat may come back.
        host->setGameRunning(!wasIdle);
    }
    if (table.gameIdle && shared().playerCount != seatOfPlayer.size()) {
        updatePlayers();
        return; // the panels changed: that flushes again
    }
    sendPictureIfNew();
    updateRecord();
    const TableSnapshot t = hostSnapshot();
    net::Message state;
    state.kind = net::MessageKind::State;
    state.state = encodeSnapshot(t);
    const QByteArray bytes = QCborValue(state.state).toCbor();
    if (bytes != lastState) {
        lastState = bytes;
        host->sendToAll(state);
        trace(describe(t));
    }
    checkAwayTurn();
}

bool NetworkPlay::Private::sendPictureIfNew()
{
    const SharedState& s = shared();
    const bool builtIn = s.pictureSource == PictureSource::BuiltIn;
    const QString key = builtIn ? QStringLiteral("built-in %1").arg(s.pictureNumber) : QStringLiteral("file ") + s.pictureFile;
    if (key == pictureKey && pictureGeneration > 0)
        return false;
    // Pictures picked quickly one after another (a Start clicked over and
    // over) go out as the newest of them, once the interval is over.
    if (pictureSent.isValid() && pictureSent.elapsed() < net::MinPictureIntervalMilliseconds) {
        if (!pictureDue.isActive())
            pictureDue.start(int(net::MinPictureIntervalMilliseconds - pictureSent.elapsed()));
        return false;
    }
    pictureSent.start();
    pictureKey = key;
    net::Message message;
    message.kind = net::MessageKind::Picture;
    if (builtIn && s.pictureNumber >= 0) {
        message.builtIn = s.pictureNumber;
    } else {
        // The file as it is when small enough; else the picture as shown here.
        QFile file(s.pictureFile);
        const QFileInfo info(s.pictureFile);
        if (info.isFile() && info.size() <= net::MaxPictureBytes && file.open(QIODevice::ReadOnly))
            message.pictureBytes = file.read(net::MaxPictureBytes);
        if (message.pictureBytes.isEmpty() || pictureFormat(message.pictureBytes).isEmpty()) {
            message.pictureBytes.clear();
            QBuffer buffer(&message.pictureBytes);
            buffer.open(QIODevice::WriteOnly);
            table.pieceCutter.picture().save(&buffer, "JPEG", 90);
        }
    }
    ++pictureGeneration;
    picture = message;
    host->sendToAll(message);
    trace(QStringLiteral("picture %1").arg(key));
    return true;
}

void NetworkPlay::Private::sendLobby()
{
    if (!host)
        return;
    net::Message lobbyMessage;
    lobbyMessage.kind = net::MessageKind::Lobby;
    lobbyMessage.seats.append(net::LobbySeat{0, hostName, true});
    for (const net::GameHost::Seat& taken : host->seats())
        lobbyMessage.seats.append(net::LobbySeat{taken.seat, taken.name, taken.connected});
    host->sendToAll(lobbyMessage);
    updateRecord();
    table.seatsChanged(); // a player's label says when they are away
    Q_EMIT q.playersChanged();
}

// The offer on the local network follows the board and the free seats.
void NetworkPlay::Private::updateRecord()
{
    const QString board = QStringLiteral("%1x%2").arg(shared().boardRows).arg(shared().boardCols);
    const int free = net::MaxJoiningComputers - int(host->seats().size());
    if (!discovery || (board == recordBoard && free == recordFree))
        return;
    recordBoard = board;
    recordFree = free;
    discovery->updateRecord(board, free);
}

// Between games the players are the host's and one per joined computer, in
// the order of their seats; during a game they stay as they were.
void NetworkPlay::Private::updatePlayers()
{
    if (role != Role::Host || !table.gameIdle)
        return;
    takePlayers();
    if (table.layoutDone)
        ProcedureGate::instance().run([this] { table.arrangePlayerPanels(); });
    stateChanged();
}

void NetworkPlay::Private::takePlayers()
{
    SharedState& s = shared();
    QList<net::GameHost::Seat> seats = host->seats();
    std::sort(seats.begin(), seats.end(), [](const auto& a, const auto& b) { return a.seat < b.seat; });
    seatOfPlayer = {0};
    s.names[0] = hostName;
    for (const net::GameHost::Seat& taken : seats) {
        if (seatOfPlayer.size() >= net::MaxSeats)
            break;
        s.names[std::size_t(seatOfPlayer.size())] = taken.name;
        seatOfPlayer.append(taken.seat);
    }
    s.playerCount = int(seatOfPlayer.size());
}

bool NetworkPlay::Private::seatConnected(int seatNumber) const
{
    if (seatNumber == 0)
        return true;
    for (const net::GameHost::Seat& taken : host->seats())
        if (taken.seat == seatNumber)
            return taken.connected;
    return false; // released: it is not coming back
}

bool NetworkPlay::Private::away(int player) const
{
    if (role == Role::Host)
        return host && !table.gameIdle && player >= 0 && player < seatOfPlayer.size() && !seatConnected(seatOfPlayer[player]);
    if (!remote() || !shown || shown->gameIdle || player < 0 || player >= int(shown->seats.size()))
        return false;
    const int seatNumber = shown->seats[std::size_t(player)];
    for (const net::LobbySeat& taken : lobby)
        if (taken.seat == seatNumber)
            return !taken.connected;
    return false;
}

bool NetworkPlay::Private::localTurn() const
{
    if (role != Role::Host || table.gameIdle)
        return true;
    const int player = table.currentPlayer;
    return player >= 0 && player < seatOfPlayer.size() && seatOfPlayer[player] == 0;
}

// The turn of a player whose computer is away passes at once, as a time-out
// would pass it; the next one's may be away too, and passes after it.
void NetworkPlay::Private::checkAwayTurn()
{
    if (role != Role::Host || table.gameIdle)
        return;
    const int player = table.currentPlayer;
    if (player < 0 || player >= seatOfPlayer.size() || seatConnected(seatOfPlayer[player]))
        return;
    if (ProcedureGate::instance().inputBlocked()) {
        awayCheck.start(200);
        return;
    }
    trace(QStringLiteral("skipping the turn of seat %1").arg(seatOfPlayer[player]));
    ProcedureGate::instance().runInput([this] { table.skipAwayTurn(); });
}

void NetworkPlay::Private::actionReceived(int from, net::PlayerAction action, int cell)
{
    // The same checks as a click at this screen, and the seat's turn.
    const int player = table.currentPlayer;
    const bool theirTurn = role == Role::Host && !table.gameIdle && player >= 0 && player < seatOfPlayer.size()
        && seatOfPlayer[player] == from;
    const bool inRange = action != net::PlayerAction::Place
        || (cell >= 0 && cell < shared().boardRows * shared().boardCols);
    if (!inRange && role == Role::Host) {
        // No screen of ours sends a cell off the board: that peer is not playing.
        trace(QStringLiteral("threw out seat %1: a cell off the board").arg(from));
        host->throwOut(from, QStringLiteral("A cell off the board."));
        Q_EMIT q.actionChecked(from, false);
        return;
    }
    if (!theirTurn) {
        // A click or two may cross the new state on the way (a double click as
        // the turn ends); a run of them is a peer that ignores the turns.
        if (++outOfTurn[from] > MaxActionsOutOfTurn && role == Role::Host) {
            trace(QStringLiteral("threw out seat %1: actions out of turn").arg(from));
            host->throwOut(from, QStringLiteral("Actions out of turn."));
            outOfTurn.remove(from);
        } else {
            trace(QStringLiteral("ignored an action of seat %1 out of turn").arg(from));
        }
        Q_EMIT q.actionChecked(from, false);
        return;
    }
    outOfTurn.remove(from);
    const bool ran = table.runSeatInput(inputOf(action), cell);
    if (!ran)
        trace(QStringLiteral("dropped an action of seat %1").arg(from));
    Q_EMIT q.actionChecked(from, ran);
}

void NetworkPlay::Private::seatJoined(int joined)
{
    // The picture before any state that shows it; then what the screens show now.
    if (!sendPictureIfNew())
        host->sendTo(joined, picture);
    net::Message state;
    state.kind = net::MessageKind::State;
    state.state = encodeSnapshot(hostSnapshot());
    host->sendTo(joined, state);
    trace(QStringLiteral("seat %1 joined").arg(joined));
    // The panels follow after this signal: changing the table may run events.
    QTimer::singleShot(0, &q, [this] { updatePlayers(); });
}

void NetworkPlay::Private::publish()
{
    // Finding games is a convenience: without it, typing the address works.
    trapped("NetworkPlay", "Publish", [&](Steps& step) {
        step(50010, [&] {
            recordBoard = QStringLiteral("%1x%2").arg(shared().boardRows).arg(shared().boardCols);
            recordFree = net::MaxJoiningComputers - int(host->seats().size());
            q.discovery().publish(hostName, host->port(), recordBoard, recordFree);
        });
    });
}

void NetworkPlay::Private::stopHosting(bool sayGoodbye)
{
    if (role != Role::Host)
        return;
    role = Role::None;
    awayCheck.stop();
    table.setSecondListener(nullptr);
    table.setNetwork(nullptr);
    if (discovery)
        discovery->unpublish();
    if (host) {
        if (sayGoodbye)
            host->endGame();
        else
            host->close();
        host.release()->deleteLater();
    }
    table.toolButton(ToolButton::Load).enabled = true;
    table.seatsChanged(); // the buttons and labels of a one-screen game again
    savedSettings.restore();
    trace(QStringLiteral("hosting ended"));
    // Between games the table's players are the host's own again.
    if (table.gameIdle) {
        SharedState& s = shared();
        s.playerCount = savedPlayerCount;
        s.names = savedNames;
        if (table.layoutDone)
            ProcedureGate::instance().run([this] { table.arrangePlayerPanels(); });
    }
}

void NetworkPlay::Private::sound(int number)
{
    if (role != Role::Host || number <= SoundBase || number - SoundBase > 99)
        return;
    flush(); // what the sound belongs to shows first
    net::Message message;
    message.kind = net::MessageKind::Sound;
    message.number = number - SoundBase;
    host->sendToAll(message);
}

void NetworkPlay::Private::notice(int text, const QStringList& arguments)
{
    if (role != Role::Host)
        return;
    flush();
    net::Message message;
    message.kind = net::MessageKind::Notice;
    message.number = text;
    for (const QString& argument : arguments)
        message.arguments.append(argument.left(200));
    host->sendToAll(message);
    trace(QStringLiteral("notice %1 %2").arg(text).arg(arguments.join(QLatin1Char(' '))));
}

// A seat given up during the last game is gone from the next; the new game shows its players.
void NetworkPlay::Private::gameStarting()
{
    if (role == Role::Host)
        takePlayers();
}

bool NetworkPlay::Private::othersPlaying() const
{
    if (role != Role::Host || !host || table.gameIdle)
        return false;
    return std::any_of(seatOfPlayer.cbegin() + 1, seatOfPlayer.cend(), [this](int s) { return seatConnected(s); });
}

// --- joining

void NetworkPlay::Private::joinedAs(int mySeat)
{
    seat = mySeat;
    welcomed = true;
    trace(QStringLiteral("joined seat %1").arg(mySeat));
    // The game is the host's: the buttons that would change it rest.
    for (ToolButton button : {ToolButton::Start, ToolButton::Picture, ToolButton::BackSide, ToolButton::Load})
        table.toolButton(button).enabled = false;
    Q_EMIT q.joined();
}

void NetworkPlay::Private::forward(SeatInput input, int cell)
{
    if (!remote() || !client || !myTurn())
        return;
    trace(QStringLiteral("sent %1 %2").arg(int(input)).arg(cell));
    client->sendAction(actionOf(input), cell);
}

void NetworkPlay::Private::refresh()
{
    if (remote() && shown) {
        pending = shown;
        applyPending();
    }
}

bool NetworkPlay::Private::myTurn() const
{
    if (!shown || shown->gameIdle || shown->seats.empty())
        return false;
    return shown->seats[std::size_t(shown->currentPlayer)] == seat;
}

void NetworkPlay::Private::received(const net::Message& message)
{
    if (role != Role::Joining)
        return;
    switch (message.kind) {
    case net::MessageKind::Lobby:
        lobby = message.seats;
        table.seatsChanged(); // a player's label says when they are away
        Q_EMIT q.playersChanged();
        return;
    case net::MessageKind::State:
        announcedPicture = int(message.state.value(QLatin1StringView("pg")).toInteger(-1));
        stateWaiting = message.state;
        if (!stateTimer.isActive())
            stateTimer.start(int(std::clamp<qint64>(stateTaken + FrameMilliseconds - clock.elapsed(), 0, FrameMilliseconds)));
        return;
    case net::MessageKind::Picture:
        if (pictureTakenAt && *pictureTakenAt == announcedPicture) {
            trace(QStringLiteral("dropped a picture: no new one was announced"));
            return;
        }
        pictureTakenAt = announcedPicture;
        takePicture(message);
        return;
    case net::MessageKind::Sound: {
        const int number = message.number + SoundBase;
        if (!sounds.take(clock.elapsed())) {
            trace(QStringLiteral("dropped sound %1: more than a game plays").arg(number));
            return;
        }
        if (isSoundEffect(number) && shared().playSounds) {
            trapped("NetworkPlay", "PlaySound", [&](Steps& step) { step(50010, [&] { playSoundEffect(number, false); }); });
        }
        return;
    }
    case net::MessageKind::Notice: {
        QString text;
        QString title;
        // The winner's name, as any name, on one line.
        if (message.number == text::PlayerHasWon && message.arguments.size() == 1 && net::isShowableName(message.arguments.first())) {
            text = langText(text::PlayerHasWon);
            text.replace(QStringLiteral("Vodez"), isolated(message.arguments.first()));
            title = langText(text::Congratulations);
        } else if (message.number == text::ItsADraw) {
            text = langText(text::ItsADraw);
            title = langText(text::DrawTitle);
        } else {
            return; // a box this version does not know
        }
        // One of the host's boxes at a time: a host sending them on and on
        // would leave no moment to play or to leave.
        if (noticeOpen || std::any_of(boxes.cbegin(), boxes.cend(), [](const Box& box) { return box.notice; })) {
            trace(QStringLiteral("dropped notice %1: one is open").arg(message.number));
            return;
        }
        trace(QStringLiteral("notice %1 %2").arg(message.number).arg(message.arguments.join(QLatin1Char(' '))));
        queueBox(text, title, true);
        return;
    }
    default:
        return;
    }
}

void NetworkPlay::Private::takeState()
{
    if (!stateWaiting || role != Role::Joining)
        return;
    std::optional<TableSnapshot> state = decodeSnapshot(*stateWaiting);
    stateWaiting.reset();
    stateTaken = clock.elapsed();
    if (!state) {
        trace(QStringLiteral("refused a malformed state"));
        return;
    }
    pending = std::move(state);
    applyPending();
}

void NetworkPlay::Private::applyPending()
{
    if (!pending || role != Role::Joining)
        return;
    if (!table.layoutDone) {
        // The window is not laid out yet: the state waits for it.
        QTimer::singleShot(100, &q, [this] { applyPending(); });
        return;
    }
    shown = std::move(pending);
    pending.reset();
    table.applySnapshot(*shown);
    trace(describe(*shown));
}

void NetworkPlay::Private::takePicture(const net::Message& message)
{
    trace(QStringLiteral("picture %1").arg(message.builtIn >= 0 ? QStringLiteral("built-in %1").arg(message.builtIn)
                                                                : QStringLiteral("of %1 bytes").arg(message.pictureBytes.size())));
    // Decoded as a picture of the player's own would be, within the same
    // limits, on a thread of its own; the bytes are never written anywhere.
    const QSize shownAt = largestBoardPixels();
    hostPictures.decode([builtIn = message.builtIn, bytes = message.pictureBytes, shownAt] {
        if (builtIn >= 0)
            return hasCarriedItem(builtIn + 100, QStringLiteral("bitmap")) ? carriedPicture(builtIn + 100) : QImage();
        if (bytes.isEmpty() || bytes.size() > net::MaxPictureBytes)
            return QImage();
        return decodePicture(bytes, QStringLiteral("the host's picture"), shownAt);
    });
}

void NetworkPlay::Private::showPicture(QImage image)
{
    if (role != Role::Joining)
        return;
    if (image.isNull() && hasCarriedItem(201, QStringLiteral("bitmap")))
        image = carriedPicture(201);
    trace(QStringLiteral("picture shown"));
    if (!image.isNull())
        table.showNetworkPicture(image);
}

void NetworkPlay::Private::queueBox(const QString& text, const QString& title, bool notice)
{
    boxes.append(Box{text, title, notice});
    if (!boxOpen)
        QTimer::singleShot(0, &q, [this] { showBoxes(); });
}

// One box at a time, each in a loop of its own: messages keep coming in
// while it is open, and the screen goes on showing the game.
void NetworkPlay::Private::showBoxes()
{
    if (boxOpen)
        return;
    QPointer<NetworkPlay> alive(&q);
    while (alive && !boxes.isEmpty()) {
        const Box box = boxes.takeFirst();
        boxOpen = true;
        noticeOpen = box.notice;
        dialogs().inform(box.text, box.title);
        if (alive)
            boxOpen = noticeOpen = false;
    }
}

void NetworkPlay::Private::end(const QString& text)
{
    if (role != Role::Joining)
        return;
    role = Role::None;
    hostPictures.forget();
    stateTimer.stop();
    stateWaiting.reset();
    if (client)
        client.release()->deleteLater(); // it may be the one telling
    // The game on the screen goes on here as the host set it up, as a loaded
    // game brings its own options.
    if (shown && shown->options && !shown->gameIdle) {
        SharedState& s = shared();
        s.timeLimit = shown->options->timeLimit;
        s.useJokers = shown->options->useJokers;
        s.autoDraw = shown->options->autoDraw;
        s.offerHints = shown->options->offerHints;
    }
    table.endRemote();
    // The game's players stay on this screen, not in this computer's settings.
    savedSettings.restore();
    trace(QStringLiteral("ended: %1").arg(text));
    if (!text.isEmpty())
        queueBox(text, langText(text::NetworkGameTitle));
    Q_EMIT q.ended(text);
}

// --- the session

NetworkPlay::NetworkPlay(PuzzleTable& table)
    : d(std::make_unique<Private>(*this, table))
{
}

NetworkPlay::~NetworkPlay()
{
    d->stopHosting(true);
    if (d->role == Role::Joining)
        d->savedSettings.restore();
    if (d->client)
        d->client->leave();
    d->table.setNetwork(nullptr);
}

NetworkPlay::Role NetworkPlay::role() const
{
    return d->role;
}

bool NetworkPlay::host(quint16 port, const QString& code)
{
    leave();
    auto server = std::make_unique<net::GameHost>();
    bool listening = server->listen(port ? port : net::DefaultPort, code);
    if (!listening && port == 0)
        listening = server->listen(0, code); // the default port is taken: any free one
    if (!listening) {
        d->problem = langText(text::NoPort).replace(QStringLiteral("%1"), QString::number(port ? port : net::DefaultPort));
        trace(QStringLiteral("cannot host: %1").arg(server->errorText()));
        return false;
    }
    d->beginHosting(std::move(server));
    d->watchHost();

    PuzzleTable& table = d->table;
    table.setSecondListener(d.get());
    table.setNetwork(d.get());
    // A saved game brings players of its own, not the computers at the table.
    table.toolButton(ToolButton::Load).enabled = false;
    trace(QStringLiteral("hosting on port %1 with code %2").arg(d->host->port()).arg(d->host->code()));
    d->updatePlayers();
    d->publish();
    return true;
}

// The host's own player and settings as they are now, to put back when hosting ends.
void NetworkPlay::Private::beginHosting(std::unique_ptr<net::GameHost> server)
{
    SharedState& s = shared();
    host = std::move(server);
    problem.clear();
    role = Role::Host;
    savedPlayerCount = s.playerCount;
    savedNames = s.names;
    savedSettings = PlayerSettings::read();
    const QString name = s.names[0].left(net::MaxNameLength);
    hostName = net::isPlayableName(name) ? name : QStringLiteral("Tessaron");
    host->setHostNames({hostName});
    pictureKey.clear();
    pictureGeneration = 0;
    lastState.clear();
    wasIdle = table.gameIdle;
    host->setGameRunning(!wasIdle);
}

void NetworkPlay::Private::watchHost()
{
    net::GameHost* h = host.get();
    QObject::connect(h, &net::GameHost::seatsChanged, &q, [this] { sendLobby(); });
    QObject::connect(h, &net::GameHost::seatJoined, &q, [this](int joined) { seatJoined(joined); });
    QObject::connect(h, &net::GameHost::seatLost, &q, [this](int lost) {
        trace(QStringLiteral("seat %1 lost").arg(lost));
        QTimer::singleShot(0, &q, [this] { checkAwayTurn(); });
    });
    QObject::connect(h, &net::GameHost::seatReleased, &q, [this](int released) {
        trace(QStringLiteral("seat %1 released").arg(released));
        QTimer::singleShot(0, &q, [this] { updatePlayers(); });
    });
    QObject::connect(h, &net::GameHost::actionReceived, &q,
                     [this](int from, net::PlayerAction action, int cell) { actionReceived(from, action, cell); });
    QObject::connect(h, &net::GameHost::joinRefused, &q,
                     [this](const QString& address, const QString&, net::RefusalReason reason, int major, int minor) {
                         if (reason != net::RefusalReason::Version)
                             return;
                         // A version apart is told on both screens.
                         problem = langText(text::JoinersOtherVersion)
                                       .replace(QStringLiteral("%1"), QStringLiteral("%1.%2").arg(major).arg(minor));
                         trace(QStringLiteral("refused %1: version %2.%3").arg(address).arg(major).arg(minor));
                         sayAside(problem);
                     });
    QObject::connect(h, &net::GameHost::codeGuessed, &q, [this](const QString& freshCode, int pauseSeconds) {
        // The player sees who tried, and the code to give out from now on.
        problem = langText(text::CodeGuessed)
                      .replace(QStringLiteral("%1"), QString::number(pauseSeconds))
                      .replace(QStringLiteral("%2"), freshCode);
        trace(QStringLiteral("join code guessed: paused %1 s, new code").arg(pauseSeconds));
        sayAside(problem);
        Q_EMIT q.codeChanged();
    });
}

QString NetworkPlay::code() const
{
    return d->host ? d->host->code() : QString();
}

quint16 NetworkPlay::port() const
{
    return d->host ? d->host->port() : 0;
}

QStringList NetworkPlay::addresses() const
{
    QStringList list;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            list.append(address.toString());
    if (list.isEmpty())
        list.append(QStringLiteral("127.0.0.1"));
    return list;
}

void NetworkPlay::join(const QString& address, quint16 port, const QString& name, const QString& code)
{
    leave();
    QString player = name.left(net::MaxNameLength);
    if (player.isEmpty())
        player = shared().names[0].left(net::MaxNameLength);
    d->role = Role::Joining;
    d->problem.clear();
    d->savedSettings = PlayerSettings::read();
    d->hostAddress = address;
    d->welcomed = false;
    d->seat = 0;
    d->shown.reset();
    d->pending.reset();
    d->lobby.clear();
    d->announcedPicture = -1;
    d->pictureTakenAt.reset();
    d->sounds = net::RateLimit(net::MaxSoundsPerSecond, net::MaxSoundBurst);
    d->client = std::make_unique<net::GameClient>();
    net::GameClient* c = d->client.get();
    connect(c, &net::GameClient::joined, this, [this](int seat) { d->joinedAs(seat); });
    connect(c, &net::GameClient::messageReceived, this, [this](const net::Message& message) { d->received(message); });
    connect(c, &net::GameClient::refused, this, [this, player](net::RefusalReason reason, int major, int minor) {
        switch (reason) {
        case net::RefusalReason::Version:
            d->problem = langText(text::HostsOtherVersion).replace(QStringLiteral("%1"), QStringLiteral("%1.%2").arg(major).arg(minor));
            break;
        case net::RefusalReason::Code: d->problem = langText(text::WrongCode); break;
        case net::RefusalReason::Full: d->problem = langText(text::GameFull); break;
        case net::RefusalReason::NameTaken:
            d->problem = langText(text::NameTaken).replace(QStringLiteral("%1"), player);
            break;
        case net::RefusalReason::GameRunning: d->problem = langText(text::GameRunning); break;
        }
        d->end(d->problem);
    });
    connect(c, &net::GameClient::hostEnded, this, [this] { d->end(langText(text::HostEnded)); });
    connect(c, &net::GameClient::lost, this, [this, address](const QString& detail) {
        trace(QStringLiteral("lost: %1").arg(detail));
        d->problem = d->welcomed ? langText(text::HostLost) : langText(text::NoConnection).replace(QStringLiteral("%1"), address);
        d->end(d->problem);
    });
    d->table.setNetwork(d.get());
    trace(QStringLiteral("joining %1:%2 as %3").arg(address).arg(port ? port : net::DefaultPort).arg(player));
    c->connectTo(address, port ? port : net::DefaultPort, player, code);
}

void NetworkPlay::leave()
{
    if (d->role == Role::Host) {
        d->stopHosting(true);
        // The goodbye goes out before the program may end.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    } else if (d->role == Role::Joining) {
        if (d->client)
            d->client->leave();
        d->end(QString());
    }
    d->table.setNetwork(nullptr);
}

QList<NetworkPlay::Player> NetworkPlay::players() const
{
    QList<Player> list;
    if (d->role == Role::Host && d->host) {
        list.append(Player{d->hostName, QString(), true});
        for (const net::GameHost::Seat& taken : d->host->seats())
            list.append(Player{taken.name, taken.address, taken.connected});
    } else if (d->role == Role::Joining) {
        for (const net::LobbySeat& taken : d->lobby)
            list.append(Player{taken.name, taken.seat == d->seat ? QString() : d->hostAddress, taken.connected});
    }
    return list;
}

net::Discovery& NetworkPlay::discovery()
{
    if (!d->discovery)
        d->discovery = std::make_unique<net::Discovery>();
    return *d->discovery;
}

QString NetworkPlay::lastProblem() const
{
    return d->problem;
}

} // namespace tess
