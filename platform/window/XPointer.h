#pragma once

struct SDL_Window;

namespace Platform
{

// Where the pointer stands relative to the top-left corner of `window`'s drawing area, as the X
// server has it at this moment: SDL's own record of it is the place its last pointer event
// told, which lags behind a window that moved under a still pointer (SDL's "global" pointer is
// that record plus the window's corner while the pointer is over the window). False when the
// window is no X11 window or Xlib cannot be found, or the pointer is on another screen.
bool queryXPointer(SDL_Window* window, int& x, int& y);

} // namespace Platform
