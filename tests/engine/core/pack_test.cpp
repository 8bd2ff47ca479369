#include "engine/core/ErrorText.h"
#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cPackArchive.h"
#include "engine/core/cPackStream.h"
#include "engine/core/cString.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace
{

using Engine::cPackStream;

std::string readAll(Engine::cStream& stream)
{
    std::string out;
    char buffer[7];
    for (int got; (got = stream.read(buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(got));
    return out;
}

// The text of the engine failure that `open` throws.
template <class F> std::string failureOf(F open)
{
    try
    {
        open();
    }
    catch (const Engine::cString<std::string>& text)
    {
        return text;
    }
    return "(nothing thrown)";
}

std::vector<std::string> members(const std::wstring& pack)
{
    std::vector<std::string> names;
    const std::unique_ptr<void, void (*)(unzFile)> handle(Engine::openPack(pack), Engine::closePack);
    std::string name;
    for (bool more = Engine::packFirstFile(handle.get(), name); more;
         more = Engine::packNextFile(handle.get(), name))
        names.push_back(name);
    return names;
}

const std::string Text = "The quick brown fox jumps over the lazy dog, again and again and again.";

class Pack : public ::testing::Test
{
protected:
    std::wstring packPath(const std::string& name) const { return Engine::fromUtf8(packText(name)); }
    std::string packText(const std::string& name) const { return (dir.path() / name).string(); }

    ::Test::TempDir dir;
};

TEST_F(Pack, MembersReadWholeDeflatedOrStored)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("Sys/Deflated.XML", Text);
        zip.add("stored.bin", Text, false);
        zip.add("empty.txt", "");
    }
    for (const char* member : {"Sys/Deflated.XML", "stored.bin"})
    {
        cPackStream stream(packPath("a.pack"), member);
        EXPECT_EQ(stream.size(), Text.size());
        EXPECT_EQ(readAll(stream), Text) << member;
        EXPECT_EQ(stream.write("x", 1), 0);
    }
    cPackStream empty(packPath("a.pack"), "empty.txt");
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(readAll(empty), "");
}

TEST_F(Pack, MembersAreFoundInAnyCaseButTheExactNameFirst)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("Textures/Hero.PNG", "upper");
        zip.add("textures/hero.png", "lower");
    }
    cPackStream lower(packPath("a.pack"), "textures/hero.png");
    EXPECT_EQ(readAll(lower), "lower");
    cPackStream upper(packPath("a.pack"), "Textures/Hero.PNG");
    EXPECT_EQ(readAll(upper), "upper");
    cPackStream mixed(packPath("a.pack"), "TEXTURES/hero.png");
    EXPECT_EQ(readAll(mixed), "upper");
}

TEST_F(Pack, SeekMovesForwardBackAndFromTheEnd)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("t.txt", Text);
    }
    cPackStream stream(packPath("a.pack"), "t.txt");
    char buffer[5];
    EXPECT_EQ(stream.seek(10, Engine::SeekBegin), 10);
    ASSERT_EQ(stream.read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), Text.substr(10, 5));
    EXPECT_EQ(stream.seek(-12, Engine::SeekCurrent), 3);
    ASSERT_EQ(stream.read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), Text.substr(3, 5));
    const int size = static_cast<int>(Text.size());
    EXPECT_EQ(stream.seek(-5, Engine::SeekEnd), size - 5);
    ASSERT_EQ(stream.read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), Text.substr(Text.size() - 5));
    EXPECT_EQ(stream.read(buffer, 5), 0);
    // Positions stay inside the member.
    EXPECT_EQ(stream.seek(1000, Engine::SeekBegin), size);
    EXPECT_EQ(stream.seek(-1000, Engine::SeekCurrent), 0);
    EXPECT_EQ(readAll(stream), Text);
}

TEST_F(Pack, OpenFailuresAreStoredAndThrown)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("x.xml", "x");
    }
    Engine::getErrorString().clear();
    const std::string missingPack = failureOf([&] { cPackStream(packPath("none.pack"), "x.xml"); });
    EXPECT_EQ(missingPack,
              "Cant't open pack file '" + packText("none.pack") + "' (to read its member 'x.xml')");
    EXPECT_EQ(Engine::getErrorString(), missingPack);
    const std::string missingMember = failureOf([&] { cPackStream(packPath("a.pack"), "y.xml"); });
    EXPECT_EQ(missingMember, "Cant't find file 'y.xml' in the '" + packText("a.pack") + "' pack.");
    EXPECT_EQ(Engine::getErrorString(), missingMember);
}

TEST_F(Pack, EnumerationListsMembersInPackOrder)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("b.xml", "b");
        zip.add("dir/", "");
        zip.add("a.xml", "a");
    }
    EXPECT_EQ(members(packPath("a.pack")), (std::vector<std::string>{"b.xml", "dir/", "a.xml"}));
    {
        ::Test::ZipWriter zip(dir.path() / "empty.pack");
    }
    EXPECT_TRUE(members(packPath("empty.pack")).empty());
}

TEST_F(Pack, ANameLongerThan255BytesEndsTheEnumeration)
{
    const std::string longName(300, 'n');
    {
        ::Test::ZipWriter zip(dir.path() / "first.pack");
        zip.add(longName, "x");
    }
    {
        ::Test::ZipWriter zip(dir.path() / "second.pack");
        zip.add("ok.xml", "x");
        zip.add(longName, "x");
    }
    try
    {
        members(packPath("first.pack"));
        FAIL() << "a 300-byte name was read";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Pack finder raise error during begin of search. (File name can't be obtained.)");
    }
    try
    {
        members(packPath("second.pack"));
        FAIL() << "a 300-byte name was read";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Pack finder raise error during search. (File name can't be obtained.)");
    }
}

TEST_F(Pack, TruncatedOrGarbagePacksCannotBeOpened)
{
    {
        ::Test::ZipWriter zip(dir.path() / "whole.pack");
        zip.add("a.xml", Text);
        zip.add("b.xml", Text);
    }
    const std::string whole = ::Test::readFile(dir.path() / "whole.pack");
    dir.write("cut.pack", whole.substr(0, whole.size() - 30));
    dir.write("garbage.pack", std::string(500, '\x50'));
    for (const char* name : {"cut.pack", "garbage.pack", "missing.pack"})
    {
        try
        {
            Engine::openPack(packPath(name));
            FAIL() << name << " was opened";
        }
        catch (const std::wstring& text)
        {
            EXPECT_EQ(text, packPath(name) + L" cannot be opened.");
        }
        EXPECT_EQ(failureOf([&] { cPackStream(packPath(name), "a.xml"); }),
                  "Cant't open pack file '" + packText(name) + "' (to read its member 'a.xml')");
    }
}

TEST_F(Pack, ABrokenCentralDirectoryStopsTheEnumeration)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("a.xml", Text);
        zip.add("b.xml", Text);
    }
    std::string bytes = ::Test::readFile(dir.path() / "a.pack");
    // The second central directory entry loses its signature.
    const size_t second = bytes.rfind(std::string("PK\x01\x02", 4));
    ASSERT_NE(second, std::string::npos);
    bytes[second + 2] = 'X';
    dir.write("a.pack", bytes);
    try
    {
        members(packPath("a.pack"));
        FAIL() << "a broken directory was walked";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Pack finder raise error during search.");
    }
}

// The file system mounts packs through the same walk: a damaged directory is an error that
// names the pack and the member the damage follows, kept as the last error text for the fatal
// report.
TEST_F(Pack, ADamagedDirectoryNamesThePackAndWhereTheDamageIs)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("a.xml", Text);
        zip.add("b.xml", Text);
        zip.add("c.xml", Text);
    }
    const std::string whole = ::Test::readFile(dir.path() / "a.pack");
    const size_t first = whole.find(std::string("PK\x01\x02", 4));
    const size_t second = whole.find(std::string("PK\x01\x02", 4), first + 1);
    ASSERT_NE(second, std::string::npos);
    for (const size_t flipped : {first, second})
    {
        std::string bytes = whole;
        bytes[flipped + 2] = static_cast<char>(bytes[flipped + 2] ^ 0x5A);
        dir.write("a.pack", bytes);
        const std::string text = failureOf([&] { Engine::cPackArchive::mount(packPath("a.pack")); });
        const std::string expected = flipped == first
                                         ? "Pack finder raise error during begin of search. (the pack '" +
                                               packText("a.pack") + "', its first member)"
                                         : "Pack finder raise error during search. (the pack '" +
                                               packText("a.pack") + "', the member after 'a.xml')";
        EXPECT_EQ(text, expected);
        EXPECT_EQ(Engine::getErrorString(), text);
        EXPECT_FALSE(Engine::cPackArchive::open(packPath("a.pack"))) << "the quiet opening gives none";
    }
}

// A pack that cannot be opened is told in two messages, which a run without a display writes
// to stderr: the path, then why. A file that opens but holds no zip directory has no system
// error code to show: the second message says what is wrong with it instead.
TEST_F(Pack, APackThatCannotBeOpenedSaysWhichAndWhyOnce)
{
    {
        ::Test::ZipWriter zip(dir.path() / "whole.pack");
        zip.add("a.xml", Text);
    }
    const std::string whole = ::Test::readFile(dir.path() / "whole.pack");
    dir.write("cut.pack", whole.substr(0, whole.size() / 2));
    const auto told = [this](const char* name)
    {
        testing::internal::CaptureStderr();
        EXPECT_THROW(Engine::openPack(packPath(name)), std::wstring);
        return testing::internal::GetCapturedStderr();
    };
    EXPECT_EQ(told("cut.pack"), packText("cut.pack") + " cannot be opened.\n" + packText("cut.pack") +
                                    " is not a zip pack, or it is damaged: its directory cannot be found.\n");
    EXPECT_EQ(told("missing.pack"),
              packText("missing.pack") + " cannot be opened.\n" + std::to_string(ENOENT) + "\n");
}

TEST_F(Pack, MembersThatLieAboutTheirSizeNeverPassForWhole)
{
    const uint32_t crc = ::Test::zipCrc(Text);
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.addLying("longer.xml", Text, Text.size() + 10, crc);
        zip.addLying("shorter.xml", Text, Text.size() - 10, crc);
        zip.addLying("crc.xml", Text, Text.size(), crc ^ 1);
        zip.addLying("huge.xml", Text, 0xFFFFFF00u, crc);
        zip.addLying("true.xml", Text, Text.size(), crc);
    }
    char buffer[256];
    for (const char* member : {"longer.xml", "shorter.xml", "crc.xml"})
    {
        cPackStream stream(packPath("a.pack"), member);
        int got = 0;
        int total = 0;
        while ((got = stream.read(buffer, 16)) > 0)
            total += got;
        EXPECT_LT(got, 0) << member << " read to its end without an error";
        EXPECT_LE(total, static_cast<int>(stream.size()));
        // A later seek and read report the same damage.
        stream.seek(0, Engine::SeekEnd);
        EXPECT_LT(stream.read(buffer, 1), 0) << member;
    }
    EXPECT_EQ(failureOf([&] { cPackStream(packPath("a.pack"), "huge.xml"); }),
              "File 'huge.xml' in the '" + packText("a.pack") + "' pack is damaged.");
    cPackStream honest(packPath("a.pack"), "true.xml");
    EXPECT_EQ(readAll(honest), Text);
}

// The library reads a pack through blocks of it kept in memory: a directory longer than a
// block, members on both sides of a block's end, a long comment the directory's end is searched
// back through, and a member's local header far from the directory read as the file holds them.
TEST_F(Pack, LargeDirectoriesAndLongCommentsReadAcrossBlocks)
{
    std::vector<std::string> contents;
    {
        ::Test::ZipWriter zip(dir.path() / "big.pack");
        for (int i = 0; i < 900; ++i)
        {
            // Names of many lengths make the entries straddle every block boundary.
            std::string content(static_cast<size_t>(i * 37 % 3000), static_cast<char>('a' + i % 26));
            content += std::to_string(i);
            zip.add("folder/" + std::string(static_cast<size_t>(i % 50), 'n') + std::to_string(i) + ".txt",
                    content, i % 3 == 0);
            contents.push_back(content);
        }
    }
    std::string bytes = ::Test::readFile(dir.path() / "big.pack");
    // A comment of 40000 bytes after the end record, its length in the record's last field.
    const size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
    ASSERT_EQ(end + 22, bytes.size());
    bytes[end + 20] = static_cast<char>(40000 & 0xFF);
    bytes[end + 21] = static_cast<char>(40000 >> 8);
    bytes += std::string(40000, 'c');
    dir.write("big.pack", bytes);

    const std::vector<std::string> names = members(packPath("big.pack"));
    ASSERT_EQ(names.size(), contents.size());
    const std::shared_ptr<Engine::cPackArchive> archive = Engine::cPackArchive::open(packPath("big.pack"));
    ASSERT_TRUE(archive);
    // Read in an order that jumps between the start of the pack and its end.
    for (size_t k = 0; k < names.size(); ++k)
    {
        const size_t i = k % 2 ? names.size() - 1 - k / 2 : k / 2;
        const int index = archive->find(names[i]);
        ASSERT_GE(index, 0) << names[i];
        cPackStream stream(archive, static_cast<size_t>(index));
        EXPECT_EQ(readAll(stream), contents[i]) << names[i];
    }
}

// A plain directory is read whole; what it gives is what the zip library's walk gives, and a
// pack the quick reading does not take (bytes before the zip) is walked by the library.
TEST_F(Pack, TheDirectoryReadWholeGivesWhatTheLibrarysWalkGives)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("Sys/Deflated.XML", Text);
        zip.add("stored.bin", Text, false);
        zip.add("empty.txt", "");
        zip.add(std::string(255, 'n'), Text);
    }
    dir.write("prefixed.pack", "some bytes before the zip" + ::Test::readFile(dir.path() / "a.pack"));
    for (const char* pack : {"a.pack", "prefixed.pack"})
    {
        SCOPED_TRACE(pack);
        const std::shared_ptr<Engine::cPackArchive> archive = Engine::cPackArchive::open(packPath(pack));
        ASSERT_TRUE(archive);
        const std::unique_ptr<void, void (*)(unzFile)> handle(Engine::openPack(packPath(pack)),
                                                              Engine::closePack);
        std::string name;
        unz_file_info64 info;
        size_t index = 0;
        for (bool more = Engine::packFirstFile(handle.get(), name, &info); more;
             more = Engine::packNextFile(handle.get(), name, &info), ++index)
        {
            ASSERT_LT(index, archive->memberCount());
            const Engine::cPackArchive::Member& member = archive->member(index);
            EXPECT_EQ(member.name, name);
            EXPECT_EQ(member.size, info.uncompressed_size);
            EXPECT_EQ(member.compressedSize, info.compressed_size);
            EXPECT_EQ(member.crc, info.crc);
            EXPECT_EQ(member.method, static_cast<int>(info.compression_method));
            // The data starts where the library's opening of the member finds it.
            ASSERT_EQ(unzOpenCurrentFile(handle.get()), UNZ_OK);
            EXPECT_EQ(archive->dataOffset(index),
                      static_cast<int64_t>(unzGetCurrentFileZStreamPos64(handle.get())))
                << name;
            unzCloseCurrentFile(handle.get());
            cPackStream stream(archive, index);
            EXPECT_EQ(readAll(stream), name == "empty.txt" ? "" : Text) << name;
        }
        EXPECT_EQ(index, archive->memberCount());
    }
}

TEST_F(Pack, AMemberWhoseLocalHeaderIsDamagedIsRefusedByName)
{
    {
        ::Test::ZipWriter zip(dir.path() / "a.pack");
        zip.add("a.xml", Text);
        zip.add("b.xml", Text);
    }
    std::string bytes = ::Test::readFile(dir.path() / "a.pack");
    // The second local header loses its signature; the directory still names the member.
    const size_t second = bytes.find(std::string("PK\x03\x04", 4), 1);
    ASSERT_NE(second, std::string::npos);
    bytes[second + 3] = 'X';
    dir.write("a.pack", bytes);
    EXPECT_EQ(members(packPath("a.pack")), (std::vector<std::string>{"a.xml", "b.xml"}));
    cPackStream first(packPath("a.pack"), "a.xml");
    EXPECT_EQ(readAll(first), Text);
    EXPECT_EQ(failureOf([&] { cPackStream(packPath("a.pack"), "b.xml"); }),
              "Cant't open file 'b.xml' in the '" + packText("a.pack") + "' pack.");
}

TEST(PackCallback, ModesFollowTheLibrarysOwnChoice)
{
    ::Test::TempDir dir;
    const std::string path = dir.write("p.pack", "zip").string();
    EXPECT_EQ(Engine::packOpenFileCallback(nullptr, nullptr, ZLIB_FILEFUNC_MODE_READ), nullptr);
    EXPECT_EQ(Engine::packOpenFileCallback(nullptr, path.c_str(), 0), nullptr);
    voidpf file = Engine::packOpenFileCallback(nullptr, path.c_str(), ZLIB_FILEFUNC_MODE_READ);
    ASSERT_NE(file, nullptr);
    std::fclose(static_cast<FILE*>(file));
}

} // namespace
