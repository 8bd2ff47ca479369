#include "platform/input/InputDevice.h"
#include "platform/input/KeyCodes.h"
#include "platform/input/ScriptedInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace
{

using Platform::DeviceKind;
using Platform::DeviceRecord;
using Platform::InputDevice;
using Platform::InputResult;

TEST(InputDevice, RecordsKeepTheirOrderAcrossDevices)
{
    Platform::ScriptedInput script;
    InputDevice& keyboard = script.keyboard();
    InputDevice& mouse = script.mouse();
    keyboard.setBufferSize(8);
    mouse.setBufferSize(8);
    ASSERT_EQ(keyboard.acquire(), InputResult::Ok);
    ASSERT_EQ(mouse.acquire(), InputResult::Ok);

    script.keyDown(Platform::Key::A);
    script.mouseButton(1, true);
    script.keyUp(Platform::Key::A);

    DeviceRecord records[8];
    uint32_t count = 8;
    ASSERT_EQ(keyboard.getDeviceData(records, count), InputResult::Ok);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(records[0].offset, Platform::Key::A);
    EXPECT_EQ(records[0].data, 0x80u);
    EXPECT_EQ(records[1].data, 0u);
    EXPECT_LT(records[0].sequence, records[1].sequence);
    const uint32_t keyboardSequence = records[0].sequence;

    count = 8;
    ASSERT_EQ(mouse.getDeviceData(records, count), InputResult::Ok);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(records[0].offset, Platform::kMouseButton0 + 1);
    EXPECT_EQ(records[0].sequence, keyboardSequence + 1);
}

TEST(InputDevice, BufferKeepsTheOldestRecordsAndReportsTheOverflowOnce)
{
    uint32_t sequence = 0;
    InputDevice keyboard(DeviceKind::Keyboard, sequence);
    keyboard.setBufferSize(3);
    keyboard.acquire();
    for (uint8_t key = 1; key <= 5; ++key)
        keyboard.keyEvent(key, true, key);

    DeviceRecord records[2];
    uint32_t count = 2;
    EXPECT_EQ(keyboard.getDeviceData(records, count), InputResult::BufferOverflow);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(records[0].offset, 1u);
    EXPECT_EQ(records[1].offset, 2u);
    count = 2;
    EXPECT_EQ(keyboard.getDeviceData(records, count), InputResult::Ok);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(records[0].offset, 3u);

    // The ring wraps.
    keyboard.keyEvent(9, true, 9);
    keyboard.keyEvent(10, true, 10);
    count = 2;
    EXPECT_EQ(keyboard.getDeviceData(records, count), InputResult::Ok);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(records[1].offset, 10u);
}

TEST(InputDevice, UnacquiredDeviceKeepsStateButNoRecords)
{
    uint32_t sequence = 0;
    InputDevice keyboard(DeviceKind::Keyboard, sequence);
    keyboard.setBufferSize(4);
    bool foreground = false;
    keyboard.setForegroundRule([&] { return foreground; });
    EXPECT_EQ(keyboard.acquire(), InputResult::Failed);
    keyboard.keyEvent(Platform::Key::Space, true, 1);

    std::array<uint8_t, 256> keys{};
    DeviceRecord record;
    uint32_t count = 1;
    EXPECT_EQ(keyboard.getDeviceData(&record, count), InputResult::NotAcquired);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(keyboard.getKeyboardState(keys), InputResult::NotAcquired);

    foreground = true;
    EXPECT_EQ(keyboard.acquire(), InputResult::Ok);
    EXPECT_EQ(keyboard.getKeyboardState(keys), InputResult::Ok);
    EXPECT_EQ(keys[Platform::Key::Space], 0x80);
    count = 1;
    EXPECT_EQ(keyboard.getDeviceData(&record, count), InputResult::Ok);
    EXPECT_EQ(count, 0u);

    Platform::MouseState state;
    EXPECT_EQ(keyboard.getMouseState(state), InputResult::Failed);
}

TEST(InputDevice, MouseMovementAddsUpUntilRead)
{
    uint32_t sequence = 0;
    InputDevice mouse(DeviceKind::Mouse, sequence);
    mouse.mouseMotion(100, 100, 0); // not acquired: lost
    mouse.acquire();
    mouse.mouseMotion(3, 4, 120);
    mouse.mouseMotion(-1, 0, -240);
    mouse.buttonEvent(2, true, 1);
    Platform::MouseState state;
    ASSERT_EQ(mouse.getMouseState(state), InputResult::Ok);
    EXPECT_EQ(state.x, 2);
    EXPECT_EQ(state.y, 4);
    EXPECT_EQ(state.z, -120);
    EXPECT_EQ(state.buttons[2], 0x80);
    ASSERT_EQ(mouse.getMouseState(state), InputResult::Ok);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.z, 0);
}

TEST(InputDevice, AButtonRecordKeepsWhereThePointerStoodWhenItChanged)
{
    uint32_t sequence = 0;
    InputDevice mouse(DeviceKind::Mouse, sequence);
    mouse.setBufferSize(8);
    int32_t x = -1;
    int32_t y = -1;
    EXPECT_FALSE(mouse.pointerPosition(x, y)) << "no event has placed the pointer";
    // Placed while not acquired: the place is kept, the window's events tell it all the same.
    mouse.placePointer(40, 30);
    ASSERT_TRUE(mouse.pointerPosition(x, y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    mouse.acquire();
    mouse.buttonEventAt(0, true, 1, 500, 300);
    mouse.placePointer(10, 20);
    mouse.buttonEvent(0, false, 2);
    DeviceRecord records[4];
    uint32_t count = 4;
    ASSERT_EQ(mouse.getDeviceData(records, count), InputResult::Ok);
    ASSERT_EQ(count, 2u);
    EXPECT_TRUE(records[0].placed);
    EXPECT_EQ(records[0].x, 500);
    EXPECT_EQ(records[0].y, 300);
    EXPECT_EQ(records[0].data, 0x80u);
    EXPECT_FALSE(records[1].placed) << "a button without a place keeps none";
    ASSERT_TRUE(mouse.pointerPosition(x, y));
    EXPECT_EQ(x, 10) << "the latest place";
    mouse.losePointer();
    EXPECT_FALSE(mouse.pointerPosition(x, y)) << "the pointer left the window";

    InputDevice keyboard(DeviceKind::Keyboard, sequence);
    keyboard.placePointer(1, 1);
    EXPECT_FALSE(keyboard.pointerPosition(x, y)) << "only a mouse has a pointer";
}

TEST(InputDevice, TheScriptedPointerPlacesButtonsAndComesBackWithTheFront)
{
    Platform::ScriptedInput script(false);
    InputDevice& mouse = script.mouse();
    mouse.setBufferSize(8);
    mouse.acquire();
    script.mouseButton(0, true);
    script.pointerTo(100, 80);
    script.mouseButton(0, false);
    Platform::MouseState state;
    ASSERT_EQ(mouse.getMouseState(state), InputResult::Ok);
    EXPECT_EQ(state.x, 100) << "the move counts as movement too";
    EXPECT_EQ(state.y, 80);
    // Away from the front the pointer moves without an event; the front brings its place back.
    script.setForeground(false);
    script.warpPointer(300, 200);
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(mouse.pointerPosition(x, y));
    EXPECT_EQ(x, 100) << "no event told the program";
    script.setForeground(true);
    ASSERT_TRUE(mouse.pointerPosition(x, y));
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
    mouse.acquire();
    script.mouseButton(0, true);
    DeviceRecord records[4];
    uint32_t count = 4;
    ASSERT_EQ(mouse.getDeviceData(records, count), InputResult::Ok);
    ASSERT_EQ(count, 1u);
    EXPECT_TRUE(records[0].placed);
    EXPECT_EQ(records[0].x, 300);
    EXPECT_EQ(records[0].y, 200);
}

TEST(InputDevice, JoystickPositionsAreScaledToTheRange)
{
    uint32_t sequence = 0;
    InputDevice joystick(DeviceKind::Joystick, sequence);
    joystick.setRange(-32768, 32768);
    joystick.acquire();
    joystick.joystickAxis(0, -32768);
    joystick.joystickAxis(1, 32767);
    joystick.joystickAxis(2, 0);
    joystick.joystickAxis(6, -1);
    joystick.joystickHat(0, 27000);
    Platform::JoystickState state;
    ASSERT_EQ(joystick.getJoystickState(state), InputResult::Ok);
    EXPECT_EQ(state.x, -32768);
    EXPECT_EQ(state.y, 32768);
    EXPECT_EQ(state.z, 0);
    EXPECT_EQ(state.sliders[0], -1);
    EXPECT_EQ(state.pov[0], 27000u);
    EXPECT_EQ(state.pov[1], Platform::kHatCentred);

    joystick.setRange(0, 1000);
    ASSERT_EQ(joystick.getJoystickState(state), InputResult::Ok);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 1000);
}

TEST(InputKeys, SdlScancodesToKeyCodes)
{
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_ESCAPE), 0x01);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_1), 0x02);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_0), 0x0B);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_A), 0x1E);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_L), 0x26);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_Z), 0x2C);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_F10), 0x44);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_F11), 0x57);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_PRINTSCREEN), 0xB7);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_RALT), 0xB8);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_KP_ENTER), 0x9C);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_DELETE), 0xD3);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_APPLICATION), 0xDD);
    EXPECT_EQ(Platform::keyFromSdlScancode(SDL_SCANCODE_MUTE), 0);
}

} // namespace
