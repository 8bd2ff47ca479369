#include "engine/devices/cInput.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "platform/input/KeyCodes.h"
#include "platform/input/ScriptedInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Engine::cInput;
using Engine::eControl;
using Platform::ScriptedInput;

// A cInput over a scripted backend, with every per-code signal and both axis signals recorded.
class InputTest : public ::testing::Test
{
protected:
    void SetUp() override { make(true); }

    void make(bool withJoystick)
    {
        input.reset();
        auto backend = std::make_unique<ScriptedInput>(withJoystick);
        script = backend.get();
        input = std::make_unique<cInput>(std::move(backend));
        for (int code = 0; code < Engine::CONTROL_COUNT; ++code)
            input->connectKey(static_cast<eControl>(code), [this, code] { codes.push_back(code); });
        input->connectMouse([this](eControl code, long value) { mouse.push_back({code, value}); });
        input->connectJoystick([this](eControl code, long value) { joystick.push_back({code, value}); });
        // The first update finds the devices unacquired and acquires them.
        input->update();
        clear();
    }

    void clear()
    {
        codes.clear();
        mouse.clear();
        joystick.clear();
    }

    ScriptedInput* script = nullptr;
    std::unique_ptr<cInput> input;
    std::vector<int> codes;
    std::vector<std::pair<int, long>> mouse;
    std::vector<std::pair<int, long>> joystick;
};

using Pairs = std::vector<std::pair<int, long>>;

TEST_F(InputTest, KeysRaisePressedAndReleasedCodesEachFollowedByAnyControl)
{
    script->keyDown(Platform::Key::A);
    script->keyUp(Platform::Key::A);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{256 + 0x1E, 1100, 0x1E, 1100}));
}

TEST_F(InputTest, AnyControlFollowsOnlyTheFirstButtonCodeOfAFrame)
{
    script->mouseButton(0, true);
    script->mouseButton(0, false);
    script->mouseButton(4, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{520, 1100, 512, 524}));

    // After a key, buttons raise no further any-control code.
    clear();
    script->keyDown(Platform::Key::Escape);
    script->mouseButton(1, true);
    script->joystickButton(3, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{257, 1100, 521, 1059}));

    // A joystick button alone gets one.
    clear();
    script->joystickButton(3, false);
    script->joystickButton(31, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{1027, 1100, 1087}));
}

TEST_F(InputTest, SwapPreferenceExchangesButtonsZeroAndOne)
{
    script->setSwapMouseButtons(true, true);
    script->mouseButton(0, true);
    script->mouseButton(1, true);
    script->mouseButton(0, false);
    script->mouseButton(1, false);
    script->mouseButton(2, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{521, 1100, 520, 513, 512, 522}));

    clear();
    script->setSwapMouseButtons(true, false);
    script->mouseButton(0, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{520, 1100}));
}

TEST_F(InputTest, MouseMovementAndEmulation)
{
    script->mouseMove(5, 0, 0);
    script->mouseMove(2, -3, 240);
    input->update();
    EXPECT_EQ(mouse, (Pairs{{528, 7}, {529, -3}, {530, 240}}));

    // No movement raises nothing; an emulated move raises (530, 0) and an emulated click 520, 512.
    clear();
    input->update();
    EXPECT_TRUE(mouse.empty());
    input->emulateMouseMove();
    input->emulateClick();
    input->update();
    EXPECT_EQ(mouse, (Pairs{{530, 0}}));
    EXPECT_EQ(codes, (std::vector<int>{520, 512}));
    clear();
    input->update();
    EXPECT_TRUE(codes.empty() && mouse.empty());
}

TEST_F(InputTest, EachPlacedButtonTellsItsPlaceJustBeforeItsCode)
{
    // The place of each button goes into the same log as the codes, as a negative pair x, y.
    input->connectPointer(
        [this](const Engine::cVector2& place)
        {
            codes.push_back(-static_cast<int>(place.x));
            codes.push_back(-static_cast<int>(place.y));
        });
    Engine::cVector2 pointer;
    EXPECT_FALSE(input->getPointer(pointer)) << "no event has placed the pointer yet";
    script->mouseButton(0, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{520, 1100})) << "a button without a place";

    clear();
    script->pointerTo(300, 200);
    script->mouseButton(0, true);
    script->warpPointer(310, 210);
    script->mouseButton(0, false);
    script->pointerTo(700, 500);
    input->update();
    // The movement after the buttons tells the place it leaves the pointer at, before it moves.
    EXPECT_EQ(codes, (std::vector<int>{-300, -200, 520, 1100, -310, -210, 512, -700, -500}));
    ASSERT_TRUE(input->getPointer(pointer));
    EXPECT_EQ(pointer, Engine::cVector2(700.0f, 500.0f)) << "the latest place";
    // Each place news to the movement signal first comes as a movement of no amount; the jump
    // without an event is no movement.
    EXPECT_EQ(mouse, (Pairs{{530, 0}, {530, 0}, {528, 690}, {529, 490}}));

    // Once the movement told the place, a button there brings no movement of its own.
    clear();
    script->mouseButton(0, true);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{-700, -500, 520, 1100}));
    EXPECT_TRUE(mouse.empty());

    // The window's scale or place changed under the still pointer: its place again and one
    // movement of no amount, before the buttons; the place then counts as told.
    clear();
    input->pointerShifted();
    script->mouseButton(0, false);
    input->update();
    input->update();
    EXPECT_EQ(mouse, (Pairs{{530, 0}}));
    EXPECT_EQ(codes, (std::vector<int>{-700, -500, -700, -500, 512, 1100}));
}

TEST_F(InputTest, OnlyTheHighestLayerOpenHearsTheInputButTheKeysOfEveryLayer)
{
    // The fixture's connections are the ground's; each layer's logs its button and movement.
    std::vector<std::string> heard;
    const auto listen = [&](const std::string& name)
    {
        input->connectKey(Engine::CONTROL_MOUSE_PRESSED, [&heard, name] { heard.push_back(name + " 520"); });
        input->connectMouse([&heard, name](eControl code, long)
                            { heard.push_back(name + " " + std::to_string(code)); });
    };
    input->connectKeyOnEveryLayer(Engine::keyReleased(Platform::Key::F12),
                                  [&heard] { heard.push_back("every"); });
    const uint32_t first = input->openLayer();
    const uint32_t second = input->openLayer();
    for (const auto& [layer, name] : {std::pair{first, "first"}, std::pair{second, "second"}})
    {
        const cInput::cLayerScope scope(*input, layer);
        listen(name);
    }
    // Made outside any scope while layers are open, it belongs to the ground.
    listen("ground");
    const auto poll = [&]
    {
        heard.clear();
        clear();
        script->keyUp(Platform::Key::F12);
        script->mouseMove(1, 0);
        script->mouseButton(0, true);
        input->update();
        return heard;
    };
    const std::vector<std::string> topOnly{"every", "second 520", "second 528"};
    EXPECT_EQ(poll(), topOnly);
    EXPECT_TRUE(codes.empty() && mouse.empty()) << "the ground hears nothing";
    // The first closes under the second (twice: the second close changes nothing).
    input->closeLayer(first);
    input->closeLayer(first);
    EXPECT_EQ(poll(), topOnly);
    input->closeLayer(second);
    EXPECT_EQ(poll(), (std::vector<std::string>{"every", "ground 520", "ground 528"}));
    EXPECT_FALSE(codes.empty());
}

TEST_F(InputTest, TheClickOrKeyThatALayerTookIsHeardByNoOneUnderIt)
{
    // A panel's layer that its OK closes on the release of a click, as a message's does; the
    // fixture's connections are the ground's.
    uint32_t layer = input->openLayer();
    std::vector<std::string> heard;
    {
        const cInput::cLayerScope scope(*input, layer);
        input->connectKey(Engine::CONTROL_MOUSE_RELEASED,
                          [&]
                          {
                              heard.push_back("OK");
                              input->closeLayer(layer);
                          });
        input->connectKey(Engine::CONTROL_ANY, [&] { heard.push_back("panel any"); });
    }
    script->mouseButton(0, true);
    input->update();
    script->mouseButton(0, false);
    input->update();
    EXPECT_EQ(heard, (std::vector<std::string>{"panel any", "OK", "panel any"}));
    EXPECT_TRUE(codes.empty()) << "the ground hears neither the release nor the any-control code after it";

    // A key pressed while a panel holds the input and released once it has gone; then one of
    // the ground's own.
    layer = input->openLayer();
    script->keyDown(Platform::Key::A);
    input->update();
    input->closeLayer(layer);
    script->keyUp(Platform::Key::A);
    input->update();
    EXPECT_TRUE(codes.empty()) << "the release of the panel's key reaches no one";
    script->keyDown(Platform::Key::A);
    script->keyUp(Platform::Key::A);
    input->update();
    EXPECT_EQ(codes.size(), 4u) << "the ground's own press and release, each with the any-control code";
}

TEST_F(InputTest, JoystickAxesEveryFrameAndHatsOnlyWhenNotCentred)
{
    input->update();
    ASSERT_EQ(joystick.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(joystick[i], (std::pair<int, long>{1088 + i, 0}));

    clear();
    script->joystickAxis(0, -32768);
    script->joystickAxis(1, 32767);
    script->joystickAxis(7, 16384);
    script->joystickHat(2, 9000);
    input->update();
    ASSERT_EQ(joystick.size(), 9u);
    EXPECT_EQ(joystick[0], (std::pair<int, long>{1088, -32768}));
    EXPECT_EQ(joystick[1], (std::pair<int, long>{1089, 32768}));
    EXPECT_EQ(joystick[7], (std::pair<int, long>{1095, 16384}));
    EXPECT_EQ(joystick[8], (std::pair<int, long>{1098, 9000}));
}

TEST_F(InputTest, WithoutJoystickNothingOfItIsRaised)
{
    make(false);
    EXPECT_FALSE(input->hasJoystick());
    script->joystickButton(0, true);
    input->update();
    EXPECT_TRUE(joystick.empty());
    EXPECT_TRUE(codes.empty());
}

TEST_F(InputTest, CharacterQueueKeepsAtMost1024AndNeedsAHandler)
{
    std::wstring typed;
    auto connection = input->connectChar([&](wchar_t c) { typed += c; });
    for (int i = 0; i < 1025; ++i)
        input->queueChar(static_cast<uint16_t>('a' + i % 26));
    input->update();
    ASSERT_EQ(typed.size(), 1024u);
    EXPECT_EQ(typed.substr(0, 3), L"abc");

    // Characters queued while no handler is connected are lost.
    input->disconnectChar(connection);
    input->queueChar('x');
    input->update();
    connection = input->connectChar([&](wchar_t c) { typed += c; });
    typed.clear();
    input->update();
    EXPECT_TRUE(typed.empty());

    // A surrogate pair is one character; a lone surrogate becomes U+FFFD.
    input->queueChar(0xD834);
    input->queueChar(0xDD1E);
    input->queueChar(0xDC00);
    input->queueChar(8);
    input->update();
    EXPECT_EQ(typed, std::wstring({static_cast<wchar_t>(0x1D11E), static_cast<wchar_t>(0xFFFD), L'\b'}));
}

TEST_F(InputTest, KeyDownQueueDeliversInOrderAndDropsPastTheLimit)
{
    std::vector<uint32_t> keys;
    input->connectKeyDown([&](uint32_t key) { keys.push_back(key); });
    for (uint32_t i = 0; i < 1030; ++i)
        input->queueKey(i);
    input->update();
    ASSERT_EQ(keys.size(), 1024u);
    EXPECT_EQ(keys.front(), 0u);
    EXPECT_EQ(keys.back(), 1023u);
    keys.clear();
    input->update();
    EXPECT_TRUE(keys.empty());
}

TEST_F(InputTest, FirstRecordsWinWhenTheBufferOverflows)
{
    for (int i = 0; i < 600; ++i)
    {
        script->keyDown(Platform::Key::Space);
        script->keyUp(Platform::Key::Space);
    }
    input->update();
    // 1024 records of 1200, each followed by the any-control code.
    ASSERT_EQ(codes.size(), 2048u);
    EXPECT_EQ(codes[0], 256 + 0x39);
    EXPECT_EQ(codes[2046], 0x39);
}

TEST_F(InputTest, UnacquiredDevicesDeliverNothingUntilTheNextFrame)
{
    input->unacquire();
    script->keyDown(Platform::Key::Q); // lost: the keyboard is not acquired
    input->update();                   // finds it unacquired and acquires it
    EXPECT_TRUE(codes.empty());
    script->keyDown(Platform::Key::W);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{256 + 0x11, 1100}));

    // Out of the foreground nothing can be acquired.
    script->setForeground(false);
    EXPECT_FALSE(input->acquire());
    script->keyUp(Platform::Key::W);
    input->update();
    input->update();
    script->setForeground(true);
    EXPECT_TRUE(input->acquire());
    clear();
    script->keyUp(Platform::Key::W);
    input->update();
    EXPECT_EQ(codes, (std::vector<int>{0x11, 1100}));
}

TEST_F(InputTest, LostDeviceIsFatalWithTheCallText)
{
    script->mouse().simulateInputLost();
    try
    {
        input->update();
        FAIL() << "no exception";
    }
    catch (const Engine::cString<std::string>& error)
    {
        const std::string expected = "Direct3D function call failed\n"
                                     "m_mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), m_mouse_buffer, "
                                     "&event_count, 0)\nDIERR_INPUTLOST";
        EXPECT_EQ(error, expected);
        EXPECT_EQ(Engine::getErrorString(), expected);
    }
    ASSERT_NE(script->joystick(), nullptr);
    input->update(); // acquires the mouse again
    script->joystick()->simulateInputLost();
    EXPECT_THROW(input->update(), Engine::cString<std::string>);
    EXPECT_NE(Engine::getErrorString().find("m_joystick->GetDeviceData(m_joystick_buffer, &event_count)"),
              std::string::npos);
}

TEST_F(InputTest, KeyStateIsReadOncePerFrame)
{
    script->keyDown(Platform::Key::LeftShift);
    EXPECT_TRUE(input->isKeyDown(0x2A));
    script->keyUp(Platform::Key::LeftShift);
    EXPECT_TRUE(input->isKeyDown(0x2A)); // same frame: the snapshot
    input->update();
    EXPECT_FALSE(input->isKeyDown(0x2A));
    EXPECT_FALSE(input->isKeyDown(300));
}

TEST_F(InputTest, KeyNames)
{
    EXPECT_EQ(input->getKeyName(0x26), "L");
    EXPECT_EQ(input->getKeyName(0x2B), "\\");
    EXPECT_EQ(input->getKeyName(0x01), "Esc");
    EXPECT_EQ(input->getKeyName(0xED), "MediaSelect");
    EXPECT_EQ(input->getKeyName(0xB3), "NumPad .");
    EXPECT_EQ(input->getKeyName(0x54), "");
    EXPECT_EQ(input->getKeyName(12345), "");
    int named = 0;
    for (uint32_t code = 0; code < 256; ++code)
        named += input->getKeyName(code).empty() ? 0 : 1;
    EXPECT_EQ(named, 144);
}

TEST_F(InputTest, ExclusiveMouseReacquiresOnlyOnChange)
{
    const int before = script->mouse().acquisitions();
    input->setMouseExclusive(true);
    input->setMouseExclusive(true);
    EXPECT_TRUE(input->isMouseExclusive());
    EXPECT_EQ(script->mouse().acquisitions(), before + 1);
    EXPECT_EQ(script->mouse().cooperativeLevel(), Platform::Cooperation::Exclusive);
    input->setMouseExclusive(false);
    EXPECT_EQ(script->mouse().cooperativeLevel(), Platform::Cooperation::NonExclusive);
}

TEST_F(InputTest, ConnectionsAndTheSingleInstance)
{
    EXPECT_THROW(input->connectKey(static_cast<eControl>(1101), [] {}), const char*);
    EXPECT_THROW(input->connectKey(static_cast<eControl>(-1), [] {}), const char*);
    try
    {
        cInput second(std::make_unique<ScriptedInput>());
        FAIL() << "a second input object was made";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Object already exist.");
    }
    EXPECT_EQ(cInput::instance(), input.get());

    int calls = 0;
    auto connection = input->connectKey(Engine::keyReleased(Platform::Key::SysRq), [&] { ++calls; });
    script->keyDown(Platform::Key::SysRq);
    script->keyUp(Platform::Key::SysRq);
    input->update();
    input->disconnectKey(Engine::keyReleased(Platform::Key::SysRq), connection);
    script->keyDown(Platform::Key::SysRq);
    script->keyUp(Platform::Key::SysRq);
    input->update();
    EXPECT_EQ(calls, 1);
    input.reset();
    EXPECT_EQ(cInput::instance(), nullptr);
}

TEST_F(InputTest, CursorIsSetOnlyWhenItChangesAndRestoredAtTheEnd)
{
    auto* custom = reinterpret_cast<Platform::CursorHandle>(0x10);
    const int before = script->cursorSets();
    input->setCursor(custom);
    input->setCursor(custom);
    EXPECT_EQ(script->cursorSets(), before + 1);
    EXPECT_EQ(input->getCursor(), custom);
    input->restoreCursor();
    EXPECT_EQ(input->getCursor(), nullptr);
}

} // namespace
