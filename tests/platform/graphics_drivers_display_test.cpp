// The GL driver a window brings in stays loaded after the window has gone: the leak check at
// the end of the sanitizer build can then name it (and pass over what it keeps for the whole
// process) instead of finding memory of a library that is no longer there.
#include "platform/system/GraphicsDrivers.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>

#include <link.h>
#include <memory>
#include <string>
#include <vector>

namespace
{

// The Mesa drivers ("*_dri.so") loaded now.
std::vector<std::string> loadedDrivers()
{
    std::vector<std::string> found;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out)
        {
            const std::string name = info->dlpi_name ? info->dlpi_name : "";
            if (name.size() > 7 && name.compare(name.size() - 7, 7, "_dri.so") == 0)
                static_cast<std::vector<std::string>*>(out)->push_back(name);
            return 0;
        },
        &found);
    return found;
}

TEST(GraphicsDrivers, TheDriverOfAGlWindowStaysLoadedWhenTheWindowGoes)
{
    auto window = std::make_unique<Platform::Window>(L"driver", 64, 64, true);
    const std::vector<std::string> drivers = loadedDrivers();
    ASSERT_FALSE(drivers.empty()) << "a GL window under the X server of the test run loads a Mesa driver";
    window->destroyWindow();
    window.reset();
    EXPECT_EQ(loadedDrivers(), drivers);
    // Asking again changes nothing.
    Platform::keepGraphicsDriversLoaded();
    EXPECT_EQ(loadedDrivers(), drivers);
}

} // namespace
