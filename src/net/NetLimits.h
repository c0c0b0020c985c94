#pragma once
// The fixed numbers of network play: the protocol's version, the port, and
// every limit a peer's data is held to.

#include <QtGlobal>

namespace tess::net {

// A peer of another major version is refused; a newer minor version is
// accepted (it only adds what an older peer can ignore). Version 2: join
// codes of six digits.
inline constexpr int ProtocolMajor = 2;
inline constexpr int ProtocolMinor = 0;

inline constexpr quint16 DefaultPort = 47474;
inline constexpr char ServiceType[] = "_tessaron._tcp";

// The largest message but one: a player's own picture travels alone, in a
// message of its own limit.
inline constexpr qsizetype MaxMessageBytes = 256 * 1024;
inline constexpr qsizetype MaxPictureBytes = 20 * 1024 * 1024;
// A host sends pictures at most this often (a newer one waits, and only the
// newest goes); a joining computer takes no more than one a second with a
// burst of two, so an honest host never comes near its limit.
inline constexpr int MinPictureIntervalMilliseconds = 1000;
inline constexpr int MaxNameLength = 20;
// Six digits, read aloud in two groups of three like a phone number. The
// limits on wrong codes (net/GameHost.cpp) leave a guesser with many
// addresses about 250 tries in the first hour and 180 in each after: about
// 1 in 4,000 an hour to find the code, where four digits gave 1 in 40.
inline constexpr int JoinCodeDigits = 6;
inline constexpr int MaxJoiningComputers = 3;
inline constexpr int MaxSeats = 4; // seat 0 is the host's player

// A dropped computer's seat waits this long for it to come back.
inline constexpr int SeatHoldMilliseconds = 120 * 1000;
inline constexpr int PingIntervalMilliseconds = 2000;
// No answer to pings for this long: the peer is lost.
inline constexpr int PeerLostMilliseconds = 10 * 1000;
// A joining computer may send this many messages a second on average, with
// bursts up to MaxMessageBurst; more is flooding and ends its connection.
inline constexpr int MaxMessagesPerSecond = 20;
inline constexpr int MaxMessageBurst = 40;
// A host may send this many messages a second on average, in bursts of up
// to MaxHostMessageBurst, and this many bytes of messages other than a
// picture: many times what a game sends (a state for each change on the
// screen, a sound for each effect, a picture when it changes). More is
// flooding: the joining computer ends the connection rather than spend its
// window's time on reading them.
inline constexpr int MaxHostMessagesPerSecond = 200;
inline constexpr int MaxHostMessageBurst = 1000;
inline constexpr qint64 MaxHostBytesPerSecond = 1024 * 1024;
inline constexpr qint64 MaxHostByteBurst = 4 * MaxMessageBytes;
// Of them, a joining computer plays at most this many sound effects a second
// (bursts of MaxSoundBurst) and drops the rest: a game plays one after another.
inline constexpr int MaxSoundsPerSecond = 10;
inline constexpr int MaxSoundBurst = 20;
// A connection that has not said hello within this time is closed.
inline constexpr int HelloTimeoutMilliseconds = 5000;

// Wrong join codes from all addresses together spend the code: the host
// takes a fresh one and takes no code for this long (doubling each time).
inline constexpr int CodePauseMilliseconds = 30 * 1000;

// The waits of the host and of a joining computer, all in milliseconds. The
// game keeps the defaults; a test shortens them to see a seat released or a
// silent peer noticed without waiting minutes.
struct Timings {
    int helloTimeout = HelloTimeoutMilliseconds;
    int pingInterval = PingIntervalMilliseconds;
    int peerLost = PeerLostMilliseconds;
    int seatHold = SeatHoldMilliseconds;
    int codePause = CodePauseMilliseconds;
};

} // namespace tess::net
