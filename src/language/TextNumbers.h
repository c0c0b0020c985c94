#pragma once
// The numbers of the language table's texts that code chooses, by what they
// say. The numbers are the table's keys (resources/language); a text that only
// a table of controls or tips walks through keeps its number there.

#include <QtGlobal>

namespace tess::text {

// --- the game and its window
inline constexpr qint16 Points = 111;           // the one player's panel
inline constexpr qint16 FirstButtonTip = 112;   // the tool buttons' tips, one each in their order
inline constexpr qint16 SavedGameTitle = 118;   // the title of the saved game's message boxes
inline constexpr qint16 HelpMenuCaption = 121;  // the help menu: help, e-mail, about
inline constexpr qint16 MailMenuCaption = 122;
inline constexpr qint16 AboutMenuCaption = 123;
inline constexpr qint16 ReallyStop = 124;       // quitting between games
inline constexpr qint16 Congratulations = 125;  // the title over the winner
inline constexpr qint16 PlayerHasWon = 127;     // "Vodez" stands for the winner's name
inline constexpr qint16 ItsADraw = 128;
inline constexpr qint16 GameOver = 129;
inline constexpr qint16 OneMoreRound = 130;
inline constexpr qint16 DrawTitle = 138;
inline constexpr qint16 NoSavedGame = 176;
inline constexpr qint16 ReplaceSavedGame = 178;
inline constexpr qint16 SavedGameDamaged = 183;
// What screen readers say of the board (PuzzleWindow).
inline constexpr qint16 StackName = 184;
inline constexpr qint16 CellName = 185; // %1: row, %2: column
inline constexpr qint16 CellEmpty = 186;
inline constexpr qint16 CellPlaced = 187;
inline constexpr qint16 CellWrong = 188;
inline constexpr qint16 CellJoker = 189;
inline constexpr qint16 TimeBarName = 190;
inline constexpr qint16 PreviewName = 191;
inline constexpr qint16 PiecesLeft = 192; // %1: how many
inline constexpr qint16 PieceInHand = 193;


// --- the dialogs, the champions and the start-up window

// The options dialog (OptionsDialog) and the board size the champions show.
inline constexpr qint16 OptionsTitle = 119;
inline constexpr qint16 BoardSizeLabel = 141; // "Pieces"
inline constexpr qint16 PlayersLabel = 142;
inline constexpr qint16 FrameGroup = 143;
inline constexpr qint16 GoldFrame = 144;
inline constexpr qint16 BlackFrame = 145;
inline constexpr qint16 PlaySounds = 146;
inline constexpr qint16 PlayMusic = 147;
inline constexpr qint16 SongOnce = 148;
inline constexpr qint16 SongEndless = 149;
inline constexpr qint16 ShowGrid = 150;
inline constexpr qint16 AutoDraw = 151;
inline constexpr qint16 ShowPreview = 152;
inline constexpr qint16 OfferHints = 153;
inline constexpr qint16 UseJokers = 154;
inline constexpr qint16 TimeLimit = 155;
inline constexpr qint16 NetworkGameButton = 201;

// The picture choice (PictureChoiceDialog).
inline constexpr qint16 PreviousPicture = 131;
inline constexpr qint16 NextPicture = 132;
inline constexpr qint16 AddPicture = 195;
inline constexpr qint16 NameNotStorable = 180;
// The carried pictures' names: picture 101's first, one each to 105's.
inline constexpr qint16 FirstPictureName = 196;
inline constexpr qint16 PicturesNotAdded = 230; // "%1 of %2"
inline constexpr qint16 DiskFull = 231;
inline constexpr qint16 FolderNotWritable = 232;
inline constexpr qint16 FolderWriteFailed = 233;

// The champions list (ChampionsDialog).
inline constexpr qint16 ChampionName = 166;
inline constexpr qint16 ChampionPoints = 111;
inline constexpr qint16 ClearChampionsButton = 172;
inline constexpr qint16 AskForName = 126;
inline constexpr qint16 ResultNotStored = 181;
inline constexpr qint16 ReallyClearChampions = 173;
inline constexpr qint16 ClearChampionsTitle = 171;
inline constexpr qint16 ChampionsNotCleared = 182;

// The standard buttons of Qt's message boxes (QtTranslations).
inline constexpr qint16 YesButton = 133;
inline constexpr qint16 NoButton = 134;
inline constexpr qint16 OkButton = 135;
inline constexpr qint16 CancelButton = 136;


// --- network play

// The network game dialog (netplay/NetworkGameDialog.cpp).
inline constexpr qint16 HostFrame = 202;
inline constexpr qint16 JoinFrame = 203;
inline constexpr qint16 StartHostingButton = 204;
inline constexpr qint16 StopHostingButton = 205;
inline constexpr qint16 JoinCodeCaption = 206;
inline constexpr qint16 AddressCaption = 207;
inline constexpr qint16 PortCaption = 208;
inline constexpr qint16 PlayersCaption = 209;
inline constexpr qint16 ThisComputer = 210;
inline constexpr qint16 FoundGamesCaption = 211;
inline constexpr qint16 NoDiscovery = 212;
inline constexpr qint16 NameCaption = 213;
inline constexpr qint16 JoinButton = 214;
inline constexpr qint16 Joined = 215;
inline constexpr qint16 MoreGames = 228; // %1: how many games are not listed

// What a network game tells (netplay/NetworkPlay.cpp).
inline constexpr qint16 HostEnded = 216;
inline constexpr qint16 HostLost = 217;
inline constexpr qint16 HostsOtherVersion = 218; // %1: the host's version
inline constexpr qint16 WrongCode = 219;
inline constexpr qint16 GameFull = 220;
inline constexpr qint16 NameTaken = 221; // %1: the name
inline constexpr qint16 GameRunning = 222;
inline constexpr qint16 NoConnection = 223; // %1: the address
inline constexpr qint16 NoPort = 224;       // %1: the port
inline constexpr qint16 NetworkGameTitle = 225;
inline constexpr qint16 JoinersOtherVersion = 226; // %1: the joining computer's version
inline constexpr qint16 CodeGuessed = 229;         // %1: seconds of pause, %2: the new code
inline constexpr qint16 EndForEveryone = 235;      // hosting: the game ends on every screen
inline constexpr qint16 YourTurn = 236;            // %1: the player's name
inline constexpr qint16 PlayerAway = 237;          // %1: the player's name
// 227 (network play missing) is no longer shown: network play is part of the program.


} // namespace tess::text
