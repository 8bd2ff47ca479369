#pragma once

namespace Platform
{

// Under X11, SDL wakes a thread that waits for events by sending an event to a window of the
// program through a second connection to the X server. When that window is destroyed (through
// the first connection) before the server has read the send, the server answers the send with
// BadWindow, and Xlib's default handler ends the program for it: an exit of a game, or any
// window closed right after a wait, could die of a message that no one needed any more.
//
// Under a window manager, SDL places the window from each move it is told of: it asks the
// server for the window's parent (the manager's frame) and then where that frame stands. When the
// window is hidden, at the latest as the game ends, the manager takes the window out of its frame
// and destroys the frame, which can come between the two requests: the server answers the second
// with BadWindow, which ended the game as it closed.
//
// `installXErrorFilter` puts a handler in place that drops exactly those errors, a BadWindow
// answering a send or a translation of coordinates, and hands every other error on to the
// handler that was in place (Xlib's, which ends the program). Call it before the video subsystem starts: SDL
// then hands errors on to it from a handler of its own, and puts it back in place when it stops, before it
// closes its connections, which is when the server's late answer is read. Without Xlib it does nothing.
void installXErrorFilter();

} // namespace Platform
