// The routines that run once at a normal shut-down, in the order they were
// registered. A fatal error skips them.
#pragma once

namespace ui {

using ExitHandler = void (*)();

// Appends the handler unless it is already in the list.
void RegisterExitHandler(ExitHandler handler);
// Runs every handler once, in order of registration, then empties the list.
void RunExitHandlers();
// Empties the list without running anything.
void ClearExitHandlers();

// Gives back the storage of lastCipherBytes, then of lastDecodedBytes;
// a buffer that holds none is skipped.
void ReleaseLastBuffers();

}  // namespace ui
