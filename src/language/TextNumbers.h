#pragma once
// The numbers of the language table's texts that code chooses, by what they
// say. The numbers are the table's keys (resources/language); a text that only
// a table of controls or tips walks through keeps its number there.

namespace tess::text {

// --- the game and its window


// --- the dialogs, the champions and the start-up window


// --- network play


} // namespace tess::text
