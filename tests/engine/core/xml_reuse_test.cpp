#include "engine/devices/cResourceManager.h"
#include "tests/engine/core/xml_test_tools.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace
{

using namespace Engine;
using XmlTest::child;
using XmlTest::loadError;
using XmlTest::parse;

// Documents that a "copy" names come from a table in memory, through the resource manager.
class XmlReuse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_manager = std::make_unique<cResourceManager>();
        m_manager->setCreator(eResourceType::XmlHeap,
                              [this](const std::string& path)
                              {
                                  const auto it = m_files.find(path);
                                  if (it == m_files.end())
                                      throw std::string("File \"" + path + "\" not found.");
                                  return boost::static_pointer_cast<cResource>(
                                      cXmlProperties::fromBuffer(it->second.data(), it->second.size(), path));
                              });
        file("a.xml", "<root><T k='t'><X v='1'/><Z/>old</T><L><M/><M/></L></root>");
    }
    void file(const std::string& path, const std::string& text) { m_files[path] = text; }
    tPropertiesPtr source(const wchar_t* name) { return child(m_manager->getXml("a.xml", true), name); }

    std::map<std::string, std::string> m_files;
    std::unique_ptr<cResourceManager> m_manager;
};

TEST_F(XmlReuse, ACopyIsTheSourceNodeItselfUntilTheDocumentChangesIt)
{
    const auto root = parse("<r><Y copy='a.xml|T'/></r>");
    const tPropertiesPtr t = source(L"T");
    EXPECT_EQ(child(root, L"Y"), t);
    EXPECT_EQ(child(child(root, L"Y"), L"X")->getAttribute(L"v"), L"1");

    // Two documents that copy without changing share the same nodes.
    const auto other = parse<cXmlProperties>("<r><Q copy='a.xml|T'/></r>");
    EXPECT_EQ(child(other, L"Q"), t);
}

TEST_F(XmlReuse, ANestedChangeClonesOnlyThePathToIt)
{
    const auto root = parse("<r><Y copy='a.xml|T'><X v='2'/></Y></r>");
    const tPropertiesPtr t = source(L"T");
    const tPropertiesPtr y = child(root, L"Y");
    ASSERT_NE(y, t);
    EXPECT_EQ(y->getAttribute(L"k"), L"t");
    EXPECT_EQ(child(y, L"X")->getAttribute(L"v"), L"2");
    EXPECT_EQ(child(t, L"X")->getAttribute(L"v"), L"1");
    // The untouched sibling stays shared, and the clone keeps the source's keying.
    EXPECT_EQ(child(y, L"Z"), child(t, L"Z"));
    EXPECT_EQ(y->getType(), eResourceType::XmlHeap);
}

TEST_F(XmlReuse, ExtraAttributesAndTextChangeAClone)
{
    const auto root = parse("<r><Y copy='a.xml|T' w='3'/><W copy='a.xml|T'>new</W></r>");
    const tPropertiesPtr t = source(L"T");
    EXPECT_EQ(child(root, L"Y")->getAttribute(L"w"), L"3");
    EXPECT_EQ(child(root, L"Y")->asWString(), L"old");
    EXPECT_EQ(t->getAttribute(L"w"), L"");
    // An element's text overrides the copied text.
    EXPECT_EQ(child(root, L"W")->asWString(), L"new");
    EXPECT_EQ(t->asWString(), L"old");
}

TEST_F(XmlReuse, RemoveDeletesEveryChildOfTheNameInACloneOnly)
{
    const auto root = parse(
        "<r><Y copy='a.xml|T'><X remove='' ignored='1'><Q/></X></Y><N copy='a.xml|L'><M remove=''/></N></r>");
    EXPECT_EQ(child(root, L"Y")->getChildCount(L"X"), 0u);
    EXPECT_EQ(child(root, L"Y")->getChildCount(), 1u);
    EXPECT_EQ(source(L"T")->getChildCount(L"X"), 1u);
    EXPECT_EQ(child(root, L"N")->getChildCount(), 0u);
    EXPECT_EQ(source(L"L")->getChildCount(L"M"), 2u);
}

TEST_F(XmlReuse, RemoveOnlyActsWhenItsPositionExists)
{
    // The removing A starts a new run after B: position 1 exists, so every A goes.
    const auto root = parse("<r><A/><B/><A remove=''/><C/></r>");
    EXPECT_EQ(root->getChildCount(L"A"), 0u);
    // A third A in a row addresses position 3, which does not exist: nothing is removed, and
    // the removing element takes no position (the next A is the third).
    const auto kept = parse("<r><A/><A/><A remove=''/><A v='3'/></r>");
    tPropertiesList as;
    ASSERT_EQ(kept->getChildren(L"A", as), 3u);
    EXPECT_EQ(as[2]->getAttribute(L"v"), L"3");
}

TEST_F(XmlReuse, CopiesWithinOneDocumentAndUnknownPaths)
{
    const auto root = parse("<r><A v='1'/><B copy='A'/><C copy='a.xml|T/Missing'/><D copy='a.xml|T/'/>"
                            "<E v='2' copy='A'/><F copy='a.xml|'/><G copy='a.xml|T\\X'/></r>");
    EXPECT_EQ(child(root, L"B"), child(root, L"A"));
    EXPECT_EQ(child(root, L"C")->getChildCount(), 0u);
    EXPECT_EQ(child(root, L"C")->getAttributeCount(), 0u);
    EXPECT_EQ(child(root, L"D")->getChildCount(), 0u);
    // "copy" that is not the first attribute is an ordinary one.
    EXPECT_EQ(child(root, L"E")->getAttribute(L"copy"), L"A");
    EXPECT_EQ(child(root, L"F"), m_manager->getXml("a.xml", true));
    EXPECT_EQ(child(root, L"G"), child(source(L"T"), L"X"));
}

TEST_F(XmlReuse, TheRootElementTakesCopiesOfTheSourceTables)
{
    const auto root = parse<cXmlProperties>("<r copy='a.xml|T' extra='1'>more<X v='5'/></r>");
    const tPropertiesPtr t = source(L"T");
    EXPECT_EQ(root->getAttribute(L"k"), L"t");
    EXPECT_EQ(root->getAttribute(L"extra"), L"1");
    EXPECT_EQ(root->asWString(), L"oldmore");
    EXPECT_EQ(child(root, L"Z"), child(t, L"Z"));
    EXPECT_EQ(child(root, L"X")->getAttribute(L"v"), L"5");
    EXPECT_EQ(child(t, L"X")->getAttribute(L"v"), L"1");
    // A name-keyed root cannot take hash keys.
    EXPECT_EQ(loadError("<r copy='a.xml|T'/>"),
              "a hash-keyed element can't be copied onto the root of a name-keyed document line 1 char 0 "
              "filename: test.xml");
}

TEST_F(XmlReuse, ReopenedElementsOfACopyAreReachedByTheirOwnKeys)
{
    // A pooled document holding a hash-keyed copy: both lookups work on their own keys.
    const auto root = parse("<r><Y copy='a.xml|L'><M v='1'/><M v='2'/></Y><Z/><Y w='1'/></r>");
    tPropertiesList ms;
    ASSERT_EQ(child(root, L"Y")->getChildren(L"M", ms), 2u);
    EXPECT_EQ(ms[0]->getAttribute(L"v"), L"1");
    EXPECT_EQ(ms[1]->getAttribute(L"v"), L"2");
    EXPECT_EQ(child(root, L"Y")->getAttribute(L"w"), L"1");
    EXPECT_EQ(source(L"L")->getAttributeCount(), 0u);
}

TEST_F(XmlReuse, CopyErrorsOfOtherFilesPassThrough)
{
    EXPECT_THROW(parse("<r><Y copy='missing.xml|T'/></r>"), std::string);
    file("bad.xml", "<r><oops></r>");
    EXPECT_EQ(loadError("<r><Y copy='bad.xml|T'/></r>"), "mismatched tag line 1 char 11 filename: bad.xml");
    // Files that copy from each other would load for ever.
    file("p.xml", "<r><A copy='q.xml|B'/></r>");
    file("q.xml", "<r><B copy='p.xml|A'/></r>");
    EXPECT_EQ(loadError("<r><Y copy='p.xml|A'/></r>"),
              "\"p.xml\" is loaded again while it loads (a copy that leads back to itself).");
    // Nothing half-loaded stays cached.
    std::set<std::string> loaded;
    m_manager->getLoadedPaths(loaded);
    EXPECT_EQ(loaded.count("p.xml"), 0u);
    EXPECT_EQ(loaded.count("q.xml"), 0u);
}

} // namespace
