#pragma once

#include <filesystem>
#include <string>

namespace Test
{

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Writes a file below the folder (creating its folders) and returns its full path.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const;
    // The bytes of a file below the folder; empty when it does not exist.
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

// Reads a whole file; empty when it does not exist.
std::string readFile(const std::filesystem::path& path);

} // namespace Test
