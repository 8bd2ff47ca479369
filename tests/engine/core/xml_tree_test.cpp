#include "engine/core/StringUtils.h"
#include "tests/engine/core/xml_test_tools.h"

#include <gtest/gtest.h>

namespace
{

using namespace Engine;
using XmlTest::child;
using XmlTest::parse;

template <class T> class XmlTree : public ::testing::Test
{
};
using NodeClasses = ::testing::Types<cXmlPropertiesPooled, cXmlProperties>;
TYPED_TEST_SUITE(XmlTree, NodeClasses);

TYPED_TEST(XmlTree, SeparatedElementsOfOneNameReopenOneNodeAndConsecutiveOnesMakeNew)
{
    const auto root = parse<TypeParam>("<r><A x='1'/><B/><A y='2'/><C/><C/></r>");
    EXPECT_EQ(root->getChildCount(), 4u);
    ASSERT_EQ(root->getChildCount(L"A"), 1u);
    const tPropertiesPtr a = child(root, L"A");
    EXPECT_EQ(a->getAttribute(L"x"), L"1");
    EXPECT_EQ(a->getAttribute(L"y"), L"2");
    EXPECT_EQ(root->getChildCount(L"B"), 1u);
    EXPECT_EQ(root->getChildCount(L"C"), 2u);

    // After a second consecutive run the positions count again from 1.
    const auto again = parse<TypeParam>("<r><A v='1'/><A v='2'/><B/><A w='1'/><A w='2'/><A w='3'/></r>");
    tPropertiesList as;
    ASSERT_EQ(again->getChildren(L"A", as), 3u);
    EXPECT_EQ(as[0]->getAttribute(L"v"), L"1");
    EXPECT_EQ(as[0]->getAttribute(L"w"), L"1");
    EXPECT_EQ(as[1]->getAttribute(L"v"), L"2");
    EXPECT_EQ(as[1]->getAttribute(L"w"), L"2");
    EXPECT_EQ(as[2]->getAttribute(L"w"), L"3");
    EXPECT_EQ(as[2]->getAttribute(L"v"), L"");
}

TYPED_TEST(XmlTree, TypedGettersReadTheFirstChildElementsText)
{
    const auto root = parse<TypeParam>("<r><v>12</v><v>13</v><p>3;4</p><c>80FF0000</c><s>a b</s></r>");
    int value = 7;
    EXPECT_TRUE(root->get(L"v", value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(root->get(L"w", value));
    EXPECT_EQ(value, 12);
    EXPECT_EQ(root->getAttribute(L"v"), L"");

    cPoint point;
    EXPECT_TRUE(root->get(L"p", point));
    EXPECT_EQ(point, cPoint(3, 4));
    cVector2 vector;
    EXPECT_TRUE(root->get(L"p", vector));
    EXPECT_EQ(vector, cVector2(3, 4));
    cColor color;
    EXPECT_TRUE(root->get(L"c", color));
    EXPECT_FLOAT_EQ(color.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(color.r, 1.0f);
    std::string narrow;
    EXPECT_TRUE(root->get(L"s", narrow));
    EXPECT_EQ(narrow, "a b");
    long long big = 0;
    EXPECT_TRUE(root->get(L"v", big));
    EXPECT_EQ(big, 12);
}

TEST(XmlText, LeadingTabsAndLineFeedsOfEachLineGoAndTextAroundChildrenJoins)
{
    const auto root =
        parse("<r><e>\n\t\tHello\n\t</e><m>x<b/>y</m><l>\n\tone\n\ttwo\n</l><k> a\r\n b </k></r>");
    EXPECT_EQ(child(root, L"e")->asWString(), L"Hello");
    EXPECT_EQ(child(root, L"m")->asWString(), L"xy");
    EXPECT_EQ(child(root, L"l")->asWString(), L"onetwo");
    // Blanks stay; the parser turns CR LF into one line feed, which goes.
    EXPECT_EQ(child(root, L"k")->asWString(), L" a b ");
}

TEST(XmlText, Utf16FilesAndCharactersPastTheBasicPlaneAreRead)
{
    // UTF-16LE with a byte-order mark: <r n="é𝄞">ü</r>
    const std::u16string text = u"\xFEFF<r n=\"\u00E9\U0001D11E\">\u00FC</r>";
    std::string bytes;
    for (const char16_t unit : text)
    {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    const auto root = parse(bytes);
    EXPECT_EQ(root->getAttribute(L"n"), std::wstring(L"\u00E9\U0001D11E"));
    EXPECT_EQ(root->asWString(), L"\u00FC");
    EXPECT_EQ(root->asString(), "\xC3\xBC");

    // The hash-keyed class finds names by the hash of their characters.
    const auto hashed = parse<cXmlProperties>("<r><\xC3\xA9t\xC3\xA9 v='\xF0\x9D\x84\x9E'/></r>");
    tPropertiesPtr found;
    ASSERT_TRUE(hashed->getChild(L"\u00E9t\u00E9", found));
    EXPECT_EQ(hashed->childrenBegin().hash(), hashWString(L"\u00E9t\u00E9"));
    EXPECT_EQ(found->getAttribute(L"v"), std::wstring(L"\U0001D11E"));
}

TEST(XmlText, TheTreesNameHashIsTheEnginesNameHash)
{
    for (const std::wstring name : {L"", L"a", L"Unit", L"\u00E9t\u00E9", L"\U0001D11E x"})
        EXPECT_EQ(propertyNameHash(name), hashWString(name));
    EXPECT_EQ(propertyNameHash(L"a"), 0x9E377A1Au);
    // Lookups by a name written in the code take its hash as the compiler works it out.
    static_assert(propertyNameHash(L"a") == 0x9E377A1Au);
    static_assert(cNameKey(L"").hash == 0 && cNameKey(static_cast<const wchar_t*>(nullptr)).hash == 0);
}

TEST(XmlLookup, EveryWayOfNamingFindsTheSameEntryInBothClasses)
{
    const auto check = [](const tPropertiesPtr& root)
    {
        const std::wstring name = L"Pos";
        EXPECT_EQ(root->getAttribute(L"Pos"), L"1;2");
        EXPECT_EQ(root->getAttribute(name), L"1;2");
        EXPECT_EQ(root->getAttribute(name.c_str()), L"1;2");
        EXPECT_EQ(root->getAttribute(L"pos"), L"");
        // A null name is the empty name, which no attribute has.
        EXPECT_EQ(root->getAttribute(static_cast<const wchar_t*>(nullptr)), L"");
        tPropertiesPtr child;
        EXPECT_TRUE(root->getChild(L"Cell", child));
        EXPECT_TRUE(child);
        EXPECT_TRUE(root->getChild(std::wstring(L"Cell").c_str(), child));
        EXPECT_FALSE(root->getChild(nullptr, child));
        EXPECT_FALSE(child);
    };
    check(parse<cXmlProperties>("<r Pos='1;2'><Cell/></r>"));
    check(parse("<r Pos='1;2'><Cell/></r>"));
}

TEST(XmlOrder, PooledChildrenComeOutSortedByNameWithTheirNames)
{
    const auto root = parse("<r><b/><a/><B/></r>");
    std::wstring name;
    tPropertiesPtr node;
    ASSERT_TRUE(root->getChildAt(0, node, &name));
    EXPECT_EQ(name, L"B");
    ASSERT_TRUE(root->getChildAt(1, node, &name));
    EXPECT_EQ(name, L"a");
    ASSERT_TRUE(root->getChildAt(2, node, &name));
    EXPECT_EQ(name, L"b");
    EXPECT_EQ(node, child(root, L"b"));

    EXPECT_FALSE(root->getChildAt(5, node, &name));
    EXPECT_FALSE(node);
}

TEST(XmlOrder, HashedChildrenComeOutSortedByHashWithoutNames)
{
    const auto root = parse<cXmlProperties>("<r><b/><a/><B/></r>");
    uint32_t previous = 0;
    for (unsigned i = 0; i < 3; ++i)
    {
        std::wstring name = L"unchanged";
        tPropertiesPtr node;
        ASSERT_TRUE(root->getChildAt(i, node, &name));
        EXPECT_EQ(name, L"unchanged");
        auto it = root->childrenBegin();
        for (unsigned j = 0; j < i; ++j)
            ++it;
        EXPECT_GE(it.hash(), previous);
        EXPECT_TRUE(it.name().empty());
        previous = it.hash();
    }
}

TYPED_TEST(XmlTree, ListsCountTheNodeNotTheList)
{
    const auto root = parse<TypeParam>("<r><a><x/></a><b><x/><x/><c><x/></c></b></r>");
    tPropertiesList list(4);
    EXPECT_EQ(root->getChildren(list), 2u);
    EXPECT_EQ(list.size(), 6u);

    tPropertiesList found(1);
    EXPECT_EQ(root->findAll(L"x", found), 5u);
    EXPECT_EQ(root->getChildCount(L"x"), 0u);
}

TYPED_TEST(XmlTree, AttributesAreReachedByNameIndexAndIterator)
{
    const auto root = parse<TypeParam>("<r b='2' a='1' c='3'/>");
    EXPECT_EQ(root->getAttributeCount(), 3u);
    EXPECT_EQ(root->getAttribute(std::wstring(L"c")), L"3");
    EXPECT_EQ(root->getAttribute(L"missing"), L"");
    EXPECT_EQ(root->getAttributeAt(3), nullptr);
    const cAttributeIterator* at = root->getAttributeAt(2);
    ASSERT_NE(at, nullptr);

    std::wstring values;
    for (const auto& attribute : root->getAttributes())
        values += attribute.value();
    EXPECT_EQ(root->getAttributes().size(), 3u);
    EXPECT_EQ(root->attributesBegin().value(), std::wstring(1, values[0]));
    if (std::is_same_v<TypeParam, cXmlPropertiesPooled>)
    {
        EXPECT_EQ(values, L"123");
        EXPECT_EQ(at->name(), L"c");
    }
    EXPECT_EQ(values.size(), 3u);
    EXPECT_EQ(at->value(), std::wstring(1, values[2]));
}

TEST(XmlConversions, ElementTextsConvertWithPresetDefaults)
{
    const auto root = parse("<r><c>FF0000</c><b>1</b><n>x</n><u>0x1F</u><f> 2.5x</f><p>7 8</p></r>");
    // Colours of a node are always AARRGGBB: six digits give alpha 0.
    EXPECT_EQ(child(root, L"c")->asColor(), cColor(1, 0, 0, 0));
    EXPECT_EQ(child(root, L"n")->asColor(), cColor());
    EXPECT_TRUE(child(root, L"b")->asBool());
    EXPECT_FALSE(child(root, L"n")->asBool());
    EXPECT_EQ(child(root, L"n")->asInt(), 0);
    EXPECT_EQ(child(root, L"u")->asULong(), 31u);
    EXPECT_FLOAT_EQ(child(root, L"f")->asFloat(), 2.5f);
    EXPECT_EQ(child(root, L"p")->asPoint(), cPoint(7, 8));
    EXPECT_EQ(child(root, L"n")->asVector2(), cVector2());
}

struct Loadable
{
    void loadXML(const tPropertiesPtr& node) { value = node->getAttribute(L"v"); }
    std::wstring value;
};

TEST(XmlLookups, RequiredChildrenThrowTheCallersMessage)
{
    const tPropertiesPtr root = parse("<r><Style v='1'/></r>");
    EXPECT_EQ(cProperties::getChildRequired(root, L"Style", L"no style"), child(root, L"Style"));
    EXPECT_FALSE(cProperties::getChildRequired(root, L"Other", nullptr));
    EXPECT_FALSE(cProperties::getChildRequired(tPropertiesPtr(), L"Style", nullptr));
    try
    {
        cProperties::getChildRequired(root, L"Other", L"StyleCommon");
        FAIL();
    }
    catch (const wchar_t* message)
    {
        EXPECT_EQ(std::wstring(message), L"StyleCommon");
    }

    Loadable target;
    loadChildXML(&target, root, L"Style", L"needed");
    EXPECT_EQ(target.value, L"1");
    loadChildXML(&target, root, L"Missing", nullptr);
    EXPECT_THROW(loadChildXML(&target, root, L"Missing", L"needed"), const wchar_t*);
    EXPECT_THROW(loadChildXML(static_cast<Loadable*>(nullptr), root, L"Style", L"needed"), const wchar_t*);
}

TEST(XmlPool, PooledNodesAreCountedWhileTheyLive)
{
    const unsigned long live = cXmlPropertiesPooled::liveNodes();
    const unsigned long total = cXmlPropertiesPooled::totalNodes();
    {
        const auto root = parse("<r><a/><b><c/></b></r>");
        EXPECT_EQ(cXmlPropertiesPooled::liveNodes(), live + 4);
        EXPECT_GE(cXmlPropertiesPooled::peakNodes(), live + 4);
        EXPECT_TRUE(root->isValid());
        EXPECT_TRUE(root->isPropertyTree());
        EXPECT_EQ(root->getType(), eResourceType::XmlPooled);
    }
    EXPECT_EQ(cXmlPropertiesPooled::liveNodes(), live);
    EXPECT_EQ(cXmlPropertiesPooled::totalNodes(), total + 4);
    EXPECT_EQ(parse<cXmlProperties>("<r/>")->getType(), eResourceType::XmlHeap);
}

} // namespace
