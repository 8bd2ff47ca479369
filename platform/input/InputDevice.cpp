#include "platform/input/InputDevice.h"

#include <algorithm>

namespace Platform
{

InputDevice::InputDevice(DeviceKind kind, uint32_t& sequence) : m_kind(kind), m_sequence(sequence) {}

void InputDevice::setBufferSize(uint32_t records)
{
    m_ring.assign(records, DeviceRecord{});
    m_head = 0;
    m_count = 0;
    m_overflow = false;
}

void InputDevice::setRange(int32_t minimum, int32_t maximum)
{
    m_rangeMin = minimum;
    m_rangeMax = maximum;
}

void InputDevice::setCooperativeLevel(Cooperation cooperation)
{
    m_cooperation = cooperation;
    notifyExclusive();
}

InputResult InputDevice::acquire()
{
    ++m_acquireCalls;
    if (m_acquired)
        return InputResult::Ok;
    if (m_foreground && !m_foreground())
        return InputResult::Failed;
    m_acquired = true;
    m_lost = false;
    ++m_acquisitions;
    // Movement made while the device was not ours is not reported.
    m_mouse.x = m_mouse.y = m_mouse.z = 0;
    notifyExclusive();
    return InputResult::Ok;
}

InputResult InputDevice::unacquire()
{
    const bool was = m_acquired;
    loseForeground();
    if (was)
        notifyExclusive();
    return InputResult::Ok;
}

void InputDevice::loseForeground()
{
    m_acquired = false;
    m_head = 0;
    m_count = 0;
    m_overflow = false;
    m_mouse.x = m_mouse.y = m_mouse.z = 0;
}

void InputDevice::notifyExclusive()
{
    if (m_exclusiveHook)
        m_exclusiveHook(m_acquired && m_cooperation == Cooperation::Exclusive);
}

bool InputDevice::readBlocked(InputResult& result)
{
    if (m_lost)
    {
        m_lost = false;
        loseForeground();
        result = InputResult::InputLost;
        return true;
    }
    if (!m_acquired)
    {
        result = InputResult::NotAcquired;
        return true;
    }
    return false;
}

InputResult InputDevice::getDeviceData(DeviceRecord* records, uint32_t& count)
{
    InputResult blocked;
    if (readBlocked(blocked))
    {
        count = 0;
        return blocked;
    }
    const size_t taken = std::min<size_t>(count, m_count);
    for (size_t i = 0; i < taken; ++i)
        records[i] = m_ring[(m_head + i) % m_ring.size()];
    if (taken > 0)
        m_head = (m_head + taken) % m_ring.size();
    m_count -= taken;
    count = static_cast<uint32_t>(taken);
    const bool overflow = m_overflow;
    m_overflow = false;
    return overflow ? InputResult::BufferOverflow : InputResult::Ok;
}

InputResult InputDevice::getKeyboardState(std::array<uint8_t, 256>& keys)
{
    if (m_kind != DeviceKind::Keyboard)
        return InputResult::Failed;
    InputResult blocked;
    if (readBlocked(blocked))
        return blocked;
    keys = m_keys;
    return InputResult::Ok;
}

InputResult InputDevice::getMouseState(MouseState& state)
{
    if (m_kind != DeviceKind::Mouse)
        return InputResult::Failed;
    InputResult blocked;
    if (readBlocked(blocked))
        return blocked;
    state = m_mouse;
    m_mouse.x = m_mouse.y = m_mouse.z = 0;
    return InputResult::Ok;
}

InputResult InputDevice::getJoystickState(JoystickState& state)
{
    if (m_kind != DeviceKind::Joystick)
        return InputResult::Failed;
    InputResult blocked;
    if (readBlocked(blocked))
        return blocked;
    state = m_joystick;
    int32_t* positions[kJoystickAxisCount] = {&state.x,  &state.y,  &state.z,          &state.rx,
                                              &state.ry, &state.rz, &state.sliders[0], &state.sliders[1]};
    const int64_t span = static_cast<int64_t>(m_rangeMax) - m_rangeMin;
    for (uint32_t i = 0; i < kJoystickAxisCount; ++i)
    {
        const int64_t fromBottom = static_cast<int64_t>(m_axes[i]) + 32768;
        *positions[i] = static_cast<int32_t>(m_rangeMin + fromBottom * span / 65535);
    }
    return InputResult::Ok;
}

void InputDevice::addRecord(uint32_t offset, uint32_t data, uint32_t timeStamp, bool placed)
{
    if (!m_acquired)
        return;
    if (m_count == m_ring.size())
    {
        // The first records win; later ones are lost and the next read says so.
        m_overflow = true;
        return;
    }
    DeviceRecord& record = m_ring[(m_head + m_count) % m_ring.size()];
    record.offset = offset;
    record.data = data;
    record.timeStamp = timeStamp;
    record.sequence = ++m_sequence;
    record.placed = placed;
    record.x = placed ? m_pointerX : 0;
    record.y = placed ? m_pointerY : 0;
    ++m_count;
}

void InputDevice::keyEvent(uint8_t key, bool down, uint32_t timeStamp)
{
    if (m_kind != DeviceKind::Keyboard || key == 0)
        return;
    m_keys[key] = down ? 0x80 : 0;
    addRecord(key, down ? 0x80u : 0u, timeStamp);
}

void InputDevice::buttonEvent(uint32_t button, bool down, uint32_t timeStamp)
{
    const uint8_t value = down ? 0x80 : 0;
    if (m_kind == DeviceKind::Mouse && button < kMouseButtonCount)
    {
        m_mouse.buttons[button] = value;
        addRecord(kMouseButton0 + button, value, timeStamp);
    }
    else if (m_kind == DeviceKind::Joystick && button < kJoystickButtonCount)
    {
        m_joystick.buttons[button] = value;
        addRecord(kJoystickButton0 + button, value, timeStamp);
    }
}

void InputDevice::buttonEventAt(uint32_t button, bool down, uint32_t timeStamp, int32_t x, int32_t y)
{
    if (m_kind != DeviceKind::Mouse || button >= kMouseButtonCount)
        return;
    placePointer(x, y);
    const uint8_t value = down ? 0x80 : 0;
    m_mouse.buttons[button] = value;
    addRecord(kMouseButton0 + button, value, timeStamp, true);
}

void InputDevice::placePointer(int32_t x, int32_t y)
{
    if (m_kind != DeviceKind::Mouse)
        return;
    m_pointerPlaced = true;
    m_pointerX = x;
    m_pointerY = y;
}

void InputDevice::mouseMotion(int32_t dx, int32_t dy, int32_t dz)
{
    if (m_kind != DeviceKind::Mouse || !m_acquired)
        return;
    m_mouse.x += dx;
    m_mouse.y += dy;
    m_mouse.z += dz;
}

void InputDevice::joystickAxis(uint32_t axis, int32_t raw)
{
    if (m_kind == DeviceKind::Joystick && axis < kJoystickAxisCount)
        m_axes[axis] = std::clamp(raw, -32768, 32767);
}

void InputDevice::joystickHat(uint32_t hat, uint32_t direction)
{
    if (m_kind == DeviceKind::Joystick && hat < kJoystickHatCount)
        m_joystick.pov[hat] = direction;
}

} // namespace Platform
