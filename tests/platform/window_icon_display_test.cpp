#include "engine/core/cApplication.h"
#include "engine/core/cLogManager.h"
#include "platform/window/Window.h"
#include "tests/support/Pictures.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, Success) would clash with its names.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

// The icon the X server holds for a window (_NET_WM_ICON: width, height, then one 0xAARRGGBB
// value per pixel), read the way a task bar reads it. Xlib is loaded by the SDL and GL
// libraries already; its functions are looked up in it.
std::vector<unsigned long> iconProperty(const Platform::Window& window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window.sdlWindow(), &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using GetWindowProperty = int (*)(Display*, ::Window, Atom, long, long, Bool, Atom, Atom*, int*,
                                      unsigned long*, unsigned long*, unsigned char**);
    using Free = int (*)(void*);
    // SDL may have loaded Xlib privately: the library is asked for by name, never loaded anew.
    void* const x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!x11)
        return {};
    const auto internAtom = reinterpret_cast<InternAtom>(dlsym(x11, "XInternAtom"));
    const auto getProperty = reinterpret_cast<GetWindowProperty>(dlsym(x11, "XGetWindowProperty"));
    const auto free = reinterpret_cast<Free>(dlsym(x11, "XFree"));
    dlclose(x11);
    if (!internAtom || !getProperty || !free)
        return {};
    Display* display = info.info.x11.display;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (getProperty(display, info.info.x11.window, internAtom(display, "_NET_WM_ICON", False), 0, 1 << 20,
                    False, AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        data && format == 32)
    {
        // Xlib hands 32-bit items out as longs, which may carry the sign of the 32 bits.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            values.push_back(items[i] & 0xFFFFFFFFul);
    }
    if (data)
        free(data);
    return values;
}

// What the icon property should hold for a picture.
std::vector<unsigned long> expectedProperty(const Platform::Image& image)
{
    std::vector<unsigned long> values{image.width, image.height};
    for (size_t i = 0; i < image.pixels.size(); i += 4)
    {
        uint32_t argb = 0;
        std::memcpy(&argb, &image.pixels[i], 4);
        values.push_back(argb);
    }
    return values;
}

Platform::Image iconPicture()
{
    // Four quarters of different colours and alphas, so a swapped channel or row shows.
    return ::Test::picture(16, 8,
                           [](uint32_t x, uint32_t y)
                           {
                               if (y < 4)
                                   return x < 8 ? 0xFFC02010u : 0x8020C040u;
                               return x < 8 ? 0x00000000u : 0xFF1030E0u;
                           });
}

} // namespace

TEST(WindowIcon, TheWindowSystemGetsThePixelsGiven)
{
    Platform::Window window(L"Icon test", 64, 48);
    if (SDL_GetCurrentVideoDriver() != std::string("x11"))
        GTEST_SKIP() << "the icon can only be read back from an X server";
    const Platform::Image image = iconPicture();
    std::vector<uint32_t> pixels(image.pixels.size() / 4);
    std::memcpy(pixels.data(), image.pixels.data(), image.pixels.size());
    window.setIcon(pixels.data(), 16, 8);
    EXPECT_EQ(iconProperty(window), expectedProperty(image));
    EXPECT_THROW(window.setIcon(pixels.data(), 0, 8), std::runtime_error);
}

// The application sets "icon.png" of its data as the window's icon; without one it starts all
// the same and says so in its log.
TEST(WindowIcon, TheApplicationShowsTheDataIconOrLogsItsAbsence)
{
    ::Test::TempDir data;
    data.write("sys/constants.xml",
               "<constants><game app_directory=\"IconTest\" window_title=\"Icon\"/></constants>");
    data.write("sys/settings.xml", "<main><graphics fullscreen=\"0\"/></main>");
    const ::Test::ScopedEnv dataHome("XDG_DATA_HOME", (data.path() / "share").string());
    const std::string folder = data.path().string();
    auto start = [&folder]()
    {
        Engine::cAppParams params;
        params.dataFolderName = folder.c_str();
        params.singleInstance = false;
        return std::unique_ptr<Engine::cApplication>(Engine::cApplication::create(params));
    };

    const std::wstring logPath = Engine::cLogManager::instance()->getLog(L"application", false)->getPath();
    const std::string logBefore = ::Test::readFile(logPath);
    {
        const auto application = start();
        if (SDL_GetCurrentVideoDriver() != std::string("x11"))
            GTEST_SKIP() << "the icon can only be read back from an X server";
        EXPECT_TRUE(iconProperty(*application->getWindow()).empty());
    }
    const std::string logged = ::Test::readFile(logPath).substr(logBefore.size());
    EXPECT_NE(logged.find("The window keeps the system's icon: \"icon.png\": the data has no such file"),
              std::string::npos)
        << logged;

    const Platform::Image image = iconPicture();
    data.write("icon.png", ::Test::pngBytes(image));
    const std::string logBeforeIcon = ::Test::readFile(logPath);
    const auto application = start();
    // Should the icon be missing, what the application logged while it started says why.
    EXPECT_EQ(iconProperty(*application->getWindow()), expectedProperty(image))
        << ::Test::readFile(logPath).substr(logBeforeIcon.size());
}
