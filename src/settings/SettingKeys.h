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
inline constexpr SettingKey language{SectionOptions, "Sprache", "0"};
inline constexpr SettingKey sizeIndex{SectionOptions, "Size", "1"};
inline constexpr SettingKey playMusic{SectionOptions, "PlayMusic", "1"};
inline constexpr SettingKey repeatSong{SectionOptions, "Musicloop", "0"};
// The options dialog writes the repeat choice under this spelling; names ignore case, so it is the same key.
inline constexpr SettingKey repeatSongChoice{SectionOptions, "MusicLoop", "0"};
inline constexpr SettingKey playSounds{SectionOptions, "PlaySound", "1"};
inline constexpr SettingKey showGrid{SectionOptions, "Grid", "1"};
inline constexpr SettingKey useJokers{SectionOptions, "Joker", "1"};
inline constexpr SettingKey offerHints{SectionOptions, "Tipp", "1"};
inline constexpr SettingKey showPreview{SectionOptions, "Miniatur", "1"};
inline constexpr SettingKey frameColour{SectionOptions, "Rahmen", "0"};
inline constexpr SettingKey timeLimit{SectionOptions, "Time", "1"};
inline constexpr SettingKey autoDraw{SectionOptions, "Flip", "0"};
inline constexpr SettingKey playerCount{SectionOptions, "numPlayers", "4"};
inline constexpr SettingKey player1Name{SectionOptions, "Spieler1", ""};
inline constexpr SettingKey player2Name{SectionOptions, "Spieler2", ""};
inline constexpr SettingKey player3Name{SectionOptions, "Spieler3", ""};
inline constexpr SettingKey player4Name{SectionOptions, "Spieler4", ""};
inline constexpr SettingKey pictureSource{SectionPictures, "Album", "0"};
inline constexpr SettingKey pictureNumber{SectionPictures, "Picture", "101"};
// The picture choice and the button bar read "File" with this default; the
// game window's load passes the text of pictureFileIndex instead.
inline constexpr SettingKey pictureFile{SectionPictures, "File", "puzzle01.jpg"};
inline constexpr SettingKey backSide{SectionPictures, "Back", "9"};

// The name keys of players 1 to 4, by player index 0 to 3.
inline constexpr std::array<SettingKey, 4> playerLabels{player1Name, player2Name, player3Name, player4Name};
} // namespace keys

// All keys, in the order the game window reads them at load.
inline constexpr std::array<SettingKey, 21> AllSettingKeys{
    keys::pictureSource, keys::pictureNumber, keys::pictureFile, keys::backSide, keys::sizeIndex, keys::playMusic, keys::repeatSong,
    keys::playSounds, keys::showGrid, keys::useJokers, keys::offerHints, keys::showPreview, keys::frameColour, keys::timeLimit,
    keys::autoDraw, keys::playerCount, keys::player1Name, keys::player2Name, keys::player3Name, keys::player4Name,
    keys::language,
};

} // namespace tess
