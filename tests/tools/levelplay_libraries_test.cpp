// levelplay plays a whole level without loading SDL or SDL_mixer: it draws on the recording
// device and plays no sound, and loading the two (with the sixty libraries under them) would cost
// every run a fifth of its start. The dynamic loader's own report of each file it opens, whether
// named by the program or opened later, is the witness: SDL linked again into the programs shows
// up here as much as SDL opened by some call on the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace
{

const std::string kLevelplay = QUILL_BINARY_DIR "/tools/levelplay";
const std::string kData = QUILL_SOURCE_DIR "/data";

TEST(LevelplayLibraries, AWholeLevelIsPlayedWithoutSdl)
{
    const std::string command = "LD_DEBUG=files " + kLevelplay + " --data " + kData + " " + kData +
                                "/Levels/n0.xml " + kData + "/Levels/n0.play 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, read);
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_NE(output.find("won=1"), std::string::npos) << output;
    // The loader did report: the C library is always among the files.
    ASSERT_NE(output.find("file=libc.so.6"), std::string::npos) << output;
    EXPECT_EQ(output.find("libSDL2"), std::string::npos) << output;
}

} // namespace
