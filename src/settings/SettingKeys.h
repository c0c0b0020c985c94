#pragma once
// Every key of the per-user settings store with its reader's default.

#include <array>

namespace tess {

inline constexpr const char* AppTitle = "Tessaron";
inline constexpr const char* SectionOptions = "Optionen";
inline constexpr const char* SectionPictures = "Pictures";

struct SettingKey {
    const char* section;
    const char* key;
    const char* fallback; // the reader's default, as stored text
};

namespace keys {
inline constexpr SettingKey Sprache{SectionOptions, "Sprache", "0"};
inline constexpr SettingKey Size{SectionOptions, "Size", "1"};
inline constexpr SettingKey PlayMusic{SectionOptions, "PlayMusic", "1"};
inline constexpr SettingKey Musicloop{SectionOptions, "Musicloop", "0"};
// The options dialog writes the repeat choice under this spelling; names ignore case, so it is the same key.
inline constexpr SettingKey MusicLoopChoice{SectionOptions, "MusicLoop", "0"};
inline constexpr SettingKey PlaySound{SectionOptions, "PlaySound", "1"};
inline constexpr SettingKey Grid{SectionOptions, "Grid", "1"};
inline constexpr SettingKey Joker{SectionOptions, "Joker", "1"};
inline constexpr SettingKey Tipp{SectionOptions, "Tipp", "1"};
inline constexpr SettingKey Miniatur{SectionOptions, "Miniatur", "1"};
inline constexpr SettingKey Rahmen{SectionOptions, "Rahmen", "0"};
inline constexpr SettingKey Time{SectionOptions, "Time", "1"};
inline constexpr SettingKey Flip{SectionOptions, "Flip", "0"};
inline constexpr SettingKey NumPlayers{SectionOptions, "numPlayers", "4"};
inline constexpr SettingKey Spieler1{SectionOptions, "Spieler1", ""};
inline constexpr SettingKey Spieler2{SectionOptions, "Spieler2", ""};
inline constexpr SettingKey Spieler3{SectionOptions, "Spieler3", ""};
inline constexpr SettingKey Spieler4{SectionOptions, "Spieler4", ""};
inline constexpr SettingKey Album{SectionPictures, "Album", "0"};
inline constexpr SettingKey Picture{SectionPictures, "Picture", "101"};
// The picture choice and the button bar read "File" with this default; the
// game window's load passes the text of PicFileIndex instead.
inline constexpr SettingKey File{SectionPictures, "File", "puzzle01.jpg"};
inline constexpr SettingKey Back{SectionPictures, "Back", "9"};

// The name keys of players 1 to 4, by player index 0 to 3.
inline constexpr std::array<SettingKey, 4> PlayerNames{Spieler1, Spieler2, Spieler3, Spieler4};
} // namespace keys

// All keys, in the order the game window reads them at load.
inline constexpr std::array<SettingKey, 21> AllSettingKeys{
    keys::Album, keys::Picture, keys::File, keys::Back, keys::Size, keys::PlayMusic, keys::Musicloop,
    keys::PlaySound, keys::Grid, keys::Joker, keys::Tipp, keys::Miniatur, keys::Rahmen, keys::Time,
    keys::Flip, keys::NumPlayers, keys::Spieler1, keys::Spieler2, keys::Spieler3, keys::Spieler4,
    keys::Sprache,
};

} // namespace tess
