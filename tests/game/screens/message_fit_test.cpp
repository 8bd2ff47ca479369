// Every message and question the game can show holds its text inside the frame its panel's
// picture draws for it: the letters as the game lays them out (its font, its wrapping), against
// the frame read from the picture's own pixels (the inset a message's text lies on, the paper
// under the exit question), clear of the panel's buttons, and at the letters' full size, as
// every other message shows them. The messages are every layout of the data folder that a
// message loads, with each text it may show; the questions are asked with every text the game
// gives them.
#include "engine/core/StringUtils.h"
#include "engine/core/cStrings.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"
#include "game/screens/cSystemMessage.h"
#include "game/screens/cYesNoExitPanel.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/Game.h"
#include "tests/game/screens/frontend_test_tools.h"
#include "tests/game/screens/screen_boxes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

namespace fs = std::filesystem;

const fs::path kData = fs::path(QUILL_SOURCE_DIR) / "data";

Engine::tPropertiesPtr layoutRoot(const std::string& layout)
{
    const std::string bytes = ::Test::readFile((kData / layout).string());
    if (bytes.empty())
        return {};
    return Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), layout);
}

// The name of an XML document's root element: the first tag that is no declaration, comment or
// processing instruction.
std::string rootName(const std::string& bytes)
{
    for (size_t tag = bytes.find('<'); tag != std::string::npos; tag = bytes.find('<', tag + 1))
    {
        if (bytes.compare(tag, 4, "<!--") == 0)
        {
            tag = bytes.find("-->", tag);
            if (tag == std::string::npos)
                break;
            continue;
        }
        if (tag + 1 < bytes.size() && (bytes[tag + 1] == '?' || bytes[tag + 1] == '!'))
            continue;
        const size_t end = bytes.find_first_of(" \t\r\n/>", tag + 1);
        return bytes.substr(tag + 1, end == std::string::npos ? std::string::npos : end - tag - 1);
    }
    return std::string();
}

// Every layout of the data folder that a message loads (its root a "SystemMessage"), by its path
// in the data folder.
std::set<std::string> messageLayouts()
{
    std::set<std::string> layouts;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kData))
        if (entry.is_regular_file() && entry.path().extension() == ".xml" &&
            rootName(::Test::readFile(entry.path().string())) == "SystemMessage")
            layouts.insert(fs::relative(entry.path(), kData).generic_string());
    return layouts;
}

std::string describe(const ScreenBox& box)
{
    std::ostringstream text;
    text << "(" << box.left << ", " << box.top << ") to (" << box.right << ", " << box.bottom << ")";
    return text.str();
}

// The text of a panel as the game lays it out, held to the frame the panel's picture draws
// around its middle (where each panel has the paper or the inset its text is for) and kept
// clear of the panel's buttons.
void expectInFrame(const std::string& what, const Engine::cView& picture,
                   const std::vector<Engine::cView*>& lines, const std::vector<const Engine::cView*>& buttons)
{
    const PictureSurface surface(picture, picture.getPosition());
    ASSERT_TRUE(surface.read()) << what << ": the panel's picture cannot be read at its middle";
    const ScreenBox frame = surface.frame();
    int shown = 0;
    for (Engine::cView* line : lines)
    {
        const auto* text = dynamic_cast<const Engine::cTextLine*>(line);
        if (!line->isVisible() || (text && text->getText().empty()))
            continue;
        ++shown;
        const ScreenBox letters = lettersOf(*line);
        const std::string said = text ? " \"" + Engine::toUtf8(text->getText()) + "\"" : std::string();
        EXPECT_TRUE(letters.inside(frame) && surface.holds(letters))
            << what << ": the line" << said << " is drawn from " << describe(letters)
            << " over the edge of the frame its panel draws, " << describe(frame);
        for (const Engine::cView* button : buttons)
            EXPECT_FALSE(letters.meets(boxOf(*button)))
                << what << ": the line" << said << " runs into a button";
    }
    EXPECT_GT(shown, 0) << what << ": no line is drawn";
}

// The lines of a multi-line text, which holds its text at its layout's size, as every message
// and question does: its letters at the font's own size (multiplier 1) and its lines their
// layout's distance apart. A text that needed the reduction would stand out among the others
// in smaller letters, and may end taller than its box (the reduction keeps its last try).
std::vector<Engine::cView*> linesAtFullSize(const std::string& what, const Engine::cMultiLineText& text)
{
    EXPECT_TRUE(text.getUsedMultiplier() == 1.0f && text.getUsedInterlinear() == text.getInterlinear())
        << what << ": its letters are reduced to " << text.getUsedMultiplier() << ", its lines "
        << text.getUsedInterlinear() << " apart where its layout puts them " << text.getInterlinear();
    return {text.getLines().begin(), text.getLines().end()};
}

TEST(MessageFit, EveryMessageHoldsEachOfItsTextsInsideTheFrameItsPanelDraws)
{
    FrontEnd front;
    Engine::cStrings strings;
    const std::set<std::string> layouts = messageLayouts();
    // The layouts the game names are among those found.
    for (const char* told :
         {cSystemMessage::Layout, cSystemMessage::SaveFailedLayout, cSystemMessage::SaveDamagedLayout,
          cSystemMessage::SaveLeftLayout, cSystemMessage::SaveBlockedLayout,
          cSystemMessage::SaveKeptLevelStartsLayout, cSystemMessage::SaveLeftLevelStartsLayout,
          cSystemMessage::ValuesKeptLayout, cSystemMessage::ValuesMissingLayout,
          cSystemMessage::ValuesLeftLayout, cSystemMessage::BestTimesKeptLayout,
          cSystemMessage::SettingsLeftLayout, cSystemMessage::SettingsKeptLayout})
        EXPECT_EQ(layouts.count(told), 1u) << told << " is not a message layout of the data folder";

    for (const std::string& layout : layouts)
    {
        // The layout's own text, then each text of its root that a message may show in its place.
        std::vector<std::wstring> keys{L""};
        const Engine::tPropertiesPtr root = layoutRoot(layout);
        ASSERT_TRUE(root) << layout;
        for (const auto& attribute : root->getAttributes())
            if (const std::wstring& key = attribute.name();
                key.size() > 4 && key.compare(key.size() - 4, 4, L"Text") == 0)
                keys.push_back(key);
        for (const std::wstring& key : keys)
        {
            const std::string what = layout + (key.empty() ? "" : " (" + Engine::toUtf8(key) + ")");
            auto* message = new cSystemMessage(nullptr, layout.c_str(), key.empty() ? nullptr : key.c_str());
            message->show();
            front.frame();
            const Engine::cView* panel = nullptr;
            Engine::cMultiLineText* text = nullptr;
            for (Engine::cView* part : message->getParts())
                if (auto* lines = dynamic_cast<Engine::cMultiLineText*>(part))
                    text = lines;
                else if (dynamic_cast<Engine::cPicture*>(part) && part->getTexture())
                    panel = part;
            ASSERT_TRUE(panel && text) << what;
            expectInFrame(what, *panel, linesAtFullSize(what, *text), {message->getOkButton()});
            Engine::cControl::deleteLater(message);
            front.frame();
        }
    }
}

// A question about a level as the map asks it: "{number}" the level as the player counts it,
// "{name}" the display text of its file.
std::wstring aboutLevel(std::wstring question, int level)
{
    std::wstring name = Engine::cStrings::instance()->translate(Game::levelPath(level));
    Engine::replaceAll(question, L"{number}", std::to_wstring(level + 1));
    Engine::replaceAll(question, L"{name}", name);
    return question;
}

std::wstring readText(const std::string& layout, const wchar_t* key)
{
    std::wstring text;
    const Engine::tPropertiesPtr root = layoutRoot(layout);
    if (!root || !Engine::readKey(root, key, text) || text.empty())
        ADD_FAILURE() << layout << " gives no " << Engine::toUtf8(key);
    return text;
}

// The longest name the player selection's name entry takes, of its widest letter.
std::wstring widestName()
{
    Engine::cTextBox entry;
    EXPECT_TRUE(Engine::loadChildPart(entry, layoutRoot("UI/SelectUser.xml"), L"NameEdit"));
    for (int i = 0; i < 100; ++i)
        entry.onChar(L'W');
    return entry.getText();
}

TEST(MessageFit, EveryQuestionHoldsEachTextItIsAskedWithInsideTheFrameItsPanelDraws)
{
    FrontEnd front;
    Engine::cStrings strings;
    // The level's menu asks whether to stop playing; the map whether to begin a level, or to
    // continue the level left unfinished, naming it.
    std::vector<std::wstring> panelQuestions{readText("UI/GameMenu.xml", L"ExitCurrentGameString")};
    const std::wstring begin = readText("Map/Map.xml", L"BeginGameString");
    const std::wstring again = readText("Map/Map.xml", L"ContinueGameString");
    for (int level = 0; fs::exists(kData / Engine::toUtf8(Game::levelPath(level))); ++level)
    {
        panelQuestions.push_back(aboutLevel(begin, level));
        panelQuestions.push_back(aboutLevel(again, level));
    }
    ASSERT_GT(panelQuestions.size(), 80u) << "the shipped levels are found";
    auto panel = std::make_unique<cYesNoPanel>(nullptr);
    for (const std::wstring& question : panelQuestions)
    {
        panel->setText(question);
        const std::string what =
            std::string(cYesNoPanel::DefaultLayout) + ", \"" + Engine::toUtf8(question) + "\"";
        expectInFrame(what, *panel, linesAtFullSize(what, *panel->getText()),
                      {panel->getYesButton(), panel->getNoButton()});
    }
    panel.reset();

    // The player selection asks whether to delete a player, naming them.
    std::wstring deletion = readText("UI/SelectUser.xml", L"StringConfirm");
    Engine::replaceAll(deletion, L"{name}", widestName());
    auto* question = new Engine::cYesNo(nullptr);
    question->setText(deletion);
    question->show();
    front.frame();
    const Engine::cView* picture = nullptr;
    for (Engine::cView* part : question->getParts())
        if (dynamic_cast<Engine::cPicture*>(part) && part->getTexture())
            picture = part;
    ASSERT_NE(picture, nullptr);
    const std::string what =
        std::string(Engine::cYesNo::DefaultLayout) + ", \"" + Engine::toUtf8(deletion) + "\"";
    expectInFrame(what, *picture, linesAtFullSize(what, *question->getText()),
                  {question->getYesButton(), question->getNoButton()});
    Engine::cControl::deleteLater(question);
    front.frame();

    // The main menu asks whether to leave the game, with its layout's question.
    auto exit = std::make_unique<cYesNoExitPanel>(nullptr);
    Engine::cTextLine* asked = exit->findText(L"Question");
    ASSERT_NE(asked, nullptr);
    expectInFrame(cYesNoExitPanel::Layout, *exit, {asked}, {exit->getYesButton(), exit->getNoButton()});
}

} // namespace
