#include "engine/devices/cInput.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "platform/input/SdlInput.h"

#include <algorithm>
#include <vector>

namespace Engine
{
namespace
{

using Platform::InputResult;

// The texts of the failed device reads, as the fatal error path shows them.
constexpr const char* kKeyboardRead =
    "m_keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), m_keyboard_buffer, &event_count, 0)";
constexpr const char* kMouseRead =
    "m_mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), m_mouse_buffer, &event_count, 0)";
constexpr const char* kJoystickRead = "m_joystick->GetDeviceData(m_joystick_buffer, &event_count)";
constexpr const char* kJoystickState = "m_joystick->GetDeviceData(joystick_state, &joystick_state)";

// A device that was taken away is fatal: the text is stored as the last error and thrown.
[[noreturn]] void throwInputLost(const char* call)
{
    getErrorString() = std::string("Direct3D function call failed\n") + call + "\n" + "DIERR_INPUTLOST";
    throw cString<std::string>(getErrorString());
}

const std::pair<uint32_t, const char*> kKeyNames[] = {
    {0x01, "Esc"},
    {0x02, "1"},
    {0x03, "2"},
    {0x04, "3"},
    {0x05, "4"},
    {0x06, "5"},
    {0x07, "6"},
    {0x08, "7"},
    {0x09, "8"},
    {0x0A, "9"},
    {0x0B, "0"},
    {0x0C, "-"},
    {0x0D, "="},
    {0x0E, "Back"},
    {0x0F, "Tab"},
    {0x10, "Q"},
    {0x11, "W"},
    {0x12, "E"},
    {0x13, "R"},
    {0x14, "T"},
    {0x15, "Y"},
    {0x16, "U"},
    {0x17, "I"},
    {0x18, "O"},
    {0x19, "P"},
    {0x1A, "["},
    {0x1B, "]"},
    {0x1C, "Enter"},
    {0x1D, "L Ctr"},
    {0x1E, "A"},
    {0x1F, "S"},
    {0x20, "D"},
    {0x21, "F"},
    {0x22, "G"},
    {0x23, "H"},
    {0x24, "J"},
    {0x25, "K"},
    {0x26, "L"},
    {0x27, ";"},
    {0x28, "'"},
    {0x29, "`"},
    {0x2A, "L Shift"},
    {0x2B, "\\"},
    {0x2C, "Z"},
    {0x2D, "X"},
    {0x2E, "C"},
    {0x2F, "V"},
    {0x30, "B"},
    {0x31, "N"},
    {0x32, "M"},
    {0x33, ","},
    {0x34, "."},
    {0x35, "/"},
    {0x36, "R Shift"},
    {0x37, "*"},
    {0x38, "L Menu"},
    {0x39, "Space"},
    {0x3A, "Caps Lock"},
    {0x3B, "F1"},
    {0x3C, "F2"},
    {0x3D, "F3"},
    {0x3E, "F4"},
    {0x3F, "F5"},
    {0x40, "F6"},
    {0x41, "F7"},
    {0x42, "F8"},
    {0x43, "F9"},
    {0x44, "F10"},
    {0x45, "Num Lock"},
    {0x46, "Scrol"},
    {0x47, "NumPad 7"},
    {0x48, "NumPad 8"},
    {0x49, "NumPad 9"},
    {0x4A, "NumPad -"},
    {0x4B, "NumPad 4"},
    {0x4C, "NumPad 5"},
    {0x4D, "NumPad 6"},
    {0x4E, "NumPad +"},
    {0x4F, "NumPad 1"},
    {0x50, "NumPad 2"},
    {0x51, "NumPad 3"},
    {0x52, "NumPad 0"},
    {0x53, "NumPad ."},
    {0x56, "OEM_102"},
    {0x57, "F11"},
    {0x58, "F12"},
    {0x64, "F13"},
    {0x65, "F14"},
    {0x66, "F15"},
    {0x70, "KANA"},
    {0x73, "Abnt C1"},
    {0x79, "Convert"},
    {0x7B, "No Convert"},
    {0x7D, "Yen"},
    {0x7E, "Abnt C2"},
    {0x8D, "NumPad ="},
    {0x90, "Pre Vtrack"},
    {0x91, "At"},
    {0x92, "Colon"},
    {0x93, "Underline"},
    {0x94, "Kanji"},
    {0x95, "Stop"},
    {0x96, "Ax"},
    {0x97, "Unlabeled"},
    {0x99, "Next Track"},
    {0x9C, "NumPad Enter"},
    {0x9D, "R Ctr"},
    {0xA0, "Mute"},
    {0xA1, "Calculator"},
    {0xA2, "PlayPause"},
    {0xA4, "MediaStop"},
    {0xAE, "Volume Down"},
    {0xB0, "Volume Up"},
    {0xB2, "Webhome"},
    {0xB3, "NumPad ."},
    {0xB5, "NumPad /"},
    {0xB7, "SYSRQ"},
    {0xB8, "R Alt"},
    {0xC5, "Pause"},
    {0xC7, "Home"},
    {0xC8, "Up"},
    {0xC9, "PgUp"},
    {0xCB, "Left"},
    {0xCD, "Right"},
    {0xCF, "End"},
    {0xD0, "Down"},
    {0xD1, "PgDn"},
    {0xD2, "Insert"},
    {0xD3, "Delete"},
    {0xDB, "L Win"},
    {0xDC, "R Win"},
    {0xDD, "Menu"},
    {0xDE, "Power"},
    {0xDF, "Sleep"},
    {0xE3, "Wake"},
    {0xE5, "WebSearch"},
    {0xE6, "WebFavorites"},
    {0xE7, "WebRefresh"},
    {0xE8, "WebStop"},
    {0xE9, "WebForward"},
    {0xEA, "WebBack"},
    {0xEB, "MyComputer"},
    {0xEC, "Mail"},
    {0xED, "MediaSelect"},
};

bool isHighSurrogate(uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

cInput::cInput(Platform::Window* window)
{
    m_backend = std::make_unique<Platform::SdlInput>(window);
    createDevices();
}

cInput::cInput(std::unique_ptr<Platform::InputBackend> backend) : m_backend(std::move(backend))
{
    if (!m_backend)
        throw "cInput::cInput(): no input backend";
    createDevices();
}

void cInput::createDevices()
{
    m_defaultCursor = m_cursor = m_backend->getCursor();
    for (const auto& [code, name] : kKeyNames)
        m_keyNames[code] = name;

    m_keyboard = m_backend->createDevice(Platform::DeviceKind::Keyboard);
    m_mouse = m_backend->createDevice(Platform::DeviceKind::Mouse);
    if (!m_keyboard || !m_mouse)
        throw "cInput::cInput(): keyboard or mouse unavailable";
    for (Platform::InputDevice* device : {m_keyboard, m_mouse})
    {
        device->setCooperativeLevel(Platform::Cooperation::NonExclusive);
        device->setBufferSize(kBufferSize);
    }
    m_joystick = m_backend->createDevice(Platform::DeviceKind::Joystick);
    if (m_joystick)
    {
        m_joystick->setCooperativeLevel(Platform::Cooperation::NonExclusive);
        m_joystick->setBufferSize(kBufferSize);
        m_joystick->setRange(-32768, 32768);
    }
}

cInput::~cInput()
{
    for (Platform::InputDevice* device : {m_keyboard, m_mouse, m_joystick})
        if (device)
            device->unacquire();
    m_backend->setCursor(m_defaultCursor);
}

// --- Connections ------------------------------------------------------------------------------

boost::signals2::connection cInput::connectKey(eControl code, const tSlot& slot)
{
    if (code < 0 || code >= CONTROL_COUNT)
        throw "cInput::connectKey(): wrong control code";
    return m_signals[static_cast<size_t>(code)].connect(layered(slot));
}

boost::signals2::connection cInput::connectKeyOnEveryLayer(eControl code, const tSlot& slot)
{
    const cLayerScope everyLayer(*this, kEveryLayer);
    return connectKey(code, slot);
}

void cInput::disconnectKey(eControl, boost::signals2::connection connection)
{
    connection.disconnect();
}

boost::signals2::connection cInput::connectChar(const tCharSlot& slot)
{
    return m_charSignal.connect(layered(slot));
}

void cInput::disconnectChar(boost::signals2::connection connection)
{
    connection.disconnect();
}

boost::signals2::connection cInput::connectMouse(const tAxisSlot& slot)
{
    return m_mouseSignal.connect(layered(slot));
}

void cInput::disconnectMouse(boost::signals2::connection connection)
{
    connection.disconnect();
}

boost::signals2::connection cInput::connectKeyDown(const tKeyDownSlot& slot)
{
    return m_keyDownSignal.connect(layered(slot));
}

void cInput::disconnectKeyDown(boost::signals2::connection connection)
{
    connection.disconnect();
}

boost::signals2::connection cInput::connectJoystick(const tAxisSlot& slot)
{
    return m_joystickSignal.connect(layered(slot));
}

void cInput::disconnectJoystick(boost::signals2::connection connection)
{
    connection.disconnect();
}

boost::signals2::connection cInput::connectPointer(const tPointerSlot& slot)
{
    return m_pointerSignal.connect(slot);
}

uint32_t cInput::openLayer()
{
    m_openLayers.push_back(++m_lastLayer);
    return m_lastLayer;
}

void cInput::closeLayer(uint32_t layer)
{
    m_openLayers.erase(std::remove(m_openLayers.begin(), m_openLayers.end(), layer), m_openLayers.end());
}

bool cInput::getPointer(cVector2& windowPoint) const
{
    int32_t x = 0;
    int32_t y = 0;
    if (!m_mouse->pointerPosition(x, y))
        return false;
    windowPoint = cVector2(static_cast<float>(x), static_cast<float>(y));
    return true;
}

// --- Queues -----------------------------------------------------------------------------------

void cInput::queueChar(uint16_t unit)
{
    if (m_charCount < kQueueSize)
        m_chars[m_charCount++] = unit;
}

void cInput::queueKey(uint32_t key)
{
    if (m_keyCount < kQueueSize)
        m_keys[m_keyCount++] = key;
}

void cInput::emulateClick()
{
    m_emulateClick = true;
}

void cInput::emulateMouseMove()
{
    m_emulateMove = true;
}

void cInput::pointerShifted()
{
    m_pointerShifted = true;
}

void cInput::tellStillMove()
{
    m_mouseSignal(CONTROL_MOUSE_WHEEL, 0);
    m_placeTold = getPointer(m_toldPlace);
}

// Characters queued by a handler while the queue is delivered wait for the next frame.
void cInput::deliverCharacters()
{
    const std::vector<uint16_t> units(m_chars.begin(), m_chars.begin() + m_charCount);
    m_charCount = 0;
    if (m_charSignal.empty())
        return;
    // A wide character holds a whole code point, so a surrogate pair is delivered as one
    // character and a lone surrogate as U+FFFD.
    for (size_t i = 0; i < units.size(); ++i)
    {
        uint32_t c = units[i];
        if (isHighSurrogate(c) && i + 1 < units.size() && isLowSurrogate(units[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (isHighSurrogate(c) || isLowSurrogate(c))
            c = 0xFFFD;
        m_charSignal(static_cast<wchar_t>(c));
    }
}

void cInput::deliverKeys()
{
    const std::vector<uint32_t> keys(m_keys.begin(), m_keys.begin() + m_keyCount);
    m_keyCount = 0;
    for (uint32_t key : keys)
        m_keyDownSignal(key);
}

// --- The frame's poll -------------------------------------------------------------------------

void cInput::raise(int32_t code)
{
    const eControl control = static_cast<eControl>(code);
    const eControl released = releasedControl(control);
    if (control != CONTROL_ANY)
    {
        m_raised = control;
        m_raisedLayer = listeningLayer();
        if (released != CONTROL_ANY)
        {
            const size_t index = static_cast<size_t>(released);
            if (isPressedControl(control))
                m_pressLayers[index] = m_raisedLayer;
            else if (m_held[index] && m_pressLayers[index] != m_raisedLayer)
                // Pressed on a layer that has closed, or under one opened since: no one's.
                m_raisedLayer = kNoLayer;
        }
    }
    // The any-control code goes where the code before it went.
    m_raising = true;
    m_signals[static_cast<size_t>(code)]();
    m_raising = false;
    if (released != CONTROL_ANY)
        m_held[static_cast<size_t>(released)] = isPressedControl(control);
}

std::vector<eControl> cInput::getHeldControls() const
{
    std::vector<eControl> held;
    for (size_t code = 0; code < m_held.size(); ++code)
        if (m_held[code])
            held.push_back(static_cast<eControl>(code));
    return held;
}

eControl cInput::releasedControl(eControl code)
{
    if (code >= CONTROL_KEY_RELEASED && code < CONTROL_KEY_PRESSED + 256)
        return keyReleased(static_cast<uint32_t>(code));
    if (code >= CONTROL_MOUSE_RELEASED && code < CONTROL_MOUSE_X)
        return mouseReleased(static_cast<uint32_t>(code - CONTROL_MOUSE_RELEASED));
    if (code >= CONTROL_JOY_RELEASED && code < CONTROL_JOY_X)
        return joyReleased(static_cast<uint32_t>(code - CONTROL_JOY_RELEASED));
    return CONTROL_ANY;
}

bool cInput::isPressedControl(eControl code)
{
    return (code >= CONTROL_KEY_PRESSED && code < CONTROL_MOUSE_RELEASED) ||
           (code >= CONTROL_MOUSE_PRESSED && code < CONTROL_MOUSE_X) ||
           (code >= CONTROL_JOY_PRESSED && code < CONTROL_JOY_X);
}

void cInput::update()
{
    deliverCharacters();
    deliverKeys();
    // The any-control code follows every key code, but only the first button code when no key
    // came in this frame.
    bool anyRaised = false;
    readKeyboard(anyRaised);
    if (m_pointerShifted)
    {
        m_pointerShifted = false;
        m_backend->placePointerAgain();
        cVector2 place;
        if (getPointer(place))
            m_pointerSignal(place);
        tellStillMove();
    }
    readMouse(anyRaised);
    if (m_joystick)
        readJoystick(anyRaised);
    if (m_emulateClick)
    {
        m_emulateClick = false;
        raise(CONTROL_MOUSE_PRESSED);
        raise(CONTROL_MOUSE_RELEASED);
    }
    if (m_emulateMove)
    {
        m_emulateMove = false;
        tellStillMove();
    }
    readMouseState();
    if (m_joystick)
        readJoystickState();
    m_keyStateRead = false;
}

void cInput::readKeyboard(bool& anyRaised)
{
    uint32_t count = kBufferSize;
    switch (m_keyboard->getDeviceData(m_keyboardBuffer.data(), count))
    {
    case InputResult::InputLost:
        throwInputLost(kKeyboardRead);
    case InputResult::NotAcquired:
        m_keyboard->acquire();
        return;
    case InputResult::Ok:
    case InputResult::BufferOverflow:
        if (count == 0)
            return;
        anyRaised = true;
        for (uint32_t i = 0; i < count; ++i)
        {
            const Platform::DeviceRecord& record = m_keyboardBuffer[i];
            const bool pressed = (record.data & 0x80) != 0;
            raise((pressed ? keyPressed(record.offset) : keyReleased(record.offset)));
            raise(CONTROL_ANY);
        }
        return;
    default:
        return;
    }
}

void cInput::readMouse(bool& anyRaised)
{
    uint32_t count = kBufferSize;
    const InputResult result = m_mouse->getDeviceData(m_mouseBuffer.data(), count);
    if (result == InputResult::InputLost)
        throwInputLost(kMouseRead);
    bool swapped = false;
    if (count > 0)
        m_backend->querySwapMouseButtons(swapped);
    if (result == InputResult::NotAcquired)
    {
        m_mouse->acquire();
        return;
    }
    if (result != InputResult::Ok && result != InputResult::BufferOverflow)
        return;
    for (uint32_t i = 0; i < count; ++i)
    {
        const Platform::DeviceRecord& record = m_mouseBuffer[i];
        if (record.offset < Platform::kMouseButton0 ||
            record.offset >= Platform::kMouseButton0 + Platform::kMouseButtonCount)
            continue;
        const uint32_t button = record.offset - Platform::kMouseButton0;
        int32_t code = (record.data & 0x80) ? mousePressed(button) : mouseReleased(button);
        if (swapped)
        {
            if (code == CONTROL_MOUSE_RELEASED || code == CONTROL_MOUSE_RELEASED + 1)
                code = 2 * CONTROL_MOUSE_RELEASED + 1 - code;
            else if (code == CONTROL_MOUSE_PRESSED || code == CONTROL_MOUSE_PRESSED + 1)
                code = 2 * CONTROL_MOUSE_PRESSED + 1 - code;
        }
        if (record.placed)
            announcePlace(cVector2(static_cast<float>(record.x), static_cast<float>(record.y)));
        raise(code);
        if (!anyRaised)
        {
            anyRaised = true;
            raise(CONTROL_ANY);
        }
    }
}

void cInput::announcePlace(const cVector2& place)
{
    m_pointerSignal(place);
    // What follows the pointer learns of its moves from the movement signal (a button's hover,
    // which a deep button needs before it takes a press). A button at a place that signal has
    // not told yet (the move came in this frame, or no move came at all) is announced as a
    // movement of no amount first, as an emulated move is.
    if (!m_placeTold || !(place == m_toldPlace))
        m_mouseSignal(CONTROL_MOUSE_WHEEL, 0);
    m_placeTold = true;
    m_toldPlace = place;
}

void cInput::readJoystick(bool& anyRaised)
{
    uint32_t count = kBufferSize;
    switch (m_joystick->getDeviceData(m_joystickBuffer.data(), count))
    {
    case InputResult::InputLost:
        throwInputLost(kJoystickRead);
    case InputResult::NotAcquired:
        m_joystick->acquire();
        return;
    case InputResult::Ok:
    case InputResult::BufferOverflow:
        for (uint32_t i = 0; i < count; ++i)
        {
            const Platform::DeviceRecord& record = m_joystickBuffer[i];
            if (record.offset < Platform::kJoystickButton0 ||
                record.offset >= Platform::kJoystickButton0 + Platform::kJoystickButtonCount)
                continue;
            const uint32_t button = record.offset - Platform::kJoystickButton0;
            raise((record.data & 0x80) ? joyPressed(button) : joyReleased(button));
            if (!anyRaised)
            {
                anyRaised = true;
                raise(CONTROL_ANY);
            }
        }
        return;
    default:
        return;
    }
}

void cInput::readMouseState()
{
    Platform::MouseState state;
    switch (m_mouse->getMouseState(state))
    {
    case InputResult::InputLost:
        throwInputLost(kMouseRead);
    case InputResult::NotAcquired:
        m_mouse->acquire();
        return;
    case InputResult::Ok:
    {
        // A button of this frame placed the pointer where it happened; a move that came after it
        // leaves the pointer where it stands now. The movement is judged there, the place it is
        // told at: judged at the button's place, the button under the pointer now would never
        // hear of it, and its press in the next frame (at the place told) would find no hover.
        const bool moved = state.x != 0 || state.y != 0;
        cVector2 place;
        if (moved && getPointer(place))
            m_pointerSignal(place);
        if (state.x != 0)
            m_mouseSignal(CONTROL_MOUSE_X, state.x);
        if (state.y != 0)
            m_mouseSignal(CONTROL_MOUSE_Y, state.y);
        if (state.z != 0)
            m_mouseSignal(CONTROL_MOUSE_WHEEL, state.z);
        if (moved)
            m_placeTold = getPointer(m_toldPlace);
        return;
    }
    default:
        return;
    }
}

void cInput::readJoystickState()
{
    Platform::JoystickState state;
    switch (m_joystick->getJoystickState(state))
    {
    case InputResult::InputLost:
        throwInputLost(kJoystickState);
    case InputResult::NotAcquired:
        m_joystick->acquire();
        return;
    case InputResult::Ok:
    {
        const int32_t positions[] = {state.x,  state.y,  state.z,          state.rx,
                                     state.ry, state.rz, state.sliders[0], state.sliders[1]};
        for (int32_t i = 0; i < 8; ++i)
            m_joystickSignal(static_cast<eControl>(CONTROL_JOY_X + i), positions[i]);
        for (int32_t hat = 0; hat < 4; ++hat)
            if (state.pov[hat] != Platform::kHatCentred)
                m_joystickSignal(static_cast<eControl>(CONTROL_JOY_POV0 + hat),
                                 static_cast<long>(state.pov[hat]));
        return;
    }
    default:
        return;
    }
}

// --- Keys, cursor, exclusive use --------------------------------------------------------------

bool cInput::isKeyDown(uint32_t key)
{
    if (key > 255)
        return false;
    if (!m_keyStateRead)
    {
        m_keyState.fill(0);
        // A keyboard that cannot be read counts as no key held.
        (void)m_keyboard->getKeyboardState(m_keyState);
        m_keyStateRead = true;
    }
    return (m_keyState[key] & 0x80) != 0;
}

const std::string& cInput::getKeyName(uint32_t key)
{
    return m_keyNames[key];
}

void cInput::setMouseExclusive(bool exclusive)
{
    if (exclusive == m_mouseExclusive)
        return;
    m_mouseExclusive = exclusive;
    m_mouse->unacquire();
    m_mouse->setCooperativeLevel(exclusive ? Platform::Cooperation::Exclusive
                                           : Platform::Cooperation::NonExclusive);
    m_mouse->acquire();
}

void cInput::setJoystickExclusive(bool exclusive)
{
    if (!m_joystick || exclusive == m_joystickExclusive)
        return;
    m_joystickExclusive = exclusive;
    m_joystick->unacquire();
    m_joystick->setCooperativeLevel(exclusive ? Platform::Cooperation::Exclusive
                                              : Platform::Cooperation::NonExclusive);
    m_joystick->acquire();
}

void cInput::setCursor(Platform::CursorHandle cursor)
{
    if (cursor == m_cursor)
        return;
    m_cursor = cursor;
    m_backend->setCursor(cursor);
}

void cInput::restoreCursor()
{
    m_cursor = m_defaultCursor;
    m_backend->setCursor(m_defaultCursor);
}

bool cInput::acquire()
{
    bool ok = true;
    for (Platform::InputDevice* device : {m_keyboard, m_mouse, m_joystick})
        if (device && device->acquire() != InputResult::Ok)
            ok = false;
    return ok;
}

bool cInput::unacquire()
{
    bool ok = true;
    for (Platform::InputDevice* device : {m_keyboard, m_mouse, m_joystick})
        if (device && device->unacquire() != InputResult::Ok)
            ok = false;
    return ok;
}

} // namespace Engine
