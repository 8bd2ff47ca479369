#pragma once

#include <string>

namespace Engine
{

// The end of a failed run: writes `text` to the log "error", shows the last error text
// (getErrorString) in a message box captioned "Error" that belongs to the application's window
// and stands above it, in full screen too (on stderr in a run without a display, never
// blocking), posts the quit message and dispatches what is still queued, so that the
// caller can return at once. From then on `exitStatus` is 1.
void fatalError(const std::string& text);

// The entry point's report of an escaped failure; calls fatalError.
void reportFatal(const std::string& text);

// The program's exit status: 0, or 1 once a fatal error has been reported. A run that ended in a
// failure says so to whoever started it (a launcher, a script), whether or not a box told the
// player.
int exitStatus();

} // namespace Engine
