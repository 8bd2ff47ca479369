#pragma once

#include <map>
#include <string>

namespace ArtGen
{

// Writes a zip pack that is the same, byte for byte, every time it is written from the same
// members: members in name order, stored as they are (PNG is compressed already), every date
// the same. The pack is written to "<path>.<process id>.part" and renamed over `path` at the
// end, so that builds running at once never see half a pack.
class PackWriter
{
public:
    // Throws std::runtime_error naming the path when the pack cannot be written.
    static void write(const std::string& path, const std::map<std::string, std::string>& members);
};

} // namespace ArtGen
