#pragma once
// The numbers of the language table's texts that code chooses, by what they
// say. The numbers are the table's keys (resources/language); a text that only
// a table of controls or tips walks through keeps its number there.

namespace tess::text {

// --- the game and its window


// --- the dialogs, the champions and the start-up window


// --- network play

// The network game dialog (netplay/NetworkGameDialog.cpp).
inline constexpr int NetworkGameButton = 201; // "&Network game...": also the dialog's title
inline constexpr int HostFrame = 202;
inline constexpr int JoinFrame = 203;
inline constexpr int StartHostingButton = 204;
inline constexpr int StopHostingButton = 205;
inline constexpr int JoinCodeCaption = 206;
inline constexpr int AddressCaption = 207;
inline constexpr int PortCaption = 208;
inline constexpr int PlayersCaption = 209;
inline constexpr int ThisComputer = 210;
inline constexpr int FoundGamesCaption = 211;
inline constexpr int NoDiscovery = 212;
inline constexpr int NameCaption = 213;
inline constexpr int JoinButton = 214;
inline constexpr int Joined = 215;
inline constexpr int MoreGames = 228; // %1: how many games are not listed

// What a network game tells (netplay/NetworkPlay.cpp).
inline constexpr int HostEnded = 216;
inline constexpr int HostLost = 217;
inline constexpr int HostsOtherVersion = 218; // %1: the host's version
inline constexpr int WrongCode = 219;
inline constexpr int GameFull = 220;
inline constexpr int NameTaken = 221; // %1: the name
inline constexpr int GameRunning = 222;
inline constexpr int NoConnection = 223; // %1: the address
inline constexpr int NoPort = 224;       // %1: the port
inline constexpr int NetworkGameTitle = 225;
inline constexpr int JoinersOtherVersion = 226; // %1: the joining computer's version
inline constexpr int CodeGuessed = 229;         // %1: seconds of pause, %2: the new code
// 227 (network play missing) is no longer shown: network play is part of the program.

// The game's boxes as a joining screen shows them when the host sends them.
inline constexpr int WinnerNotice = 127; // Vodez: the winner's name
inline constexpr int WinnerNoticeTitle = 125;
inline constexpr int DrawNotice = 128;
inline constexpr int DrawNoticeTitle = 138;

} // namespace tess::text
