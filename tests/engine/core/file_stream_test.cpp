#include "engine/core/StringUtils.h"
#include "engine/core/cAtomicFileStream.h"
#include "engine/core/cFileStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

namespace
{

using Engine::cAtomicFileStream;
using Engine::cFileStream;

constexpr uint32_t ReadWrite = cFileStream::AccessRead | cFileStream::AccessWrite;

TEST(FileStream, ReadStopsAtTheEndAndSizeKeepsThePosition)
{
    ::Test::TempDir dir;
    const std::string path = dir.write("ten.bin", "0123456789").string();
    cFileStream stream(path, cFileStream::AccessRead, cFileStream::OpenExisting);
    EXPECT_EQ(stream.seek(-4, Engine::SeekEnd), 6);
    EXPECT_EQ(stream.size(), 10u);
    EXPECT_EQ(stream.seek(0, Engine::SeekCurrent), 6);
    char buffer[10] = {};
    EXPECT_EQ(stream.read(buffer, 10), 4);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(stream.read(buffer, 10), 0);
    EXPECT_EQ(stream.read(buffer, 0), 0);
    // An unknown origin counts from the beginning.
    EXPECT_EQ(stream.seek(3, 7), 3);
    EXPECT_EQ(stream.read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "34");
}

TEST(FileStream, MissingFileThrowsInThePathsWidth)
{
    ::Test::TempDir dir;
    const std::string narrow = (dir.path() / "missing.xml").string();
    try
    {
        cFileStream stream(narrow, cFileStream::AccessRead, cFileStream::OpenExisting);
        FAIL() << "opened a missing file";
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(text, "Can't open file \"" + narrow + "\".");
    }
    const std::wstring wide = Engine::fromUtf8(dir.path().string() + "/f\u00e9h\u00e9.xml");
    try
    {
        cFileStream stream(wide, cFileStream::AccessRead, cFileStream::OpenExisting);
        FAIL() << "opened a missing file";
    }
    catch (const std::wstring& text)
    {
        EXPECT_EQ(text, L"Can't open file \"" + wide + L"\".");
    }
}

TEST(FileStream, AccessAndDispositionChooseTheMode)
{
    ::Test::TempDir dir;
    const std::wstring path = Engine::fromUtf8(dir.path().string() + "/\u00e9t\u00e9.bin");
    {
        cFileStream created(path, cFileStream::AccessWrite, cFileStream::CreateAlways);
        EXPECT_EQ(created.write("abcdef", 6), 6);
        char buffer[4];
        EXPECT_EQ(created.read(buffer, 4), 0) << "a write-only stream read";
    }
    {
        cFileStream readOnly(path, cFileStream::AccessRead, cFileStream::OpenExisting);
        EXPECT_EQ(readOnly.write("x", 1), 0) << "a read-only stream wrote";
        EXPECT_EQ(readOnly.size(), 6u);
    }
    {
        cFileStream both(path, ReadWrite, cFileStream::OpenExisting);
        both.seek(2, Engine::SeekBegin);
        EXPECT_EQ(both.write("XY", 2), 2);
        both.seek(0, Engine::SeekBegin);
        char buffer[6];
        EXPECT_EQ(both.read(buffer, 6), 6);
        EXPECT_EQ(std::string(buffer, 6), "abXYef");
    }
    cFileStream truncated(path, ReadWrite, cFileStream::CreateAlways);
    EXPECT_EQ(truncated.size(), 0u);
    truncated.close();
    truncated.close();
    EXPECT_FALSE(truncated.isOpen());
    EXPECT_EQ(truncated.size(), 0u);
    EXPECT_EQ(truncated.seek(1, Engine::SeekBegin), 0);
    char byte;
    EXPECT_EQ(truncated.read(&byte, 1), 0);
    EXPECT_EQ(truncated.write("x", 1), 0);
}

TEST(AtomicFileStream, TheOldFileStaysUntilTheNewOneIsComplete)
{
    ::Test::TempDir dir;
    const std::string path = dir.write("settings.xml", "old").string();
    bool hookRan = false;
    {
        cAtomicFileStream stream(path, [&] { hookRan = true; });
        EXPECT_EQ(stream.write("new contents", 12), 12);
        EXPECT_EQ(::Test::readFile(path), "old");
        EXPECT_TRUE(std::filesystem::exists(path + ".tmp"));
        // Read back what was written so far, as a read-write stream allows.
        stream.seek(0, Engine::SeekBegin);
        char buffer[3];
        EXPECT_EQ(stream.read(buffer, 3), 3);
        EXPECT_FALSE(hookRan);
    }
    EXPECT_TRUE(hookRan);
    EXPECT_EQ(::Test::readFile(path), "new contents");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(AtomicFileStream, AnExceptionDuringWritingKeepsTheOldFile)
{
    ::Test::TempDir dir;
    const std::string path = dir.write("profile.dat", "old").string();
    bool hookRan = false;
    try
    {
        cAtomicFileStream stream(path, [&] { hookRan = true; });
        stream.write("half", 4);
        throw std::runtime_error("the writer failed");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_FALSE(hookRan);
    EXPECT_EQ(::Test::readFile(path), "old");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(AtomicFileStream, ExplicitCloseCommitsAndReportsIt)
{
    ::Test::TempDir dir;
    const std::string path = (dir.path() / "best.xml").string();
    cAtomicFileStream stream(path);
    stream.write("x", 1);
    EXPECT_FALSE(stream.committed());
    stream.close();
    EXPECT_TRUE(stream.committed());
    EXPECT_FALSE(stream.failed());
    EXPECT_EQ(::Test::readFile(path), "x");
    EXPECT_EQ(stream.write("y", 1), 0);
}

// The text names what the system refused: the final name where its folder cannot take it, the
// temporary file where something stands in its place.
TEST(AtomicFileStream, AFileThatCannotBeOpenedIsNamedByWhatStandsInTheWay)
{
    ::Test::TempDir dir;
    const std::string missing = (dir.path() / "no-such-folder" / "a.xml").string();
    const std::string blocked = (dir.path() / "b.xml").string();
    std::filesystem::create_directory(blocked + ".tmp");
    const struct
    {
        const std::string& path;
        std::string expected;
    } cases[] = {
        {missing, "Can't open file \"" + missing + "\": No such file or directory."},
        {blocked, "Can't open file \"" + blocked + ".tmp\": Is a directory."},
    };
    for (const auto& c : cases)
        try
        {
            cAtomicFileStream stream(c.path);
            ADD_FAILURE() << "opened " << c.path;
        }
        catch (const std::string& text)
        {
            EXPECT_EQ(text, c.expected);
        }
}

// The mode a written file ends with, whatever the umask: a new file is its owner's alone, a
// file written again keeps the old one's mode, and the owner can always read back the file.
TEST(FileModes, NewFilesAreTheOwnersAndRewrittenOnesKeepTheirMode)
{
    constexpr int None = -1;
    struct Case
    {
        const char* what;
        bool atomic;
        int oldMode;
        int staleTemporaryMode;
        mode_t expected;
    } const cases[] = {
        {"a new file", false, None, None, 0600},
        {"a truncated file", false, 0640, None, 0640},
        {"a new file replaced whole", true, None, None, 0600},
        {"a file others may read", true, 0644, None, 0644},
        {"a group's file", true, 0640, 0666, 0640},
        {"after a temporary file of a killed run", true, None, 0666, 0600},
        {"a file its owner made read-only", true, 0444, None, 0644},
        {"a file nobody may read", true, 0000, None, 0600},
    };
    const struct NoUmask
    {
        const mode_t before = ::umask(0);
        ~NoUmask() { ::umask(before); }
    } noUmask;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ::Test::TempDir dir;
        const std::string path = (dir.path() / "00000001.xml").string();
        if (c.oldMode != None)
            std::filesystem::permissions(dir.write("00000001.xml", "old"),
                                         static_cast<std::filesystem::perms>(c.oldMode));
        if (c.staleTemporaryMode != None)
            std::filesystem::permissions(dir.write("00000001.xml.tmp", "stale"),
                                         static_cast<std::filesystem::perms>(c.staleTemporaryMode));
        if (c.atomic)
            cAtomicFileStream(path).write("new", 3);
        else
            cFileStream(path, cFileStream::AccessWrite, cFileStream::CreateAlways).write("new", 3);
        struct stat status
        {
        };
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.expected);
    }
}

} // namespace
