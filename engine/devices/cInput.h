#pragma once

#include "engine/core/cLazySignal.h"
#include "engine/core/cSingleton.h"
#include "engine/core/cVector2.h"
#include "engine/devices/eControl.h"
#include "platform/input/InputBackend.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Platform
{
class Window;
}

namespace Engine
{

// Keyboard, mouse and joystick activity as signals. Once per frame `update` reads the three
// buffered devices and raises one signal per control code (`eControl`), plus the value signals
// for typed characters, key-down messages, mouse axes and joystick axes; handlers run at once,
// inside `update`. The window procedure feeds `queueChar` (typed characters) and `queueKey`
// (key-down messages) and calls `acquire`/`unacquire` as the window gains and loses activation.
//
// Where the pointer stands comes with the mouse's events (window pixels): `getPointer` answers
// the latest place, and a button whose event told its place raises the pointer signal with it
// just before its own code, so that a click is taken where it happened, not where the pointer
// stood when the frame began. A place the movement signal has not told yet comes with a
// movement of no amount (530, 0) before the button's code; a place told already does not, so
// that what follows the pointer hears of a movement only when the pointer moved.
class cInput : public cSingleton<cInput>
{
public:
    using tSlot = boost::function<void()>;
    using tCharSlot = boost::function<void(wchar_t)>;
    using tKeyDownSlot = boost::function<void(uint32_t)>;
    using tAxisSlot = boost::function<void(eControl, long)>;
    using tPointerSlot = boost::function<void(const cVector2&)>;

    static constexpr uint32_t kQueueSize = 1024;
    static constexpr uint32_t kBufferSize = 1024;

    // Reads SDL's devices for the main window (borrowed; it must outlive this object).
    explicit cInput(Platform::Window* window);
    // Reads the devices of `backend` (tests hand in a `Platform::ScriptedInput`).
    explicit cInput(std::unique_ptr<Platform::InputBackend> backend);
    virtual ~cInput();

    // Connects `slot` to the signal of `code`. A code outside 0..1100 throws
    // "cInput::connectKey(): wrong control code".
    virtual boost::signals2::connection connectKey(eControl code, const tSlot& slot);
    // The same on every layer (see `openLayer`): a key of the frame itself, the screenshot,
    // heard whatever panel holds the input.
    boost::signals2::connection connectKeyOnEveryLayer(eControl code, const tSlot& slot);
    // Disconnects `connection`; the code is not used.
    virtual void disconnectKey(eControl code, boost::signals2::connection connection);
    virtual boost::signals2::connection connectChar(const tCharSlot& slot);
    virtual void disconnectChar(boost::signals2::connection connection);
    virtual boost::signals2::connection connectMouse(const tAxisSlot& slot);
    virtual void disconnectMouse(boost::signals2::connection connection);
    virtual boost::signals2::connection connectKeyDown(const tKeyDownSlot& slot);
    virtual void disconnectKeyDown(boost::signals2::connection connection);
    virtual boost::signals2::connection connectJoystick(const tAxisSlot& slot);
    virtual void disconnectJoystick(boost::signals2::connection connection);
    // The place (window pixels) of each mouse button event that has one, raised before the
    // button's code, and of a pointer placed again after the window changed under it.
    virtual boost::signals2::connection connectPointer(const tPointerSlot& slot);

    // Where the mouse's events last placed the pointer, in window pixels; false when none has
    // (or the pointer left the window).
    virtual bool getPointer(cVector2& windowPoint) const;

    // The key, mouse-button or joystick-button code raised last: while a handler of that code
    // runs, or of the any-control code that follows it, the code it answers. CONTROL_ANY before
    // any.
    eControl getRaisedControl() const { return m_raised; }
    // The keys and buttons pressed and not released yet, as their signals told: the released
    // code of each, in code order. A press counts once its handlers have run, and so does a
    // release: a handler of either finds the state from before it. A release made while the
    // window was away leaves its control held until it is pressed again.
    std::vector<eControl> getHeldControls() const;
    // The released code of a key or button code, pressed or released; CONTROL_ANY for a code
    // of neither.
    static eControl releasedControl(eControl code);
    static bool isPressedControl(eControl code);

    // Appends a typed UTF-16 code unit; dropped when 1024 are queued.
    virtual void queueChar(uint16_t unit);
    // Appends the virtual-key code of a key-down message; dropped when 1024 are queued.
    virtual void queueKey(uint32_t key);
    // The next update raises 520 and then 512, as if button 0 was clicked.
    virtual void emulateClick();
    // The next update raises the mouse-axis signal with (530, 0).
    virtual void emulateMouseMove();
    // The pointer stands elsewhere on the game's screen though it did not move: the window's
    // scale or place changed under it. The next update places the pointer again where it
    // stands in the window, raises the pointer signal with that place and a movement of no
    // amount (530, 0), all before the mouse's buttons, so that what follows the pointer judges
    // its place again before a button is taken there.
    virtual void pointerShifted();

    // The per-frame poll: characters, key-downs, then the keyboard, mouse and joystick buffers,
    // the emulated click and move, the mouse movement and the joystick positions.
    virtual void update();

    // True while the key (key code 0..255) is held; the keyboard is read once per frame.
    virtual bool isKeyDown(uint32_t key);
    // The display name of a key code; an empty name for a code without one.
    virtual const std::string& getKeyName(uint32_t key);

    virtual bool isMouseExclusive() const { return m_mouseExclusive; }
    virtual void setMouseExclusive(bool exclusive);
    virtual bool hasJoystick() const { return m_joystick != nullptr; }
    virtual void setCursor(Platform::CursorHandle cursor);
    virtual void restoreCursor();
    virtual Platform::CursorHandle getCursor() const { return m_cursor; }
    virtual bool isJoystickExclusive() const { return m_joystickExclusive; }
    virtual void setJoystickExclusive(bool exclusive);

    // Input layers. A panel that must hold the input while it is open (a message over every
    // screen) opens a layer above the others and makes, shows and enables its controls while a
    // `cLayerScope` of that layer lives. Every connection of a key, button, character, key-down,
    // movement or joystick belongs to the layer open for connecting when it was made (the ground
    // layer, 0, outside any scope), and the signals reach only the connections of the highest
    // layer open: what lies under the panel takes no key, click or movement until the panel's
    // layer closes, whatever it connects meanwhile. A control enabled again after its scope
    // ended connects to the layer of that later time. The pointer's place reaches everyone, and
    // so do the keys connected on every layer.
    //
    // A key or button belongs to the layer that heard its press: its release, and the any-control
    // code after either, go to that layer only. A panel closed by a press or a release (a
    // message's OK) takes the whole of it, and the release of a key pressed on a layer that has
    // closed since reaches no one: what lay under the panel hears nothing of the input that
    // closed it.
    static constexpr uint32_t kGroundLayer = 0;
    static constexpr uint32_t kEveryLayer = 0xFFFFFFFFu;
    // The layer of input that no connection hears.
    static constexpr uint32_t kNoLayer = 0xFFFFFFFEu;
    uint32_t openLayer();
    // Closing a layer that is not open changes nothing.
    void closeLayer(uint32_t layer);
    // The layer whose connections hear the input now.
    uint32_t listeningLayer() const { return m_openLayers.empty() ? kGroundLayer : m_openLayers.back(); }

    class cLayerScope
    {
    public:
        cLayerScope(cInput& input, uint32_t layer) : m_input(input), m_before(input.m_connectLayer)
        {
            input.m_connectLayer = layer;
        }
        ~cLayerScope() { m_input.m_connectLayer = m_before; }
        cLayerScope(const cLayerScope&) = delete;
        cLayerScope& operator=(const cLayerScope&) = delete;

    private:
        cInput& m_input;
        uint32_t m_before;
    };

    // Acquire (release) the keyboard, mouse and joystick; true only when no call failed.
    bool acquire();
    bool unacquire();

    // Where the devices come from (the mouse-button swap preference lives there).
    Platform::InputBackend& getBackend() { return *m_backend; }

private:
    // `slot`, heard only while the layer open for connecting now is the hearing one.
    template <class Slot> auto layered(const Slot& slot)
    {
        return [this, layer = m_connectLayer, slot](auto... values)
        {
            if (layer == kEveryLayer || layer == hearingLayer())
                slot(values...);
        };
    }
    // The layer whose connections hear what is raised now: while a key or button code is
    // raised, with the any-control code that follows it, the layer it belongs to; else the
    // listening one.
    uint32_t hearingLayer() const { return m_raising ? m_raisedLayer : listeningLayer(); }
    void createDevices();
    void raise(int32_t code);
    // A movement of no amount (530, 0) at the pointer's place, which then counts as told.
    void tellStillMove();
    void deliverCharacters();
    void deliverKeys();
    void readKeyboard(bool& anyRaised);
    void readMouse(bool& anyRaised);
    void readJoystick(bool& anyRaised);
    void readMouseState();
    // Tells where a button happened: the pointer signal, and the movement signal when the
    // place is news to its handlers.
    void announcePlace(const cVector2& place);
    void readJoystickState();

    std::unique_ptr<Platform::InputBackend> m_backend;
    Platform::InputDevice* m_keyboard = nullptr;
    Platform::InputDevice* m_mouse = nullptr;
    Platform::InputDevice* m_joystick = nullptr;

    std::array<Platform::DeviceRecord, kBufferSize> m_keyboardBuffer;
    std::array<Platform::DeviceRecord, kBufferSize> m_mouseBuffer;
    std::array<Platform::DeviceRecord, kBufferSize> m_joystickBuffer;
    std::array<uint16_t, kQueueSize> m_chars{};
    uint32_t m_charCount = 0;
    std::array<uint32_t, kQueueSize> m_keys{};
    uint32_t m_keyCount = 0;

    // One signal per control code, most of which nothing ever connects to.
    std::array<cLazySignal<void()>, CONTROL_COUNT> m_signals;
    boost::signals2::signal<void(eControl, long)> m_mouseSignal;
    boost::signals2::signal<void(wchar_t)> m_charSignal;
    boost::signals2::signal<void(uint32_t)> m_keyDownSignal;
    boost::signals2::signal<void(eControl, long)> m_joystickSignal;
    boost::signals2::signal<void(const cVector2&)> m_pointerSignal;

    std::array<uint8_t, 256> m_keyState{};
    bool m_keyStateRead = false;
    std::map<uint32_t, std::string> m_keyNames;
    bool m_mouseExclusive = false;
    bool m_joystickExclusive = false;
    Platform::CursorHandle m_cursor = nullptr;
    Platform::CursorHandle m_defaultCursor = nullptr;
    bool m_emulateClick = false;
    bool m_emulateMove = false;
    bool m_pointerShifted = false;
    eControl m_raised = CONTROL_ANY;
    // Indexed by released code.
    std::bitset<CONTROL_COUNT> m_held;
    // The layer that heard the press of each held control, indexed by released code.
    std::array<uint32_t, CONTROL_COUNT> m_pressLayers{};
    // The layer of the key or button code raised last (`hearingLayer`), and whether it or the
    // any-control code after it is being raised.
    uint32_t m_raisedLayer = kGroundLayer;
    bool m_raising = false;
    // The place the movement signal's handlers last learnt (the pointer after a move, or a
    // button's place).
    bool m_placeTold = false;
    cVector2 m_toldPlace;
    // The layers open, lowest first; the ground layer is always there and not listed.
    std::vector<uint32_t> m_openLayers;
    uint32_t m_lastLayer = kGroundLayer;
    uint32_t m_connectLayer = kGroundLayer;
};

} // namespace Engine
