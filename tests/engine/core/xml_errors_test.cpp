#include "engine/core/ErrorText.h"
#include "tests/engine/core/xml_test_tools.h"

#include <gtest/gtest.h>

namespace
{

using namespace Engine;
using XmlTest::loadError;
using XmlTest::parse;

template <class T> class XmlErrors : public ::testing::Test
{
};
using NodeClasses = ::testing::Types<cXmlPropertiesPooled, cXmlProperties>;
TYPED_TEST_SUITE(XmlErrors, NodeClasses);

TYPED_TEST(XmlErrors, MalformedXmlNamesTheMessageLineCharAndFile)
{
    EXPECT_EQ(loadError<TypeParam>("<r>\n<a></r>"), "mismatched tag line 2 char 5 filename: test.xml");
    EXPECT_EQ(getErrorString(), "mismatched tag line 2 char 5 filename: test.xml");
    EXPECT_EQ(loadError<TypeParam>("<r><a>"), "no element found line 1 char 6 filename: test.xml");
    EXPECT_EQ(loadError<TypeParam>("<r>&bogus;</r>"), "undefined entity line 1 char 3 filename: test.xml");
    EXPECT_EQ(loadError<TypeParam>(""), "empty file filename: test.xml");
    EXPECT_EQ(loadError<TypeParam>(std::string("\0\0\0", 3)),
              "not well-formed (invalid token) line 1 char 0 filename: test.xml");
}

TYPED_TEST(XmlErrors, DeepNestingIsRefusedWithAClearError)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ(loadError<TypeParam>(deep).rfind("elements nested too deeply line 1 char ", 0), 0u);

    std::string fits;
    for (int i = 0; i <= 256; ++i)
        fits += "<a>";
    for (int i = 0; i <= 256; ++i)
        fits += "</a>";
    EXPECT_EQ(loadError<TypeParam>(fits), "");
}

TYPED_TEST(XmlErrors, ACopyOfAnEnclosingElementIsRefused)
{
    // Each would make a node its own descendant.
    EXPECT_EQ(loadError<TypeParam>("<r><A><B copy='A'/></A></r>"),
              "copy of an enclosing element \"A\" line 1 char 6 filename: test.xml");
    EXPECT_EQ(loadError<TypeParam>("<r><A copy=''/></r>"),
              "copy of an enclosing element \"\" line 1 char 3 filename: test.xml");
    EXPECT_EQ(loadError<TypeParam>("<r><A><B><C copy='A/B'/></B></A></r>"),
              "copy of an enclosing element \"A/B\" line 1 char 9 filename: test.xml");
    // A node shared into an open element is cloned first, so copying its original is sound.
    const auto root = parse<TypeParam>("<r><A v='1'/><B copy='A'><X copy='B'/></B></r>");
    const tPropertiesPtr b = XmlTest::child(root, L"B");
    EXPECT_EQ(XmlTest::child(b, L"X"), XmlTest::child(root, L"A"));
    EXPECT_EQ(b->getAttribute(L"v"), L"1");
    // The root element copying the document's own root changes nothing.
    EXPECT_EQ(loadError<TypeParam>("<r copy='' v='1'><A/></r>"), "");
}

TYPED_TEST(XmlErrors, ACopyFromAnotherFileWithoutAResourceManagerFailsCleanly)
{
    EXPECT_EQ(loadError<TypeParam>("<r><A copy='a.xml|T'/></r>"),
              "copy needs the resource manager to load \"a.xml\" line 1 char 3 filename: test.xml");
}

TYPED_TEST(XmlErrors, CopiesCannotStackUpBeyondTheDepthLimit)
{
    // 200 levels, then copies of the deepest chain below ever deeper elements.
    std::string text = "<r>";
    std::string path = "a";
    for (int i = 0; i < 200; ++i)
        text += "<a>";
    for (int i = 0; i < 200; ++i)
        text += "</a>";
    for (int i = 1; i < 200; ++i)
        path += "/a";
    text += "<b><c copy='" + path + "'/></b></r>";
    EXPECT_EQ(loadError<TypeParam>(text), "");
    text = "<r>";
    for (int i = 0; i < 200; ++i)
        text += "<a>";
    for (int i = 0; i < 200; ++i)
        text += "</a>";
    text += "<b>";
    for (int i = 0; i < 60; ++i)
        text += "<b>";
    text += "<c copy='a'/>";
    for (int i = 0; i < 61; ++i)
        text += "</b>";
    text += "</r>";
    EXPECT_EQ(loadError<TypeParam>(text).rfind("copy nests elements too deeply", 0), 0u);
}

} // namespace
