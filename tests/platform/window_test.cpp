#include "platform/system/TextCodec.h"
#include "platform/window/InstanceLock.h"
#include "platform/window/MessageBox.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// The lock goes to the first folder that takes its file; one that cannot (a file where a folder
// should be, a folder that is not there) is passed over with a line that names it, and a second
// copy looking in the same folders finds the first.
TEST(WindowInstanceLock, FoldersThatCannotTakeTheLockArePassedOver)
{
    ::Test::TempDir folder;
    const std::string file = folder.write("share", "not a folder").string();
    const std::string missing = (folder.path() / "none").string();
    const std::string good = (folder.path() / "good").string();
    std::filesystem::create_directories(good);
    const std::vector<std::string> folders = {file, missing, good};
    std::vector<std::string> passedOver;
    auto first = Platform::InstanceLock::acquireFirst(folders, "kelvask_quillmoor", passedOver);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->lockPath(), good + "/kelvask_quillmoor.lock");
    ASSERT_EQ(passedOver.size(), 2u);
    EXPECT_NE(passedOver[0].find(file + "/kelvask_quillmoor.lock"), std::string::npos) << passedOver[0];
    EXPECT_NE(passedOver[1].find(missing), std::string::npos) << passedOver[1];

    std::vector<std::string> again;
    EXPECT_EQ(Platform::InstanceLock::acquireFirst(folders, "kelvask_quillmoor", again), nullptr);
    EXPECT_TRUE(first->takeRaiseRequest());

    // No folder at all: an error that names each.
    std::vector<std::string> none;
    try
    {
        Platform::InstanceLock::acquireFirst({file, missing}, "kelvask_quillmoor", none);
        FAIL() << "a lock without a folder";
    }
    catch (const std::runtime_error& failure)
    {
        EXPECT_NE(std::string(failure.what()).find(file), std::string::npos) << failure.what();
        EXPECT_NE(std::string(failure.what()).find(missing), std::string::npos) << failure.what();
    }
}

// $XDG_RUNTIME_DIR first when it is a folder, then the shared folder, then the user's own
// folder under the temporary folder, which is made for its owner alone and refused when
// something else stands in its place.
TEST(WindowInstanceLock, TheRuntimeFolderComesFirstAndTheTemporaryFolderLast)
{
    ::Test::TempDir folder;
    const std::string runtime = folder.path().string();
    {
        const ::Test::ScopedEnv set("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(Platform::InstanceLock::lockFolders("/shared"),
                  (std::vector<std::string>{runtime, "/shared", ""}));
    }
    for (const char* unusable : {"relative/run", "/no/such/run"})
    {
        const ::Test::ScopedEnv set("XDG_RUNTIME_DIR", unusable);
        EXPECT_EQ(Platform::InstanceLock::lockFolders("/shared"), (std::vector<std::string>{"/shared", ""}));
    }

    const ::Test::ScopedEnv tmp("TMPDIR", runtime);
    const std::string own = runtime + "/quillmoor-" + std::to_string(::getuid());
    EXPECT_EQ(Platform::InstanceLock::userTempFolder(), own);
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(own.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(Platform::InstanceLock::userTempFolder(), own) << "made once, then found";
    std::vector<std::string> passedOver;
    EXPECT_NE(Platform::InstanceLock::acquireFirst({""}, "kelvask_quillmoor", passedOver), nullptr);
    EXPECT_TRUE(std::filesystem::exists(own + "/kelvask_quillmoor.lock"));

    // Open to others, or a link to another folder: not this user's own.
    ASSERT_EQ(::chmod(own.c_str(), 0777), 0);
    EXPECT_EQ(Platform::InstanceLock::userTempFolder(), "");
    std::filesystem::remove_all(own);
    std::filesystem::create_directories(runtime + "/elsewhere");
    std::filesystem::create_directory_symlink(runtime + "/elsewhere", own);
    EXPECT_EQ(Platform::InstanceLock::userTempFolder(), "");
    EXPECT_THROW(Platform::InstanceLock::acquireFirst({""}, "kelvask_quillmoor", passedOver),
                 std::runtime_error);
}

} // namespace
