#pragma once
// The network game dialog, opened from the options: hosting on the left
// (the join code, the addresses and port to type on the other computers,
// the players who joined and from where), joining on the right (the games
// found on the local network, or an address typed by hand, the player's
// name and the code). A thin window over NetworkPlay; whatever comes from
// outside (names, addresses) shows as plain text.

#include <QDialog>

class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tess {

class NetworkPlay;
struct NetworkCommandLine;

class NetworkGameDialog : public QDialog {
    Q_OBJECT

public:
    explicit NetworkGameDialog(NetworkPlay& play, QWidget* parent = nullptr);
    ~NetworkGameDialog() override;

    // Sets every control from the network session as it stands.
    void load();
    // The texts in the current language.
    void retranslate();

    // Starts hosting, or stops it while hosting.
    void hostingToggled();
    void startHosting(quint16 port, const QString& code);
    void joinClicked();
    void joinGame(const QString& address, quint16 port, const QString& name, const QString& code);
    void foundGameChosen();

    QGroupBox* hostGroup;
    QPushButton* hostButton;
    QLabel* codeCaption;
    QLabel* codeValue;
    QLabel* addressCaption;
    QLabel* addressValue;
    QLabel* portCaption;
    QLabel* portValue;
    QLabel* playersCaption;
    QListWidget* playersList;
    QLabel* hostOutcome;

    QGroupBox* joinGroup;
    QLabel* gamesCaption;
    QListWidget* gamesList;
    QLabel* discoveryProblem;
    QLabel* moreGames; // how many games found are not listed
    QLabel* joinAddressCaption;
    QLineEdit* joinAddressEdit;
    QLabel* nameCaption;
    QLineEdit* nameEdit;
    QLabel* joinCodeCaption;
    QLineEdit* joinCodeEdit;
    QPushButton* joinButton;
    QLabel* joinOutcome;

    QPushButton* okButton;

protected:
    bool event(QEvent* event) override;

private:
    void build();
    QGroupBox* buildHostGroup();
    QGroupBox* buildJoinGroup();
    QFormLayout* buildJoinFields();
    void showHosting();
    void showPlayers();
    void showFoundGames();
    void showMoreGames();
    void showDiscoveryProblem();
    void ended(const QString& text);
    void updateJoinButton();

    NetworkPlay& play_;
    bool joining_ = false; // a join is under way or done
    bool joined_ = false;
};

// Carries out --host or --join once the game window shows: hosts or joins
// through `play`, and opens the dialog over `parent` with what came of it.
void runNetworkCommandLine(NetworkPlay& play, const NetworkCommandLine& line, QWidget* parent);

} // namespace tess
