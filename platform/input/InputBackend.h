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
    bool querySwapMouseButtons(bool& swapped) const
    {
        if (!m_swapRecorded)
            return false;
        swapped = m_swapped;
        return true;
    }
    // Records (or, with `recorded` false, forgets) the preference.
    void setSwapMouseButtons(bool recorded, bool swapped)
    {
        m_swapRecorded = recorded;
        m_swapped = swapped;
    }

    // The window moved or changed its scale under the pointer, which no event tells of: a
    // pointer placed over the window is placed again where it stands in the window now.
    virtual void placePointerAgain() {}

    // The cursor shown over the window.
    virtual CursorHandle getCursor() const = 0;
    virtual void setCursor(CursorHandle cursor) = 0;

private:
    bool m_swapRecorded = false;
    bool m_swapped = false;
};

} // namespace Platform
