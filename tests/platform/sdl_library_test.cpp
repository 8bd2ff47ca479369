// SDL's loader: a library or function that is missing is reported by its name and the loader's
// own words, and a second try reports again rather than handing out a half-filled table.
#include "platform/system/SdlLibrary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace
{

std::string failureOf(void (*attempt)())
{
    try
    {
        attempt();
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "(no failure)";
}

TEST(SdlLibrary, MissingLibraryIsNamed)
{
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        const std::string text = failureOf([] { Platform::SdlLibrary::open("libquill-missing-2.0.so.0"); });
        EXPECT_NE(text.find("cannot load libquill-missing-2.0.so.0: "), std::string::npos) << text;
        // The loader's own reason follows the name.
        EXPECT_NE(text.find("No such file"), std::string::npos) << text;
    }
}

TEST(SdlLibrary, MissingFunctionIsNamedWithItsLibrary)
{
    const std::string text = failureOf(
        []
        {
            void* handle = Platform::SdlLibrary::open(Platform::SdlLibrary::kSdlName);
            Platform::SdlLibrary::find(handle, Platform::SdlLibrary::kSdlName, "SDL_NoSuchFunction");
        });
    EXPECT_NE(text.find("libSDL2-2.0.so.0 has no function SDL_NoSuchFunction: "), std::string::npos) << text;
    EXPECT_NE(text.find("undefined symbol"), std::string::npos) << text;
}

TEST(SdlLibrary, TablesAreWholeAndShared)
{
    const Platform::SdlLibrary::Sdl& sdl = Platform::sdl();
    const Platform::SdlLibrary::Mixer& mixer = Platform::sdlMixer();
#define QUILL_EXPECT_FOUND(name) EXPECT_NE(sdl.name, nullptr) << #name;
    QUILL_SDL_FUNCTIONS(QUILL_EXPECT_FOUND)
#undef QUILL_EXPECT_FOUND
#define QUILL_EXPECT_FOUND(name) EXPECT_NE(mixer.name, nullptr) << #name;
    QUILL_SDL_MIXER_FUNCTIONS(QUILL_EXPECT_FOUND)
#undef QUILL_EXPECT_FOUND
    EXPECT_EQ(&Platform::sdl(), &sdl);
    // This program links SDL itself: the table reaches the same library, not a second copy
    // with a state of its own.
    EXPECT_EQ(Platform::SdlLibrary::sdlIfLoaded(), &sdl);
    ::SDL_SetError("set through the linked library");
    EXPECT_STREQ(sdl.SDL_GetError(), "set through the linked library");
}

} // namespace
