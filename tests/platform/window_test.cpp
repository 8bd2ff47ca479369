#include "platform/window/InstanceLock.h"
#include "platform/window/MessageBox.h"
#include "platform/system/TextCodec.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

TEST(WindowText, WideTitleToUtf8AndTypedTextToUtf16)
{
    EXPECT_EQ(Platform::utf8FromWide(L"Quillmoor \u00e9\u20ac\U0001D11E"),
              "Quillmoor \xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
    // A surrogate held as a wide character is no character.
    EXPECT_EQ(Platform::utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");

    EXPECT_EQ(Platform::utf16FromUtf8("a\xC3\xA9\xF0\x9D\x84\x9E"),
              (std::u16string{u'a', 0xE9, 0xD834, 0xDD1E}));
    // A cut-off sequence gives one U+FFFD; in overlong forms and encoded surrogates every byte
    // that cannot continue a character gives one.
    EXPECT_EQ(Platform::utf16FromUtf8("\xC3"), std::u16string(1, 0xFFFD));
    EXPECT_EQ(Platform::utf16FromUtf8("\xC0\xAFx"), (std::u16string{0xFFFD, 0xFFFD, u'x'}));
    EXPECT_EQ(Platform::utf16FromUtf8("\xED\xA0\x80"), std::u16string(3, 0xFFFD));
}

TEST(WindowKeys, VirtualKeyCodes)
{
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_A, SDLK_a), 'A');
    // Layouts place letters differently: the letter typed wins, the position is the fallback.
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_Q, SDLK_a), 'A');
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_Q, 0x0439), 'Q');
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_0, SDLK_0), '0');
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_9, SDLK_9), '9');
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), 0x08u);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 0x0Du);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 0x1Bu);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_F12, SDLK_F12), 0x7Bu);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_KP_0, SDLK_KP_0), 0x60u);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_KP_9, SDLK_KP_9), 0x69u);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_DOWN, SDLK_DOWN), 0x28u);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_RALT, SDLK_RALT), 0x12u);
    EXPECT_EQ(Platform::virtualKeyFromSdl(SDL_SCANCODE_MUTE, SDLK_MUTE), 0u);
}

TEST(WindowMessageBox, HeadlessRunsWriteToStderr)
{
    ASSERT_NE(std::getenv("QUILLMOOR_HEADLESS"), nullptr) << "the test command sets QUILLMOOR_HEADLESS";
    EXPECT_TRUE(Platform::messageBoxesAreHeadless());
    ::testing::internal::CaptureStderr();
    Platform::showMessageBox("Error", "Restart the game please.");
    Platform::showMessageBox(L"Fehler", L"\u00fcber");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: Restart the game please.\nFehler: \xC3\xBC"
                                                        "ber\n");
}

TEST(WindowInstanceLock, SecondCopyIsRefusedAndAsksTheFirst)
{
    ::Test::TempDir folder;
    auto first = Platform::InstanceLock::acquireIn(folder.path().string(), "kelvask_quillmoor");
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->takeRaiseRequest());

    EXPECT_EQ(Platform::InstanceLock::acquireIn(folder.path().string(), "kelvask_quillmoor"), nullptr);
    EXPECT_TRUE(first->takeRaiseRequest());
    EXPECT_FALSE(first->takeRaiseRequest());

    // Another name is another program.
    auto other = Platform::InstanceLock::acquireIn(folder.path().string(), "kelvask_other");
    EXPECT_NE(other, nullptr);

    // Once the first copy is gone the next one runs.
    first.reset();
    EXPECT_NE(Platform::InstanceLock::acquireIn(folder.path().string(), "kelvask_quillmoor"), nullptr);
}

// The message loop on SDL's dummy video driver: no display, no GL.
class WindowWithoutDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        window = std::make_unique<Platform::Window>(L"headless", 800, 600, false);
    }
    void TearDown() override
    {
        window.reset();
        SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
    }

    static void pushKeyDown(SDL_Scancode scancode, SDL_Keycode sym)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = sym;
        SDL_PushEvent(&event);
    }

    std::unique_ptr<Platform::Window> window;
};

TEST_F(WindowWithoutDisplay, QuitComesAfterEverythingQueuedAndNoTurnIsEmptyBefore)
{
    using Platform::Message;
    using Platform::MessageKind;
    std::vector<Message> handled;
    window->setWindowProc(
        [&](const Message& message)
        {
            handled.push_back(message);
            if (message.kind == MessageKind::Destroy)
                window->postQuitMessage(7);
            return window->defWindowProc(message);
        });
    Message message;
    while (window->peekMessage(message))
        window->dispatchMessage(message);
    handled.clear();

    pushKeyDown(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    window->postMessage({MessageKind::Close, 0});
    pushKeyDown(SDL_SCANCODE_Z, SDLK_z); // queued before the quit that the close posts
    int turns = 0;
    for (; turns < 100; ++turns)
    {
        ASSERT_TRUE(window->peekMessage(message));
        if (message.kind == MessageKind::Quit)
            break;
        window->translateMessage(message);
        window->dispatchMessage(message);
    }
    EXPECT_EQ(message, (Message{MessageKind::Quit, 7}));
    EXPECT_EQ(handled, (std::vector<Message>{{MessageKind::KeyDown, 0x1B},
                                             {MessageKind::Char, 27},
                                             {MessageKind::Close, 0},
                                             {MessageKind::Destroy, 0},
                                             {MessageKind::KeyDown, 'Z'}}));
    EXPECT_TRUE(window->isDestroyed());
    EXPECT_FALSE(window->peekMessage(message));
}

TEST(WindowInstanceLock, UnwritableFolderIsAnError)
{
    EXPECT_THROW(Platform::InstanceLock::acquireIn("/nonexistent-folder/sub", "kelvask_x"),
                 std::runtime_error);
}

} // namespace
