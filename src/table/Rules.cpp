#include "table/Rules.h"

namespace tess::rules {

qint16 placementPoints(int wrongTries)
{
    qint16 points = 200;
    for (int i = 0; i <= wrongTries; ++i)
        points = qint16(points / 2);
    return points;
}

qint16 stackBonus(qsizetype piecesLeft)
{
    return qint16(2 * piecesLeft);
}

double timeBonus(double timeBarWidth, double windowWidth)
{
    return (windowWidth - timeBarWidth) / windowWidth * 20;
}

qint32 mostPoints(int pieces)
{
    const qint32 wholeTimeBonus = qint32(timeBonus(0, 1));
    qint32 most = 0;
    for (int left = 0; left < pieces; ++left)
        most += placementPoints(JokerWrongTries) + stackBonus(left) + wholeTimeBonus;
    return most;
}

double timeBarWidth(qint32 halfSeconds, double windowWidth)
{
    return halfSeconds / 20.1 * windowWidth;
}

bool timeIsUp(double timeBarWidth, double windowWidth)
{
    return timeBarWidth > windowWidth;
}

Outcome outcome(const std::array<qint32, 4>& scores, int players)
{
    Outcome result;
    for (int i = 0; i < players && i < 4; ++i) {
        if (scores[std::size_t(i)] > result.best) {
            result.best = scores[std::size_t(i)];
            result.winner = i;
        }
    }
    for (int i = 0; i < 4; ++i)
        result.draw = result.draw || (i != result.winner && scores[std::size_t(i)] == result.best);
    return result;
}

} // namespace tess::rules
