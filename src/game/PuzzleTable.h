#pragma once
// The game window's rules and state (frmPuzzle), without a window: the board
// cells, the stack, the preview, the tool buttons, the flags, the player
// panels and the background, as plain data that the window draws, and the
// procedures that change them. Tests drive it without a screen.

#include "game/SeatNetwork.h"
#include "table/Layout.h"
#include "table/TableSnapshot.h"
#include "table/TableState.h"
#include "language/Languages.h"
#include "resources/PictureCutter.h"
#include "settings/SharedState.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <QList>

#include <array>
#include <functional>
#include <vector>

namespace tess {

class PuzzleTable : public QObject {
    Q_OBJECT

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
    void layOut();
    void resizeBoard();
    void arrangePlayerPanels();
    void advancePlayer();
    void showScore(qint32 score, int player);
    // The language step: button tips and menu captions.
    void applyLanguage();

    // --- a game
    void resetGame();
    void shuffle();
    void startGame();
    void drawPiece();
    void placePiece(int index);
    void advanceMoveClock();
    void announceWinner();
    void abandonGameOrQuit();
    void runToolButton(ToolButton button);
    // The saved game: one game in progress kept in one file (Save and Load).
    void saveGame();
    void loadGame();
    void chooseLanguage(int languageDigit);

    // The dialogs and services the tool buttons open; each is plugged in by
    // the part of the game that provides it, and does nothing until then.
    struct Services {
        std::function<void()> pictureChoice; // ToolButton::Picture
        std::function<void()> backChoice;    // ToolButton::BackSide
        std::function<void()> options;       // ToolButton::Options
        std::function<void()> champions;     // ToolButton::Champions, and the end of a one-player game
        std::function<void()> helpMenu;      // ToolButton::Help
    } services;

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
    void skipAwayTurn();
    // What the screen shows, for the other screens, and taking it over there.
    TableSnapshot snapshot() const;
    void applySnapshot(const TableSnapshot& snapshot);
    // A picture the host sent, shown as the game's picture.
    void showNetworkPicture(const QImage& picture);
    // A joining computer's table becomes a one-screen table with what it shows.
    void endRemote();

    // The pieces still face down: filled in order, a piece put back goes last.
    QList<int> faceDownPieces;
    QTimer& moveClock() { return moveClock_; }
    double timeBarWidth = 1; // timeBar's width; the widget shows it rounded
    // --- the turn state
    bool gameIdle = true;
    int pieceInHand = 0;
    int wrongTries = 0;
    std::array<int, 3> wrongCells{}; // 1 .. wrongTries: the cells marked wrong this turn
    int currentPlayer = 0;
    std::array<bool, 501> jokerPieces{}; // the pieces that lay themselves when drawn
    qint32 turnHalfSeconds = 0;

    // --- what the window shows
    std::array<ImageState, CellCount> boardCells;
    ImageState stackCell;
    ImageState previewCell;
    std::array<ButtonState, ToolButtonCount> toolButtons; // in the order of ToolButton
    ButtonState& toolButton(ToolButton button) { return toolButtons[std::size_t(button)]; }
    const ButtonState& toolButton(ToolButton button) const { return toolButtons[std::size_t(button)]; }
    std::array<ButtonState, Languages.size()> languageFlags; // in the order of Languages
    std::array<LabelState, 4> playerLabels;
    std::array<ScoreState, 4> scoreBoxes;
    QRect timeBar;
    QRect copyright;
    std::array<QString, 3> menuCaptions; // help, e-mail, about
    QColor backColor = Qt::white;
    std::vector<PaintOp> background; // painted in order into the persistent background

    // --- pictures
    PictureCutter pieceCutter;
    PictureCutter digitCutter;
    QImage previewPicture;
    QImage emptyPicture;
    QImage wrongPicture;
    QImage jokerPicture;
    QImage backPicture;

    bool layoutDone = false;
    float layoutScale = 0;
    LayoutMetrics metrics;

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
    qint32 elapsedHalfSeconds() const; // since the draw, rounded
    void endOfTurn();
    void failTurn(); // a time-out: the piece goes back; the turn passes
    void putPieceBack();
    void clearWrongMarks();
    void showResult();
    // The last piece lies (also in a saved game just loaded): the stack goes,
    // Start and the champions come back, and the game ends.
    void finishGame();
    void hint();
    // With automatic drawing on: the next piece turns over after a short wait.
    void drawAutomatically();
    void applyOptions(); // after the options dialog
    void setTimeBar(double width);
    void play(int number, bool wait);
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
    // The scores and panels of a snapshot, without the sounds of showScore.
    void applyPlayers(const TableSnapshot& snapshot);

    TableListener* listener_ = nullptr;
    TableListener* secondListener_ = nullptr;
    SeatNetwork* network_ = nullptr;
    QTimer idle_;
    QTimer moveClock_;
    int idleCell_ = -1;
    bool activationPending_ = false; // an activation came while a procedure ran
};

} // namespace tess
