#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace Bench
{

// The game's data folder of this source tree. The build names the tree (QUILL_SOURCE_DIR): the
// path of a source file as the compiler saw it may be relative to the build folder (compiler
// caches rewrite it so), and the program does not run from there.
inline const std::filesystem::path& dataFolder()
{
    static const std::filesystem::path folder = std::filesystem::path(QUILL_SOURCE_DIR) / "data";
    return folder;
}

// A folder of the benchmark's own in the temporary folder, emptied when it is made and removed
// when the program ends, with the player's settings of a 1024 x 768 screen; XDG_DATA_HOME names
// it, so the engine's shared folder lies inside it.
inline std::filesystem::path makeBenchHome(const std::string& name)
{
    static std::vector<std::filesystem::path> made;
    if (made.empty())
        std::atexit(
            []
            {
                for (const std::filesystem::path& folder : made)
                {
                    std::error_code ignored;
                    std::filesystem::remove_all(folder, ignored);
                }
            });
    const std::filesystem::path home = std::filesystem::temp_directory_path() / name;
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    std::filesystem::create_directories(home / "Quillmoor" / "sys");
    std::ofstream(home / "Quillmoor" / "sys" / "settings.xml")
        << "<settings><graphics width=\"1024\" height=\"768\"/></settings>";
    setenv("XDG_DATA_HOME", home.string().c_str(), 1);
    made.push_back(home);
    return home;
}

} // namespace Bench
