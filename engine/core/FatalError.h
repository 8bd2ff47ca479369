#pragma once

#include <string>

namespace Engine
{

// The end of a failed run: writes `text` to the log "error", shows the last error text
// (getErrorString) in a message box captioned "Error" (on stderr in a run without a display,
// never blocking), posts the quit message and dispatches what is still queued, so that the
// caller can return at once.
void fatalError(const std::string& text);

// The entry point's report of an escaped failure; calls fatalError.
void reportFatal(const std::string& text);

} // namespace Engine
