#pragma once
// Marks on the way from launch to a playable window, for the start-up
// benchmark. The benchmark passes the launch moment (CLOCK_MONOTONIC, in
// nanoseconds) and a file in TESSARON_START_TRACE ("<ns>:<file>"); each mark
// appends "<name> <ms since launch> <processor ms of the marking thread>"
// there. Without the variable a mark costs one branch.

namespace tess {

void startMark(const char* name);

} // namespace tess
