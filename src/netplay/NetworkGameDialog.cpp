#include "netplay/NetworkGameDialog.h"

#include "netplay/NetworkCommandLine.h"
#include "netplay/NetworkPlay.h"
#include "language/Language.h"
#include "net/NetLimits.h"
#include "settings/SharedState.h"
#include "util/Text.h"
#include "util/Trap.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <array>

namespace tess {

namespace {

constexpr const char* Module = "NetworkGameDialog";
constexpr int MoreGamesText = 228;

// A caption as a screen reader names its field: without the mnemonic's "&"
// and the colon (French puts a blank before it).
QString spokenCaption(QString caption)
{
    caption.remove(u'&');
    while (caption.endsWith(u':') || caption.endsWith(u' ') || caption.endsWith(QChar(0xa0)))
        caption.chop(1);
    return caption;
}

// The same caption beside a value that cannot take the focus: no mnemonic.
QString plainCaption(QString caption)
{
    return caption.remove(u'&');
}

QLabel* plainLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// An address to type: the port only where it is not the default, an IPv6
// address in brackets when the port follows.
QString typedAddress(const QString& host, quint16 port)
{
    if (port == 0 || port == net::DefaultPort)
        return host;
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

} // namespace

NetworkGameDialog::NetworkGameDialog(NetworkPlay& play, QWidget* parent)
    : QDialog(parent)
    , play_(play)
{
    setModal(true);
    build();
    connect(hostButton, &QPushButton::clicked, this, &NetworkGameDialog::hostingToggled);
    connect(joinButton, &QPushButton::clicked, this, &NetworkGameDialog::joinClicked);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    for (QLineEdit* field : {joinAddressEdit, nameEdit, joinCodeEdit}) {
        connect(field, &QLineEdit::textChanged, this, &NetworkGameDialog::updateJoinButton);
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (joinButton->isEnabled())
                joinClicked();
        });
    }
    connect(gamesList, &QListWidget::currentRowChanged, this, &NetworkGameDialog::foundGameChosen);
    connect(&play_, &NetworkPlay::playersChanged, this, &NetworkGameDialog::showPlayers);
    connect(&play_, &NetworkPlay::joined, this, [this] {
        trapped(Module, "joined", [&](Steps& step) {
            step([&] {
                joined_ = true;
                joinOutcome->setText(langText(215));
                showHosting();
            });
        });
    });
    connect(&play_, &NetworkPlay::ended, this, &NetworkGameDialog::ended);
    connect(&play_, &NetworkPlay::codeChanged, this, [this] {
        trapped(Module, "codeChanged", [&](Steps& step) {
            step([&] {
                showHosting();
                hostOutcome->setText(play_.lastProblem());
            });
        });
    });
    net::Discovery& discovery = play_.discovery();
    connect(&discovery, &net::Discovery::gamesChanged, this, &NetworkGameDialog::showFoundGames);
    connect(&discovery, &net::Discovery::problemChanged, this, &NetworkGameDialog::showDiscoveryProblem);
}

NetworkGameDialog::~NetworkGameDialog()
{
    play_.discovery().stopBrowsing();
}

void NetworkGameDialog::build()
{
    // Hosting on the left, joining on the right, OK below, as in the options.
    auto* window = new QVBoxLayout(this);
    window->setSizeConstraint(QLayout::SetFixedSize);
    auto* columns = new QHBoxLayout;
    window->addLayout(columns);

    hostGroup = new QGroupBox(this);
    auto* host = new QVBoxLayout(hostGroup);
    hostButton = new QPushButton(hostGroup);
    host->addWidget(hostButton, 0, Qt::AlignLeft);
    auto* values = new QFormLayout;
    codeCaption = new QLabel(hostGroup);
    codeValue = plainLabel(hostGroup);
    QFont large = codeValue->font();
    large.setPointSize(large.pointSize() * 2);
    large.setBold(true);
    codeValue->setFont(large);
    addressCaption = new QLabel(hostGroup);
    addressValue = plainLabel(hostGroup);
    portCaption = new QLabel(hostGroup);
    portValue = plainLabel(hostGroup);
    for (QLabel* value : {codeValue, addressValue, portValue})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    values->addRow(codeCaption, codeValue);
    values->addRow(addressCaption, addressValue);
    values->addRow(portCaption, portValue);
    host->addLayout(values);
    playersCaption = new QLabel(hostGroup);
    playersList = new QListWidget(hostGroup);
    playersList->setFixedHeight(playersList->fontMetrics().lineSpacing() * net::MaxSeats + 8);
    playersCaption->setBuddy(playersList);
    host->addWidget(playersCaption);
    host->addWidget(playersList);
    hostOutcome = plainLabel(hostGroup);
    hostOutcome->setWordWrap(true);
    host->addWidget(hostOutcome);
    host->addStretch();
    columns->addWidget(hostGroup);

    joinGroup = new QGroupBox(this);
    auto* join = new QVBoxLayout(joinGroup);
    gamesCaption = new QLabel(joinGroup);
    gamesList = new QListWidget(joinGroup);
    gamesList->setFixedHeight(gamesList->fontMetrics().lineSpacing() * 4 + 8);
    gamesCaption->setBuddy(gamesList);
    join->addWidget(gamesCaption);
    join->addWidget(gamesList);
    discoveryProblem = plainLabel(joinGroup);
    discoveryProblem->setWordWrap(true);
    discoveryProblem->hide();
    join->addWidget(discoveryProblem);
    moreGames = plainLabel(joinGroup);
    moreGames->setWordWrap(true);
    moreGames->hide();
    join->addWidget(moreGames);
    auto* fields = new QFormLayout;
    joinAddressCaption = new QLabel(joinGroup);
    joinAddressEdit = new QLineEdit(joinGroup);
    joinAddressEdit->setMaxLength(270); // a host name of 253 characters, or [IPv6]:port
    nameCaption = new QLabel(joinGroup);
    nameEdit = new QLineEdit(joinGroup);
    nameEdit->setMaxLength(net::MaxNameLength);
    joinCodeCaption = new QLabel(joinGroup);
    joinCodeEdit = new QLineEdit(joinGroup);
    joinCodeEdit->setMaxLength(net::JoinCodeDigits);
    joinCodeEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(net::JoinCodeDigits)), joinCodeEdit));
    joinCodeEdit->setInputMethodHints(Qt::ImhDigitsOnly);
    const int codeWidth = joinCodeEdit->fontMetrics().horizontalAdvance(QString(net::JoinCodeDigits + 1, u'0')) + 16;
    joinCodeEdit->setFixedWidth(codeWidth);
    joinAddressCaption->setBuddy(joinAddressEdit);
    nameCaption->setBuddy(nameEdit);
    joinCodeCaption->setBuddy(joinCodeEdit);
    fields->addRow(joinAddressCaption, joinAddressEdit);
    fields->addRow(nameCaption, nameEdit);
    fields->addRow(joinCodeCaption, joinCodeEdit);
    join->addLayout(fields);
    joinButton = new QPushButton(joinGroup);
    join->addWidget(joinButton, 0, Qt::AlignRight);
    joinOutcome = plainLabel(joinGroup);
    joinOutcome->setWordWrap(true);
    join->addWidget(joinOutcome);
    join->addStretch();
    columns->addWidget(joinGroup);

    // Enter in a field joins; OK is no default button, so it does not close the dialog too.
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setAutoDefault(false);
    window->addWidget(okButton, 0, Qt::AlignRight);

    for (QLabel* caption : {codeCaption, addressCaption, portCaption})
        caption->setTextFormat(Qt::PlainText);
    const std::array<QWidget*, 8> order{hostButton, playersList, gamesList, joinAddressEdit, nameEdit,
                                        joinCodeEdit, joinButton, okButton};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void NetworkGameDialog::load()
{
    trapped(Module, "load", [&](Steps& step) {
        step([&] { nameEdit->setText(shared().names[0].trimmed().left(net::MaxNameLength)); });
        step([&] {
            joining_ = joined_ = play_.role() == NetworkPlay::Role::Joining;
            if (joined_)
                joinOutcome->setText(langText(215));
            showHosting();
        });
        step([&] {
            if (play_.role() != NetworkPlay::Role::Host)
                play_.discovery().browse();
            showFoundGames();
            showDiscoveryProblem();
        });
    });
}

bool NetworkGameDialog::event(QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        retranslate();
    return QDialog::event(event);
}

void NetworkGameDialog::retranslate()
{
    trapped(Module, "retranslate", [&](Steps& step) {
        step([&] {
            QString title = plainCaption(langText(201));
            if (title.endsWith(QStringLiteral("...")))
                title.chop(3);
            setWindowTitle(title.trimmed());
        });
        step([&] {
            hostGroup->setTitle(langText(202));
            joinGroup->setTitle(langText(203));
            hostButton->setText(langText(play_.role() == NetworkPlay::Role::Host ? 205 : 204));
            codeCaption->setText(plainCaption(langText(206)));
            addressCaption->setText(plainCaption(langText(207)));
            portCaption->setText(plainCaption(langText(208)));
            playersCaption->setText(langText(209));
            playersList->setAccessibleName(spokenCaption(langText(209)));
            gamesCaption->setText(langText(211));
            gamesList->setAccessibleName(spokenCaption(langText(211)));
            discoveryProblem->setText(langText(212));
            if (!moreGames->isHidden())
                showMoreGames();
            joinAddressCaption->setText(langText(207));
            joinAddressEdit->setAccessibleName(spokenCaption(langText(207)));
            nameCaption->setText(langText(213));
            nameEdit->setAccessibleName(spokenCaption(langText(213)));
            joinCodeCaption->setText(langText(206));
            joinCodeEdit->setAccessibleName(spokenCaption(langText(206)));
            joinButton->setText(langText(214));
            if (joined_)
                joinOutcome->setText(langText(215));
            showPlayers();
        });
    });
}

void NetworkGameDialog::hostingToggled()
{
    if (play_.role() != NetworkPlay::Role::Host) {
        startHosting(0, {});
        return;
    }
    trapped(Module, "stopHosting", [&](Steps& step) {
        step([&] { play_.leave(); });
        step([&] {
            hostOutcome->clear();
            showHosting();
            play_.discovery().browse();
        });
    });
}

void NetworkGameDialog::startHosting(quint16 port, const QString& code)
{
    trapped(Module, "startHosting", [&](Steps& step) {
        bool hosting = false;
        step([&] {
            hostOutcome->clear();
            play_.discovery().stopBrowsing();
            hosting = play_.host(port, code);
        });
        step([&] {
            showHosting();
            if (!hosting)
                hostOutcome->setText(play_.lastProblem());
        });
    });
}

void NetworkGameDialog::showHosting()
{
    const bool hosting = play_.role() == NetworkPlay::Role::Host;
    hostButton->setText(langText(hosting ? 205 : 204));
    codeValue->setText(hosting ? play_.code() : QString());
    addressValue->setText(hosting ? play_.addresses().join(u'\n') : QString());
    portValue->setText(hosting ? QString::number(play_.port()) : QString());
    // One network game at a time: hosting or joining.
    hostGroup->setEnabled(!joining_);
    joinGroup->setEnabled(!hosting);
    showPlayers();
    updateJoinButton();
}

void NetworkGameDialog::showPlayers()
{
    trapped(Module, "showPlayers", [&](Steps& step) {
        step([&] {
            playersList->clear();
            if (play_.role() != NetworkPlay::Role::Host)
                return;
            const QString thisComputer = langText(210);
            for (const NetworkPlay::Player& player : play_.players()) {
                const QString computer = player.computer.isEmpty() ? thisComputer : player.computer;
                // A name of another computer keeps its own direction: it cannot reorder the line.
                auto* item = new QListWidgetItem(isolated(player.name) + QStringLiteral(" (") + computer + u')', playersList);
                item->setData(Qt::AccessibleTextRole, withoutIsolates(item->text()));
                // A dropped computer's seat is held for a while: greyed until it is back.
                if (!player.connected)
                    item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
            }
        });
    });
}

void NetworkGameDialog::showFoundGames()
{
    trapped(Module, "showFoundGames", [&](Steps& step) {
        step([&] {
            const QSignalBlocker quiet(gamesList);
            gamesList->clear();
            for (const net::Discovery::Game& game : play_.discovery().games()) {
                const QString address = typedAddress(game.address, game.port);
                auto* item = new QListWidgetItem(isolated(game.name) + QStringLiteral(" (") + address + u')', gamesList);
                item->setData(Qt::AccessibleTextRole, withoutIsolates(item->text()));
                item->setData(Qt::UserRole, address);
            }
            showMoreGames();
        });
    });
}

void NetworkGameDialog::showMoreGames()
{
    const int more = play_.discovery().unlistedGames();
    moreGames->setText(more > 0 ? langText(MoreGamesText).replace(QStringLiteral("%1"), QString::number(more)) : QString());
    moreGames->setVisible(more > 0);
}

void NetworkGameDialog::showDiscoveryProblem()
{
    discoveryProblem->setVisible(play_.discovery().problem() != net::Discovery::Problem::None);
}

void NetworkGameDialog::foundGameChosen()
{
    trapped(Module, "foundGameChosen", [&](Steps& step) {
        step([&] {
            const QListWidgetItem* item = gamesList->currentItem();
            if (item)
                joinAddressEdit->setText(item->data(Qt::UserRole).toString());
        });
    });
}

void NetworkGameDialog::updateJoinButton()
{
    const bool ready = parseNetworkAddress(joinAddressEdit->text()).error.isEmpty()
        && networkNameProblem(nameEdit->text()).isEmpty() && joinCodeEdit->text().size() == net::JoinCodeDigits;
    joinButton->setEnabled(ready && !joining_ && play_.role() != NetworkPlay::Role::Host);
}

void NetworkGameDialog::joinClicked()
{
    const NetworkAddress address = parseNetworkAddress(joinAddressEdit->text());
    if (!address.error.isEmpty())
        return;
    joinGame(address.host, address.port, nameEdit->text(), joinCodeEdit->text());
}

void NetworkGameDialog::joinGame(const QString& address, quint16 port, const QString& name, const QString& code)
{
    trapped(Module, "joinGame", [&](Steps& step) {
        step([&] {
            joinAddressEdit->setText(typedAddress(address, port));
            nameEdit->setText(name);
            joinCodeEdit->setText(code);
            joining_ = true;
            joined_ = false;
            joinOutcome->clear();
            showHosting();
        });
        step([&] { play_.join(address, port == 0 ? net::DefaultPort : port, name, code); });
    });
}

void NetworkGameDialog::ended(const QString& text)
{
    trapped(Module, "ended", [&](Steps& step) {
        step([&] {
            if (joining_) {
                joining_ = joined_ = false;
                joinOutcome->setText(text);
            } else {
                hostOutcome->setText(text);
            }
            showHosting();
        });
    });
}

void runNetworkCommandLine(NetworkPlay& play, const NetworkCommandLine& line, QWidget* parent)
{
    trapped(Module, "runNetworkCommandLine", [&](Steps& step) {
        NetworkGameDialog dialog(play, parent);
        step([&] { dialog.load(); });
        step([&] {
            if (line.action == NetworkCommandLine::Action::Host) {
                dialog.startHosting(line.port, line.code);
                return;
            }
            if (line.action != NetworkCommandLine::Action::Join)
                return;
            // Without a code (or a usable name) the player types it and presses Enter.
            dialog.joinAddressEdit->setText(typedAddress(line.address, line.port));
            if (!line.name.isEmpty())
                dialog.nameEdit->setText(line.name);
            dialog.joinCodeEdit->setText(line.code);
            if (dialog.joinButton->isEnabled())
                dialog.joinClicked();
            else
                (line.code.isEmpty() ? dialog.joinCodeEdit : dialog.nameEdit)->setFocus();
        });
        step([&] { dialog.exec(); });
    });
}

} // namespace tess
