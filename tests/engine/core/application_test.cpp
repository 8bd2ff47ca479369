#include "engine/core/cApplication.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FatalError.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace
{

using Engine::cApplication;

TEST(Application, ClassNameIsThePrefixAndTheFileNameLowerCased)
{
    EXPECT_EQ(cApplication::makeClassName("Town.EXE"), L"kelvask_town.exe");
    EXPECT_EQ(cApplication::makeClassName("quillmoor"), L"kelvask_quillmoor");
    EXPECT_EQ(cApplication::makeClassName(""), L"");
}

TEST(Application, DataFolderSitsBesideTheExecutable)
{
    EXPECT_EQ(cApplication::makeDataFolder("/opt/game/quillmoor", "Data"), L"/opt/game/Data");
    EXPECT_EQ(cApplication::makeDataFolder("/opt/game/quillmoor", "/srv/data"), L"/srv/data");
}

TEST(Application, AFailingStartLeavesNoSingletonBehind)
{
    // A data folder without constants: the file system cannot name the shared folder.
    ::Test::TempDir data;
    const std::string folder = data.path().string();
    Engine::cAppParams params;
    params.dataFolderName = folder.c_str();
    params.singleInstance = false;
    EXPECT_THROW(cApplication::create(params), std::string);
    EXPECT_EQ(cApplication::instance(), nullptr);
    EXPECT_EQ(Engine::cFileSystem::instance(), nullptr);
    EXPECT_EQ(Engine::cResourceManager::instance(), nullptr);
    EXPECT_EQ(Engine::cTimer::instance(), nullptr);
    EXPECT_EQ(Engine::cLogic::instance(), nullptr);
}

TEST(Application, FatalErrorWithoutAnApplicationWritesTheLogAndReturns)
{
    const std::string text = "fatal test " + std::to_string(std::rand()) + "\nRestart the game please.";
    Engine::getErrorString() = text;
    testing::internal::CaptureStderr();
    Engine::reportFatal(text);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Error: " + text), std::string::npos) << shown;
    const std::string log = ::Test::readFile("error.log");
    EXPECT_NE(log.find(text), std::string::npos);
}

// The real program, started from a copy beside a data folder without constants: the failure
// reaches the entry point, which writes "error.log" and ends with 0 without waiting for anyone.
TEST(Application, TheProgramReportsAFailedStartAndExitsZero)
{
    ::Test::TempDir folder;
    const std::filesystem::path program = folder.path() / "quillmoor";
    std::filesystem::copy_file(QUILL_EXECUTABLE, program);
    std::filesystem::create_directories(folder.path() / "Data");
    const std::string command = "cd '" + folder.path().string() + "' && XDG_DATA_HOME='" +
                                folder.path().string() +
                                "/share' QUILLMOOR_HEADLESS=1 ./quillmoor 2>stderr.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << folder.read("stderr.txt");
    const std::string log = folder.read("error.log");
    const std::string expected = "File \"sys/constants.xml\" not found.\nRestart the game please.";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_NE(folder.read("stderr.txt").find("Error: " + expected), std::string::npos);
}

} // namespace
