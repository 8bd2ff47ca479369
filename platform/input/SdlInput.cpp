#include "platform/input/SdlInput.h"

#include "platform/input/KeyCodes.h"
#include "platform/system/SdlLibrary.h"
#include "platform/window/Message.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include <algorithm>

namespace Platform
{
namespace
{

int eventWatch(void* self, SDL_Event* event)
{
    static_cast<SdlInput*>(self)->handleEvent(event);
    return 0;
}

// SDL's button numbers to the device's: left, right, middle, then the extra buttons.
int mouseButton(uint8_t sdlButton)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return sdlButton >= SDL_BUTTON_X1 && sdlButton < SDL_BUTTON_X1 + 5 ? sdlButton - SDL_BUTTON_X1 + 3
                                                                           : -1;
    }
}

uint32_t hatDirection(uint8_t hat)
{
    switch (hat)
    {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kHatCentred;
    }
}

} // namespace

SdlInput::SdlInput(Window* window) : m_window(window)
{
    if (sdl().SDL_InitSubSystem(SDL_INIT_EVENTS) != 0)
        sdl().SDL_LogWarn(SDL_LOG_CATEGORY_INPUT, "SDL events unavailable: %s", sdl().SDL_GetError());
    // SDL would drop joystick events while no window of the program has the focus as SDL sees it;
    // the devices apply their own foreground rule instead.
    sdl().SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Without the joystick subsystem there is simply no joystick.
    m_joystickReady = sdl().SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (m_window)
    {
        m_windowId = sdl().SDL_GetWindowID(m_window->sdlWindow());
        m_focused = m_window->hasFocus();
        m_placeToldIn = m_window->clientRect();
    }
    m_keyboard = std::make_unique<InputDevice>(DeviceKind::Keyboard, m_sequence);
    m_mouse = std::make_unique<InputDevice>(DeviceKind::Mouse, m_sequence);
    m_keyboard->setForegroundRule([this] { return m_focused; });
    // A button pressed on the window brings it to the front for the pointer at once: the
    // keyboard focus a window manager gives on that click comes later (SDL holds a focus back
    // for a moment), and the click is the player's all the same.
    m_mouse->setForegroundRule([this] { return m_focused || m_clickedIn; });
    m_mouse->setExclusiveHook(
        [this](bool exclusive)
        {
            if (m_window)
                sdl().SDL_SetRelativeMouseMode(exclusive ? SDL_TRUE : SDL_FALSE);
        });
    sdl().SDL_AddEventWatch(eventWatch, this);
}

SdlInput::~SdlInput()
{
    sdl().SDL_DelEventWatch(eventWatch, this);
    if (m_joystick)
        sdl().SDL_JoystickClose(static_cast<SDL_Joystick*>(m_joystick));
    if (m_joystickReady)
        sdl().SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    sdl().SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

InputDevice* SdlInput::createDevice(DeviceKind kind)
{
    switch (kind)
    {
    case DeviceKind::Keyboard:
        return m_keyboard.get();
    case DeviceKind::Mouse:
        return m_mouse.get();
    case DeviceKind::Joystick:
        if (!m_joystickDevice)
            openJoystick();
        return m_joystickDevice.get();
    }
    return nullptr;
}

void SdlInput::openJoystick()
{
    if (!m_joystickReady || sdl().SDL_NumJoysticks() <= 0)
        return;
    SDL_Joystick* joystick = sdl().SDL_JoystickOpen(0);
    if (!joystick)
        return;
    m_joystick = joystick;
    m_joystickId = sdl().SDL_JoystickInstanceID(joystick);
    m_joystickDevice = std::make_unique<InputDevice>(DeviceKind::Joystick, m_sequence);
    m_joystickDevice->setForegroundRule([this] { return m_focused; });
    // Start from the stick's present position; later changes arrive as events.
    const int axes = std::min<int>(sdl().SDL_JoystickNumAxes(joystick), kJoystickAxisCount);
    for (int i = 0; i < axes; ++i)
        m_joystickDevice->joystickAxis(static_cast<uint32_t>(i), sdl().SDL_JoystickGetAxis(joystick, i));
    const int hats = std::min<int>(sdl().SDL_JoystickNumHats(joystick), kJoystickHatCount);
    for (int i = 0; i < hats; ++i)
        m_joystickDevice->joystickHat(static_cast<uint32_t>(i),
                                      hatDirection(sdl().SDL_JoystickGetHat(joystick, i)));
}

void SdlInput::handleEvent(const void* sdlEvent)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(sdlEvent);
    switch (event.type)
    {
    case SDL_WINDOWEVENT:
        if (!m_window || event.window.windowID != m_windowId)
            break;
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        {
            m_focused = true;
            placePointerFromDesktop();
            // The events that come with the focus (a window manager focuses a window on the
            // click it then hands on, and hands the focus back after it reparents a window)
            // are watched in the same pump, before the engine can acquire anything: a device
            // the engine has asked for is taken back at once, so that they are kept.
            for (InputDevice* device : {m_keyboard.get(), m_mouse.get(), m_joystickDevice.get()})
                if (device && device->acquireCalls() > 0)
                    device->acquire();
        }
        else if (event.window.event == SDL_WINDOWEVENT_ENTER)
        {
            placePointerFromDesktop();
        }
        else if (event.window.event == SDL_WINDOWEVENT_LEAVE)
        {
            m_mouse->losePointer();
        }
        else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
        {
            m_focused = false;
            m_clickedIn = false;
            for (InputDevice* device : {m_keyboard.get(), m_mouse.get(), m_joystickDevice.get()})
                if (device)
                    device->loseForeground();
        }
        break;
    case SDL_KEYDOWN:
        if (event.key.repeat == 0)
        {
            const uint8_t key = keyFromSdlScancode(event.key.keysym.scancode);
            const uint32_t virtualKey = virtualKeyFromSdl(event.key.keysym.scancode, event.key.keysym.sym);
            m_windowKeys[key] =
                virtualKey == VirtualKey::Return && isSystemKey(virtualKey, event.key.keysym.mod);
            if (!m_windowKeys[key])
                m_keyboard->keyEvent(key, true, event.key.timestamp);
        }
        break;
    case SDL_KEYUP:
    {
        const uint8_t key = keyFromSdlScancode(event.key.keysym.scancode);
        if (m_windowKeys[key])
            m_windowKeys[key] = false;
        else
            m_keyboard->keyEvent(key, false, event.key.timestamp);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        const int button = mouseButton(event.button.button);
        if (button < 0)
            break;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (down && isOurs(event.button.windowID) && !m_focused && !m_clickedIn)
        {
            m_clickedIn = true;
            if (m_mouse->acquireCalls() > 0)
                m_mouse->acquire();
        }
        if (isOurs(event.button.windowID))
        {
            int32_t x = event.button.x;
            int32_t y = event.button.y;
            if (m_window->clientRect() != m_placeToldIn)
            {
                placePointerFromDesktop();
                m_mouse->pointerPosition(x, y);
            }
            m_mouse->buttonEventAt(static_cast<uint32_t>(button), down, event.button.timestamp, x, y);
        }
        else
            m_mouse->buttonEvent(static_cast<uint32_t>(button), down, event.button.timestamp);
        break;
    }
    case SDL_MOUSEMOTION:
        m_mouse->mouseMotion(event.motion.xrel, event.motion.yrel, 0);
        if (isOurs(event.motion.windowID))
        {
            m_placeToldIn = m_window->clientRect();
            m_mouse->placePointer(event.motion.x, event.motion.y);
        }
        break;
    case SDL_MOUSEWHEEL:
    {
        const int32_t notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        m_mouse->mouseMotion(0, 0, notches * 120);
        break;
    }
    case SDL_JOYAXISMOTION:
        if (m_joystickDevice && event.jaxis.which == m_joystickId)
            m_joystickDevice->joystickAxis(event.jaxis.axis, event.jaxis.value);
        break;
    case SDL_JOYHATMOTION:
        if (m_joystickDevice && event.jhat.which == m_joystickId)
            m_joystickDevice->joystickHat(event.jhat.hat, hatDirection(event.jhat.value));
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (m_joystickDevice && event.jbutton.which == m_joystickId)
            m_joystickDevice->buttonEvent(event.jbutton.button, event.type == SDL_JOYBUTTONDOWN,
                                          event.jbutton.timestamp);
        break;
    default:
        break;
    }
}

void SdlInput::placePointerFromDesktop()
{
    if (!m_window)
        return;
    int x = 0;
    int y = 0;
    m_window->pointerInClient(x, y);
    m_mouse->placePointer(x, y);
}

void SdlInput::placePointerAgain()
{
    int32_t x = 0;
    int32_t y = 0;
    if (m_mouse->pointerPosition(x, y))
        placePointerFromDesktop();
}

CursorHandle SdlInput::getCursor() const
{
    return Platform::getCursor();
}

void SdlInput::setCursor(CursorHandle cursor)
{
    Platform::setCursor(cursor);
}

} // namespace Platform
