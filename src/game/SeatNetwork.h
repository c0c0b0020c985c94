#pragma once
// What the table asks of a network game (netplay/NetworkPlay.h implements
// it). The one-screen game has none: the table then asks nobody.

#include <QStringList>

namespace tess {

// A click of a seat's player that a network game carries between computers.
enum class SeatInput { Draw, Place, Hint };

class SeatNetwork {
public:
    // Whether the turn belongs to a player at this computer: a click on the
    // stack, a cell or Hint (and their keys) counts only then.
    virtual bool turnIsLocal() const = 0;
    // A joining computer's table: such a click goes to the host (forward)
    // instead of running here, and the buttons that would change the game do nothing.
    virtual bool remote() const = 0;
    virtual void forward(SeatInput input, int cell) = 0;
    // Whether the computer of the game's player `player` (0 for the first)
    // dropped while its seat waits for it.
    virtual bool away(int player) const = 0;
    // Hosting: a sound effect the table plays, and a message box it shows
    // in a game (its text number and the plain texts that go into it).
    virtual void sound(int number) = 0;
    virtual void notice(int text, const QStringList& arguments) = 0;
    // Joining: the options dialog was closed; the screen shows the host's game again.
    virtual void refresh() = 0;
    // The program ends: the network game says goodbye first.
    virtual void ending() = 0;
    // Hosting: a new game starts; its players are set now, for the whole game.
    virtual void gameStarting() = 0;
    // Hosting: players at other computers are in the running game.
    virtual bool othersPlaying() const = 0;

protected:
    ~SeatNetwork() = default;
};

} // namespace tess
