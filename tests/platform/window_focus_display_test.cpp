// The input of the game's window around its focus, with SDL's events as they come: a window
// manager focuses a window on the click it then hands on to it (SDL tells the focus a moment
// after the click), and hands the focus back after it reparents a window, before the engine's
// next poll could acquire the devices. That click is the player's and is kept.
#include "platform/input/InputDevice.h"
#include "platform/input/SdlInput.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace
{

using Platform::DeviceRecord;
using Platform::InputResult;

void pushWindowEvent(const Platform::Window& window, uint8_t what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window.sdlWindow());
    event.window.event = what;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void pushButton(const Platform::Window& window, bool down, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SDL_GetWindowID(window.sdlWindow());
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

std::vector<DeviceRecord> records(Platform::InputDevice& device, InputResult& result)
{
    std::vector<DeviceRecord> taken(16);
    uint32_t count = static_cast<uint32_t>(taken.size());
    result = device.getDeviceData(taken.data(), count);
    taken.resize(count);
    return taken;
}

TEST(WindowFocus, TheClickThatComesWithTheFocusIsKept)
{
    Platform::Window window(L"focus", 320, 240, false);
    Platform::SdlInput input(&window);
    Platform::InputDevice& mouse = *input.createDevice(Platform::DeviceKind::Mouse);
    Platform::InputDevice& keyboard = *input.createDevice(Platform::DeviceKind::Keyboard);
    mouse.setBufferSize(16);
    keyboard.setBufferSize(16);

    // The window at the back: the engine asks for the devices and is refused.
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(mouse.acquire(), InputResult::Failed);
    EXPECT_EQ(keyboard.acquire(), InputResult::Failed);
    InputResult result = InputResult::Ok;

    // The window manager focuses the window on a click and hands the click on; SDL tells the
    // focus a moment later.
    pushButton(window, true, 120, 80);
    pushButton(window, false, 120, 80);
    EXPECT_FALSE(keyboard.isAcquired()) << "the keyboard waits for the focus";
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    const std::vector<DeviceRecord> taken = records(mouse, result);
    EXPECT_EQ(result, InputResult::Ok);
    ASSERT_EQ(taken.size(), 2u) << "the click that came with the focus";
    EXPECT_EQ(taken[0].data, 0x80u);
    EXPECT_TRUE(taken[0].placed);
    EXPECT_EQ(taken[0].x, 120);
    EXPECT_EQ(taken[0].y, 80);
    EXPECT_EQ(taken[1].data, 0u);
    EXPECT_TRUE(keyboard.isAcquired()) << "the keyboard comes back with the focus";

    // The focus itself brings the devices back before what comes with it.
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    pushButton(window, true, 30, 40);
    EXPECT_EQ(records(mouse, result).size(), 1u);
}

TEST(WindowFocus, ADeviceTheEngineNeverAskedForIsNotTakenByTheFocus)
{
    Platform::Window window(L"focus", 320, 240, false);
    Platform::SdlInput input(&window);
    Platform::InputDevice& mouse = *input.createDevice(Platform::DeviceKind::Mouse);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_FALSE(mouse.isAcquired());
    EXPECT_EQ(mouse.acquire(), InputResult::Ok);
}

} // namespace
