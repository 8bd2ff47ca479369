// The run where file permissions hold, which the tests of unreadable player files stand on: a
// file made unreadable stays so for the test and for the game it starts, while the programs
// and files of the tests' own user stay reachable wherever the clone lies (a folder no other
// user may enter, as root's home is).
#include "tests/support/DiskFaults.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace
{

TEST(PermissionsHold, ForTheTestAndTheProgramsItStartsFromAClosedFolder)
{
    ::Test::TempDir work;
    // The clone: a program in a folder that only its owner may enter.
    ::Test::TempDir clone;
    const std::filesystem::path program = clone.write("build/show", "#!/bin/sh\nexec cat \"$1\"\n");
    ASSERT_EQ(::chmod(program.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(clone.path().c_str(), 0700), 0);
    const struct
    {
        const char* name;
        mode_t mode;
        bool readable;
    } files[] = {{"open.txt", 0600, true}, {"closed.txt", 0, false}};
    for (const auto& file : files)
        work.write(file.name, file.name);

    ::Test::runUnprivileged(work.path(),
                            [&]
                            {
                                EXPECT_FALSE(::Test::permissionsAreIgnored());
                                for (const auto& file : files)
                                {
                                    SCOPED_TRACE(file.name);
                                    const std::filesystem::path path = work.path() / file.name;
                                    ASSERT_EQ(::chmod(path.c_str(), file.mode), 0);
                                    EXPECT_EQ(std::ifstream(path).is_open(), file.readable)
                                        << "read by the test";
                                    const std::string shown = (work.path() / "shown").string();
                                    const std::string command = "'" + program.string() + "' '" +
                                                                path.string() + "' >'" + shown + "' 2>&1";
                                    EXPECT_EQ(std::system(command.c_str()) == 0, file.readable)
                                        << "read by a program of the clone: " << ::Test::readFile(shown);
                                }
                            });
}

} // namespace
