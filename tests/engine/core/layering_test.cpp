// The layers of the source tree: platform -> engine/core -> engine/devices -> engine/ui -> game.
// A file includes its own layer and the layers below it, never one above; the engine's
// composition root (named in cApplication.h and cFrameDevices.h) is the one exception.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

int layerOf(const std::string& path)
{
    static const std::vector<std::pair<std::string, int>> layers = {
        {"platform/", 0}, {"engine/core/", 1}, {"engine/devices/", 2}, {"engine/ui/", 3}, {"game/", 4}};
    for (const auto& [prefix, layer] : layers)
    {
        if (path.compare(0, prefix.size(), prefix) == 0)
            return layer;
    }
    return -1;
}

TEST(Layering, NoFileIncludesALayerAboveItsOwn)
{
    const fs::path root = QUILL_SOURCE_DIR;
    const std::set<std::string> compositionRoot = {"engine/core/cApplication.cpp",
                                                   "engine/core/cFrameDevices.cpp"};
    const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::vector<std::string> breaches;
    size_t files = 0;
    for (const char* folder : {"platform", "engine", "game"})
    {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder))
        {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
                continue;
            const std::string file = fs::relative(entry.path(), root).generic_string();
            const int own = layerOf(file);
            if (own < 0 || compositionRoot.count(file))
                continue;
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            std::smatch match;
            while (std::getline(in, line))
            {
                if (std::regex_search(line, match, include) && layerOf(match[1]) > own)
                    breaches.push_back(file + " includes " + match[1].str());
            }
        }
    }
    EXPECT_GT(files, 100u) << "the source tree was not found at " << root;
    EXPECT_EQ(breaches, std::vector<std::string>());

    // The composition root itself still only reaches into the engine, never the game.
    for (const std::string& file : compositionRoot)
    {
        std::ifstream in(root / file);
        ASSERT_TRUE(in) << file;
        std::string line;
        std::smatch match;
        while (std::getline(in, line))
        {
            if (std::regex_search(line, match, include))
            {
                EXPECT_LT(layerOf(match[1]), 4) << file << " includes " << match[1];
            }
        }
    }
}

} // namespace
