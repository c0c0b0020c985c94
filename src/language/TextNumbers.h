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


// --- the dialogs, the champions and the start-up window


// --- network play


} // namespace tess::text
