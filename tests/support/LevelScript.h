#pragma once

// Header only: levelplay reads its scripts with it too, without the test support library.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Test
{

// One line of a level's play script (data/Levels/n<N>.play):
//
//   at T click TYPE[#K]     clicks the K-th unit of that type (from 1, in the order the level
//                           file holds them; 1 when left out)
//   at T upgrade TYPE[#K]   presses that unit's upgrade button
//   at T cancel             the cancel input
//   at T save               leaves the level; the unfinished level is written
//   at T restore            continues the level from that save
//   # ...                   a comment, also after a line
//
// T is the level clock in seconds; the times of a script never go back.
struct ScriptLine
{
    enum Verb
    {
        Click,
        Upgrade,
        Cancel,
        Save,
        Restore
    };
    float time = 0.0f;
    Verb verb = Click;
    std::string type;
    int index = 1;
    int line = 0;
};

// The lines of a script's text; a line that cannot be used throws a std::runtime_error
// "NAME:LINE: why", `name` standing for the file.
inline std::vector<ScriptLine> parseLevelScript(const std::string& text, const std::string& name)
{
    std::vector<ScriptLine> lines;
    std::istringstream input(text);
    std::string row;
    int number = 0;
    float last = 0.0f;
    while (std::getline(input, row))
    {
        ++number;
        // A "#" starts a comment unless it follows a type name (TYPE#K).
        std::string content;
        for (size_t i = 0; i < row.size(); ++i)
        {
            if (row[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(row[i - 1]))))
                break;
            content += row[i];
        }
        std::istringstream words(content);
        std::string at;
        if (!(words >> at))
            continue;
        const auto bad = [&](const std::string& why)
        { return std::runtime_error(name + ":" + std::to_string(number) + ": " + why); };
        ScriptLine line;
        line.line = number;
        std::string time;
        std::string verb;
        if (at != "at" || !(words >> time >> verb))
            throw bad("expected \"at TIME VERB ...\"");
        char* end = nullptr;
        line.time = std::strtof(time.c_str(), &end);
        if (end == time.c_str() || *end != '\0' || !std::isfinite(line.time) || line.time < 0.0f)
            throw bad("\"" + time + "\" is no time in seconds");
        if (line.time < last)
            throw bad("the times must not go back");
        last = line.time;
        if (verb == "click" || verb == "upgrade")
        {
            line.verb = verb == "click" ? ScriptLine::Click : ScriptLine::Upgrade;
            std::string unit;
            if (!(words >> unit))
                throw bad(verb + " needs a unit type");
            const size_t hash = unit.find('#');
            if (hash != std::string::npos)
            {
                const std::string count = unit.substr(hash + 1);
                if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos ||
                    count.size() > 6 || std::stoi(count) < 1)
                    throw bad("\"" + unit + "\": the number after # counts from 1");
                line.index = std::stoi(count);
                unit.erase(hash);
            }
            if (unit.empty())
                throw bad(verb + " needs a unit type");
            line.type = unit;
        }
        else if (verb == "cancel")
            line.verb = ScriptLine::Cancel;
        else if (verb == "save")
            line.verb = ScriptLine::Save;
        else if (verb == "restore")
            line.verb = ScriptLine::Restore;
        else
            throw bad("unknown verb \"" + verb + "\"");
        std::string extra;
        if (words >> extra)
            throw bad("\"" + extra + "\" follows the command");
        lines.push_back(line);
    }
    return lines;
}

// The lines of a script file; a file that cannot be read throws "PATH: cannot be read".
inline std::vector<ScriptLine> readLevelScript(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(path + ": cannot be read");
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return parseLevelScript(bytes.str(), path);
}

} // namespace Test
