// Packs made by Info-ZIP's zip with zip64 records, which it writes for any pack when asked (-fz)
// and for packs past 4 GiB: the sizes and offsets stand in extra fields of the directory and the
// local headers, the directory's end in a zip64 end record. They load like any other pack.
#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cPackArchive.h"
#include "engine/core/cPackStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

// What the pack below holds, and the pack: made by
//     cd src && zip -r -X -fz ../zip64.pack .
// (Zip 3.0) over a folder holding these two files; "levels/field.xml" is deflated, "small.txt"
// stored, and "levels/" has an entry of its own. The same bytes seed the pack fuzzer
// (fuzz/corpus/zip_pack/zip64.pack).
const std::string FieldXml = "<Level>" + std::string(3000, 'x') + "</Level>";
const std::string SmallTxt = "hello";

const std::string Zip64Pack(
    "\x50\x4b\x03\x04\x2d\x00\x00\x00\x00\x00\xa0\x83\x88\x5d\x00\x00\x00\x00\xff\xff\xff\xff\xff\xff"
    "\xff\xff\x07\x00\x14\x00\x6c\x65\x76\x65\x6c\x73\x2f\x01\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x50\x4b\x03\x04\x2d\x00\x00\x00\x08\x00\xa0\x83\x88\x5d\x05"
    "\x7d\x52\xf1\xff\xff\xff\xff\xff\xff\xff\xff\x10\x00\x14\x00\x6c\x65\x76\x65\x6c\x73\x2f\x66\x69"
    "\x65\x6c\x64\x2e\x78\x6d\x6c\x01\x00\x10\x00\xc7\x0b\x00\x00\x00\x00\x00\x00\x23\x00\x00\x00\x00"
    "\x00\x00\x00\xb3\xf1\x49\x2d\x4b\xcd\xb1\xab\x18\x05\xa3\x60\x14\x8c\x82\x51\x30\x0a\x46\xc1\x28"
    "\x18\x05\xa3\x60\x14\x0c\x7a\x60\xa3\x0f\x69\xbf\x03\x00\x50\x4b\x03\x04\x2d\x00\x00\x00\x00\x00"
    "\xa0\x83\x88\x5d\x86\xa6\x10\x36\xff\xff\xff\xff\xff\xff\xff\xff\x09\x00\x14\x00\x73\x6d\x61\x6c"
    "\x6c\x2e\x74\x78\x74\x01\x00\x10\x00\x05\x00\x00\x00\x00\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00"
    "\x00\x68\x65\x6c\x6c\x6f\x50\x4b\x01\x02\x1e\x03\x0a\x00\x00\x00\x00\x00\xa0\x83\x88\x5d\x00\x00"
    "\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\x07\x00\x0c\x00\x00\x00\x00\x00\x00\x00\x10\x00\xed\x41"
    "\x00\x00\x00\x00\x6c\x65\x76\x65\x6c\x73\x2f\x01\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00\x50"
    "\x4b\x01\x02\x1e\x03\x2d\x00\x00\x00\x08\x00\xa0\x83\x88\x5d\x05\x7d\x52\xf1\x23\x00\x00\x00\xff"
    "\xff\xff\xff\x10\x00\x0c\x00\x00\x00\x00\x00\x01\x00\x00\x00\xa4\x81\x39\x00\x00\x00\x6c\x65\x76"
    "\x65\x6c\x73\x2f\x66\x69\x65\x6c\x64\x2e\x78\x6d\x6c\x01\x00\x08\x00\xc7\x0b\x00\x00\x00\x00\x00"
    "\x00\x50\x4b\x01\x02\x1e\x03\x2d\x00\x00\x00\x00\x00\xa0\x83\x88\x5d\x86\xa6\x10\x36\x05\x00\x00"
    "\x00\xff\xff\xff\xff\x09\x00\x0c\x00\x00\x00\x00\x00\x01\x00\x00\x00\xa4\x81\x9e\x00\x00\x00\x73"
    "\x6d\x61\x6c\x6c\x2e\x74\x78\x74\x01\x00\x08\x00\x05\x00\x00\x00\x00\x00\x00\x00\x50\x4b\x06\x06"
    "\x2c\x00\x00\x00\x00\x00\x00\x00\x1e\x03\x2d\x00\x00\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00"
    "\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\xce\x00\x00\x00\x00\x00\x00\x00\xde\x00\x00\x00"
    "\x00\x00\x00\x00\x50\x4b\x06\x07\x00\x00\x00\x00\xac\x01\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00"
    "\x50\x4b\x05\x06\x00\x00\x00\x00\x03\x00\x03\x00\xce\x00\x00\x00\xff\xff\xff\xff\x00\x00",
    526);

std::string readAll(Engine::cStream& stream)
{
    std::string out;
    char buffer[1000];
    for (int got; (got = stream.read(buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(got));
    return out;
}

// Every file member of a mounted pack, read through the file system's way in.
std::map<std::string, std::string> readMembers(const std::wstring& path)
{
    std::map<std::string, std::string> read;
    const std::shared_ptr<Engine::cPackArchive> pack = Engine::cPackArchive::mount(path);
    for (size_t index = 0; index < pack->memberCount(); ++index)
    {
        const std::string& name = pack->member(index).name;
        if (name.empty() || name.back() == '/')
            continue;
        Engine::cPackStream stream(pack, index);
        const std::string bytes = readAll(stream);
        EXPECT_EQ(bytes.size(), stream.size()) << name;
        read[name] = bytes;
    }
    return read;
}

TEST(Zip64Pack, APackWithZip64RecordsLoadsWhole)
{
    ::Test::TempDir dir;
    const std::filesystem::path path = dir.write("Data/art.pack", Zip64Pack);
    EXPECT_EQ(readMembers(Engine::fromUtf8(path.string())),
              (std::map<std::string, std::string>{{"levels/field.xml", FieldXml}, {"small.txt", SmallTxt}}));
    // Its own stream over the pack finds the members by name too.
    Engine::cPackStream field(Engine::fromUtf8(path.string()), "levels/field.xml");
    EXPECT_EQ(readAll(field), FieldXml);
}

std::string le(uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// The zip64 field holds only the values its entry marks, in a fixed order, among other fields.
TEST(Zip64Pack, TheZip64FieldGivesTheMarkedValuesInOrder)
{
    const auto read = [](const std::string& extra, uint64_t& size, uint64_t& compressed, uint64_t& offset)
    {
        return Engine::readZip64Extra(reinterpret_cast<const unsigned char*>(extra.data()), extra.size(),
                                      size, compressed, offset);
    };
    constexpr uint64_t Marked = 0xFFFFFFFFu;
    const std::string other = le(0x5455, 2) + le(5, 2) + le(3, 1) + "abcd";
    uint64_t size = Marked, compressed = 35, offset = Marked;
    ASSERT_TRUE(read(other + le(1, 2) + le(16, 2) + le(5000000000ull, 8) + le(6000000000ull, 8), size,
                     compressed, offset));
    EXPECT_EQ(size, 5000000000ull);
    EXPECT_EQ(compressed, 35u) << "not marked: not in the field";
    EXPECT_EQ(offset, 6000000000ull);

    size = Marked, compressed = Marked, offset = 7;
    EXPECT_FALSE(read(le(1, 2) + le(8, 2) + le(1, 8), size, compressed, offset)) << "a marked value missing";
    size = Marked;
    EXPECT_FALSE(read(le(1, 2) + le(16, 2) + le(1, 8), size, compressed, offset)) << "runs past the fields";
    size = Marked;
    EXPECT_FALSE(read(other, size, compressed, offset)) << "no zip64 field";
    size = 10, compressed = 20, offset = 30;
    EXPECT_TRUE(read(other, size, compressed, offset)) << "nothing marked, nothing needed";
}

// The same through the real tool where it is installed, over more files than fit one block of
// the reader, with a comment and bytes before the zip as a self-extracting pack has.
TEST(Zip64Pack, PacksTheZipToolMakesLoadWhole)
{
    if (!std::filesystem::exists("/usr/bin/zip"))
        return; // The pack above stands for the tool's work.
    ::Test::TempDir dir;
    std::map<std::string, std::string> files;
    for (int i = 0; i < 300; ++i)
    {
        const std::string name = "sub" + std::to_string(i % 7) + "/file" + std::to_string(i) + ".txt";
        files[name] = std::string(static_cast<size_t>(i * 53 % 5000), static_cast<char>('a' + i % 26)) +
                      std::to_string(i);
        dir.write("src/" + name, files[name]);
    }
    for (const char* options : {"-fz", "-fz -0", ""})
    {
        SCOPED_TRACE(options);
        std::filesystem::remove(dir.path() / "art.pack");
        // The comment is written in the same run: a second run of the tool rewrites the pack
        // without the zip64 records.
        const std::string command = "cd '" + (dir.path() / "src").string() +
                                    "' && echo comment | /usr/bin/zip -q -r -X -z " + options +
                                    " ../art.pack .";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(readMembers(Engine::fromUtf8((dir.path() / "art.pack").string())), files);
    }
}

} // namespace
