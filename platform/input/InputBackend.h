#pragma once

#include "platform/input/InputDevice.h"
#include "platform/window/Cursor.h"

namespace Platform
{

// Where the input devices come from: SDL (`SdlInput`) or a script (`ScriptedInput`, tests).
class InputBackend
{
public:
    virtual ~InputBackend() = default;

    // The device of that kind, made on the first call and owned by the backend; the same device
    // on later calls. Null when there is none (no joystick attached when the backend started).
    virtual InputDevice* createDevice(DeviceKind kind) = 0;

    // The user's preference for exchanging the left and right mouse buttons. Answers false and
    // leaves `swapped` alone when no preference is recorded.
    virtual bool querySwapMouseButtons(bool& swapped) const = 0;
    // Records (or, with `recorded` false, forgets) the preference.
    virtual void setSwapMouseButtons(bool recorded, bool swapped) = 0;

    // The cursor shown over the window.
    virtual CursorHandle getCursor() const = 0;
    virtual void setCursor(CursorHandle cursor) = 0;
};

} // namespace Platform
