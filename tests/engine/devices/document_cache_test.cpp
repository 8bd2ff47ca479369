// The foundation reaches the resource manager's cache only through cDocumentCache: while the
// manager lives it is that cache, before and after it the foundation parses documents itself.
#include "engine/core/cDocumentCache.h"
#include "engine/devices/cResourceManager.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

using namespace Engine;

TEST(DocumentCache, TheResourceManagerIsTheCacheWhileItLives)
{
    ::Test::EngineFixture engine("Cache Test");
    engine.data("UI/Panel.xml", "<panel a='1'/>");

    engine.startFiles();
    ASSERT_EQ(cDocumentCache::instance(), nullptr);
    const tPropertiesPtr parsed = cDocumentCache::loadDocument("ui/panel.xml", true);
    EXPECT_EQ(parsed->getType(), eResourceType::XmlHeap);
    EXPECT_NE(cDocumentCache::loadDocument("ui/panel.xml", true), parsed) << "nothing keeps a document";
    EXPECT_EQ(parsed->getAttribute(L"a"), L"1");
    EXPECT_THROW(parsed->getPath(), const char*);
    cDocumentCache::fileChanged("ui/panel.xml");

    cResourceManager& manager = engine.startResources();
    EXPECT_EQ(cDocumentCache::instance(), static_cast<cDocumentCache*>(&manager));
    const tPropertiesPtr cached = cDocumentCache::loadDocument("UI/Panel.xml", false);
    EXPECT_EQ(cached->getType(), eResourceType::XmlPooled);
    EXPECT_EQ(manager.getXml("ui/panel.xml", true), cached);
    EXPECT_EQ(cached->getPath(), "ui/panel.xml");

    // probe looks the path up as given and loads nothing.
    std::set<std::string> before;
    manager.getLoadedPaths(before);
    EXPECT_TRUE(manager.probe("ui/panel.xml"));
    EXPECT_FALSE(manager.probe("UI/Panel.xml"));
    EXPECT_FALSE(manager.probe("ui/other.xml"));
    EXPECT_FALSE(manager.probe(nullptr));
    std::set<std::string> after;
    manager.getLoadedPaths(after);
    EXPECT_EQ(after, before);

    cDocumentCache::fileChanged("ui/panel.xml");
    EXPECT_FALSE(manager.probe("ui/panel.xml"));
    EXPECT_NE(cDocumentCache::loadDocument("ui/panel.xml", false), cached);

    engine.stopEngine();
    EXPECT_EQ(cDocumentCache::instance(), nullptr);
}

} // namespace
