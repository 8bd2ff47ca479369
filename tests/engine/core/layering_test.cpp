// The layers of the source tree: platform -> engine/core -> engine/devices -> engine/ui -> the
// game's rules (game/world and game/heroes, one layer) -> game/hud -> game/screens. A file
// includes its own layer and the layers below it, never one above; the engine's composition
// root (named in cApplication.h and cFrameDevices.h) is the one exception.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr int kGameRules = 4;

int layerOf(const std::string& path)
{
    static const std::vector<std::pair<std::string, int>> layers = {
        {"platform/", 0},  {"engine/core/", 1},         {"engine/devices/", 2},
        {"engine/ui/", 3}, {"game/world/", kGameRules}, {"game/heroes/", kGameRules},
        {"game/hud/", 5},  {"game/screens/", 6}};
    for (const auto& [prefix, layer] : layers)
    {
        if (path.compare(0, prefix.size(), prefix) == 0)
            return layer;
    }
    return -1;
}

const std::regex& includeLine()
{
    static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    return include;
}

const std::set<std::string>& compositionRoot()
{
    static const std::set<std::string> files = {"engine/core/cApplication.cpp",
                                                "engine/core/cFrameDevices.cpp"};
    return files;
}

struct Scan
{
    size_t files = 0;
    std::vector<std::string> breaches;
};

// Every include of the tree under `root` that reaches a layer above the including file's.
Scan scanTree(const fs::path& root)
{
    Scan scan;
    for (const char* folder : {"platform", "engine", "game"})
    {
        if (!fs::exists(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder))
        {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
                continue;
            const std::string file = fs::relative(entry.path(), root).generic_string();
            const int own = layerOf(file);
            if (own < 0 || compositionRoot().count(file))
                continue;
            ++scan.files;
            std::ifstream in(entry.path());
            std::string line;
            std::smatch match;
            while (std::getline(in, line))
            {
                if (std::regex_search(line, match, includeLine()) && layerOf(match[1]) > own)
                    scan.breaches.push_back(file + " includes " + match[1].str());
            }
        }
    }
    return scan;
}

TEST(Layering, NoFileIncludesALayerAboveItsOwn)
{
    const fs::path root = QUILL_SOURCE_DIR;
    const Scan scan = scanTree(root);
    EXPECT_GT(scan.files, 100u) << "the source tree was not found at " << root;
    EXPECT_EQ(scan.breaches, std::vector<std::string>());

    // The composition root itself still only reaches into the engine, never the game.
    for (const std::string& file : compositionRoot())
    {
        std::ifstream in(root / file);
        ASSERT_TRUE(in) << file;
        std::string line;
        std::smatch match;
        while (std::getline(in, line))
        {
            if (std::regex_search(line, match, includeLine()))
            {
                EXPECT_LT(layerOf(match[1]), kGameRules) << file << " includes " << match[1];
            }
        }
    }
}

// A tree written by the test: each file with the includes given.
class LayeringTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("quill_layering_" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    void write(const std::string& file, const std::vector<std::string>& includes)
    {
        fs::create_directories((m_root / file).parent_path());
        std::ofstream out(m_root / file);
        out << "#pragma once\n";
        for (const std::string& include : includes)
            out << "#include \"" << include << "\"\n";
    }

    fs::path m_root;
};

TEST_F(LayeringTree, EveryBackEdgeBetweenTheGamesLayersIsFound)
{
    write("game/world/Level.cpp",
          {"game/world/Level.h", "game/heroes/Action.h", "engine/ui/cButton.h", "game/hud/UnitPicture.h"});
    write("game/heroes/Action.cpp", {"game/world/Level.h", "game/screens/PlayScreen.h"});
    write("game/hud/UnitPicture.cpp", {"game/world/Level.h", "game/screens/PlayScreen.h"});
    write("game/screens/PlayScreen.cpp",
          {"game/hud/UnitPicture.h", "game/world/Level.h", "game/heroes/Action.h"});
    write("engine/ui/cButton.cpp", {"engine/core/cVector2.h", "game/world/Level.h"});

    const Scan scan = scanTree(m_root);
    EXPECT_EQ(scan.files, 5u);
    std::vector<std::string> breaches = scan.breaches;
    std::sort(breaches.begin(), breaches.end());
    EXPECT_EQ(breaches,
              (std::vector<std::string>{"engine/ui/cButton.cpp includes game/world/Level.h",
                                        "game/heroes/Action.cpp includes game/screens/PlayScreen.h",
                                        "game/hud/UnitPicture.cpp includes game/screens/PlayScreen.h",
                                        "game/world/Level.cpp includes game/hud/UnitPicture.h"}));
}

TEST_F(LayeringTree, TheRulesAreOneLayerAndEachLayerMayIncludeThoseBelow)
{
    write("game/world/Level.cpp", {"game/heroes/Action.h", "engine/ui/cButton.h", "platform/Window.h"});
    write("game/heroes/Action.cpp", {"game/world/Level.h"});
    write("game/hud/UnitPicture.cpp", {"game/world/Level.h", "game/heroes/Action.h"});
    write("game/screens/PlayScreen.cpp", {"game/hud/UnitPicture.h", "game/world/Level.h"});

    const Scan scan = scanTree(m_root);
    EXPECT_EQ(scan.files, 4u);
    EXPECT_EQ(scan.breaches, std::vector<std::string>());
}

} // namespace
