#include "engine/core/xml/cXmlImage.h"
#include "tests/engine/core/xml_test_tools.h"

#include <gtest/gtest.h>

namespace
{

using namespace Engine;
using XmlTest::loadError;
using XmlTest::parse;

const char* const kDocument = "<?xml version='1.0' encoding='UTF-8'?>\n"
                              "<root a='1' b='x&amp;y'>\n"
                              "\t<Item n='1'>one</Item>\n"
                              "\t<Item n='2'><Sub deep='\xF0\x9D\x84\x9E'/></Item>\n"
                              "\t<Other/>\n"
                              "\t<Item n='3' copy='Other'/>\n"
                              "\ttext \xC3\xA9\n"
                              "</root>\n";

template <class T> class XmlImage : public ::testing::Test
{
protected:
    static constexpr bool kHashed = std::is_same_v<T, cXmlProperties>;
};
using NodeClasses = ::testing::Types<cXmlPropertiesPooled, cXmlProperties>;
TYPED_TEST_SUITE(XmlImage, NodeClasses);

TYPED_TEST(XmlImage, AnImageGivesTheSameTreeAsTheXml)
{
    const auto fromXml = parse<TypeParam>(kDocument);
    const std::string image = xml::writeImage(*fromXml, TestFixture::kHashed);
    ASSERT_EQ(image[0], '>');
    const auto fromImage = parse<TypeParam>(image);
    EXPECT_TRUE(XmlTest::sameTree(*fromXml, *fromImage));
    EXPECT_EQ(fromImage->getAttribute(L"b"), L"x&y");
    // Writing the image of the image gives the same bytes.
    EXPECT_EQ(xml::writeImage(*fromImage, TestFixture::kHashed), image);
}

TYPED_TEST(XmlImage, EveryTruncationFailsCleanly)
{
    const std::string image = xml::writeImage(*parse<TypeParam>(kDocument), TestFixture::kHashed);
    for (size_t length = 1; length < image.size(); ++length)
    {
        const std::string error = loadError<TypeParam>(image.substr(0, length));
        EXPECT_EQ(error.rfind("pre-parsed image ", 0), 0u) << length;
        EXPECT_NE(error.find(" filename: test.xml"), std::string::npos);
    }
    EXPECT_EQ(loadError<TypeParam>(image + "x"),
              "pre-parsed image has bytes after the end of the tree at byte " + std::to_string(image.size()) +
                  " filename: test.xml");
}

TYPED_TEST(XmlImage, CountsAndLengthsBeyondTheEndAreRefused)
{
    const std::string bigCount = std::string(">\xFF\xFF\xFF\xFF") + std::string(8, '\0');
    EXPECT_EQ(loadError<TypeParam>(bigCount),
              "pre-parsed image holds a count larger than the rest of the file at byte 1 filename: test.xml");
    const std::string longText =
        std::string(">") + std::string(8, '\0') + std::string("\x10\0\0\0", 4) + "ab";
    EXPECT_EQ(loadError<TypeParam>(longText),
              "pre-parsed image holds a text longer than the rest of the file at byte 9 filename: test.xml");
    // A chain of nodes deeper than any document may be.
    std::string deep = ">";
    for (int i = 0; i < 300; ++i)
        deep += std::string("\0\0\0\0\1\0\0\0", 8) +
                (TestFixture::kHashed ? std::string(4, 'k') : std::string("\1\0\0\0k\0", 6));
    for (int i = 0; i < 301; ++i)
        deep += std::string(8, '\0');
    const std::string error = loadError<TypeParam>(deep);
    EXPECT_EQ(error.rfind("pre-parsed image nests elements too deeply", 0), 0u) << error;
}

TEST(XmlImageKeys, AnImageSuitsOneClassOnly)
{
    const auto pooled = parse("<r><A v='1'/></r>");
    const std::string image = xml::writeImage(*pooled, false);
    // The hash-keyed class reads the name as a hash and the rest goes astray.
    EXPECT_NE(loadError<cXmlProperties>(image), "");
    // An image with hashes keeps no names, so it cannot be written for the name-keyed class.
    const auto hashed = parse<cXmlProperties>("<r><A v='1'/></r>");
    EXPECT_THROW(xml::writeImage(*hashed, false), xml::cImageError);
    // Names turn into hashes, so the hash-keyed image of a name-keyed tree reads as the same tree.
    const auto converted = parse<cXmlProperties>(xml::writeImage(*pooled, true));
    EXPECT_TRUE(XmlTest::sameTree(*hashed, *converted));
}

TEST(XmlImageKeys, TheSameBytesGiveDifferentTreesInTheTwoClasses)
{
    // Nothing in an image says which class wrote it; these bytes load in both, as two trees.
    // Name-keyed: the root's one child is named U+0001 U+0000 "AB" (a count of four units, then
    // the units) and holds nothing.
    // Hash-keyed: the child's key is the hash 4 (the name's count), and the child starts at the
    // name's units, read as one attribute (1, 0) keyed 0x00420041 ("AB"), whose value is the
    // empty text that the name-keyed child's attribute count spells.
    std::string image = ">";
    image += std::string("\0\0\0\0", 4);                // root attributes
    image += std::string("\1\0\0\0", 4);                // one child
    image += std::string("\4\0\0\0\1\0\0\0A\0B\0", 12); // the name
    image += std::string(12, '\0');                     // the child: attributes, children, text
    image += std::string("\0\0\0\0", 4);                // root text

    const auto pooled = parse(image);
    ASSERT_EQ(pooled->getChildCount(), 1u);
    const auto named = pooled->childrenBegin();
    EXPECT_EQ(named.name(), std::wstring(L"\1\0AB", 4));
    EXPECT_EQ(named.value()->getAttributeCount(), 0u);
    EXPECT_EQ(named.value()->getChildCount(), 0u);

    const auto hashed = parse<cXmlProperties>(image);
    ASSERT_EQ(hashed->getChildCount(), 1u);
    const auto keyed = hashed->childrenBegin();
    EXPECT_EQ(keyed.hash(), 4u);
    ASSERT_EQ(keyed.value()->getAttributeCount(), 1u);
    const auto attribute = keyed.value()->attributesBegin();
    EXPECT_EQ(attribute.hash(), 0x00420041u);
    EXPECT_EQ(attribute.value(), L"");
    EXPECT_EQ(keyed.value()->getChildCount(), 0u);
}

} // namespace
