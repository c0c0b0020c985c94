#pragma once
// Where players reach the makers of the game.

namespace tess {

inline constexpr const char* MakerSupportAddress = " support@marlpit.example ";
inline constexpr const char* MakerWebPage = "https://marlpit.example/tessaron";

} // namespace tess
