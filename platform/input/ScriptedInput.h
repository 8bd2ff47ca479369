#pragma once

#include "platform/input/InputBackend.h"

#include <cstdint>
#include <memory>

namespace Platform
{

// An input backend driven by the test itself: no display, no SDL. The script feeds the same
// devices the SDL backend feeds, so the engine reads them through the same calls.
class ScriptedInput final : public InputBackend
{
public:
    explicit ScriptedInput(bool withJoystick = true);

    InputDevice* createDevice(DeviceKind kind) override;
    // Where `pointerTo` or `warpPointer` last put the pointer.
    void placePointerAgain() override;
    CursorHandle getCursor() const override { return m_cursor; }
    void setCursor(CursorHandle cursor) override;

    // Whether the window is in front. Leaving the front unacquires every device; coming to the
    // front places the pointer where it stands (see `warpPointer`), as SDL's backend does.
    void setForeground(bool foreground);

    void keyDown(uint8_t key);
    void keyUp(uint8_t key);
    // A button that changes where the pointer stands, once `pointerTo` or `warpPointer` put it
    // somewhere; before that, without a place.
    void mouseButton(uint32_t button, bool down);
    void mouseMove(int32_t dx, int32_t dy, int32_t wheel = 0);
    // The pointer moves to (x, y) in the window with a movement event, which places it there
    // and adds the movement to the mouse's relative state.
    void pointerTo(int32_t x, int32_t y);
    // The pointer stands at (x, y) in the window without an event that tells the program (it
    // moved while the window was not in front, or outside it): the next button changes there.
    void warpPointer(int32_t x, int32_t y);
    void joystickButton(uint32_t button, bool down);
    void joystickAxis(uint32_t axis, int32_t raw);
    void joystickHat(uint32_t hat, uint32_t direction);

    // The devices, for checks and fault injection; made on demand like `createDevice`.
    InputDevice& keyboard() { return *m_keyboard; }
    InputDevice& mouse() { return *m_mouse; }
    InputDevice* joystick() { return m_joystick.get(); }

    // How often `setCursor` was called.
    int cursorSets() const { return m_cursorSets; }

private:
    uint32_t m_time = 0;
    uint32_t m_sequence = 0;
    bool m_pointerKnown = false;
    int32_t m_pointerX = 0;
    int32_t m_pointerY = 0;
    bool m_foreground = true;
    CursorHandle m_cursor = nullptr;
    int m_cursorSets = 0;
    std::unique_ptr<InputDevice> m_keyboard;
    std::unique_ptr<InputDevice> m_mouse;
    std::unique_ptr<InputDevice> m_joystick;
};

} // namespace Platform
