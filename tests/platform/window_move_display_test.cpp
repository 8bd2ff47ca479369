// The pointer's place in the game's window when the window moves under it, on an X server of the
// test's own: no event of the pointer tells of it, and the pointer is placed again where the
// desktop has it.
#include "platform/input/InputDevice.h"
#include "platform/input/SdlInput.h"
#include "platform/window/Window.h"
#include "tests/support/PrivateServer.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace
{

// Handles SDL's events until `done` holds, up to a minute.
bool pumpUntil(const std::function<bool()>& done)
{
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
         std::chrono::steady_clock::now() < end;)
    {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (done())
            return true;
        SDL_Delay(10);
    }
    return false;
}

bool pointerAt(const Platform::InputDevice& mouse, int x, int y)
{
    int32_t px = 0;
    int32_t py = 0;
    return mouse.pointerPosition(px, py) && px == x && py == y;
}

TEST(WindowMove, APointerOverAWindowThatMovedUnderItIsPlacedAgainWhereItNowStandsInTheWindow)
{
    const ::Test::ScopedEnv display("DISPLAY", std::getenv("DISPLAY"));
    const ::Test::PrivateServer server("800x600x24");
    Platform::Window window(L"move", 320, 240, false);
    window.show();
    window.setPosition(100, 100);
    Platform::SdlInput input(&window);
    Platform::InputDevice& mouse = *input.createDevice(Platform::DeviceKind::Mouse);
    ASSERT_TRUE(pumpUntil(
        [&]
        {
            SDL_WarpMouseGlobal(200, 150);
            return pointerAt(mouse, 100, 50);
        }))
        << "the pointer over the window";

    // The window moves by (40, 30) under the pointer, which no event tells of.
    window.setPosition(140, 130);
    input.placePointerAgain();
    EXPECT_TRUE(pointerAt(mouse, 60, 20));
}

} // namespace
