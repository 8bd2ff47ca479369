#pragma once

// The entry point's report of a failure that escaped the run. Called from inside a catch block,
// it rethrows what is being handled and turns it into the fatal report (Engine::reportFatal):
// the player's message and the text written to the log "error". A C string, an engine string or
// a standard string shows its own text followed by "\nRestart the game please."; the window's
// Platform::NoDisplayError shows its own text followed by what would give the game a display
// ("\nStart the game from a desktop session, or set DISPLAY (or WAYLAND_DISPLAY) to a running
// display."); anything else (wide strings, standard exceptions) shows only "\nRestart the game
// please.", and its text, where it has one, goes to the log alone.
void reportEscapedFailure();
