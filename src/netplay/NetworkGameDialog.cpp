#include "netplay/NetworkGameDialog.h"

#include "netplay/NetworkCommandLine.h"
#include "netplay/NetworkPlay.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "net/NetLimits.h"
#include "settings/SharedState.h"
#include "util/Text.h"
#include "util/Trap.h"
#include "util/WindowButtons.h"

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
    withoutMaximizeButton(this);
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
        trapped("NetworkGameDialog", "joined", [&](Steps& step) {
            step(50010, [&] {
                joined_ = true;
                joinOutcome->setText(langText(text::Joined));
                showHosting();
            });
        });
    });
    connect(&play_, &NetworkPlay::ended, this, &NetworkGameDialog::ended);
    connect(&play_, &NetworkPlay::codeChanged, this, [this] {
        trapped("NetworkGameDialog", "codeChanged", [&](Steps& step) {
            step(50010, [&] {
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
    columns->addWidget(buildHostGroup());
    columns->addWidget(buildJoinGroup());

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

// The join code large, the addresses and the port selectable, the players below.
QGroupBox* NetworkGameDialog::buildHostGroup()
{
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
    return hostGroup;
}

// The games found, the fields to join by hand, the join button and what came of it.
QGroupBox* NetworkGameDialog::buildJoinGroup()
{
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
    join->addLayout(buildJoinFields());
    joinButton = new QPushButton(joinGroup);
    join->addWidget(joinButton, 0, Qt::AlignRight);
    joinOutcome = plainLabel(joinGroup);
    joinOutcome->setWordWrap(true);
    join->addWidget(joinOutcome);
    join->addStretch();
    return joinGroup;
}

QFormLayout* NetworkGameDialog::buildJoinFields()
{
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
    return fields;
}

void NetworkGameDialog::load()
{
    trapped("NetworkGameDialog", "load", [&](Steps& step) {
        step(50010, [&] { nameEdit->setText(shared().names[0].trimmed().left(net::MaxNameLength)); });
        step(50020, [&] {
            joining_ = joined_ = play_.role() == NetworkPlay::Role::Joining;
            if (joined_)
                joinOutcome->setText(langText(text::Joined));
            showHosting();
        });
        step(50030, [&] {
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
    trapped("NetworkGameDialog", "retranslate", [&](Steps& step) {
        step(50010, [&] {
            QString title = plainCaption(langText(text::NetworkGameButton));
            if (title.endsWith(QStringLiteral("...")))
                title.chop(3);
            setWindowTitle(title.trimmed());
        });
        step(50020, [&] {
            hostGroup->setTitle(langText(text::HostFrame));
            joinGroup->setTitle(langText(text::JoinFrame));
            hostButton->setText(langText(play_.role() == NetworkPlay::Role::Host ? text::StopHostingButton : text::StartHostingButton));
            codeCaption->setText(plainCaption(langText(text::JoinCodeCaption)));
            addressCaption->setText(plainCaption(langText(text::AddressCaption)));
            portCaption->setText(plainCaption(langText(text::PortCaption)));
            playersCaption->setText(langText(text::PlayersCaption));
            playersList->setAccessibleName(spokenCaption(langText(text::PlayersCaption)));
            gamesCaption->setText(langText(text::FoundGamesCaption));
            gamesList->setAccessibleName(spokenCaption(langText(text::FoundGamesCaption)));
            discoveryProblem->setText(langText(text::NoDiscovery));
            if (!moreGames->isHidden())
                showMoreGames();
            joinAddressCaption->setText(langText(text::AddressCaption));
            joinAddressEdit->setAccessibleName(spokenCaption(langText(text::AddressCaption)));
            nameCaption->setText(langText(text::NameCaption));
            nameEdit->setAccessibleName(spokenCaption(langText(text::NameCaption)));
            joinCodeCaption->setText(langText(text::JoinCodeCaption));
            joinCodeEdit->setAccessibleName(spokenCaption(langText(text::JoinCodeCaption)));
            joinButton->setText(langText(text::JoinButton));
            if (joined_)
                joinOutcome->setText(langText(text::Joined));
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
    trapped("NetworkGameDialog", "stopHosting", [&](Steps& step) {
        step(50010, [&] { play_.leave(); });
        step(50020, [&] {
            hostOutcome->clear();
            showHosting();
            play_.discovery().browse();
        });
    });
}

void NetworkGameDialog::startHosting(quint16 port, const QString& code)
{
    trapped("NetworkGameDialog", "startHosting", [&](Steps& step) {
        bool hosting = false;
        step(50010, [&] {
            hostOutcome->clear();
            play_.discovery().stopBrowsing();
            hosting = play_.host(port, code);
        });
        step(50020, [&] {
            showHosting();
            if (!hosting)
                hostOutcome->setText(play_.lastProblem());
        });
    });
}

void NetworkGameDialog::showHosting()
{
    const bool hosting = play_.role() == NetworkPlay::Role::Host;
    hostButton->setText(langText(hosting ? text::StopHostingButton : text::StartHostingButton));
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
    trapped("NetworkGameDialog", "showPlayers", [&](Steps& step) {
        step(50010, [&] {
            playersList->clear();
            if (play_.role() != NetworkPlay::Role::Host)
                return;
            const QString thisComputer = langText(text::ThisComputer);
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
    trapped("NetworkGameDialog", "showFoundGames", [&](Steps& step) {
        step(50010, [&] {
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
    moreGames->setText(more > 0 ? langText(text::MoreGames).replace(QStringLiteral("%1"), QString::number(more)) : QString());
    moreGames->setVisible(more > 0);
}

void NetworkGameDialog::showDiscoveryProblem()
{
    discoveryProblem->setVisible(play_.discovery().problem() != net::Discovery::Problem::None);
}

void NetworkGameDialog::foundGameChosen()
{
    trapped("NetworkGameDialog", "foundGameChosen", [&](Steps& step) {
        step(50010, [&] {
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
    trapped("NetworkGameDialog", "joinGame", [&](Steps& step) {
        step(50010, [&] {
            joinAddressEdit->setText(typedAddress(address, port));
            nameEdit->setText(name);
            joinCodeEdit->setText(code);
            joining_ = true;
            joined_ = false;
            joinOutcome->clear();
            showHosting();
        });
        step(50020, [&] { play_.join(address, port == 0 ? net::DefaultPort : port, name, code); });
    });
}

void NetworkGameDialog::ended(const QString& text)
{
    trapped("NetworkGameDialog", "ended", [&](Steps& step) {
        step(50010, [&] {
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
    trapped("NetworkGameDialog", "runNetworkCommandLine", [&](Steps& step) {
        NetworkGameDialog dialog(play, parent);
        bool joined = false;
        step(50010, [&] { dialog.load(); });
        step(50020, [&] {
            if (line.action == NetworkCommandLine::Action::Host) {
                dialog.startHosting(line.port, line.code);
                return;
            }
            if (line.action != NetworkCommandLine::Action::Join)
                return;
            // Joined, the dialog has done its part: the game shows behind it.
            QObject::connect(&play, &NetworkPlay::joined, &dialog, [&dialog, &joined] {
                joined = true;
                dialog.accept();
            });
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
        step(50030, [&] {
            if (!joined)
                dialog.exec();
        });
    });
}

void NetworkPlay::openDialog(QWidget* parent)
{
    NetworkGameDialog dialog(*this, parent);
    dialog.load();
    dialog.exec();
}

void NetworkPlay::runCommandLine(const NetworkCommandLine& line, QWidget* parent)
{
    runNetworkCommandLine(*this, line, parent);
}

} // namespace tess
