#pragma once

#include "engine/core/cVector2.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Engine
{
class cButtonPrototype;
class cInput;
class cLogic;
class cView;
} // namespace Engine

namespace Platform
{
class ScriptedInput;
}

namespace Test
{
class PointerDevices;
}

namespace LevelPlay
{

// The player's hand on the mouse and the keys, in a run without a window: the engine's own
// frame (`Engine::cLogic`) over a scripted input backend and a pointer put at places of the
// virtual screen, with the game's state machine as the frame callback. Whatever the hand does
// reaches the game as a player's input does: through the input device, the buttons under the
// pointer and the keys' handlers.
class PlayerHand
{
public:
    // Key codes of the keyboard device.
    static constexpr uint8_t Escape = 1;
    static constexpr uint8_t Return = 28;

    // Makes the input object and the frame driver; the first frame acquires the devices.
    PlayerHand();
    ~PlayerHand();
    PlayerHand(const PlayerHand&) = delete;
    PlayerHand& operator=(const PlayerHand&) = delete;

    // One frame of the engine, then the after-frame hook.
    void frame();
    void setAfterFrame(std::function<void()> hook) { m_afterFrame = std::move(hook); }
    long frames() const { return m_frames; }

    // The pointer to a place: a motion there and a frame, then a motion that stays and a second
    // frame. Buttons hear a motion one after another, and the one under the pointer may hear it
    // before the one it takes the pointer from lets go; the second motion settles it, as the
    // many motions of a real mouse do.
    void moveTo(const Engine::cVector2& place);
    const Engine::cVector2& pointer() const;
    // A motion that leaves the pointer where it is, and a frame.
    void nudge();
    // The primary button pressed in one frame and released in the next, where the pointer is.
    void pressAndRelease();
    // The secondary button pressed and released, a frame each.
    void secondaryClick();
    // A key pressed and released in one frame.
    void key(uint8_t code);

    // The pointer to the middle of the button and a press and release there; true when the
    // button raised its click. With `patient`, the hand first waits (up to a second of frames)
    // for the button to light up under the pointer, as a player waits for a screen to settle,
    // and tries again when the press went nowhere.
    bool press(Engine::cButtonPrototype& button, bool patient);

    // The shown views under a place, the topmost first.
    static std::vector<const Engine::cView*> viewsAt(const Engine::cVector2& place);

private:
    std::function<void()> m_afterFrame;
    Platform::ScriptedInput* m_script = nullptr;
    std::unique_ptr<Engine::cInput> m_input;
    Test::PointerDevices* m_pointer = nullptr;
    std::unique_ptr<Engine::cLogic> m_logic;
    long m_frames = 0;
};

} // namespace LevelPlay
