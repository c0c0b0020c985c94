#pragma once
// The sound effects the game carries, by what they sound for. The numbers are
// the carried items' numbers, from 101; a new effect takes the next number,
// just before AfterLast, and has its WAV file in resources/wav/.

namespace tess {

enum class SoundEffect : int {
    GameWon = 101,        // the last piece lies; a game of several players has a winner
    Click = 102,          // a tool button, a flag, the game window's activation
    Draw = 103,           // a game of several players ends in a draw
    PieceBackFirst = 104, // the third wrong try sends the piece back: one of 104 to 106
    PieceBackLast = 106,
    Joker = 107,          // a joker was drawn
    Shuffle = 108,        // the pieces are shuffled at the start of a game
    PictureStep = 109,    // the picture choice steps to another picture
    CellClick = 110,      // a cell clicked with a piece in hand; a wrong mark cleared
    Blink = 111,          // a score of 0; the joker's blinking
    CommentFirst = 112,   // a right placement's comment: one of 112 to 116
    CommentLast = 116,
    PieceDrawn = 117,     // a piece turned over on the stack
    Unused118 = 118,      // carried, not played by any event
    Unused119 = 119,
    Tick = 120,           // the move clock's tick, every half second
    TimeUp = 121,         // a move ran out of time
    ChampionFirst = 122,  // a new entry in the champions list: one of 122 to 124
    ChampionLast = 124,
    Score = 125,          // a score other than 0 is shown
    AfterLast,            // not an effect: one past the last, so that a new one counts
};

inline constexpr int FirstSoundEffect = int(SoundEffect::GameWon);
inline constexpr int LastSoundEffect = int(SoundEffect::AfterLast) - 1;

constexpr bool isSoundEffect(int number)
{
    return number >= FirstSoundEffect && number <= LastSoundEffect;
}

// The effect `offset` places after `first` (one of a group chosen at random).
constexpr SoundEffect soundEffectAfter(SoundEffect first, int offset)
{
    return SoundEffect(int(first) + offset);
}

} // namespace tess
