#pragma once
// The game window's procedures (frmPuzzle), without a window. Each runs its
// steps under the error trap, and each step changes the game (game(), a
// table/GameTable) or what the window shows (the TableDisplay this class is),
// or plays, waits or opens a dialog. The procedures of a turn, a new game, the
// game's end, the saved game, the tool buttons, the layout and the network
// mirror are classes of their own over this table; this class keeps the entry
// points, the window's life, the idle animation and the gate for the player's
// input. Tests drive it without a screen.

#include "game/GameEnd.h"
#include "game/LayoutProcedures.h"
#include "game/NewGame.h"
#include "game/SavedGameProcedures.h"
#include "game/SeatNetwork.h"
#include "game/TableDisplay.h"
#include "game/TableMirror.h"
#include "game/TableServices.h"
#include "game/ToolButtonProcedures.h"
#include "game/TurnProcedures.h"
#include "settings/SharedState.h"
#include "sound/SoundEffects.h"
#include "table/GameTable.h"
#include "table/TableSnapshot.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

namespace tess {

class PuzzleTable : public QObject, public TableDisplay {
    Q_OBJECT
    // The procedures of one concern each, over this table.
    friend class SavedGameProcedures;
    friend class TableMirror;
    friend class GameEnd;
    friend class ToolButtonProcedures;
    friend class TurnProcedures;
    friend class NewGame;
    friend class LayoutProcedures;

public:
    PuzzleTable();
    ~PuzzleTable() override;

    void setListener(TableListener* listener) { listener_ = listener; }
    // A second listener beside the window's: the network game's, while one is hosted.
    void setSecondListener(TableListener* listener) { secondListener_ = listener; }

    // --- what the window delivers. One procedure runs at a time, to its end:
    // a click on the stack, a cell, a tool button or a flag that comes while
    // a procedure runs (during its sounds, waits and animations) is dropped,
    // as is a click on a control that is disabled or hidden by then.
    void stackClicked();
    void cellClicked(int index);
    void buttonPressed(int index);
    void flagClicked(int languageDigit);
    // The window became active: greetOnActivation, after the running procedure if one runs.
    void activate();
    // The window is closed: the unload step, at once, even inside a wait; it
    // ends the program without touching the game.
    void close();
    bool procedureRunning() const;

    // --- the window's life
    void load();
    void greetOnActivation();
    // The window's resize notification; the first one lays the window out.
    void layOutOnce(int clientWidth, int clientHeight, int twipsPerPixel = 15);
    // The first layout again, for a window the desktop could not take at its
    // first size (its frame turned out larger than expected). Only while no
    // game runs; false, and nothing changes, otherwise.
    bool layOutAgain(int clientWidth, int clientHeight, int twipsPerPixel = 15);
    // At start, before the windows are built: a photo chosen as the picture
    // starts decoding on a thread of its own, for load to take.
    static void decodeChosenPictureAhead();
    // Closing the game window: stops the music, removes the language table
    // (when music is on) and ends the program.
    void endProgram();

    // --- layout
    void layOut() { layout_.layOut(); }
    void resizeBoard() { layout_.resizeBoard(); }
    void arrangePlayerPanels() { layout_.arrangePlayerPanels(); }
    void advancePlayer() { layout_.advancePlayer(); }
    void showScore(qint32 score, int player) { layout_.showScore(score, player); }
    // The language step: button tips and menu captions.
    void applyLanguage() { layout_.applyLanguage(); }

    // --- a game
    void resetGame() { newGame_.resetGame(); }
    void shuffle() { newGame_.shuffle(); }
    void startGame() { newGame_.startGame(); }
    void drawPiece() { turns_.drawPiece(); }
    void placePiece(int index) { turns_.placePiece(index); }
    void advanceMoveClock() { turns_.advanceMoveClock(); }
    void announceWinner() { gameEnd_.announceWinner(); }
    void abandonGameOrQuit() { gameEnd_.abandonGameOrQuit(); }
    void runToolButton(ToolButton button) { buttonProcedures_.runToolButton(button); }
    bool mayEndGameForAll() { return buttonProcedures_.mayEndGameForAll(); }
    // The saved game: one game in progress kept in one file (Save and Load).
    void saveGame() { savedGame_.saveGame(); }
    void loadGame() { savedGame_.loadGame(); }
    void chooseLanguage(int languageDigit) { buttonProcedures_.chooseLanguage(languageDigit); }

    // The dialogs and menus the tool buttons open (not owned); none until plugged in.
    void setServices(TableServices* services) { services_ = services; }
    TableServices& services();

    // --- network play (netplay/NetworkPlay.h); none in the one-screen game.
    using SeatInput = tess::SeatInput;
    // The network game, while one runs (not owned); null again when it ends.
    void setNetwork(SeatNetwork* network) { network_ = network; }
    SeatNetwork* network() const { return network_; }
    bool remote() const { return network_ && network_->remote(); }
    // The input of a player at another computer, let in as that player's
    // click would be: false when it was dropped.
    bool runSeatInput(SeatInput input, int cell);
    // The turn of a player whose computer is away: skipped as a time-out
    // skips it (a piece in hand goes back), at once.
    void skipAwayTurn() { mirror_.skipAwayTurn(); }
    // What the screen shows, for the other screens, and taking it over there.
    TableSnapshot snapshot() const { return mirror_.snapshot(); }
    void applySnapshot(const TableSnapshot& snapshot) { mirror_.applySnapshot(snapshot); }
    // A picture the host sent, shown as the game's picture.
    void showNetworkPicture(const QImage& picture) { mirror_.showNetworkPicture(picture); }
    // A joining computer's table becomes a one-screen table with what it shows.
    void endRemote() { mirror_.endRemote(); }
    // A computer dropped or came back: the labels say so.
    void seatsChanged() { notifyControls(); }
    // What this screen says of player `player` in words ("Your turn, Anna",
    // "Anna is away"; empty outside a network game or with nothing to say),
    // and whether `button` does anything here (shown disabled if not).
    QString seatWords(int player) const { return mirror_.seatWords(player); }
    bool buttonWorksHere(ToolButton button) const { return mirror_.buttonWorksHere(button); }

private:
    GameTable game_; // before the names below that refer into it

public:
    // The game itself: the board, the stack, the hand, the players' scores and turn.
    GameTable& game() { return game_; }
    const GameTable& game() const { return game_; }
    // Read-only names of the game's state, for the code that reads them here.
    const bool& gameIdle = game_.idle();
    const int& currentPlayer = game_.currentPlayer();
    int pieceInHand() const { return game_.pieceInHand(); }
    const QList<int>& faceDownPieces() const { return game_.stack(); }
    QTimer& moveClock() { return moveClock_; }

    // The idle animation: a joker mark on a random cell for 0.3 s at a time.
    QTimer& idleTimer() { return idle_; }
    int idleMarkedCell() const { return idleCell_; }

    // The language digits of the flags, in their order (Languages' digits).
    static constexpr std::array<int, Languages.size()> FlagDigits = [] {
        std::array<int, Languages.size()> digits{};
        for (std::size_t i = 0; i < digits.size(); ++i)
            digits[i] = Languages[i].digit;
        return digits;
    }();

private:
    // Runs a procedure of the player's input; false when it was dropped.
    bool runInput(const std::function<void()>& procedure);
    // Runs a procedure that must not be dropped (activation, closing).
    void runProcedure(const std::function<void()>& procedure);
    void moveClockTick();
    void whenIdle(); // the last running procedure has ended
    // The procedures one concern asks of another.
    void failTurn() { turns_.failTurn(); }
    void clearWrongMarks() { turns_.clearWrongMarks(); }
    void showResult() { gameEnd_.showResult(); }
    void finishGame() { gameEnd_.finishGame(); }
    void hint() { buttonProcedures_.hint(); }
    void drawAutomatically() { turns_.drawAutomatically(); }
    void applyOptions() { buttonProcedures_.applyOptions(); }
    void setTimeBar(double width);
    void play(SoundEffect effect, bool wait);
    void idleStep();
    void stopIdleAnimation();
    // The picture that the picture source, number and file name choose, into the cutter and the thumbnail.
    void loadChosenPicture(const QString& fileName, bool fallBack);
    // A decoded picture into the cutter and the thumbnail.
    void showPicture(const QImage& picture);
    // Tells the window what changed, when a window listens.
    template <class... Changes>
    void notify(Changes... changes)
    {
        if (listener_)
            ((listener_->*changes)(), ...);
        if (secondListener_)
            ((secondListener_->*changes)(), ...);
    }
    void notifyAllCells();
    void notifyCell(int n);
    void notifyControls();

    // The stack, a cell or Hint as clicked, once the turn is known to be theirs.
    void stackInput();
    void cellInput(int index);
    void hintInput();
    bool turnIsLocal() const { return !network_ || network_->turnIsLocal(); }

    TableServices* services_ = nullptr;
    SeatNetwork* network_ = nullptr;
    TableListener* listener_ = nullptr;
    TableListener* secondListener_ = nullptr;
    QTimer idle_;
    QTimer moveClock_;
    int idleCell_ = -1;
    bool activationPending_ = false; // an activation came while a procedure ran
    LayoutProcedures layout_{*this, game_};
    TurnProcedures turns_{*this, game_};
    NewGame newGame_{*this, game_};
    SavedGameProcedures savedGame_{*this, game_};
    TableMirror mirror_{*this, game_};
    GameEnd gameEnd_{*this, game_};
    ToolButtonProcedures buttonProcedures_{*this, game_};
};

} // namespace tess
