// The quick look at one child of the root: whatever it answers, a whole parse answers the same,
// and where a rule could change the answer it leaves the question to the whole parse.
#include "engine/core/xml/cXmlParser.h"
#include "tests/engine/core/xml_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace
{

using namespace Engine;
using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

xml::eScan scan(const std::string& text, Attributes& attributes)
{
    return xml::scanTopElement(text.data(), text.size(), "MetaData", attributes);
}

// The attributes the whole parse gives the root's first "MetaData", in its order.
Attributes parsed(const std::string& text)
{
    Attributes attributes;
    const tPropertiesPtr root = XmlTest::parse<cXmlProperties>(text);
    tPropertiesPtr metaData;
    if (!root->getChild(L"MetaData", metaData))
        return attributes;
    for (const wchar_t* name : {L"GoldTime", L"BestTime", L"SilverTime"})
        if (!metaData->getAttribute(name).empty())
            attributes.emplace_back(name, metaData->getAttribute(name));
    return attributes;
}

Attributes sorted(Attributes attributes)
{
    std::sort(attributes.begin(), attributes.end());
    return attributes;
}

TEST(XmlScan, FindsTheRootsChildAsTheWholeParseDoes)
{
    // Read whole, or read up to the element (the quick way, or the parser where the quick way
    // does not know the markup): the same answer.
    for (const bool whole : {true, false})
        for (const std::string& text :
             {std::string("<Level><A x='1'/><MetaData GoldTime='45' BestTime='200'/><B/></Level>"),
              std::string(
                  "<?xml version='1.0' encoding='UTF-8'?><!-- c --><Level><F><MetaData BestTime='9'/></F>"
                  "<MetaData BestTime='&#x32;0'/></Level>"),
              std::string("<Level><A><B><C/></B></A><MetaData SilverTime='3'></MetaData></Level>"),
              std::string(
                  "\xEF\xBB\xBF<Level>\n\t<A b = \"x>y\" c='2'>\n</A >\n<MetaData\n BestTime=\"1\n2\" "
                  "GoldTime='&lt;4'><X/></MetaData></Level>"),
              std::string("<!DOCTYPE Level><Level><MetaData BestTime='5'/></Level>"),
              std::string("<Level><A>a &amp; b<![CDATA[<MetaData BestTime='6'/>]]></A><MetaData "
                          "BestTime='7'/></Level>"),
              std::string(
                  "<?xml version='1.0' encoding='ISO-8859-1'?><Level><MetaData BestTime='8\xE9'/></Level>")})
        {
            Attributes attributes;
            ASSERT_EQ(xml::scanTopElement(text.data(), text.size(), "MetaData", attributes, whole),
                      xml::eScan::Found)
                << text;
            EXPECT_EQ(sorted(attributes), sorted(parsed(text))) << text;
        }

    // UTF-16 with its byte-order mark, as the game writes files.
    const std::string ascii = "<Level><MetaData BestTime='77'/></Level>";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii)
        utf16 += std::string{c, '\0'};
    Attributes attributes;
    ASSERT_EQ(scan(utf16, attributes), xml::eScan::Found);
    EXPECT_EQ(attributes, (Attributes{{L"BestTime", L"77"}}));
}

TEST(XmlScan, AnElementOnlyDeeperDownIsMissing)
{
    Attributes attributes{{L"left", L"over"}};
    EXPECT_EQ(scan("<Level><F><MetaData BestTime='9'/></F><metadata/></Level>", attributes),
              xml::eScan::Missing);
    EXPECT_TRUE(attributes.empty());
    EXPECT_TRUE(parsed("<Level><F><MetaData BestTime='9'/></F><metadata/></Level>").empty());
}

TEST(XmlScan, LeavesToTheWholeParseWhatARuleOrAnErrorDecides)
{
    for (const std::string& text : {
             // A later element of the name re-opens the first, or makes a second.
             std::string("<Level><MetaData BestTime='1'/><X/><MetaData BestTime='2'/></Level>"),
             std::string("<Level><MetaData BestTime='1'/><MetaData BestTime='2'/></Level>"),
             // Copies and removals among the root's children, or on the root.
             std::string("<Level><MetaData remove='1'/></Level>"),
             std::string("<Level><Other copy='a.xml|T'/><MetaData BestTime='1'/></Level>"),
             std::string("<Level copy='a.xml|T'><MetaData BestTime='1'/></Level>"),
             // Broken after the element (whether or not the rest can name it), or empty.
             std::string("<Level><MetaData BestTime='1'/><Open></Level>"),
             std::string("<Level><MetaData BestTime='1'/><X a='copy'></Level>"),
             std::string(),
         })
    {
        Attributes attributes;
        EXPECT_EQ(scan(text, attributes), xml::eScan::Undecided) << text;
    }

    std::string deep = "<Level>";
    for (unsigned i = 0; i < xml::kMaxDepth + 1; ++i)
        deep += "<d>";
    for (unsigned i = 0; i < xml::kMaxDepth + 1; ++i)
        deep += "</d>";
    deep += "<MetaData BestTime='1'/></Level>";
    Attributes attributes;
    EXPECT_EQ(scan(deep, attributes), xml::eScan::Undecided) << "the whole parse refuses it";
    EXPECT_FALSE(XmlTest::loadError<cXmlProperties>(deep).empty());
}

TEST(XmlScan, ReadingThatMayStopAtTheElementStopsWhereTheRestCannotMatter)
{
    const std::string broken = "<Level><MetaData BestTime='1'/><Open></Level>";
    Attributes attributes;
    EXPECT_EQ(xml::scanTopElement(broken.data(), broken.size(), "MetaData", attributes, false),
              xml::eScan::Found);
    EXPECT_EQ(attributes, (Attributes{{L"BestTime", L"1"}}));
    EXPECT_EQ(xml::scanTopElement(broken.data(), broken.size(), "MetaData", attributes, true),
              xml::eScan::Undecided);

    // A later word that could name, copy or remove the element keeps the reading going.
    for (const std::string& text :
         {std::string("<Level><MetaData BestTime='1'/><X a='copy'></Level>"),
          std::string("<Level><MetaData BestTime='1'/><X/><MetaData BestTime='2'/></Level>"),
          std::string("<Level><MetaData BestTime='1'/><MetaData remove='1'/></Level>")})
        EXPECT_EQ(xml::scanTopElement(text.data(), text.size(), "MetaData", attributes, false),
                  xml::eScan::Undecided)
            << text;

    // The words are found wherever they stand in a long rest (broken at its end, so that a
    // reading that went on says Undecided): at its very end, past a start full of their letters
    // (each is looked for by its rarest byte there), or at once.
    std::string cells;
    for (int i = 0; i < 600; ++i)
        cells += "<Cell Pos='" + std::to_string(i) + ";4' Name='cop remov MetaDat'/>";
    for (const std::string word : {"copy", "remove", "MetaData"})
    {
        for (const std::string& text :
             {"<Level>" + cells + "<MetaData BestTime='1'/>" + cells + "<X a='" + word + "'/><Open></Level>",
              "<Level><MetaData BestTime='1'/>" + cells + "<Open></Level><!--" + word + "-->",
              "<Level><MetaData BestTime='1'/><X a='" + word + "'/>" + cells + "<Open></Level>"})
            EXPECT_EQ(xml::scanTopElement(text.data(), text.size(), "MetaData", attributes, false),
                      xml::eScan::Undecided)
                << word << " at " << text.find(word, text.find("BestTime"));
        // A word cut by one letter is no word: the reading stops at the element.
        std::string cut = word;
        cut.insert(1, "x");
        const std::string text =
            "<Level><MetaData BestTime='1'/>" + cells + "<X a='" + cut + "'/><Open></Level>";
        EXPECT_EQ(xml::scanTopElement(text.data(), text.size(), "MetaData", attributes, false),
                  xml::eScan::Found)
            << cut;
    }

    // UTF-16 is read whole.
    const std::string ascii = "<Level><MetaData BestTime='77'/><Open></Level>";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii)
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(xml::scanTopElement(utf16.data(), utf16.size(), "MetaData", attributes, false),
              xml::eScan::Undecided);
}

} // namespace
