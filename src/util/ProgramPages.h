#pragma once
// The program carries its pictures, sounds, songs and texts in its read-only
// data, some three megabytes. The start reads much of it, and the pages it
// read would stay counted to the program to its end, though most are not read
// again. releaseCarriedPages hands them back: they stay in the system's file
// cache, and a later read takes them in again from there.

namespace tess {

// Releases the resident pages of the program's read-only segments that were
// never written (not the relocated ones); true when the system took the advice.
bool releaseCarriedPages();

} // namespace tess
