#include "tools/artgen/Manifest.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace ArtGen
{

namespace
{

std::string number(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

} // namespace

std::string manifestText(std::vector<SheetInfo> sheets)
{
    std::sort(sheets.begin(), sheets.end(),
              [](const SheetInfo& a, const SheetInfo& b) { return a.path < b.path; });
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"#path", "size", "frame", "grid", "frames", "fps", "anchor", "unit", "level", "look",
                    "states", "angle", "slice", "edge", "use"});
    for (const SheetInfo& s : sheets)
        rows.push_back(
            {s.path, std::to_string(s.frameWidth * s.columns) + "x" + std::to_string(s.frameHeight * s.rows),
             std::to_string(s.frameWidth) + "x" + std::to_string(s.frameHeight),
             std::to_string(s.columns) + "x" + std::to_string(s.rows), std::to_string(s.frames),
             number(s.rate), number(s.anchorX) + "," + number(s.anchorY), s.unit, s.level, s.look, s.states,
             s.angle, s.slice, s.bleed ? "bleed" : "free", s.use});
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    std::ostringstream out;
    out << "# Every picture of data/art.pack, written by artgen from the sources in tools/art; do not\n"
           "# edit it by hand (tools/art/README.md says how to write it again and what each column is).\n";
    for (const auto& row : rows)
    {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i)
        {
            line += row[i];
            // The last column, the use, is free text to the end of the line.
            if (i + 1 < row.size())
                line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        out << line << "\n";
    }
    return out.str();
}

} // namespace ArtGen
