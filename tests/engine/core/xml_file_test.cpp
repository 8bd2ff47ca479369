#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/xml/cXmlImage.h"
#include "engine/devices/cResourceManager.h"
#include "tests/engine/core/xml_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace
{

using namespace Engine;

// Documents read through the file system: a data folder and a shared folder of the test's own.
class XmlFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            m_oldDataHome = old;
        ::setenv("XDG_DATA_HOME", (m_root.path() / "share").c_str(), 1);
        data("sys/constants.xml", "<constants><game app_directory=\"Xml Test\"/></constants>");
    }
    void TearDown() override
    {
        m_manager.reset();
        m_files.reset();
        if (m_oldDataHome.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", m_oldDataHome.c_str(), 1);
    }

    void data(const std::string& path, const std::string& bytes) { m_root.write("Data/" + path, bytes); }
    std::filesystem::path shared(const std::string& path) const
    {
        return m_root.path() / "share" / "Xml Test" / path;
    }
    void sharedFile(const std::string& path, const std::string& bytes)
    {
        m_root.write("share/Xml Test/" + path, bytes);
    }
    void start()
    {
        // A new file system sees files written since the last one was made.
        m_manager.reset();
        m_files.reset();
        m_files = std::make_unique<cFileSystem>(fromUtf8((m_root.path() / "Data").string()));
        m_manager = std::make_unique<cResourceManager>();
    }

    ::Test::TempDir m_root;
    std::unique_ptr<cFileSystem> m_files;
    std::unique_ptr<cResourceManager> m_manager;

private:
    std::string m_oldDataHome;
};

TEST_F(XmlFiles, AMalformedSharedCopyIsRemovedAndTheDataCopyRead)
{
    data("sys/settings.xml", "<main><graphics width='800'/></main>");
    sharedFile("sys/settings.xml", "<main><graphics width='1024'></main>");
    start();
    ASSERT_TRUE(m_files->isInCommon("sys/settings.xml"));
    const cXmlPropertiesPooled settings("sys/settings.xml");
    tPropertiesPtr graphics;
    ASSERT_TRUE(settings.getChild(L"graphics", graphics));
    EXPECT_EQ(graphics->getAttribute(L"width"), L"800");
    EXPECT_FALSE(std::filesystem::exists(shared("sys/settings.xml")));
    EXPECT_FALSE(m_files->isInCommon("sys/settings.xml"));
}

TEST_F(XmlFiles, AMalformedFileWithNothingBehindItGivesItsOwnError)
{
    sharedFile("profiles.xml", "<Profiles>");
    data("broken.xml", "<r>\n  <a>\n</r>");
    start();
    try
    {
        cXmlProperties profiles("profiles.xml");
        FAIL();
    }
    catch (const cString<std::string>& error)
    {
        EXPECT_EQ(error, "no element found line 1 char 10 filename: profiles.xml");
        EXPECT_EQ(getErrorString(), error);
    }
    try
    {
        cXmlPropertiesPooled broken("broken.xml");
        FAIL();
    }
    catch (const cString<std::string>& error)
    {
        EXPECT_EQ(error, "mismatched tag line 3 char 2 filename: broken.xml");
    }
    EXPECT_THROW(cXmlPropertiesPooled("missing.xml"), std::string);
    data("empty.xml", "");
    start();
    try
    {
        cXmlPropertiesPooled empty("empty.xml");
        FAIL();
    }
    catch (const cString<std::string>& error)
    {
        EXPECT_EQ(error, "empty file filename: empty.xml");
    }
}

TEST_F(XmlFiles, PreParsedImagesAndCopiesLoadThroughTheFileSystem)
{
    data("base.xml", "<r><Style Color='FF00FF00'><Font Size='12'/></Style></r>");
    data("ui/a.xml", "<r><Button copy='base.xml|Style' Size='3'><Font Size='14'/></Button></r>");
    const auto tree = XmlTest::parse<cXmlPropertiesPooled>("<r><A v='1'>text</A><B/></r>");
    data("ui/image.xml", xml::writeImage(*tree, false));
    start();
    const cXmlPropertiesPooled image("ui/image.xml");
    EXPECT_TRUE(XmlTest::sameTree(image, *tree));

    const tPropertiesPtr a = m_manager->getXml("UI/A.xml", false);
    const tPropertiesPtr button = XmlTest::child(a, L"Button");
    EXPECT_EQ(button->getAttribute(L"Color"), L"FF00FF00");
    EXPECT_EQ(button->getAttribute(L"Size"), L"3");
    EXPECT_EQ(XmlTest::child(button, L"Font")->getAttribute(L"Size"), L"14");
    const tPropertiesPtr style = XmlTest::child(m_manager->getXml("base.xml", true), L"Style");
    EXPECT_EQ(XmlTest::child(style, L"Font")->getAttribute(L"Size"), L"12");
}

TEST_F(XmlFiles, FilesThatCopyFromEachOtherAreRefused)
{
    data("p.xml", "<r><A copy='q.xml|B'/></r>");
    data("q.xml", "<r><B copy='p.xml|A'/></r>");
    data("self.xml", "<r><A/><B copy='self.xml|A'/></r>");
    start();
    EXPECT_THROW(m_manager->getXml("p.xml", true), cString<std::string>);
    EXPECT_EQ(getErrorString(),
              "\"p.xml\" is loaded again while it loads (a copy that leads back to itself).");
    EXPECT_THROW(m_manager->getXml("self.xml", true), cString<std::string>);
}

} // namespace
