#pragma once
// The media command strings the game drives its songs with, as a classic
// media control interface takes them:
//
//   "open sequencer!<file> alias midi"   opens the song file under the alias
//   "play midi"                          plays it in the background
//   "status midi length"                 its length in ticks, as text
//   "status midi position"               where it is, in ticks, as text
//   "close midi"                         stops and closes it
//
// One song at most is open under the one alias.

#include <QString>

namespace tess {

// Returns 0 on success and a non-zero code otherwise (unknown command, alias
// in use or not open, unreadable file); callers do not look at it.
int sendMediaCommand(const QString& command, QString* reply = nullptr);

} // namespace tess
