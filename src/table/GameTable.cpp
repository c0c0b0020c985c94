#include "table/GameTable.h"

#include "util/Checked.h"
#include "util/Numbers.h"

namespace tess {

int GameTable::wrongCell(int k) const
{
    return at(wrongCells_, k, "WrongCell");
}

bool GameTable::isJoker(int piece) const
{
    return at(jokers_, piece, "JokerPiece");
}

qint32 GameTable::score(int player) const
{
    return at(scores_, player, "PlayerScore");
}

void GameTable::start()
{
    idle_ = false;
    Q_EMIT idleChanged(false);
}

void GameTable::finish()
{
    idle_ = true;
    Q_EMIT idleChanged(true);
}

void GameTable::clearScores()
{
    scores_ = {};
    for (int i = 0; i < MaxPlayers; ++i)
        Q_EMIT scoreChanged(i, 0);
}

void GameTable::setScore(int player, qint32 score)
{
    at(scores_, player, "PlayerScore") = score;
    Q_EMIT scoreChanged(player, score);
}

void GameTable::setCurrentPlayer(int player)
{
    // Unchecked: a player outside the four is refused where a score or label is taken.
    currentPlayer_ = player;
    Q_EMIT turnPassed(player);
}

void GameTable::passTurn(int playerCount)
{
    setCurrentPlayer(currentPlayer_ >= playerCount - 1 ? 0 : currentPlayer_ + 1);
}

void GameTable::clearStack()
{
    stack_.clear();
    Q_EMIT stackChanged();
}

void GameTable::fillStack(int pieces)
{
    for (int i = 0; i < pieces; ++i) {
        stack_.append(i);
        at(jokers_, i, "JokerPiece") = false;
    }
    Q_EMIT stackChanged();
}

void GameTable::setStack(const QList<int>& pieces)
{
    stack_ = pieces;
    Q_EMIT stackChanged();
}

void GameTable::addToStack(int piece)
{
    stack_.append(piece);
    Q_EMIT stackChanged();
}

bool GameTable::makeJoker(int piece)
{
    bool& joker = at(jokers_, piece, "JokerPiece");
    if (joker)
        return false;
    joker = true;
    return true;
}

void GameTable::setJoker(int piece, bool joker)
{
    at(jokers_, piece, "JokerPiece") = joker;
}

void GameTable::clearJokers()
{
    jokers_.fill(false);
}

void GameTable::draw(int place)
{
    pieceInHand_ = at(stack_, place, "lstNum");
    Q_EMIT handChanged(pieceInHand_);
}

void GameTable::removeFromStack(int place)
{
    stack_.removeAt(checkedIndex(stack_, place, "lstNum"));
    Q_EMIT stackChanged();
}

void GameTable::startClock(qint32 now)
{
    turnStart_ = now;
}

void GameTable::resetClock()
{
    turnHalfSeconds_ = 0;
}

void GameTable::setTurnHalfSeconds(qint32 halfSeconds)
{
    turnHalfSeconds_ = halfSeconds;
}

void GameTable::lay(int cell)
{
    setPlaced(cell, true);
}

void GameTable::setPlaced(int cell, bool placed)
{
    at(placed_, cell, "imgPuzz") = placed;
    Q_EMIT cellChanged(cell);
}

void GameTable::addPoints(qint32 points)
{
    qint32& score = at(scores_, currentPlayer_, "PlayerScore");
    score = toInt32(double(score) + points);
    Q_EMIT scoreChanged(currentPlayer_, score);
}

void GameTable::countWrongTry()
{
    ++wrongTries_;
}

void GameTable::markWrong(int cell)
{
    at(wrongCells_, wrongTries_, "WrongCell") = cell;
}

void GameTable::clearWrongTries()
{
    wrongTries_ = 0;
}

void GameTable::emptyHand()
{
    setPieceInHand(-1);
}

void GameTable::clearHand()
{
    clearWrongTries();
    emptyHand();
}

void GameTable::setPieceInHand(int piece)
{
    pieceInHand_ = piece;
    Q_EMIT handChanged(piece);
}

void GameTable::putBack(int pieces)
{
    // Only a piece of this board goes back: a number outside it could never be laid.
    if (pieceInHand_ >= 0 && pieceInHand_ < pieces)
        addToStack(pieceInHand_);
}

} // namespace tess
