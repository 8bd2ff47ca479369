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
    CursorHandle getCursor() const override { return m_cursor; }
    void setCursor(CursorHandle cursor) override;

    // Whether the window is in front. Leaving the front unacquires every device.
    void setForeground(bool foreground);

    void keyDown(uint8_t key);
    void keyUp(uint8_t key);
    void mouseButton(uint32_t button, bool down);
    void mouseMove(int32_t dx, int32_t dy, int32_t wheel = 0);
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
    bool m_foreground = true;
    CursorHandle m_cursor = nullptr;
    int m_cursorSets = 0;
    std::unique_ptr<InputDevice> m_keyboard;
    std::unique_ptr<InputDevice> m_mouse;
    std::unique_ptr<InputDevice> m_joystick;
};

} // namespace Platform
