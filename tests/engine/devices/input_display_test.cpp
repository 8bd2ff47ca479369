#include "engine/devices/cInput.h"

#include "platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Engine::cInput;
using Engine::eControl;
using Platform::Message;
using Platform::MessageKind;

using Pairs = std::vector<std::pair<int, long>>;

// A hidden main window, a virtual joystick and a cInput reading SDL, driven by pushed SDL
// events. The window procedure does what the application's does for input.
class InputDisplayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<Platform::Window>(L"input");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        ASSERT_EQ(SDL_NumJoysticks(), 0) << "a real joystick is attached";
        joystickIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 6, 16, 1);
        ASSERT_GE(joystickIndex, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(joystickIndex);
        ASSERT_NE(joystick, nullptr);

        input = std::make_unique<cInput>(window.get());
        ASSERT_TRUE(input->hasJoystick());
        for (int code = 0; code < Engine::CONTROL_COUNT; ++code)
            input->connectKey(static_cast<eControl>(code), [this, code] { codes.push_back(code); });
        input->connectMouse([this](eControl code, long value) { mouse.push_back({code, value}); });
        input->connectJoystick(
            [this](eControl code, long value)
            {
                if (value != 0 || code >= Engine::CONTROL_JOY_POV0)
                    joystickMoves.push_back({code, value});
            });
        input->connectChar([this](wchar_t c) { typed += c; });
        input->connectKeyDown([this](uint32_t key) { keyDowns.push_back(key); });
        window->setWindowProc(
            [this](const Message& message) -> intptr_t
            {
                switch (message.kind)
                {
                case MessageKind::Activate:
                    if (message.wparam)
                        input->acquire();
                    break;
                case MessageKind::KeyDown:
                    input->queueKey(message.wparam);
                    return 0;
                case MessageKind::Char:
                    input->queueChar(static_cast<uint16_t>(message.wparam));
                    return 0;
                default:
                    break;
                }
                return window->defWindowProc(message);
            });
        pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
        frame();
        clear();
    }

    void TearDown() override
    {
        input.reset();
        if (joystick)
            SDL_JoystickClose(joystick);
        if (joystickIndex >= 0)
            SDL_JoystickDetachVirtual(joystickIndex);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        window.reset();
    }

    // One turn of the application's loop: every queued message, then the input step.
    void frame()
    {
        Message message;
        for (int turns = 0; turns < 10000 && window->peekMessage(message); ++turns)
        {
            window->translateMessage(message);
            window->dispatchMessage(message);
        }
        input->update();
    }

    void clear()
    {
        codes.clear();
        mouse.clear();
        joystickMoves.clear();
        typed.clear();
        keyDowns.clear();
    }

    void pushWindowEvent(uint8_t what)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(window->sdlWindow());
        event.window.event = what;
        SDL_PushEvent(&event);
    }

    static void pushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode sym, uint8_t repeat = 0)
    {
        SDL_Event event{};
        event.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = sym;
        SDL_PushEvent(&event);
    }

    static void pushButton(uint32_t type, uint8_t button)
    {
        SDL_Event event{};
        event.type = type;
        event.button.button = button;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&event);
    }

    // A button over the program's window, at (x, y) in it.
    void pushButtonAt(uint32_t type, uint8_t button, int x, int y)
    {
        SDL_Event event{};
        event.type = type;
        event.button.windowID = SDL_GetWindowID(window->sdlWindow());
        event.button.button = button;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }

    void pushMotionAt(int x, int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = SDL_GetWindowID(window->sdlWindow());
        event.motion.x = x;
        event.motion.y = y;
        SDL_PushEvent(&event);
    }

    // Where the desktop's pointer is, in the window's pixels.
    Engine::cVector2 desktopPointerInWindow() const
    {
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        const Platform::WindowRect client = window->clientRect();
        return Engine::cVector2(static_cast<float>(x - client.left), static_cast<float>(y - client.top));
    }

    static void pushText(const char* utf8)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
        SDL_PushEvent(&event);
    }

    std::unique_ptr<Platform::Window> window;
    int joystickIndex = -1;
    SDL_Joystick* joystick = nullptr;
    std::unique_ptr<cInput> input;
    std::vector<int> codes;
    Pairs mouse;
    Pairs joystickMoves;
    std::wstring typed;
    std::vector<uint32_t> keyDowns;
};

TEST_F(InputDisplayTest, KeysRaiseTheirCodesAndKeyDownMessagesRepeat)
{
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, 1); // auto-repeat: a message, no record
    pushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{256 + 0x1E, 1100, 0x1E, 1100}));
    EXPECT_EQ(keyDowns, (std::vector<uint32_t>{'A', 'A'}));

    clear();
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN);
    pushKey(SDL_KEYUP, SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{256 + 0xB7, 1100, 0xB7, 1100, 256 + 0xB8, 1100}));
    EXPECT_TRUE(input->isKeyDown(0xB8));
    EXPECT_FALSE(input->isKeyDown(0xB7));
}

TEST_F(InputDisplayTest, MouseButtonsWheelAndMovement)
{
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X2);
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = 5;
    event.motion.yrel = -2;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = -1;
    SDL_PushEvent(&event);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{520, 1100, 512, 521, 522, 524}));
    EXPECT_EQ(mouse, (Pairs{{528, 5}, {529, -2}, {530, -120}}));

    // With the buttons swapped the left button is button 1.
    clear();
    input->getBackend().setSwapMouseButtons(true, true);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{521, 1100, 520, 513}));
}

TEST_F(InputDisplayTest, ButtonsOverTheWindowCarryTheirPlaceAndTheFocusFindsThePointer)
{
    std::vector<Engine::cVector2> places;
    input->connectPointer([&places](const Engine::cVector2& place) { places.push_back(place); });
    pushButtonAt(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 120, 80);
    pushMotionAt(130, 90);
    pushButtonAt(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 140, 95);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{520, 1100, 512}));
    EXPECT_EQ(places, (std::vector<Engine::cVector2>{{120.0f, 80.0f}, {140.0f, 95.0f}}));
    Engine::cVector2 pointer;
    ASSERT_TRUE(input->getPointer(pointer));
    EXPECT_EQ(pointer, Engine::cVector2(140.0f, 95.0f));

    // The pointer leaves: no event tells where it goes.
    pushWindowEvent(SDL_WINDOWEVENT_LEAVE);
    frame();
    EXPECT_FALSE(input->getPointer(pointer));

    // It moves while the window is away and comes back with the focus: the desktop tells where.
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    frame();
    SDL_WarpMouseGlobal(300, 200);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    frame();
    ASSERT_TRUE(input->getPointer(pointer));
    EXPECT_EQ(pointer, desktopPointerInWindow());
    const Engine::cVector2 atFocus = pointer;
    // And when it enters the window.
    pushWindowEvent(SDL_WINDOWEVENT_LEAVE);
    SDL_WarpMouseGlobal(340, 260);
    pushWindowEvent(SDL_WINDOWEVENT_ENTER);
    frame();
    ASSERT_TRUE(input->getPointer(pointer));
    EXPECT_EQ(pointer, desktopPointerInWindow());
    EXPECT_EQ(pointer - atFocus, Engine::cVector2(40.0f, 60.0f)) << "the pointer's own move";
}

TEST_F(InputDisplayTest, VirtualJoystickButtonsAxesAndHat)
{
    SDL_JoystickSetVirtualButton(joystick, 2, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(joystick, 0, 16384);
    SDL_JoystickSetVirtualAxis(joystick, 5, -32768);
    SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_RIGHT);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{1056 + 2, 1100}));
    EXPECT_EQ(joystickMoves, (Pairs{{1088, 16384}, {1093, -32768}, {1096, 9000}}));

    clear();
    SDL_JoystickSetVirtualButton(joystick, 2, SDL_RELEASED);
    SDL_JoystickSetVirtualButton(joystick, 15, SDL_PRESSED);
    SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_CENTERED);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{1024 + 2, 1100, 1056 + 15}));
    EXPECT_EQ(joystickMoves, (Pairs{{1088, 16384}, {1093, -32768}}));
}

TEST_F(InputDisplayTest, TypedCharactersIncludeTheControlCharacters)
{
    pushText("h\xC3\xA9\xF0\x9D\x84\x9E");
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_TAB, SDLK_TAB);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    frame();
    EXPECT_EQ(typed, std::wstring(L"h\u00e9") + static_cast<wchar_t>(0x1D11E) + L"\b\t\r\x1b");
    EXPECT_EQ(keyDowns, (std::vector<uint32_t>{0x08, 0x09, 0x0D, 0x1B}));
}

TEST_F(InputDisplayTest, AtMost1024CharactersAFrame)
{
    const std::string chunk(30, 'x');
    for (int i = 0; i < 40; ++i)
        pushText(chunk.c_str());
    frame();
    EXPECT_EQ(typed.size(), 1024u);
    clear();
    frame();
    EXPECT_TRUE(typed.empty());
}

TEST_F(InputDisplayTest, NothingArrivesWhileTheWindowIsNotInFront)
{
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_q);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    frame();
    frame();
    EXPECT_TRUE(codes.empty());
    EXPECT_FALSE(input->acquire());

    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    frame(); // the activation acquires the devices
    pushKey(SDL_KEYUP, SDL_SCANCODE_Q, SDLK_q);
    frame();
    EXPECT_EQ(codes, (std::vector<int>{0x10, 1100}));
}

} // namespace
