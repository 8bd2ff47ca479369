#include "engine/core/ErrorText.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/xml/cXmlImage.h"
#include "engine/devices/cResourceManager.h"
#include "tests/engine/core/xml_test_tools.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

using namespace Engine;

// Documents read through the file system: a data folder and a shared folder of the test's own.
class XmlFiles : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    XmlFiles() : EngineFixture("Xml Test") {}

    void start() { startResources(); }
};

TEST_F(XmlFiles, AMalformedSharedCopyIsRemovedAndTheDataCopyRead)
{
    data("sys/settings.xml", "<main><graphics width='800'/></main>");
    sharedFile("sys/settings.xml", "<main><graphics width='1024'></main>");
    start();
    ASSERT_TRUE(files->isInCommon("sys/settings.xml"));
    const cXmlPropertiesPooled settings("sys/settings.xml");
    tPropertiesPtr graphics;
    ASSERT_TRUE(settings.getChild(L"graphics", graphics));
    EXPECT_EQ(graphics->getAttribute(L"width"), L"800");
    EXPECT_FALSE(std::filesystem::exists(shared("sys/settings.xml")));
    EXPECT_FALSE(files->isInCommon("sys/settings.xml"));
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

    const tPropertiesPtr a = manager->getXml("UI/A.xml", false);
    const tPropertiesPtr button = XmlTest::child(a, L"Button");
    EXPECT_EQ(button->getAttribute(L"Color"), L"FF00FF00");
    EXPECT_EQ(button->getAttribute(L"Size"), L"3");
    EXPECT_EQ(XmlTest::child(button, L"Font")->getAttribute(L"Size"), L"14");
    const tPropertiesPtr style = XmlTest::child(manager->getXml("base.xml", true), L"Style");
    EXPECT_EQ(XmlTest::child(style, L"Font")->getAttribute(L"Size"), L"12");
}

TEST_F(XmlFiles, FilesThatCopyFromEachOtherAreRefused)
{
    data("p.xml", "<r><A copy='q.xml|B'/></r>");
    data("q.xml", "<r><B copy='p.xml|A'/></r>");
    data("self.xml", "<r><A/><B copy='self.xml|A'/></r>");
    start();
    EXPECT_THROW(manager->getXml("p.xml", true), cString<std::string>);
    EXPECT_EQ(getErrorString(),
              "\"p.xml\" is loaded again while it loads (a copy that leads back to itself).");
    EXPECT_THROW(manager->getXml("self.xml", true), cString<std::string>);
}

} // namespace
