#pragma once
// The options that are one of a few choices, and the numbers the settings
// file and the saved game keep for them; the game itself speaks of the
// choices, the files keep their numbers.

#include <QtGlobal>

namespace tess {

// The board's frame (`Rahmen`): stored 0 gold, 1 black.
enum class FrameColour { Gold, Black };
// Where the picture comes from (`Album`): stored 0 the pictures the program
// carries, 1 a picture file (of the program's picture folder or the player's).
enum class PictureSource { BuiltIn, File };

// An on/off option: stored 1 on, 0 off.
constexpr qint16 onOffNumber(bool on) { return on ? 1 : 0; }
// Whether songs follow one another (`Musicloop`): stored -1 endless, 0 once.
constexpr qint16 songRepeatNumber(bool repeat) { return repeat ? -1 : 0; }
constexpr bool songRepeatOf(qint16 stored) { return stored == -1; }

constexpr qint16 frameColourNumber(FrameColour colour) { return colour == FrameColour::Black ? 1 : 0; }
// Only 1 is black: the readers hand nothing but 0 or 1 (settings/SettingDomains.h).
constexpr FrameColour frameColourOf(qint16 stored) { return stored == 1 ? FrameColour::Black : FrameColour::Gold; }

constexpr qint16 pictureSourceNumber(PictureSource source) { return source == PictureSource::File ? 1 : 0; }
// Only 1 is a file: the settings reader and the saved game's decoder hand
// nothing but 0 or 1.
constexpr PictureSource pictureSourceOf(qint16 stored)
{
    return stored == 1 ? PictureSource::File : PictureSource::BuiltIn;
}

} // namespace tess
