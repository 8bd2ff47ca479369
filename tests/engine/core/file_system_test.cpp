#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileStream.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <list>
#include <memory>
#include <sys/stat.h>

namespace
{

using Engine::cFileSystem;

std::string constantsXml(const std::string& gameAttributes)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<constants>\n\t<game " + gameAttributes +
           "/>\n</constants>\n";
}

// A data folder and a shared folder of its own for every test: XDG_DATA_HOME points into the
// test's temporary folder while it runs.
class FileSystem : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    FileSystem() : EngineFixture("Quill Test")
    {
        data("sys/constants.xml", constantsXml("app_directory=\"Quill Test\" window_title=\"Title\""));
    }

    // A pack with one member per (name, bytes) pair.
    void pack(const std::filesystem::path& path,
              std::initializer_list<std::pair<std::string, std::string>> members)
    {
        std::filesystem::create_directories(path.parent_path());
        ::Test::ZipWriter zip(path);
        for (const auto& member : members)
            zip.add(member.first, member.second);
    }
    std::unique_ptr<cFileSystem> open(cFileSystem::PackFilter filter = nullptr)
    {
        return std::make_unique<cFileSystem>(Engine::fromUtf8(dataFolder().string()), "PACK", filter);
    }
    static std::string read(const cFileSystem& fs, const std::string& path)
    {
        std::vector<char> bytes;
        const unsigned int size = fs.readFile(path, bytes);
        EXPECT_EQ(size, bytes.size());
        return std::string(bytes.begin(), bytes.end());
    }
    static std::string stream(const cFileSystem& fs, const std::string& path)
    {
        const std::unique_ptr<Engine::cStream> in = fs.openFile(path);
        std::string bytes(in->size(), '\0');
        EXPECT_EQ(in->read(bytes.data(), static_cast<unsigned int>(bytes.size())),
                  static_cast<int>(bytes.size()));
        return bytes;
    }
    static void write(cFileSystem& fs, const std::string& path, const std::string& bytes)
    {
        std::unique_ptr<Engine::cFileStream> out = fs.createFile(path, true);
        ASSERT_EQ(out->write(bytes.data(), static_cast<unsigned int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }
};

TEST_F(FileSystem, PacksHideLooseDataFilesAndLaterPacksHideEarlierOnes)
{
    data("x.xml", "loose");
    data("only.xml", "loose only");
    pack(dataFolder() / "a.pack", {{"x.xml", "from a"}, {"y.xml", "from a"}});
    pack(dataFolder() / "sub" / "b.pack", {{"y.xml", "from b"}});
    const auto fs = open();
    EXPECT_EQ(read(*fs, "x.xml"), "from a");
    EXPECT_EQ(read(*fs, "y.xml"), "from b");
    EXPECT_EQ(stream(*fs, "y.xml"), "from b");
    EXPECT_EQ(read(*fs, "only.xml"), "loose only");
    EXPECT_FALSE(fs->isInCommon("x.xml"));
    // The packs themselves are no files of the index.
    EXPECT_FALSE(fs->isKnown("a.pack"));
    EXPECT_FALSE(fs->isKnown("sub/b.pack"));
}

TEST_F(FileSystem, TheSharedFolderWinsOverTheDataSide)
{
    data("w.xml", "data loose");
    data("v.xml", "data loose");
    pack(dataFolder() / "z.pack", {{"u.xml", "data pack"}, {"w.xml", "data pack"}});
    sharedFile("v.xml", "shared loose");
    pack(sharedFolder() / "c.pack", {{"u.xml", "shared c"}, {"v.xml", "shared c"}, {"w.xml", "shared c"}});
    pack(sharedFolder() / "d.pack", {{"u.xml", "shared d"}});
    const auto fs = open();
    EXPECT_EQ(read(*fs, "u.xml"), "shared d");
    EXPECT_EQ(read(*fs, "w.xml"), "shared c");
    EXPECT_EQ(read(*fs, "v.xml"), "shared loose");
    EXPECT_TRUE(fs->isInCommon("v.xml"));
    EXPECT_FALSE(fs->isInCommon("u.xml"));
    std::list<std::string> names;
    fs->listCommonFolder("", names);
    EXPECT_EQ(names, (std::list<std::string>{"v.xml"}));
}

TEST_F(FileSystem, WrittenFilesHideTheDataCopyUntilTheyAreRemoved)
{
    data("sys/settings.xml", "data copy");
    pack(dataFolder() / "a.pack", {{"profiles/x.xml", "pack copy"}});
    const auto fs = open();

    write(*fs, "sys/settings.xml", "written");
    EXPECT_TRUE(fs->isInCommon("sys/settings.xml"));
    EXPECT_EQ(read(*fs, "sys/settings.xml"), "written");
    EXPECT_EQ(::Test::readFile(sharedFolder() / "sys" / "settings.xml"), "written");
    EXPECT_TRUE(fs->removeFile("sys/settings.xml"));
    EXPECT_FALSE(fs->isInCommon("sys/settings.xml"));
    EXPECT_EQ(read(*fs, "sys/settings.xml"), "data copy");

    write(*fs, "profiles/x.xml", "written");
    EXPECT_TRUE(fs->removeFile("profiles/x.xml"));
    EXPECT_EQ(read(*fs, "profiles/x.xml"), "pack copy");

    write(*fs, "best.xml", "written");
    EXPECT_TRUE(fs->isKnown("best.xml"));
    EXPECT_TRUE(fs->removeFile("best.xml"));
    EXPECT_FALSE(fs->isKnown("best.xml"));
    EXPECT_FALSE(std::filesystem::exists(sharedFolder() / "best.xml"));

    // No copy in the shared folder: nothing happens, and the data copy is never deleted.
    EXPECT_FALSE(fs->removeFile("sys/settings.xml"));
    EXPECT_EQ(read(*fs, "sys/settings.xml"), "data copy");
    EXPECT_TRUE(std::filesystem::exists(dataFolder() / "sys" / "settings.xml"));
}

TEST_F(FileSystem, AWriteIsSeenOnlyOnceItIsComplete)
{
    sharedFile("profiles/alice.xml", "old");
    const auto fs = open();
    {
        std::unique_ptr<Engine::cFileStream> out = fs->createFile("Profiles\\Alice.XML", true);
        out->write("new", 3);
        EXPECT_EQ(read(*fs, "profiles/alice.xml"), "old");
    }
    EXPECT_EQ(read(*fs, "profiles/alice.xml"), "new");
    EXPECT_FALSE(std::filesystem::exists(sharedFolder() / "profiles" / "alice.xml.tmp"));
    // A writer that fails half-way leaves the old file.
    try
    {
        std::unique_ptr<Engine::cFileStream> out = fs->createFile("profiles/alice.xml", true);
        out->write("ha", 2);
        throw 1;
    }
    catch (int)
    {
    }
    EXPECT_EQ(read(*fs, "profiles/alice.xml"), "new");
    // A new file is not known before it is complete.
    {
        std::unique_ptr<Engine::cFileStream> out = fs->createFile("profiles/bob.xml", true);
        EXPECT_FALSE(fs->isKnown("profiles/bob.xml"));
    }
    EXPECT_TRUE(fs->isInCommon("profiles/bob.xml"));
}

TEST_F(FileSystem, NamesInAnyCaseOnDiskAndInPacksAreFound)
{
    data("Textures/Hero.PNG", "hero");
    sharedFile("Saves/Alice.SAVE", "save");
    pack(dataFolder() / "Win.Pack",
         {{"Sys\\Strings.XML", "strings"}, {"Fonts/", ""}, {"Fonts/Main.fnt", "font"}});
    const auto fs = open();
    EXPECT_EQ(read(*fs, "textures/hero.png"), "hero");
    EXPECT_EQ(read(*fs, "saves/alice.save"), "save");
    EXPECT_EQ(read(*fs, "sys/strings.xml"), "strings");
    EXPECT_EQ(read(*fs, "fonts/main.fnt"), "font");
    // Paths as data written on Windows spells them.
    EXPECT_TRUE(fs->isKnown("Textures\\Hero.PNG"));
    EXPECT_EQ(stream(*fs, "SYS\\strings.xml"), "strings");
    // The folder entry of the pack is no file.
    EXPECT_FALSE(fs->isKnown("fonts/"));
    std::list<std::string> known;
    fs->listKnown("Fonts/", known, true);
    EXPECT_EQ(known, (std::list<std::string>{"fonts/main.fnt"}));
    known.clear();
    fs->listKnown("textures/hero.png", known, false);
    EXPECT_EQ(known, (std::list<std::string>{"textures/hero.png"}));

    // Removing a mixed-case file of the shared folder deletes the real file.
    EXPECT_TRUE(fs->removeFile("saves/alice.save"));
    EXPECT_FALSE(std::filesystem::exists(sharedFolder() / "Saves" / "Alice.SAVE"));
    EXPECT_FALSE(fs->isKnown("saves/alice.save"));
}

// How many descriptors of this process are open on `path`.
int openDescriptorsOn(const std::filesystem::path& path)
{
    int count = 0;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error))
        if (std::filesystem::read_symlink(entry.path(), error) == target)
            ++count;
    return count;
}

// The pack is opened once, when it is indexed; every member is read from that one file by its
// place in the index, in any case, deflated or stored, by several streams at once.
TEST_F(FileSystem, APackIsOpenedOnceAndItsMembersAreReadByTheirIndex)
{
    std::string big;
    for (int i = 0; big.size() < 100000; ++i)
        big += "line " + std::to_string(i * 7919 % 1000) + " of a long member\n";
    const std::filesystem::path path = dataFolder() / "art.pack";
    {
        ::Test::ZipWriter zip(path);
        zip.add("Units/Mill.XML", big);
        zip.add("units/stored.bin", big.substr(0, 5000), false);
        zip.add("sounds/tune.ogg", big.substr(100, 70000), false);
        for (int i = 0; i < 50; ++i)
            zip.add("many/m" + std::to_string(i) + ".txt", std::string(static_cast<size_t>(i), 'a' + i % 26));
    }
    const auto fs = open();
    EXPECT_EQ(openDescriptorsOn(path), 1);
    EXPECT_EQ(read(*fs, "units/mill.xml"), big);
    EXPECT_EQ(read(*fs, "UNITS/Mill.xml"), big);
    EXPECT_EQ(read(*fs, "Units\\Stored.BIN"), big.substr(0, 5000));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(read(*fs, "many/M" + std::to_string(i) + ".txt"),
                  std::string(static_cast<size_t>(i), 'a' + i % 26));

    // Two streams of the pack read in turns keep their own places.
    const std::unique_ptr<Engine::cStream> first = fs->openFile("units/mill.xml");
    const std::unique_ptr<Engine::cStream> second = fs->openFile("sounds/tune.ogg");
    std::string a;
    std::string b;
    char buffer[3001];
    for (int got = 1; got > 0;)
    {
        got = first->read(buffer, sizeof buffer);
        if (got > 0)
            a.append(buffer, static_cast<size_t>(got));
        const int other = second->read(buffer, 1000);
        if (other > 0)
            b.append(buffer, static_cast<size_t>(other));
    }
    EXPECT_EQ(a, big);
    EXPECT_GT(b.size(), 30000u);
    EXPECT_EQ(b, big.substr(100, b.size()));
    // Back and forth in a stored member, as a streamed tune seeks.
    second->seek(60000, Engine::SeekBegin);
    ASSERT_EQ(second->read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), big.substr(60100, 10));
    second->seek(5, Engine::SeekBegin);
    ASSERT_EQ(second->read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), big.substr(105, 10));
    EXPECT_EQ(openDescriptorsOn(path), 1) << "no member opened the pack again";
}

TEST_F(FileSystem, ChangedFilesAreReadAgainByTheResourceManager)
{
    data("sys/settings.xml", "<settings v=\"data\"/>");
    const auto fs = open();
    Engine::cResourceManager resources;
    EXPECT_EQ(resources.getXml("sys/settings.xml", false)->getAttribute(L"v"), L"data");
    const std::string shared = "<settings v=\"shared\"/>";
    Engine::writeWholeFile("sys/settings.xml", shared.data(), shared.size());
    EXPECT_EQ(resources.getXml("sys/settings.xml", false)->getAttribute(L"v"), L"shared");
    EXPECT_TRUE(fs->removeFile("sys/settings.xml"));
    EXPECT_EQ(resources.getXml("sys/settings.xml", false)->getAttribute(L"v"), L"data");
}

TEST_F(FileSystem, AFilteredPackContributesNothing)
{
    pack(dataFolder() / "a.pack", {{"a.xml", "a"}});
    pack(dataFolder() / "b.pack", {{"b.xml", "b"}});
    const auto fs = open([](const std::string& name) { return name != "b.pack"; });
    EXPECT_TRUE(fs->isKnown("a.xml"));
    EXPECT_FALSE(fs->isKnown("b.xml"));
    EXPECT_FALSE(fs->isKnown("b.pack"));
}

TEST_F(FileSystem, TheSharedFolderIsNamedAfterTheApplication)
{
    {
        const auto fs = open();
        EXPECT_EQ(fs->getCommonFolder(),
                  Engine::fromUtf8((root.path() / "share").string()) + L"/Quill Test/");
        EXPECT_TRUE(std::filesystem::is_directory(sharedFolder()));
        EXPECT_EQ(fs->getDataFolder(), Engine::toLower(Engine::fromUtf8(dataFolder().string())) + L"/");
        EXPECT_THROW(cFileSystem(L"/nowhere"), const char*);
    }
    data("sys/constants.xml", constantsXml("app_directory=\"\" window_title=\"Title\\Sub\""));
    EXPECT_EQ(open()->getCommonFolder(), Engine::fromUtf8((root.path() / "share").string()) + L"/Title/Sub/");

    for (const std::string& xml : {constantsXml("app_directory=\"\""), std::string("<constants/>")})
    {
        data("sys/constants.xml", xml);
        try
        {
            open();
            FAIL() << "no application directory was named";
        }
        catch (const char* text)
        {
            EXPECT_STREQ(text, "app_directory not defined.");
        }
        EXPECT_EQ(cFileSystem::instance(), nullptr);
    }
}

TEST_F(FileSystem, UnknownPathsAndDamagedPacksGiveClearErrors)
{
    const std::string member = "The quick brown fox jumps over the lazy dog.";
    {
        ::Test::ZipWriter zip(dataFolder() / "a.pack");
        zip.addLying("lies.xml", member, member.size() + 100, ::Test::zipCrc(member));
        zip.addLying("badcrc.xml", member, member.size(), ::Test::zipCrc(member) ^ 8);
    }
    const auto fs = open();
    try
    {
        read(*fs, "missing.xml");
        FAIL() << "a missing file was read";
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(text, "File \"missing.xml\" not found.");
    }
    EXPECT_THROW(fs->openFile("missing.xml"), std::string);
    const std::string pack = (dataFolder() / "a.pack").string();
    for (const std::string name : {"lies.xml", "badcrc.xml"})
    {
        try
        {
            read(*fs, name);
            FAIL() << name << " was read whole";
        }
        catch (const Engine::cString<std::string>& text)
        {
            EXPECT_EQ(text, "File '" + name + "' in the '" + pack + "' pack is damaged.");
            EXPECT_EQ(Engine::getErrorString(), text);
        }
    }
}

TEST_F(FileSystem, ATruncatedPackStopsTheStart)
{
    pack(dataFolder() / "a.pack", {{"a.xml", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"}});
    const std::string bytes = ::Test::readFile(dataFolder() / "a.pack");
    root.write("Data/a.pack", bytes.substr(0, bytes.size() / 2));
    try
    {
        open();
        FAIL() << "a truncated pack was indexed";
    }
    catch (const std::wstring& text)
    {
        EXPECT_EQ(text, Engine::fromUtf8((dataFolder() / "a.pack").string()) + L" cannot be opened.");
    }
    EXPECT_EQ(cFileSystem::instance(), nullptr);
}

TEST_F(FileSystem, UnicodeFilesAreUtf16WithAByteOrderMark)
{
    const auto fs = open();
    EXPECT_THROW(cFileSystem(Engine::fromUtf8(dataFolder().string())), const char*);
    const std::wstring text = L"A\u00e9\U0001F600";
    EXPECT_EQ(Engine::writeUnicodeFile("sys/settings.xml", text), 2u + 2u * 4u);
    EXPECT_EQ(::Test::readFile(sharedFolder() / "sys" / "settings.xml"),
              std::string("\xFF\xFE"
                          "A\0\xE9\0\x3D\xD8\x00\xDE",
                          10));
    EXPECT_TRUE(fs->isInCommon("sys/settings.xml"));
    EXPECT_EQ(Engine::writeUnicodeFile("sys/settings.xml", L""), 2u);
    EXPECT_EQ(read(*fs, "sys/settings.xml"), "\xFF\xFE");
}

// A file written only when it changes: the same bytes leave the file as it is (the same file
// on the disk), other bytes replace it, and a data-folder copy with the same text is no reason
// to leave the shared folder without its own.
TEST_F(FileSystem, AnUnchangedUnicodeFileIsNotWrittenAgain)
{
    data("sys/settings.xml", std::string("\xFF\xFE"
                                         "A\0",
                                         4));
    const auto fs = open();
    EXPECT_TRUE(Engine::writeUnicodeFileIfChanged("sys/settings.xml", L"A"));
    EXPECT_TRUE(fs->isInCommon("sys/settings.xml"));
    const std::filesystem::path onDisk = sharedFolder() / "sys" / "settings.xml";
    struct stat before;
    ASSERT_EQ(::stat(onDisk.c_str(), &before), 0);
    EXPECT_FALSE(Engine::writeUnicodeFileIfChanged("sys/settings.xml", L"A"));
    struct stat after;
    ASSERT_EQ(::stat(onDisk.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";

    EXPECT_TRUE(Engine::writeUnicodeFileIfChanged("sys/settings.xml", L"AB"));
    EXPECT_EQ(read(*fs, "sys/settings.xml"), std::string("\xFF\xFE"
                                                         "A\0B\0",
                                                         6));
    // A longer file that starts with the same bytes is no match either.
    EXPECT_TRUE(Engine::writeUnicodeFileIfChanged("sys/settings.xml", L"A"));
    EXPECT_EQ(read(*fs, "sys/settings.xml"), std::string("\xFF\xFE"
                                                         "A\0",
                                                         4));
}

TEST_F(FileSystem, MovedFilesJoinTheIndexOnlyInsideTheSharedFolder)
{
    const auto fs = open();
    const std::string source = root.write("elsewhere/level.save", "saved").string();
    fs->moveFile(source, sharedFolder().string() + "/Saves\\Level.SAVE");
    EXPECT_FALSE(std::filesystem::exists(source));
    EXPECT_TRUE(fs->isInCommon("saves/level.save"));
    EXPECT_EQ(read(*fs, "saves/level.save"), "saved");

    const std::wstring outside = Engine::fromUtf8((root.path() / "Out" / "Moved.save").string());
    fs->moveFile(Engine::fromUtf8((sharedFolder() / "saves" / "level.save").string()), outside);
    EXPECT_EQ(::Test::readFile(root.path() / "Out" / "Moved.save"), "saved");
    try
    {
        fs->moveFile(source, sharedFolder().string() + "/x");
        FAIL() << "a missing file was moved";
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(text, "Can't open file \"" + source + "\".");
    }
}

TEST_F(FileSystem, DiskHelpersSeeTheDiskAsItIs)
{
    data("a/.hidden", "h");
    data("a/b/c.xml", "c");
    data("a/d.xml", "d");
    const auto fs = open();
    std::list<std::wstring> flat;
    fs->listDiskFolder(Engine::fromUtf8((dataFolder() / "a").string()), flat, false);
    const std::wstring base = Engine::fromUtf8((dataFolder() / "a").string()) + L"/";
    EXPECT_EQ(flat, (std::list<std::wstring>{base + L"d.xml"}));
    std::list<std::wstring> deep;
    fs->listDiskFolder(base, deep, true);
    EXPECT_EQ(deep, (std::list<std::wstring>{base + L"b/c.xml", base + L"d.xml"}));
    EXPECT_TRUE(fs->existsOnDisk((dataFolder() / "a" / "d.xml").string()));
    EXPECT_FALSE(fs->existsOnDisk((dataFolder() / "a" / "D.xml").string()));
    EXPECT_FALSE(fs->existsOnDisk(base + L"b"));

    // A write stream on disk keeps the path's case and creates its folders.
    const std::string shot = (root.path() / "Shots" / "Screen.jpg").string();
    fs->openWriteStream(shot, true)->write("jpg", 3);
    EXPECT_EQ(::Test::readFile(shot), "jpg");
    EXPECT_FALSE(fs->isKnown("screen.jpg"));
}

} // namespace
