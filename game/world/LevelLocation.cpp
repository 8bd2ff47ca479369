#include "game/world/LevelLocation.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProps.h"
#include "game/world/Game.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace
{

namespace fs = std::filesystem;

std::wstring& selected()
{
    static std::wstring path;
    return path;
}

// Whether the selected path is a level without a number.
bool& unnumberedSelected()
{
    static bool unnumbered = false;
    return unnumbered;
}

// A file in the data folder, by its path there ("/" separators).
LevelLocation inDataFolder(const std::string& relative)
{
    LevelLocation location;
    location.path = Engine::fromUtf8(relative);
    std::string lower = relative;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    // "levels/n<digits>.xml": the game's own numbered level.
    const std::string prefix = "levels/n";
    const std::string suffix = ".xml";
    if (lower.size() > prefix.size() + suffix.size() && lower.compare(0, prefix.size(), prefix) == 0 &&
        lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0)
    {
        const std::string digits = lower.substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
        if (digits.size() <= 6 && digits.find_first_not_of("0123456789") == std::string::npos)
            location.number = std::stoi(digits);
    }
    return location;
}

// The absolute form of a path with its links resolved as far as they exist.
fs::path resolved(const fs::path& path)
{
    std::error_code error;
    fs::path full = fs::absolute(path, error);
    if (error)
        full = path;
    const fs::path canonical = fs::weakly_canonical(full, error);
    return error ? full.lexically_normal() : canonical;
}

} // namespace

LevelLocation LevelLocation::fromPath(const std::string& given, const Engine::cFileSystem& files)
{
    std::string path = given;
    std::replace(path.begin(), path.end(), '\\', '/');
    const fs::path asGiven(path);
    std::error_code error;
    if (asGiven.is_relative() && !fs::exists(asGiven, error) && files.isKnown(path))
        return inDataFolder(asGiven.lexically_normal().generic_string());

    const fs::path full = resolved(asGiven);
    const fs::path relative = full.lexically_relative(resolved(fs::path(files.getDataFolderOnDisk())));
    if (!relative.empty() && relative != "." && *relative.begin() != "..")
        return inDataFolder(relative.generic_string());
    LevelLocation location;
    location.path = Engine::fromUtf8(full.generic_string());
    return location;
}

LevelLocation LevelLocation::fromNumber(int number)
{
    LevelLocation location;
    location.path = Game::levelPath(number);
    location.number = number;
    return location;
}

void LevelLocation::select() const
{
    setSelectedPath(path);
    unnumberedSelected() = number == kUnnumbered;
    if (number != kUnnumbered)
        Engine::cProps::set<int>(L"CurrentLevel", number);
}

int LevelLocation::playedNumber()
{
    return unnumberedSelected() ? kUnnumbered : Engine::cProps::get<int>(L"CurrentLevel");
}

const std::wstring& LevelLocation::selectedPath()
{
    return selected();
}

void LevelLocation::setSelectedPath(const std::wstring& path)
{
    selected() = path;
    unnumberedSelected() = false;
}

std::wstring& LevelLocation::selectedPathSlot()
{
    return selected();
}
