#pragma once

namespace Platform
{

// Keeps the graphics drivers that are loaded now (Mesa's "*_dri.so" and the GL vendor libraries
// "libGLX_*" and "libEGL_*") loaded until the process ends. The GL libraries unload their
// driver with the last window or display that used it, and a driver leaves behind what it
// allocated once for the whole process; the leak check of the sanitizer build, which runs at
// the end, could then neither tell whose memory that was nor be told to pass over it. Kept
// loaded, the driver is named in every report and its once-only memory stays reachable. Call
// it once a window or context has brought the driver in; calling it again costs a look at the
// loaded objects.
void keepGraphicsDriversLoaded();

} // namespace Platform
