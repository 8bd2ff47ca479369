#pragma once

namespace Platform
{

// An opaque handle of a mouse cursor image (null: the system's default).
struct CursorTag;
using CursorHandle = CursorTag*;

// The cursor shown over the program's windows; null before the video subsystem runs.
CursorHandle getCursor();
// Makes `cursor` the current cursor (null redraws the current one).
void setCursor(CursorHandle cursor);
// The system's default cursor (the arrow); null when the video subsystem does not run.
CursorHandle defaultCursor();
// Shows or hides the system cursor over the program's windows.
void showCursor(bool show);
bool isCursorShown();

} // namespace Platform
