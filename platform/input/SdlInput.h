#pragma once

#include "platform/input/InputBackend.h"
#include "platform/window/Window.h"

#include <bitset>
#include <cstdint>
#include <memory>

namespace Platform
{

// Keyboard, mouse and joystick devices fed from SDL's event queue. Events are taken as SDL
// queues them (an event watch), independently of the window's message loop, so the devices see
// every event in order whatever the loop does with it.
//
// - Keyboard: a key going down (not its auto-repeats) or up, by key code (KeyCodes.h).
//   Alt+Enter is the window's, not the game's: the window hands Return or keypad Enter pressed
//   with Alt on as a system key, on which the application switches full screen, and the keyboard
//   records neither that press nor its release (however late Alt is let go), so that it answers
//   nothing in the game.
// - Mouse: buttons left, right, middle, first and second extra as 0 to 4; movement and wheel
//   (120 per notch) add up until the state is read. Over the window, where the pointer stands
//   comes with the events themselves: a button's record keeps the place of its event, and a
//   movement places the pointer. Events say nothing while the pointer is outside the window, so
//   entering the window and gaining the focus place it where the desktop's pointer is; leaving
//   the window forgets the place.
//   Nor does an event tell of the window moving or changing its size under a still pointer, and
//   SDL's button events then go on carrying the place the last movement told, where the pointer
//   stood before. So a button's record (and the pointer) takes that place only while the window
//   stands as it stood at that movement; once the window moved or changed its size, it takes
//   the place where the desktop's pointer stands in the window now, as `placePointerAgain`
//   judges it, until a movement over the window tells the place again. The backend compares the
//   window itself as each button comes, so this holds whether the engine noticed the change
//   before the button or not.
// - Joystick: the first joystick attached when the backend starts (a virtual one included);
//   SDL's axes 0 to 5 are x, y, z, rx, ry, rz and 6, 7 the sliders; hats in hundredths of a degree.
// - Devices can be acquired only while `window` has the keyboard focus (any time without a
//   window); losing the focus unacquires them, and events that arrive meanwhile are lost.
//   Gaining it acquires again every device the engine has asked for, before the events that
//   came with the focus are recorded. A button pressed on the window (the click a window
//   manager focuses the window on, which arrives before the focus) brings the mouse back at
//   once, and that click is recorded.
// - An exclusive, acquired mouse switches SDL to relative mouse mode.
// - The swap preference is not recorded until `setSwapMouseButtons` is called: the X server
//   already applies a left-handed button mapping before SDL sees the buttons.
class SdlInput final : public InputBackend
{
public:
    // `window` (borrowed, may be null) must outlive the backend.
    explicit SdlInput(Window* window);
    ~SdlInput() override;
    SdlInput(const SdlInput&) = delete;
    SdlInput& operator=(const SdlInput&) = delete;

    InputDevice* createDevice(DeviceKind kind) override;
    // Where the desktop's pointer stands, as entering the window places it.
    void placePointerAgain() override;
    CursorHandle getCursor() const override;
    void setCursor(CursorHandle cursor) override;

    // Called by SDL's event watch with an SDL_Event.
    void handleEvent(const void* sdlEvent);

private:
    void openJoystick();
    // Whether an event of that window id happened over the program's window.
    bool isOurs(uint32_t windowId) const { return m_window && windowId == m_windowId; }
    // Places the pointer where the desktop's pointer stands, in the window's pixels.
    void placePointerFromDesktop();

    Window* m_window;
    uint32_t m_windowId = 0;
    bool m_focused = true;
    // A button was pressed on the window since it lost the focus: the pointer is the game's.
    bool m_clickedIn = false;
    // Where the window stood (its client area) when a movement over it last told SDL the
    // pointer's place, which SDL's button events go on carrying.
    WindowRect m_placeToldIn;
    // The keys (by key code) whose press was the window's (Alt+Enter): their release is too.
    std::bitset<256> m_windowKeys;
    bool m_joystickReady = false;
    void* m_joystick = nullptr; // SDL_Joystick
    int32_t m_joystickId = -1;
    uint32_t m_sequence = 0;
    std::unique_ptr<InputDevice> m_keyboard;
    std::unique_ptr<InputDevice> m_mouse;
    std::unique_ptr<InputDevice> m_joystickDevice;
};

} // namespace Platform
