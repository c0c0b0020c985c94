#pragma once
// The rules of the score and of the end of a game, as plain functions: no
// window, no waits, no shared state. The game window's procedures call them;
// tests/game/test_rules.cpp states the table of points.

#include <QtGlobal>

#include <array>

namespace tess::rules {

// A right placement: 100 points, halved (in whole numbers) for each wrong
// click made with this piece before: 100, 50, 25, 12 ... A third wrong click
// puts the piece back, so 25 is the least a placement scores.
qint16 placementPoints(int wrongTries);

// Added to a right placement for each piece still face down on the stack.
qint16 stackBonus(qsizetype piecesLeft);

// Added with the time limit on: up to 20 points for the part of the time bar
// not yet grown. The sum with the points before is rounded to the nearest
// whole number, halves to the even one.
double timeBonus(double timeBarWidth, double windowWidth);

// The hint lays the piece in hand on its cell and scores nothing; the same
// player draws next.
inline constexpr qint16 HintPoints = 0;

// A joker lays itself the moment it is drawn: a right placement with no
// wrong click, its time bar just started.
inline constexpr int JokerWrongTries = 0;

// The most points one game of `pieces` pieces brings, all players together:
// each piece is laid once, at best at the first click (as a joker lays
// itself), with the stack bonus of the pieces still face down after its draw
// and the whole time bonus. 1,572 on the smallest board, 59,712 on the largest.
qint32 mostPoints(int pieces);

// The time bar grows with the turn: its width after `halfSeconds` half
// seconds since the draw.
double timeBarWidth(qint32 halfSeconds, double windowWidth);

// The time is up once the bar is wider than the window: after 10 seconds.
// The piece then goes back to the stack and the turn passes on, without points.
bool timeIsUp(double timeBarWidth, double windowWidth);

struct Outcome {
    int winner = 0;    // the first player with the most points
    qint32 best = 0;   // those points
    bool draw = false; // another score box shows as many
};
// Who won a game of `players` players. A draw when any other of the four
// score boxes holds the best score (also a 0 of a box not in play, when
// the best is 0).
Outcome outcome(const std::array<qint32, 4>& scores, int players);

} // namespace tess::rules
