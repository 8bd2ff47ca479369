#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Buffered input devices in the shape the engine's input object reads them: each device is
// acquired while the program's window is in front, keeps its own buffer of timed records in
// sequence order and answers a state snapshot. Events arrive from a backend (SDL, or a script in
// tests) through the feeding half of the interface.
namespace Platform
{

enum class DeviceKind
{
    Keyboard,
    Mouse,
    Joystick,
};

enum class InputResult
{
    Ok,
    // Records were lost since the last read because the buffer was full; the ones returned are
    // the oldest.
    BufferOverflow,
    // The device is not acquired; nothing was read.
    NotAcquired,
    // The device was taken away and must be acquired again (only scripted in tests).
    InputLost,
    // The call could not be carried out (acquiring while the window is not in front).
    Failed,
};

// Shared use or sole use of the device, while the window is in front.
enum class Cooperation
{
    NonExclusive,
    Exclusive,
};

// One buffered record: which key, button or axis (`offset`) and its new value (`data`; bit
// 0x80 set for a key or button that went down).
struct DeviceRecord
{
    uint32_t offset = 0;
    uint32_t data = 0;
    uint32_t timeStamp = 0; // milliseconds
    uint32_t sequence = 0;  // ascending over all devices of one backend
    // A mouse button's record from a backend that tells where the pointer stood in the window
    // when the button changed (`placed`): x and y in window pixels.
    bool placed = false;
    int32_t x = 0;
    int32_t y = 0;
};

// Relative movement since the last read (x, y, wheel) and the buttons held (0x80).
struct MouseState
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    uint8_t buttons[8] = {};
};

// Absolute positions in the device's range; hats in hundredths of a degree clockwise from
// north, 0xFFFFFFFF when centred; buttons held (0x80).
struct JoystickState
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t rx = 0;
    int32_t ry = 0;
    int32_t rz = 0;
    int32_t sliders[2] = {};
    uint32_t pov[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    uint8_t buttons[32] = {};
};

// Record offsets: a key's offset is its key code (KeyCodes.h); buttons follow their state
// field.
constexpr uint32_t kMouseButton0 = offsetof(MouseState, buttons);
constexpr uint32_t kMouseButtonCount = 8;
constexpr uint32_t kJoystickButton0 = offsetof(JoystickState, buttons);
constexpr uint32_t kJoystickButtonCount = 32;
constexpr uint32_t kJoystickAxisCount = 8; // x, y, z, rx, ry, rz, slider 0, slider 1
constexpr uint32_t kJoystickHatCount = 4;
constexpr uint32_t kHatCentred = 0xFFFFFFFFu;

class InputDevice
{
public:
    // `sequence` is the backend's record counter, shared by all its devices.
    InputDevice(DeviceKind kind, uint32_t& sequence);

    DeviceKind kind() const { return m_kind; }

    // --- What the engine calls -------------------------------------------------------------
    // The number of records kept between reads (0 keeps none).
    void setBufferSize(uint32_t records);
    // The range joystick positions are scaled to (the backend delivers -32768..32767).
    void setRange(int32_t minimum, int32_t maximum);
    void setCooperativeLevel(Cooperation cooperation);
    Cooperation cooperativeLevel() const { return m_cooperation; }
    // Fails while the window is not in front; acquiring an acquired device succeeds.
    InputResult acquire();
    // Drops what is buffered; succeeds also when not acquired.
    InputResult unacquire();
    bool isAcquired() const { return m_acquired; }
    // Moves up to `count` of the oldest records into `records` and sets `count` to the number
    // moved.
    InputResult getDeviceData(DeviceRecord* records, uint32_t& count);
    // State snapshots of each kind; asking a device of another kind fails.
    InputResult getKeyboardState(std::array<uint8_t, 256>& keys);
    InputResult getMouseState(MouseState& state);
    InputResult getJoystickState(JoystickState& state);

    // --- What the backend calls ------------------------------------------------------------
    // The rule that tells whether the window is in front (no rule: always).
    void setForegroundRule(std::function<bool()> rule) { m_foreground = std::move(rule); }
    // Called when the device becomes usable or stops being usable in exclusive mode
    // (true: acquired and exclusive).
    void setExclusiveHook(std::function<void(bool)> hook) { m_exclusiveHook = std::move(hook); }
    // The window left the front: the device is unacquired without calling the hook.
    void loseForeground();
    void keyEvent(uint8_t key, bool down, uint32_t timeStamp);
    void buttonEvent(uint32_t button, bool down, uint32_t timeStamp);
    // A mouse button that changed with the pointer at (x, y) in the window: the record keeps
    // the place, and the pointer is placed there.
    void buttonEventAt(uint32_t button, bool down, uint32_t timeStamp, int32_t x, int32_t y);
    void mouseMotion(int32_t dx, int32_t dy, int32_t dz);
    // The pointer stands at (x, y) in the window (pixels of the client area, which is the whole
    // window in full screen), as an event told it: a movement over the window, the pointer
    // entering it, the window gaining the focus. Kept whether the device is acquired or not.
    void placePointer(int32_t x, int32_t y);
    // The pointer left the window: no event tells where it stands until it comes back.
    void losePointer() { m_pointerPlaced = false; }
    // Where the last event placed the pointer; false before any did and after it left.
    bool pointerPosition(int32_t& x, int32_t& y) const
    {
        if (!m_pointerPlaced)
            return false;
        x = m_pointerX;
        y = m_pointerY;
        return true;
    }
    // Axis 0..5 are x, y, z, rx, ry, rz; 6 and 7 the sliders. `raw` is -32768..32767.
    void joystickAxis(uint32_t axis, int32_t raw);
    void joystickHat(uint32_t hat, uint32_t direction);
    // The next read (records or state) answers InputLost.
    void simulateInputLost() { m_lost = true; }

    // How often `acquire` was called and how often it took the device from unacquired to
    // acquired.
    int acquireCalls() const { return m_acquireCalls; }
    int acquisitions() const { return m_acquisitions; }

private:
    void addRecord(uint32_t offset, uint32_t data, uint32_t timeStamp, bool placed = false);
    bool readBlocked(InputResult& result);
    void notifyExclusive();

    DeviceKind m_kind;
    uint32_t& m_sequence;
    std::vector<DeviceRecord> m_ring; // capacity = buffer size
    size_t m_head = 0;
    size_t m_count = 0;
    bool m_overflow = false;
    bool m_acquired = false;
    bool m_lost = false;
    Cooperation m_cooperation = Cooperation::NonExclusive;
    std::function<bool()> m_foreground;
    std::function<void(bool)> m_exclusiveHook;
    int32_t m_rangeMin = -32768;
    int32_t m_rangeMax = 32767;
    std::array<uint8_t, 256> m_keys{};
    MouseState m_mouse;
    std::array<int32_t, kJoystickAxisCount> m_axes{};
    JoystickState m_joystick;
    int m_acquireCalls = 0;
    int m_acquisitions = 0;
    bool m_pointerPlaced = false;
    int32_t m_pointerX = 0;
    int32_t m_pointerY = 0;
};

} // namespace Platform
