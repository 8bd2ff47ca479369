// The text views: translation, glyph views, right-to-left order and TrueType on a text line;
// wrapping, growing and shrinking of multi-line texts; the digit grouping of price texts, the
// money text's coin and the melting text's end; typing into text boxes through the input.

#include "engine/core/cConstants.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cTextTexture.h"
#include "engine/ui/cGlyphView.h"
#include "engine/ui/cMeltingText.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPriceText.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextMoney.h"
#include "platform/text/FontRaster.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/engine/ui/view_test_tools.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;
using ViewTest::element;

// Every letter of the test font is 10 units wide, advances 10 and is 20 high.
const std::wstring Letters = L"abcdefgABC0123456789-_\u05E9\u05DC";
const std::string FontKeys = "Font=\"fonts/t.fnt\" Texture=\"fonts/t.png\" SpaceWidth=\"10\" ";

class Texts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources.sizes["fonts/t.png"] = {100, 100};
        resources.data("fonts/t.fnt", UiTest::fontBytes(Letters, 10, 20, 100));
        resources.data("sys/strings.xml", "<Strings><s><text>a</text><translation>b</translation></s>"
                                          "<s><text>b</text><translation>bbb</translation></s></Strings>");
        resources.data("sys/constants.xml", "<constants><game app_directory=\"View Test\" "
                                            "RightToLeftEnable=\"1\"/></constants>");
        resources.start();
        constants = std::make_unique<cConstants>("sys/constants.xml");
        strings = std::make_unique<cStrings>();
    }
    void TearDown() override
    {
        root.reset();
        cControl::deletePending();
    }

    // Loads `xml` as a shown, enabled view of type T.
    template <class T> T& load(const std::string& xml)
    {
        auto view = std::make_unique<T>();
        view->loadXML(element(xml));
        T& made = *view;
        root = std::move(view);
        return made;
    }

    static std::vector<std::wstring> texts(const cMultiLineText& text)
    {
        std::vector<std::wstring> out;
        for (const cTextLine* line : text.getLines())
            out.push_back(line->getText());
        return out;
    }

    ViewTest::cViewResources resources;
    std::unique_ptr<cConstants> constants;
    std::unique_ptr<cStrings> strings;
    std::unique_ptr<cControl> root;
};

TEST_F(Texts, ATextIsTranslatedOnceWhenItIsSet)
{
    // "a" translates to "b", which would translate on to "bbb".
    cTextLine& line =
        load<cTextLine>("<t Visible=\"1\" IgnoreRightToLeft=\"1\" String=\"a\" " + FontKeys + "/>");
    EXPECT_EQ(line.getText(), L"b");
    EXPECT_EQ(line.getSpriteList().size(), 1u);
    EXPECT_FLOAT_EQ(line.getWidth(), 10.0f);
    const cTextLine copy(line);
    EXPECT_EQ(copy.getText(), L"b");

    // A line made in code draws a glyph view per letter, for the translated text too.
    cTextLine code;
    code.setFont("fonts/t.fnt");
    code.setTexture("fonts/t.png");
    code.setRightToLeft(false);
    code.show();
    code.setText(L"a");
    ASSERT_EQ(code.getChildren().size(), 1u);
    code.setLocalized(false);
    code.setText(L"ab ab");
    EXPECT_EQ(code.getChildren().size(), 4u) << "a space has no glyph view";
    code.setText(L"ab");
    size_t queued = 0;
    for (cControl* child : code.getChildren())
        queued += cControl::isQueuedForDeletion(child) && !child->isVisible();
    EXPECT_EQ(queued, 2u) << "spare glyph views are hidden and deleted at the end of the frame";
    cControl::deletePending();
    ASSERT_EQ(code.getChildren().size(), 2u);
    // Centred on the line's position: "ab" spans -10..10.
    const auto* first = dynamic_cast<const cGlyphView*>(*code.getChildren().begin());
    const auto* second = dynamic_cast<const cGlyphView*>(*code.getChildren().rbegin());
    ASSERT_TRUE(first && second);
    EXPECT_FLOAT_EQ(std::min(first->getPosition().x, second->getPosition().x), -5.0f);
    EXPECT_FLOAT_EQ(std::max(first->getPosition().x, second->getPosition().x), 5.0f);

    // A multi-line text translates its whole text once; its lines take it as it is.
    cMultiLineText& text =
        load<cMultiLineText>("<mt Visible=\"1\" Enable=\"1\" Text=\"a\" " + FontKeys + "/>");
    EXPECT_EQ(texts(text), (std::vector<std::wstring>{L"b"}));
}

TEST_F(Texts, RightToLeftLinesReverseAllButLatinAndDigitRuns)
{
    EXPECT_EQ(cTextLine::rightToLeftOrder(L"abc 12 \u05E9\u05DC\u05D5\u05DD"),
              L"\u05DD\u05D5\u05DC\u05E9 12 abc");
    EXPECT_EQ(cTextLine::rightToLeftOrder(L""), L"");

    // The constant turns it on; the first quad then draws the last run.
    cTextLine& line = load<cTextLine>("<t Visible=\"1\" String=\"ab-c\" Align=\"1\" " + FontKeys + "/>");
    ASSERT_TRUE(line.isRightToLeft());
    const std::vector<cQuad>& quads = line.getSpriteList();
    ASSERT_EQ(quads.size(), 4u);
    const float left = [](wchar_t c) { return static_cast<float>(Letters.find(c)) * 0.1f; }(L'c');
    EXPECT_FLOAT_EQ(quads[0].uvFrom.x, left);
    EXPECT_FLOAT_EQ(quads[3].uvFrom.x, 0.1f) << "\"ab\" stays in reading order: b last";

    cTextLine& ignoring =
        load<cTextLine>("<t Visible=\"1\" String=\"ab-c\" IgnoreRightToLeft=\"1\" " + FontKeys + "/>");
    EXPECT_FALSE(ignoring.isRightToLeft());
    EXPECT_FLOAT_EQ(ignoring.getSpriteList()[0].uvFrom.x, 0.0f);
}

TEST_F(Texts, ATextSetAfterItsUpdateIsDrawnLaidOut)
{
    // New texts after the frame's update: the render pass draws them laid out, the wrapped
    // lines of a multi-line text and the placed letters of a line drawn by glyph views.
    cMultiLineText& text =
        load<cMultiLineText>("<mt Visible=\"1\" Enable=\"1\" Localized=\"0\" WrapText=\"1\" "
                             "size=\"45,500\" Text=\"abcd\" " +
                             FontKeys + "/>");
    text.setText(L"ab ab cd");
    cTextLine line;
    line.setFont("fonts/t.fnt");
    line.setTexture("fonts/t.png");
    line.setPosition({100.0f, 50.0f});
    line.show();
    line.enable();
    line.setText(L"ab");
    std::vector<std::wstring> lines;
    std::vector<float> letters;
    cView::renderPass(
        [&](cView* view)
        {
            if (const auto* drawn = dynamic_cast<cTextLine*>(view); drawn && drawn->getParent() == &text)
                lines.push_back(drawn->getText());
            if (view->getParent() == &line)
                letters.push_back(view->getPosition().x);
        });
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"ab", L"ab", L"cd"}));
    EXPECT_EQ(letters, (std::vector<float>{95.0f, 105.0f}));
}

TEST_F(Texts, ATrueTypeLineIsOneQuadOfItsOwnTextTexture)
{
    ::Test::RecordingFactory factory;
    cTextLine line;
    line.setTrueType(true);
    line.setLocalized(false);
    line.setPosition({100.4f, 50.0f});
    line.setText(L"Quill");
    const Platform::FontRaster raster(Platform::FontRaster::defaultFontPath(), cTextTexture::PixelHeight);
    uint32_t width = 0;
    uint32_t height = 0;
    raster.measure(L"Quill", width, height);
    ASSERT_GT(width, 0u);
    EXPECT_FLOAT_EQ(line.getWidth(), static_cast<float>(width));
    EXPECT_FLOAT_EQ(line.getHeight(), static_cast<float>(height));
    EXPECT_EQ(line.measureText(L"Quill", 5), cVector2(static_cast<float>(width), static_cast<float>(height)));
    EXPECT_TRUE(line.isPrintable(L'\u4E00'));
    ASSERT_TRUE(line.getTexture());

    // Centred, on whole units; align 2 ends at the position.
    const cQuad& quad = line.getSprite();
    EXPECT_FLOAT_EQ(quad.corners[0].x, std::round(100.4f - static_cast<float>(width) / 2));
    EXPECT_FLOAT_EQ(quad.corners[3].x - quad.corners[0].x, static_cast<float>(width));
    line.setAlign(cTextLine::AlignEnd);
    EXPECT_FLOAT_EQ(line.getSprite().corners[3].x, std::round(100.4f));
    line.setText(L"");
    EXPECT_FLOAT_EQ(line.getWidth(), 0.0f);
}

TEST_F(Texts, WrapStylesBreakAtSpacesOrInsideWordsAndAlwaysEnd)
{
    const std::string box = "<mt Visible=\"1\" Enable=\"1\" Localized=\"0\" WrapText=\"1\" " + FontKeys;
    EXPECT_EQ(texts(load<cMultiLineText>(box + "size=\"45,500\" Text=\"ab abcdefg cd\"/>")),
              (std::vector<std::wstring>{L"ab", L"abcdefg", L"cd"}))
        << "a word wider than the box stays whole";
    EXPECT_EQ(texts(load<cMultiLineText>(box + "size=\"45,500\" WrapStyle=\"1\" Text=\"ab abcdefg cd\"/>")),
              (std::vector<std::wstring>{L"ab", L"abcd", L"efg", L"cd"}));
    EXPECT_EQ(texts(load<cMultiLineText>(box + "size=\"45,500\" WrapStyle=\"1\" Text=\"a b c d e\"/>")),
              (std::vector<std::wstring>{L"a b", L"c d", L"e"}))
        << "a line ends at the last space before which it fits";
    // A box narrower than any letter (no "size": 1 unit) takes one letter a line, and ends.
    EXPECT_EQ(texts(load<cMultiLineText>(box + "WrapStyle=\"1\" Text=\"abc d\"/>")),
              (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(texts(load<cMultiLineText>(box + "size=\"45,500\" Text=\"ab/n/ncd/n\"/>")),
              (std::vector<std::wstring>{L"ab", L"", L"cd"}))
        << "two line feeds make an empty line, a last one none";
    cMultiLineText& empty = load<cMultiLineText>(box + "size=\"45,60\" Text=\"\"/>");
    EXPECT_TRUE(empty.getLines().empty());
    EXPECT_EQ(empty.getSize(), cVector2(45.0f, 60.0f));
}

TEST_F(Texts, ABoxGrowsTowardsItsMaximumThenShrinksItsLines)
{
    const std::string box = "<mt Visible=\"1\" Enable=\"1\" Localized=\"0\" position=\"200,300\" " + FontKeys;
    const std::string sixLines = "Text=\"a/nb/nc/nd/ne/nf\" ";

    // Six lines 40 apart need 240: the box grows to its maximum of 200, then the lines come
    // closer and smaller until they fit.
    cMultiLineText& shrunk =
        load<cMultiLineText>(box + sixLines +
                             "size=\"100,100\" maxSize=\"100,200\" MinInterlinear=\"20\" "
                             "MinMultiplier=\"0.5\" VerticalAlign=\"0\"/>");
    EXPECT_EQ(shrunk.getSize(), cVector2(100.0f, 200.0f));
    EXPECT_LT(shrunk.getUsedInterlinear(), 200.0f / 6.0f);
    EXPECT_GT(shrunk.getUsedInterlinear(), 200.0f / 6.0f - 5.0f / 6.0f - 1.0f);
    EXPECT_LT(shrunk.getUsedMultiplier(), 1.0f);
    EXPECT_FLOAT_EQ(shrunk.getTemplate()->getMultiplier(), shrunk.getUsedMultiplier());
    const float d = shrunk.getUsedInterlinear();
    EXPECT_NEAR(shrunk.getLines()[0]->getPosition().y, 300.0f + d / 2 - 3 * d, 1e-3f);

    // Three lines fit a box grown part of the way, found by bisection.
    cMultiLineText& grown = load<cMultiLineText>(
        box + "Text=\"a/nb/nc\" size=\"100,100\" maxSize=\"100,200\" VerticalAlign=\"1\"/>");
    EXPECT_GT(grown.getSize().y, 120.0f);
    EXPECT_LT(grown.getSize().y, 130.0f);
    EXPECT_FLOAT_EQ(grown.getUsedInterlinear(), 40.0f);
    EXPECT_NEAR(grown.getLines()[0]->getPosition().y, 300.0f + 20.0f - grown.getSize().y / 2, 1e-3f);

    // Without minimums the lines keep their size and the box becomes as tall as they need;
    // vertical align 0 centres three lines 40 apart on the position.
    cMultiLineText& tall = load<cMultiLineText>(box + sixLines + "size=\"100,100\" VerticalAlign=\"0\"/>");
    EXPECT_EQ(tall.getSize(), cVector2(100.0f, 240.0f));
    tall.setText(L"a\nb\nc", true);
    EXPECT_EQ(tall.getSize(), cVector2(100.0f, 120.0f)) << "a new text starts from the loaded box";
    ASSERT_EQ(tall.getLines().size(), 3u);
    EXPECT_FLOAT_EQ(tall.getLines()[0]->getPosition().y, 260.0f);
    EXPECT_FLOAT_EQ(tall.getLines()[2]->getPosition().y, 340.0f);

    // The lines of the former text are hidden and go at the end of the frame.
    const cTextLine* old = tall.getLines()[0];
    tall.setText(L"d", true);
    EXPECT_TRUE(cControl::isQueuedForDeletion(old));
    EXPECT_FALSE(old->isVisible());
}

TEST_F(Texts, PriceDigitsAreNudgedIntoGroupsOfThree)
{
    const auto nudges = [this](const std::string& text)
    {
        const std::string keys = "Visible=\"1\" Localized=\"0\" IgnoreRightToLeft=\"1\" Align=\"1\" " +
                                 FontKeys + "String=\"" + text + "\"";
        cTextLine& plain = load<cTextLine>("<t " + keys + "/>");
        const std::vector<cQuad> unmoved = plain.getSpriteList();
        cPriceText& price = load<cPriceText>("<pricetext DegreeOffset=\"3\" " + keys + "/>");
        std::vector<float> out;
        for (size_t i = 0; i < unmoved.size(); ++i)
            out.push_back(std::round(price.getSpriteList()[i].corners[0].x - unmoved[i].corners[0].x));
        return out;
    };
    EXPECT_EQ(nudges("1234567"), (std::vector<float>{0, 2, 1, 0, 2, 1, 0}));
    EXPECT_EQ(nudges("12 345"), (std::vector<float>{1, 0, 2, 1, 0})) << "a space starts the groups again";
    EXPECT_EQ(nudges("123"), (std::vector<float>{0, 0, 0}));
}

TEST_F(Texts, AMoneyTextNeedsItsCoinAndShowsItsState)
{
    resources.sizes["ui/coin.png"] = {40, 20};
    cTextMoney money;
    try
    {
        money.loadXML(element("<textmoney Visible=\"1\" String=\"5\" " + FontKeys + "/>"));
        ADD_FAILURE() << "nothing thrown";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Can't find Coin");
    }
    money.loadXML(
        element("<textmoney Visible=\"1\" Enable=\"1\" position=\"100,100\" String=\"5\" " + FontKeys +
                "><Coin Picture=\"ui/coin.png\" anim_columns=\"2\" frames_count=\"2\" anim_length=\"1\" "
                "position=\"30,0\" "
                "Visible=\"1\"/></textmoney>"));
    EXPECT_EQ(money.getCoin()->getPosition(), cVector2(130.0f, 100.0f));
    EXPECT_EQ(money.getCoin()->getFrame(), 0u);
    money.disable();
    EXPECT_EQ(money.getCoin()->getFrame(), 1u);
    money.enable();
    EXPECT_EQ(money.getCoin()->getFrame(), 0u);
}

TEST_F(Texts, AMeltingTextRisesFadesAndEnds)
{
    UiTest::cFrames frames;
    auto* melting = new cMeltingText();
    melting->loadXML(element("<meltingtext Visible=\"1\" Enable=\"1\" position=\"0,500\" String=\"7\" " +
                             FontKeys + "/>"));
    for (int i = 0; i < 49; ++i)
        frames.frame();
    // Almost a second: 49 units up, still opaque; then half its alpha in a quarter of a second.
    EXPECT_NEAR(melting->getPosition().y, 451.0f, 1e-2f);
    EXPECT_FLOAT_EQ(melting->getAlpha(), 1.0f);
    for (int i = 0; i < 13; ++i)
        frames.frame();
    EXPECT_NEAR(melting->getAlpha(), 0.5f, 0.045f);
    int more = 0;
    while (cControl::isAlive(melting) && more < 20)
    {
        frames.frame();
        ++more;
    }
    EXPECT_FALSE(cControl::isAlive(melting));
    EXPECT_NEAR(more, 13, 1) << "alpha 0, and the end, at 1.5 seconds";

    // A lifespan not above its showing time ends with the showing time instead of never.
    auto* brief = new cMeltingText();
    brief->loadXML(element("<meltingtext Visible=\"1\" Enable=\"1\" Lifespan=\"0.5\" ShowingTime=\"1\" " +
                           FontKeys + "/>"));
    for (int i = 0; i < 49; ++i)
        frames.frame();
    EXPECT_TRUE(cControl::isAlive(brief));
    frames.frame();
    frames.frame();
    EXPECT_FALSE(cControl::isAlive(brief));
}

TEST_F(Texts, TextBoxesTakeTypedCharactersWithinTheirWidthAndFilter)
{
    UiTest::cFrames frames;
    const auto type = [&frames](const std::wstring& characters)
    {
        for (const wchar_t c : characters)
            frames.input->queueChar(static_cast<uint16_t>(c));
        frames.frame();
    };
    // The cursor "_" takes 10 of the 35 units: two letters fit.
    cTextBox& box = load<cTextBox>("<textbox Visible=\"1\" Enable=\"1\" Align=\"1\" position=\"100,40\" "
                                   "MaxLength=\"35\" IgnoreRightToLeft=\"1\" String=\"a\" " +
                                   FontKeys + "/>");
    EXPECT_EQ(box.getText(), L"a") << "a loaded text is kept untranslated";
    EXPECT_FLOAT_EQ(box.getCursor()->getPosition().x, 115.0f);
    EXPECT_FLOAT_EQ(box.getCursor()->getDeep(), 20.0f);
    int changes = 0;
    box.changedSignal.connect([&changes](cTextBox*) { ++changes; });
    type(L"bc\n\r");
    EXPECT_EQ(box.getText(), L"ab") << "\"c\" would pass the width; line feeds change nothing";
    EXPECT_EQ(changes, 4) << "every event raises the signal";
    EXPECT_FLOAT_EQ(box.getCursor()->getPosition().x, 125.0f);
    type(L"\b\b\b");
    EXPECT_EQ(box.getText(), L"");
    EXPECT_EQ(changes, 7) << "backspace on an empty box too";
    type(L"z");
    EXPECT_EQ(box.getText(), L"") << "a character the font lacks";

    box.connect([](wchar_t c) { return c != L'b'; });
    type(L"b");
    EXPECT_EQ(changes, 8) << "a refused character raises nothing";

    // Every enabled box takes every character; a disabled one none.
    cTextBox other;
    other.loadXML(element("<textbox Visible=\"1\" Enable=\"1\" MaxLength=\"100\" " + FontKeys + "/>"));
    type(L"a");
    EXPECT_EQ(box.getText(), L"a");
    EXPECT_EQ(other.getText(), L"a");
    other.disable();
    type(L"d");
    EXPECT_EQ(other.getText(), L"a");
    EXPECT_EQ(box.getText(), L"ad");
}

// A character too wide for the room left is refused alone: a narrower one typed after it still
// goes in, without a backspace first.
TEST_F(Texts, ATextBoxRefusesOnlyTheCharacterThatDoesNotFit)
{
    UiTest::cFrames frames;
    const auto type = [&frames](const std::wstring& characters)
    {
        for (const wchar_t c : characters)
            frames.input->queueChar(static_cast<uint16_t>(c));
        frames.frame();
    };
    // The cursor takes 10 of the 36 units, each letter 10 and a space 4: two letters and a
    // space fit, a third letter does not.
    cTextBox& box = load<cTextBox>("<textbox Visible=\"1\" Enable=\"1\" Align=\"1\" MaxLength=\"36\" "
                                   "IgnoreRightToLeft=\"1\" Font=\"fonts/t.fnt\" Texture=\"fonts/t.png\" "
                                   "SpaceWidth=\"4\"/>");
    type(L"abc");
    EXPECT_EQ(box.getText(), L"ab");
    type(L" ");
    EXPECT_EQ(box.getText(), L"ab ") << "the narrow space after a refused letter fits";
    type(L"d ");
    EXPECT_EQ(box.getText(), L"ab ") << "nothing more fits";
    type(L"\b\bc");
    EXPECT_EQ(box.getText(), L"ac");
}

TEST_F(Texts, HebrewTypingPutsTheCursorLeftOfARightToLeftText)
{
    UiTest::cFrames frames;
    cTextBox& box = load<cTextBox>("<textbox Visible=\"1\" Enable=\"1\" Align=\"1\" position=\"100,40\" "
                                   "MaxLength=\"100\" " +
                                   FontKeys + "/>");
    ASSERT_TRUE(box.isRightToLeft());
    const ::Test::ScopedEnv hebrew("LC_ALL", "he_IL.UTF-8");
    frames.input->queueChar(0x5E9);
    frames.input->queueChar(0x5DC);
    frames.frame();
    EXPECT_TRUE(box.isRightToLeftTyping());
    EXPECT_FLOAT_EQ(box.getCursor()->getPosition().x, 100.0f - 20.0f - 5.0f);
    // Backspace keeps the direction; a Latin letter ends it.
    frames.input->queueChar(8);
    frames.frame();
    EXPECT_TRUE(box.isRightToLeftTyping());
    frames.input->queueChar(L'a');
    frames.frame();
    EXPECT_FALSE(box.isRightToLeftTyping());

    const ::Test::ScopedEnv english("LC_ALL", "en_GB.UTF-8");
    frames.input->queueChar(0x5E9);
    frames.frame();
    EXPECT_FALSE(box.isRightToLeftTyping());
}

} // namespace
