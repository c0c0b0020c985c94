#pragma once
// The messages of network play and their form on the wire: one CBOR map per
// WebSocket binary message, its kind under "t". decodeMessage is the only
// reader of what a peer sends; it checks every field's type and range and
// refuses anything else, so the rest of the game sees only sound messages.

#include "net/NetLimits.h"

#include <QByteArray>
#include <QCborMap>
#include <QList>
#include <QString>

#include <optional>

namespace tess::net {

enum class MessageKind {
    Hello,   // joining -> host: version, name, join code
    Welcome, // host -> joining: the seat taken, the host's version
    Refused, // host -> joining, then the connection closes
    Lobby,   // host -> all: who plays, from which computer, who is connected
    Action,  // joining -> host: what its player does
    State,   // host -> all: what the screens show (a TableSnapshot, see game)
    Picture, // host -> all: the game's picture, a built-in number or a file's bytes
    Sound,   // host -> all: a sound effect to play
    Notice,  // host -> all: a message box to show, as a text number and plain arguments
    Bye,     // host -> all: the host ends the game
};

enum class RefusalReason { Version, Code, Full, NameTaken, GameRunning };
enum class PlayerAction { Draw, Place, Hint };

struct LobbySeat {
    int seat = 0;          // 0 .. MaxSeats - 1; 0 is the host's
    QString name;          // plain text, 1 .. MaxNameLength characters
    bool connected = true; // false while a dropped computer's seat is held
};

struct Message {
    MessageKind kind = MessageKind::Bye;
    // Hello, Welcome, Refused: the sender's version
    int major = ProtocolMajor;
    int minor = ProtocolMinor;
    // Hello: the player's name and the join code (JoinCodeDigits digits)
    QString name;
    QString code;
    // Welcome: the seat of the joining computer's player (1 .. MaxSeats - 1)
    int seat = 0;
    // Refused
    RefusalReason reason = RefusalReason::Version;
    // Lobby
    QList<LobbySeat> seats;
    // Action
    PlayerAction action = PlayerAction::Draw;
    int cell = -1; // PlayerAction::Place: 0 .. 299
    // State: decoded further by the game (it knows what a screen shows)
    QCborMap state;
    // Picture: a built-in picture's number, or (builtIn < 0) a file's bytes, at most MaxPictureBytes
    int builtIn = -1;
    QByteArray pictureBytes;
    // Sound: a sound effect's number; Notice: a text number of the language table
    int number = 0;
    // Notice: the texts put into it, plain text, at most 4 of at most 200 characters
    QStringList arguments;
};

QByteArray encodeMessage(const Message& message);
// The message in `bytes`, or nothing when they are not a well-formed message
// of this protocol within its limits.
std::optional<Message> decodeMessage(const QByteArray& bytes);

// Whether a name a peer gives is fit to show: 1 .. MaxNameLength characters
// and showable.
bool isPlayableName(const QString& name);
// Whether a name from another computer can be shown on one line as what it
// is: no control or format characters (direction overrides among them), no
// line or paragraph separators, no pile of accents on one letter, and at
// least one character that can be seen (not only spaces, blank braille or
// Hangul fillers).
bool isShowableName(const QString& name);
// Whether a character draws nothing one could see: a space of any width,
// an invisible or ignorable character, or a filler that looks like a space.
bool isBlankLooking(char32_t character);
// Whether `code` is JoinCodeDigits decimal digits.
bool isJoinCode(const QString& code);

} // namespace tess::net
