#include "engine/core/cFileStream.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/devices/cResourceManager.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <filesystem>
#include <memory>

namespace
{

using namespace Engine;

// Stands in for the kinds whose classes live elsewhere (textures, fonts, ...).
class FakeResource final : public cResource
{
public:
    FakeResource(eResourceType type, std::string path) : m_type(type), m_path(std::move(path)) {}
    eResourceType getType() const override { return m_type; }
    void releaseDeviceData() override { ++released; }

    int released = 0;

private:
    eResourceType m_type;
    std::string m_path;
};

// A data folder, a shared folder of the test's own (XDG_DATA_HOME), the file system over them
// and the resource manager.
class ResourceManager : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    ResourceManager() : EngineFixture("RM Test") { data("UI/Panel.xml", "<panel a='1'/>"); }

    cResourceManager& start()
    {
        // A new file system sees files written since the last one was made.
        startResources();
        for (const eResourceType kind : {eResourceType::Texture, eResourceType::Font, eResourceType::Sound})
        {
            manager->setCreator(kind,
                                [kind](const std::string& path) {
                                    return boost::static_pointer_cast<cResource>(
                                        boost::make_shared<FakeResource>(kind, path));
                                });
        }
        return *manager;
    }
};

std::string utf16(const std::string& ascii)
{
    std::string bytes;
    for (const char c : ascii)
    {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

TEST_F(ResourceManager, OnePathWhateverItsCaseGivesOneInstance)
{
    cResourceManager& resources = start();
    EXPECT_EQ(cResourceManager::instance(), &resources);
    const tPropertiesPtr upper = resources.getXml("UI/PANEL.XML", false);
    EXPECT_EQ(upper->getType(), eResourceType::XmlPooled);
    // A cached document is returned whichever class was asked for.
    EXPECT_EQ(resources.getProperties("ui/panel.xml", true), upper);
    tPropertiesPtr out;
    resources.getXml(out, "Ui/Panel.xml", true);
    EXPECT_EQ(out, upper);
    EXPECT_EQ(resources.getPath(upper), "ui/panel.xml");
    EXPECT_EQ(upper->getPath(), "ui/panel.xml");
    // A path with backslashes is another entry.
    EXPECT_NE(resources.getXml("ui\\panel.xml", true), upper);

    const auto font = resources.getResource("Fonts/Main.FNT", eResourceType::Font);
    EXPECT_EQ(resources.getResource("fonts/main.fnt", eResourceType::Font), font);
}

TEST_F(ResourceManager, AnotherKindUnderACachedPathIsRefused)
{
    cResourceManager& resources = start();
    resources.getResource("a.png", eResourceType::Texture);
    resources.getXml("ui/panel.xml", true);
    auto wrong = [](auto call)
    {
        try
        {
            call();
        }
        catch (const char* text)
        {
            return std::string(text);
        }
        return std::string();
    };
    EXPECT_EQ(wrong([&] { resources.getResource("a.png", eResourceType::Font); }), "Wrong resource type.");
    EXPECT_EQ(wrong([&] { resources.getXml("A.PNG", true); }), "Wrong resource type.");
    EXPECT_EQ(wrong([&] { resources.getResource("ui/panel.xml", eResourceType::Sound); }),
              "Wrong resource type.");
    EXPECT_EQ(wrong([&] { resources.getPath(boost::make_shared<FakeResource>(eResourceType::Font, "x")); }),
              "Unknown resource.");
    EXPECT_EQ(wrong([&] { cXmlPropertiesPooled::createNode()->getPath(); }), "Unknown resource.");
    // A kind with no class to make it gives a clear error, and nothing is cached.
    EXPECT_THROW(resources.getResource("m.bin", eResourceType::Unknown), cString<std::string>);
    std::set<std::string> paths;
    resources.getLoadedPaths(paths);
    EXPECT_EQ(paths, (std::set<std::string>{"a.png", "ui/panel.xml"}));
}

TEST_F(ResourceManager, FailedLoadsAreNotCachedAndTheNextRequestTriesAgain)
{
    data("Bad.xml", "<r><oops></r>");
    cResourceManager& resources = start();
    EXPECT_THROW(resources.getXml("missing.xml", true), std::string);
    try
    {
        resources.getXml("bad.xml", true);
        FAIL();
    }
    catch (const cString<std::string>& error)
    {
        EXPECT_EQ(error, "mismatched tag line 1 char 11 filename: bad.xml");
    }
    std::set<std::string> paths;
    resources.getLoadedPaths(paths);
    EXPECT_TRUE(paths.empty());
    data("Bad.xml", "<r fixed='1'/>");
    EXPECT_EQ(resources.getXml("bad.xml", true)->getAttribute(L"fixed"), L"1");
}

TEST_F(ResourceManager, UnloadForgetsOnlyTheExactPath)
{
    cResourceManager& resources = start();
    const tPropertiesPtr first = resources.getXml("ui/panel.xml", true);
    resources.unload("UI/PANEL.XML");
    EXPECT_EQ(resources.getXml("ui/panel.xml", true), first);
    resources.unload("ui/panel.xml");
    EXPECT_NE(resources.getXml("ui/panel.xml", true), first);
    EXPECT_EQ(first->getAttribute(L"a"), L"1");

    // Writing the file through the file system drops the cached copy: the next request reads it.
    {
        std::unique_ptr<cFileStream> out = files->createFile("ui/panel.xml", true);
        const std::string bytes = "<panel a='2'/>";
        out->write(bytes.data(), static_cast<unsigned>(bytes.size()));
    }
    EXPECT_EQ(resources.getXml("ui/panel.xml", true)->getAttribute(L"a"), L"2");

    const auto resource = resources.getResource("t.png", eResourceType::Texture);
    resources.unloadResource(resource);
    resources.unloadResource(boost::make_shared<FakeResource>(eResourceType::Texture, "x"));
    EXPECT_NE(resources.getResource("t.png", eResourceType::Texture), resource);
}

TEST_F(ResourceManager, ReleaseUnusedKeepsWhatOthersHold)
{
    cResourceManager& resources = start();
    const tPropertiesPtr held = resources.getXml("ui/panel.xml", true);
    const cResource* dropped = resources.getResource("t.png", eResourceType::Texture).get();
    resources.releaseUnused();
    std::set<std::string> paths;
    resources.getLoadedPaths(paths);
    EXPECT_EQ(paths, (std::set<std::string>{"ui/panel.xml"}));
    EXPECT_EQ(resources.getXml("ui/panel.xml", true), held);
    (void)dropped;
}

TEST_F(ResourceManager, DeviceResourcesAreReleasedWhileTheyLive)
{
    cResourceManager& resources = start();
    const auto texture =
        boost::static_pointer_cast<FakeResource>(resources.getResource("t.png", eResourceType::Texture));
    const auto font =
        boost::static_pointer_cast<FakeResource>(resources.getResource("f.fnt", eResourceType::Font));
    resources.releaseDeviceResources();
    EXPECT_EQ(texture->released, 1);
    EXPECT_EQ(font->released, 0);
    resources.unload("t.png");
    resources.releaseDeviceResources();
    EXPECT_EQ(texture->released, 1);
}

TEST_F(ResourceManager, TheLogIsUtf16WithoutAByteOrderMark)
{
    cResourceManager& resources = start();
    resources.dumpLog("empty.log");
    EXPECT_EQ(::Test::readFile(shared("empty.log")),
              utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<ResourceLog>\n</ResourceLog>"));

    resources.getXml("UI/Panel.xml", true);
    resources.dumpLog("one.log");
    EXPECT_EQ(::Test::readFile(shared("one.log")),
              utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<ResourceLog>\n"
                    "<Tag Path=\"ui/panel.xml\" Type=\"2\" />\n</ResourceLog>"));
    // A path that would break the markup is escaped.
    resources.getResource("a&b.png", eResourceType::Texture);
    resources.dumpLog("two.log");
    EXPECT_NE(::Test::readFile(shared("two.log")).find(utf16("<Tag Path=\"a&amp;b.png\" Type=\"0\" />\n")),
              std::string::npos);
}

TEST_F(ResourceManager, AtlasEntriesStandForTheirAtlasImage)
{
    data("atlases.xml", "<Atlases><Atlas Path='Atlases\\UI0.png' Map='atlases/ui0_map.xml'/>"
                        "<Atlas Path='atlases/ui1.png' Map='atlases/ui1_map.xml'/></Atlases>");
    data("atlases/ui0_map.xml", "<Map><Entry Name='UI\\Button.png'><Pos>1 2</Pos><Size>30 40</Size></Entry>"
                                "<Entry Name='ui/over.png'><Pos>5 6</Pos></Entry>"
                                "<Entry Name='ui/bare.png'/></Map>");
    data("atlases/ui1_map.xml",
         "<Map><Entry Name='ui/first.png'/><Entry Name='ui/button.png'><Pos>9 9</Pos></Entry></Map>");
    cResourceManager& resources = start();

    const auto byEntry = resources.getTextureResource("ui/Button.png");
    EXPECT_EQ(byEntry, resources.getTextureResource("atlases/ui0.png"));
    EXPECT_TRUE(resources.isAtlasTexture(byEntry));
    EXPECT_FALSE(resources.isAtlasTexture(resources.getTextureResource("plain.png")));
    EXPECT_FALSE(resources.isAtlasTexture(nullptr));
    EXPECT_TRUE(resources.isAtlasImage("atlases/ui0.png"));
    EXPECT_FALSE(resources.isAtlasImage("Atlases/UI0.png"));
    EXPECT_TRUE(resources.hasAtlasEntry("UI/BUTTON.PNG"));

    const sAtlasEntry& button = resources.getAtlasEntry("ui/button.png");
    EXPECT_EQ(button.imageIndex, 0);
    EXPECT_EQ(button.pos, cVector2(1, 2));
    EXPECT_EQ(button.size, cVector2(30, 40));
    // A missing Pos or Size repeats the previous entry's of the same map.
    EXPECT_EQ(resources.getAtlasEntry("ui/over.png").size, cVector2(30, 40));
    EXPECT_EQ(resources.getAtlasEntry("ui/bare.png").pos, cVector2(5, 6));
    EXPECT_EQ(resources.getAtlasEntry("ui/first.png").imageIndex, 1);
    EXPECT_EQ(resources.getAtlasEntry("ui/first.png").pos, cVector2());
    // One lookup answers both: the entry itself, found whatever the case, or none.
    ASSERT_NE(resources.findAtlasEntry("UI/Button.PNG"), nullptr);
    EXPECT_EQ(resources.findAtlasEntry("UI/Button.PNG"), &button);
    EXPECT_EQ(resources.findAtlasEntry("nothing.png"), nullptr);
    EXPECT_EQ(resources.findAtlasEntry("atlases/ui0.png"), nullptr);
    const sAtlasEntry& none = resources.getAtlasEntry("nothing.png");
    EXPECT_EQ(none.imageIndex, 0);
    EXPECT_EQ(none.pos, cVector2());
    EXPECT_EQ(none.size, cVector2());
    // A resource held under an entry name is an atlas entry; others are not.
    EXPECT_FALSE(resources.isAtlasEntry(byEntry));
}

TEST_F(ResourceManager, PreloadAndLoadByExtensionLoadTheNamedKinds)
{
    data("Data.xml", "<r/>");
    cResourceManager& resources = start();
    const std::string text =
        "<List><I Path='a.png' Type='0'/><I Path='ui/panel.xml' Type='1'/><I Path='s.ogg' Type='5'/>"
        "<I Path='t.png' Type='8'/><I Path='u.png' Type='9'/><I Path='v.png' Type='-1'/>"
        "<I Path='w.png' Type='0'/></List>";
    const auto list = cXmlPropertiesPooled::fromBuffer(text.data(), text.size(), "list");
    ASSERT_EQ(list->getChildCount(), 7u);
    resources.preload(list, 0, 6);
    std::set<std::string> paths;
    resources.getLoadedPaths(paths);
    EXPECT_EQ(paths, (std::set<std::string>{"a.png", "ui/panel.xml", "s.ogg"}));
    EXPECT_EQ(resources.getXml("ui/panel.xml", false)->getType(), eResourceType::XmlHeap);

    resources.loadByExtension("Data.XML");
    resources.loadByExtension("notes.txt");
    resources.loadByExtension("noextension");
    resources.loadByExtension("f.FNT");
    resources.getLoadedPaths(paths);
    EXPECT_EQ(paths.count("data.xml"), 1u);
    EXPECT_EQ(paths.count("f.fnt"), 1u);
    EXPECT_EQ(paths.size(), 5u);
    EXPECT_EQ(cResourceManager::typeOfExtension("jng"), eResourceType::Texture);
    EXPECT_EQ(cResourceManager::typeOfExtension("anim"), eResourceType::Animation);
    EXPECT_EQ(cResourceManager::typeOfExtension("txt"), eResourceType::Unknown);
}

TEST_F(ResourceManager, ASecondManagerIsRefused)
{
    start();
    EXPECT_THROW(cResourceManager(), const char*);
    manager.reset();
    EXPECT_EQ(cResourceManager::instance(), nullptr);
}

} // namespace
