// The tools over a data folder whose pack is damaged: each says once which pack cannot be
// opened and why, or where in the pack the damage is, and ends with a failure.
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace
{

const std::string kTools = QUILL_BINARY_DIR "/tools/";

struct ToolRun
{
    std::vector<std::string> lines;
    int status = -1;
};

// Runs levelcheck over `data` from `folder`; stdout and stderr together, line by line.
ToolRun check(const ::Test::TempDir& folder, const std::string& data)
{
    ToolRun result;
    const std::string command = "cd '" + folder.path().string() + "' && XDG_DATA_HOME='" +
                                folder.path().string() + "/share' " + kTools + "levelcheck --data '" + data +
                                "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::string output;
    char buffer[4096];
    for (size_t read = 0; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, read);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        result.lines.push_back(line);
    return result;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

int count(const std::vector<std::string>& lines, const std::string& part)
{
    int n = 0;
    for (const std::string& line : lines)
        n += line.find(part) != std::string::npos ? 1 : 0;
    return n;
}

TEST(PackMessages, ACutPackIsNamedOnceWithWhatIsWrongWithIt)
{
    ::Test::TempDir folder;
    {
        ::Test::ZipWriter zip(folder.path() / "whole.pack");
        zip.add("levels/field.xml", std::string(2000, 'x'));
    }
    const std::string whole = folder.read("whole.pack");
    const std::string pack = folder.write("data/art.pack", whole.substr(0, whole.size() - 40)).string();
    const ToolRun run = check(folder, folder.path().string() + "/data");
    EXPECT_EQ(run.status, 1) << joined(run.lines);
    // The pack's own message, then the tool's failure; the reason once, and no code of 0.
    EXPECT_EQ(count(run.lines, pack + " cannot be opened."), 2) << joined(run.lines);
    EXPECT_EQ(count(run.lines, pack + " cannot be opened.: "), 0) << joined(run.lines);
    EXPECT_EQ(count(run.lines, pack + " is not a zip pack, or it is damaged"), 1) << joined(run.lines);
    for (const std::string& line : run.lines)
        EXPECT_NE(line, "0: 0");
}

TEST(PackMessages, FlippedBytesInAPackNameThePackAndTheMember)
{
    ::Test::TempDir folder;
    std::filesystem::create_directories(folder.path() / "data");
    {
        ::Test::ZipWriter zip(folder.path() / "data" / "art.pack");
        zip.add("levels/a.xml", "<a/>");
        zip.add("levels/b.xml", "<b/>");
    }
    std::string bytes = folder.read("data/art.pack");
    const size_t second = bytes.rfind(std::string("PK\x01\x02", 4));
    ASSERT_NE(second, std::string::npos);
    bytes[second + 1] = static_cast<char>(bytes[second + 1] ^ 0x21);
    const std::string pack = folder.write("data/art.pack", bytes).string();
    const ToolRun run = check(folder, folder.path().string() + "/data");
    EXPECT_EQ(run.status, 1) << joined(run.lines);
    EXPECT_EQ(count(run.lines, "Pack finder raise error during search. (the pack '" + pack +
                                   "', the member after 'levels/a.xml')"),
              1)
        << joined(run.lines);
}

} // namespace
