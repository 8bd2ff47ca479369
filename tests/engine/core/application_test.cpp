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
#include <unistd.h>

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
// reaches the entry point, which writes "error.log" and stderr and ends without waiting for
// anyone, with an exit status that says the run failed.
TEST(Application, TheProgramReportsAFailedStartAndExitsWithAFailure)
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
    EXPECT_EQ(WEXITSTATUS(status), 1) << folder.read("stderr.txt");
    const std::string log = folder.read("error.log");
    const std::string expected = "File \"sys/constants.xml\" not found.\nRestart the game please.";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_NE(folder.read("stderr.txt").find("Error: " + expected), std::string::npos);
}

// A shared folder that cannot take the single-instance lock (here a file where the folder should
// be) never keeps the game from starting: without a runtime folder the lock goes to a folder of
// the user's own under the temporary folder, and the start goes on (to the missing constants).
TEST(Application, ASharedFolderThatCannotTakeTheLockIsPassedOver)
{
    ::Test::TempDir folder;
    std::filesystem::copy_file(QUILL_EXECUTABLE, folder.path() / "quillmoor");
    std::filesystem::create_directories(folder.path() / "Data");
    folder.write("share", "a file where the shared folder should be");
    std::filesystem::create_directories(folder.path() / "tmp");
    const std::string root = folder.path().string();
    const std::string command = "cd '" + root + "' && env -u XDG_RUNTIME_DIR XDG_DATA_HOME='" + root +
                                "/share' TMPDIR='" + root +
                                "/tmp' QUILLMOOR_HEADLESS=1 ./quillmoor 2>stderr.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    const std::string log = folder.read("error.log");
    EXPECT_EQ(log.find("lock"), std::string::npos) << log;
    EXPECT_NE(log.find("File \"sys/constants.xml\" not found."), std::string::npos)
        << "the start went on past the lock: " << log << folder.read("stderr.txt");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "tmp" / ("quillmoor-" + std::to_string(::getuid())) /
                                        "kelvask_quillmoor.lock"));
    EXPECT_NE(folder.read("application.log").find("The single-instance lock is kept elsewhere"),
              std::string::npos);
}

} // namespace
