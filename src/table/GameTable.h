#pragma once
// The game on the table, without a window: which cells hold their piece, the
// stack of face-down pieces, the piece in hand, the wrong tries of the turn,
// the players' scores and whose turn it is, the move clock's state and the
// jokers. The procedures (game/) change it one verb per step and keep what
// the window shows beside it; the signals say what changed.
//
// A verb that takes an index raises 9 (Subscript out of range) outside its
// range, under the name the error reports give it, so a step that calls it
// fails as the classic statement did. Randomness stays with the procedures:
// they draw the number and pass it in.

#include <QList>
#include <QObject>

#include <array>

namespace tess {

class GameTable : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxCells = 300;
    static constexpr int MaxPlayers = 4;

    // --- the board's questions
    // No game runs: before the first, after the last piece, after abandoning.
    // A reference, valid as long as the table, for readers that keep it.
    const bool& idle() const { return idle_; }
    bool placed(int cell) const { return cell >= 0 && cell < MaxCells && placed_[std::size_t(cell)]; }
    // The pieces still face down, in order: a piece put back goes last.
    const QList<int>& stack() const { return stack_; }
    int pieceInHand() const { return pieceInHand_; } // -1: none
    int wrongTries() const { return wrongTries_; }
    int wrongCell(int k) const; // the cell of wrong try k, 1 .. wrongTries
    bool isJoker(int piece) const;
    qint32 score(int player) const;
    const std::array<qint32, MaxPlayers>& scores() const { return scores_; }
    // Whose turn it is; a reference, as idle().
    const int& currentPlayer() const { return currentPlayer_; }
    qint32 turnStart() const { return turnStart_; }             // the draw's tick count, in milliseconds
    qint32 turnHalfSeconds() const { return turnHalfSeconds_; } // since the draw, as the clock last saw

    // --- a game
    void start();  // a game runs
    void finish(); // no game runs (won, abandoned, or reset)
    void clearScores();
    void setScore(int player, qint32 score);
    void setCurrentPlayer(int player);
    // The turn passes to the next of `playerCount` players.
    void passTurn(int playerCount);

    // --- the stack and the jokers
    void clearStack();
    // The pieces 0 .. pieces - 1 face down in order, none of them a joker.
    void fillStack(int pieces);
    void setStack(const QList<int>& pieces);
    void addToStack(int piece); // under the others
    // Makes `piece` a joker unless it is one; true when it became one.
    bool makeJoker(int piece);
    void setJoker(int piece, bool joker);
    void clearJokers();

    // --- a turn
    // The stack's piece at `place` comes into the hand (drawing), and then leaves the stack.
    void draw(int place);
    void removeFromStack(int place);
    void startClock(qint32 now);
    void resetClock();
    void setTurnHalfSeconds(qint32 halfSeconds);
    // The piece lies on its cell (placed right, by the hint, or from a saved game or another screen).
    void lay(int cell);
    void setPlaced(int cell, bool placed);
    // Adds points to the current player's score (raises 6 beyond 32 bits).
    void addPoints(qint32 points);
    void countWrongTry();
    void markWrong(int cell); // the cell of the latest wrong try
    void clearWrongTries();
    void emptyHand();
    void clearHand(); // no piece in hand and no wrong try: before a game's first turn
    void setPieceInHand(int piece);
    // The piece in hand goes back under the stack, if it is one of the board's `pieces`.
    void putBack(int pieces);

Q_SIGNALS:
    void idleChanged(bool idle);
    void cellChanged(int cell);
    void stackChanged();
    void handChanged(int piece);
    void scoreChanged(int player, qint32 score);
    void turnPassed(int player);

private:
    bool idle_ = true;
    std::array<bool, MaxCells> placed_{};
    QList<int> stack_;
    int pieceInHand_ = 0;
    int wrongTries_ = 0;
    std::array<int, 3> wrongCells_{}; // 1 .. wrongTries
    std::array<bool, 501> jokers_{};  // the pieces that lay themselves when drawn
    std::array<qint32, MaxPlayers> scores_{};
    int currentPlayer_ = 0;
    qint32 turnStart_ = 0;
    qint32 turnHalfSeconds_ = 0;
};

} // namespace tess
