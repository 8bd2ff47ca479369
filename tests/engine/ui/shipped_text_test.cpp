// The texts the game ships against the fonts it ships: every character that a layout of
// "data/UI", a translation of "sys/strings.xml" or a player's name can hold has a glyph in
// every baked font, and the baked fonts are what the font baker makes of their face today.

#include "engine/core/StringUtils.h"
#include "engine/devices/cFont.h"
#include "engine/ui/cSelectProfile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const fs::path Data = fs::path(QUILL_SOURCE_DIR) / "data";

// The shown texts of a file: the values of the text keys of its elements and the contents of
// its "translation" elements.
std::vector<std::wstring> shownTexts(const fs::path& file)
{
    static const std::regex keys(R"re(\b(String|Text|StringOK|StringNew|StringConfirm)="([^"]*)")re");
    static const std::regex translations(R"re(<translation>([^<]*)</translation>)re");
    const std::string bytes = ::Test::readFile(file);
    std::vector<std::wstring> texts;
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), keys); it != std::sregex_iterator(); ++it)
        texts.push_back(Engine::fromUtf8((*it)[2].str()));
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), translations);
         it != std::sregex_iterator(); ++it)
        texts.push_back(Engine::fromUtf8((*it)[1].str()));
    return texts;
}

TEST(ShippedText, EveryFontDrawsEveryCharacterTheGameShowsOrAPlayerTypes)
{
    std::vector<std::wstring> texts = shownTexts(Data / "sys/strings.xml");
    size_t layouts = 0;
    for (const auto& entry : fs::directory_iterator(Data / "UI"))
    {
        if (entry.path().extension() != ".xml")
            continue;
        ++layouts;
        for (const std::wstring& text : shownTexts(entry.path()))
            texts.push_back(text);
    }
    EXPECT_GE(layouts, 2u);
    texts.push_back(Engine::cSelectProfile::nameCharacters());
    // The cursor of every text box.
    texts.push_back(L"_");
    std::set<wchar_t> characters;
    for (const std::wstring& text : texts)
        for (const wchar_t c : text)
            if (c != L' ' && c != L'/')
                characters.insert(c);
    EXPECT_GT(characters.size(), 129u);

    size_t fonts = 0;
    for (const auto& entry : fs::directory_iterator(Data / "fonts"))
    {
        if (entry.path().extension() != ".fnt")
            continue;
        ++fonts;
        const std::string bytes = ::Test::readFile(entry.path());
        const Engine::cFont font(entry.path().filename().string(),
                                 std::vector<char>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(fs::exists(fs::path(entry.path()).replace_extension(".png"))) << entry.path();
        Engine::sGlyph glyph;
        for (const wchar_t c : characters)
            EXPECT_TRUE(font.getGlyph(c, glyph))
                << entry.path().filename() << " lacks U+" << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(fonts, 9u) << "the plain and outlined fonts of 14, 18, 24 and 32 pixels and the default";
}

TEST(ShippedText, TheBakedFontsAreWhatTheirFaceBakesToday)
{
    const fs::path baker = fs::path(QUILL_BINARY_DIR) / "tools" / "fontbake";
    ASSERT_TRUE(fs::exists(baker)) << "build the tools first: " << baker;
    const std::string command = "\"" + baker.string() + "\" --check \"" + Data.string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0)
        << "the fonts drifted; rebake them with: " << baker << " --game " << Data;
}

} // namespace
