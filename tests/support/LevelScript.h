#pragma once

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
std::vector<ScriptLine> parseLevelScript(const std::string& text, const std::string& name);

// The lines of a script file; a file that cannot be read throws "PATH: cannot be read".
std::vector<ScriptLine> readLevelScript(const std::string& path);

} // namespace Test
