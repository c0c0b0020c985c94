#pragma once
// Every key of the per-user settings store, declared once: AllSettingKeys
// below is the one table (section, key, default, domain, and for an on/off
// option the shared member it fills); the names in `keys` point into it, and
// whatever walks all keys (the tests, the reads at load) walks the table.

#include "settings/SettingDomains.h"
#include "settings/SharedState.h"

#include <array>
#include <string_view>

namespace tess {

inline constexpr const char* AppTitle = "Tessaron";
inline constexpr const char* SectionOptions = "Optionen";
inline constexpr const char* SectionPictures = "Pictures";

// How the game window's load reads an on/off option: each of the design's in
// a step of its own, every one added since in one go (readAddedOnOffOptions).
enum class LoadRead { OwnStep, WithAddedOptions };

struct SettingKey {
    const char* section;
    const char* key;
    const char* fallback;                // the reader's default, as stored text
    SettingDomain holds = nullptr;       // a numeric key's domain; nullptr for text
    bool SharedState::*option = nullptr; // an on/off option's member of the shared state
    LoadRead loadRead = LoadRead::WithAddedOptions;
};

// All keys, in the order the game window reads them at load. An on/off option
// is one row with domains::onOff and its member of SharedState (whose default
// must agree with the row's, a test checks), and a name in `keys` below.
inline constexpr auto AllSettingKeys = std::to_array<SettingKey>({
    {SectionPictures, "Album", "0", domains::onOff}, // 0 the carried pictures, 1 a picture file
    {SectionPictures, "Picture", "101", domains::builtInPicture},
    // The picture choice and the button bar read "File" with this default; the
    // game window's load passes the text of pictureFileIndex instead.
    {SectionPictures, "File", "puzzle01.jpg"},
    {SectionPictures, "Back", "9", domains::backSide},
    {SectionOptions, "Size", "1", domains::boardSize},
    {SectionOptions, "PlayMusic", "1", domains::onOff, &SharedState::playMusic, LoadRead::OwnStep},
    {SectionOptions, "Musicloop", "0", domains::songRepeat}, // -1 endless, 0 once
    {SectionOptions, "PlaySound", "1", domains::onOff, &SharedState::playSounds, LoadRead::OwnStep},
    {SectionOptions, "Grid", "1", domains::onOff, &SharedState::showGrid, LoadRead::OwnStep},
    {SectionOptions, "Joker", "1", domains::onOff, &SharedState::useJokers, LoadRead::OwnStep},
    {SectionOptions, "Tipp", "1", domains::onOff, &SharedState::offerHints, LoadRead::OwnStep},
    {SectionOptions, "Miniatur", "1", domains::onOff, &SharedState::showPreview, LoadRead::OwnStep},
    {SectionOptions, "Rahmen", "0", domains::onOff}, // the frame colour: 0 gold, 1 black
    {SectionOptions, "Time", "1", domains::onOff, &SharedState::timeLimit, LoadRead::OwnStep},
    {SectionOptions, "Flip", "0", domains::onOff, &SharedState::autoDraw, LoadRead::OwnStep},
    {SectionOptions, "numPlayers", "4", domains::players},
    {SectionOptions, "Spieler1", ""},
    {SectionOptions, "Spieler2", ""},
    {SectionOptions, "Spieler3", ""},
    {SectionOptions, "Spieler4", ""},
    {SectionOptions, "Sprache", "0", domains::language}, // read before the window, by the language
});

// The row of a key (names are unique across sections); a name not in the
// table does not compile.
consteval const SettingKey& settingKey(std::string_view key)
{
    for (const SettingKey& row : AllSettingKeys)
        if (std::string_view(row.key) == key)
            return row;
    throw "no such key in AllSettingKeys";
}

namespace keys {
inline constexpr const SettingKey& pictureSource = settingKey("Album");
inline constexpr const SettingKey& pictureNumber = settingKey("Picture");
inline constexpr const SettingKey& pictureFile = settingKey("File");
inline constexpr const SettingKey& backSide = settingKey("Back");
inline constexpr const SettingKey& sizeIndex = settingKey("Size");
inline constexpr const SettingKey& playMusic = settingKey("PlayMusic");
inline constexpr const SettingKey& repeatSong = settingKey("Musicloop");
inline constexpr const SettingKey& playSounds = settingKey("PlaySound");
inline constexpr const SettingKey& showGrid = settingKey("Grid");
inline constexpr const SettingKey& useJokers = settingKey("Joker");
inline constexpr const SettingKey& offerHints = settingKey("Tipp");
inline constexpr const SettingKey& showPreview = settingKey("Miniatur");
inline constexpr const SettingKey& frameColour = settingKey("Rahmen");
inline constexpr const SettingKey& timeLimit = settingKey("Time");
inline constexpr const SettingKey& autoDraw = settingKey("Flip");
inline constexpr const SettingKey& playerCount = settingKey("numPlayers");
inline constexpr const SettingKey& player1Name = settingKey("Spieler1");
inline constexpr const SettingKey& player2Name = settingKey("Spieler2");
inline constexpr const SettingKey& player3Name = settingKey("Spieler3");
inline constexpr const SettingKey& player4Name = settingKey("Spieler4");
inline constexpr const SettingKey& language = settingKey("Sprache");

// The options dialog writes the repeat choice under this spelling; names
// ignore case, so it is the same key (not a row of its own).
inline constexpr SettingKey repeatSongChoice{SectionOptions, "MusicLoop", "0", domains::songRepeat};

// The name keys of players 1 to 4, by player index 0 to 3.
inline constexpr std::array<SettingKey, 4> playerLabels{player1Name, player2Name, player3Name, player4Name};
} // namespace keys

} // namespace tess
