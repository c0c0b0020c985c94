#pragma once
// The benchmarks run the game with a home of their own, never the real one.

#include <cstdlib>
#include <filesystem>

namespace bench {

// HOME, the XDG folders and the temporary folder under `home`; sound on the
// silent driver.
inline void useHome(const std::filesystem::path& home)
{
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    setenv("TMPDIR", (home / "tmp").c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

} // namespace bench
