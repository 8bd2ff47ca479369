#include "engine/core/SystemUtils.h"

#include "engine/core/StringUtils.h"
#include "platform/system/FakeClock.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace
{

using ::Test::ScopedEnv;

TEST(CommonAppDataFolder, XdgDataHomeIsUsedAndCreated)
{
    ::Test::TempDir temp;
    const std::filesystem::path wanted = temp.path() / "share" / "deeper";
    ScopedEnv xdg("XDG_DATA_HOME", wanted.c_str());
    const std::wstring folder = Engine::getCommonAppDataFolder();
    EXPECT_EQ(folder, Engine::fromUtf8(wanted.string()));
    EXPECT_TRUE(std::filesystem::is_directory(wanted));
}

TEST(CommonAppDataFolder, RelativeXdgDataHomeFallsBackToHome)
{
    ::Test::TempDir temp;
    ScopedEnv xdg("XDG_DATA_HOME", "relative/share");
    ScopedEnv home("HOME", temp.path().c_str());
    const std::filesystem::path expected = temp.path() / ".local" / "share";
    EXPECT_EQ(Engine::getCommonAppDataFolder(), Engine::fromUtf8(expected.string()));
    EXPECT_TRUE(std::filesystem::is_directory(expected));
    EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST(CommonAppDataFolder, NonAsciiFolderNamesSurvive)
{
    ::Test::TempDir temp;
    const std::string wanted = temp.path().string() + "/d\xC3\xA9j\xC3\xA0";
    ScopedEnv xdg("XDG_DATA_HOME", wanted.c_str());
    EXPECT_EQ(Engine::getCommonAppDataFolder(), Engine::fromUtf8(wanted));
    EXPECT_TRUE(std::filesystem::is_directory(wanted));
}

TEST(LastErrorText, TextOfTheCurrentErrorCode)
{
    const std::string expected = std::strerror(ENOENT);
    errno = ENOENT;
    EXPECT_EQ(Engine::lastErrorText(), expected);
    errno = 0;
    EXPECT_FALSE(Engine::lastErrorText().empty());
}

TEST(WideToNarrow, StopsAtTheBufferAndAtCharacterBoundaries)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(Engine::wideToNarrow(buffer, sizeof(buffer), L"a\u00E9\u20AC"), 6);
    EXPECT_STREQ(buffer, "a\xC3\xA9\xE2\x82\xAC");

    // Four bytes: room for "a" and "é" and the terminating zero, not for "€".
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(Engine::wideToNarrow(buffer, 4, L"a\u00E9\u20AC"), 3);
    EXPECT_STREQ(buffer, "a\xC3\xA9");
    EXPECT_EQ(buffer[4], 'x');

    // Three bytes would split "é": only "a" is written.
    EXPECT_EQ(Engine::wideToNarrow(buffer, 3, L"a\u00E9"), 1);
    EXPECT_STREQ(buffer, "a");

    buffer[0] = 'x';
    EXPECT_EQ(Engine::wideToNarrow(buffer, 0, L"abc"), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(Engine::wideToNarrow(buffer, sizeof(buffer), nullptr), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(Sleep, GoesThroughThePlatformClock)
{
    Platform::FakeClock clock(100);
    Engine::sleep(7);
    Engine::sleep(0);
    EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{7, 0}));
    EXPECT_EQ(clock.now, 107u);
}

TEST(CursorPos, ReadsTheOriginBeforeAnyWindowExists)
{
    // No test of this program starts the video subsystem: with no display to ask, the position
    // is the one the input layer last recorded, which is none yet.
    EXPECT_EQ(Engine::getCursorPos(), Engine::cPoint(0, 0));
}

} // namespace
