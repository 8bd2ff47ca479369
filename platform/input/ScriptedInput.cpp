#include "platform/input/ScriptedInput.h"

namespace Platform
{

ScriptedInput::ScriptedInput(bool withJoystick)
    : m_keyboard(std::make_unique<InputDevice>(DeviceKind::Keyboard, m_sequence)),
      m_mouse(std::make_unique<InputDevice>(DeviceKind::Mouse, m_sequence))
{
    if (withJoystick)
        m_joystick = std::make_unique<InputDevice>(DeviceKind::Joystick, m_sequence);
    for (InputDevice* device : {m_keyboard.get(), m_mouse.get(), m_joystick.get()})
        if (device)
            device->setForegroundRule([this] { return m_foreground; });
}

InputDevice* ScriptedInput::createDevice(DeviceKind kind)
{
    switch (kind)
    {
    case DeviceKind::Keyboard:
        return m_keyboard.get();
    case DeviceKind::Mouse:
        return m_mouse.get();
    case DeviceKind::Joystick:
        return m_joystick.get();
    }
    return nullptr;
}

void ScriptedInput::setCursor(CursorHandle cursor)
{
    m_cursor = cursor;
    ++m_cursorSets;
}

void ScriptedInput::setForeground(bool foreground)
{
    m_foreground = foreground;
    if (foreground && m_pointerKnown)
        m_mouse->placePointer(m_pointerX, m_pointerY);
    if (!foreground)
        for (InputDevice* device : {m_keyboard.get(), m_mouse.get(), m_joystick.get()})
            if (device)
                device->loseForeground();
}

void ScriptedInput::keyDown(uint8_t key)
{
    m_keyboard->keyEvent(key, true, ++m_time);
}

void ScriptedInput::keyUp(uint8_t key)
{
    m_keyboard->keyEvent(key, false, ++m_time);
}

void ScriptedInput::mouseButton(uint32_t button, bool down)
{
    if (m_pointerKnown)
        m_mouse->buttonEventAt(button, down, ++m_time, m_pointerX, m_pointerY);
    else
        m_mouse->buttonEvent(button, down, ++m_time);
}

void ScriptedInput::mouseMove(int32_t dx, int32_t dy, int32_t wheel)
{
    m_mouse->mouseMotion(dx, dy, wheel);
}

void ScriptedInput::pointerTo(int32_t x, int32_t y)
{
    m_mouse->mouseMotion(x - m_pointerX, y - m_pointerY, 0);
    warpPointer(x, y);
    m_mouse->placePointer(x, y);
}

void ScriptedInput::placePointerAgain()
{
    int32_t x = 0;
    int32_t y = 0;
    if (m_pointerKnown && m_mouse->pointerPosition(x, y))
        m_mouse->placePointer(m_pointerX, m_pointerY);
}

void ScriptedInput::warpPointer(int32_t x, int32_t y)
{
    m_pointerKnown = true;
    m_pointerX = x;
    m_pointerY = y;
}

void ScriptedInput::joystickButton(uint32_t button, bool down)
{
    if (m_joystick)
        m_joystick->buttonEvent(button, down, ++m_time);
}

void ScriptedInput::joystickAxis(uint32_t axis, int32_t raw)
{
    if (m_joystick)
        m_joystick->joystickAxis(axis, raw);
}

void ScriptedInput::joystickHat(uint32_t hat, uint32_t direction)
{
    if (m_joystick)
        m_joystick->joystickHat(hat, direction);
}

} // namespace Platform
