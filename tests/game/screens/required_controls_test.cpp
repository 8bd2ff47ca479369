// A layout that lacks a control its screen cannot work without is an error that names the layout
// and the control, when the screen is built: a menu without its Play button, a question without
// its answers, the results without OK, the map without its way back. Optional parts may go.
#include "engine/core/StringUtils.h"
#include "engine/core/cProfileManager.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/screens/cMainScreen.h"
#include "game/screens/cYesNoPanel.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <regex>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// The shipped layout at `path` with the element named `element` (and what it holds) taken out.
std::string withoutElement(const std::string& path, const std::string& element)
{
    std::string xml = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/" + path);
    const std::regex whole("\\s*<" + element + "\\b[^>]*/>|\\s*<" + element + "\\b[\\s\\S]*?</" + element +
                           ">");
    std::smatch found;
    EXPECT_TRUE(std::regex_search(xml, found, whole)) << path << " has no element " << element;
    return found.prefix().str() + found.suffix().str();
}

TEST(RequiredControls, AMainMenuWithoutItsPlayButtonIsAnErrorNamingTheLayoutAndTheButton)
{
    FrontEnd front;
    // A player of an earlier run: the menu makes the player's store.
    delete new Engine::cProfileManager(L"Ann");
    front.writeShared("mainmenu/mainscreen.xml", withoutElement("MainMenu/MainScreen.xml", "PlayButton"));
    const std::string failure =
        failureOf([] { CGameEngine::instance().ChangeState(&CMenuState::instance()); });
    EXPECT_NE(failure.find("MainMenu/MainScreen.xml"), std::string::npos) << failure;
    EXPECT_NE(failure.find("\"PlayButton\" is missing"), std::string::npos) << failure;
}

TEST(RequiredControls, TheMainMenuGoesOnWithoutAnOptionalLabel)
{
    FrontEnd front;
    delete new Engine::cProfileManager(L"Ann");
    front.writeShared("mainmenu/mainscreen.xml", withoutElement("MainMenu/MainScreen.xml", "UserNameText"));
    CGameEngine::instance().ChangeState(&CMenuState::instance());
    front.frame();
    front.click(CMenuState::instance().getMainScreen()->getPlayButton());
    EXPECT_EQ(CGameEngine::instance().topState(), &CMapState::instance()) << "the menu still plays";
}

TEST(RequiredControls, EveryScreenNamesTheControlItLacks)
{
    struct Case
    {
        std::string layout;
        std::string element;
        std::function<void()> build;
        // A form's control, found by its tag rather than by its element.
        bool byTag = false;
    };
    const std::vector<Case> cases = {
        {"Common/PanelYesNo.xml", "NoButton", [] { delete new cYesNoPanel(nullptr); }},
        {"UI/GameMenu.xml", "ResumeButton", [] { delete new cGameMenu(nullptr); }},
        {"UI/PanelLevelFinish.xml", "OkButton", [] { delete new cLevelFinishPanel(nullptr); }, true},
        {"Map/Map.xml", "MainMenuButton", [] { CGameEngine::instance().ChangeState(&CMapState::instance()); },
         true},
    };
    for (const Case& each : cases)
    {
        FrontEnd front;
        front.fixture.startProfile();
        std::string xml;
        if (each.byTag)
        {
            xml = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/" + each.layout);
            const std::string tag = "Tag=\"" + each.element + "\"";
            const size_t at = xml.find(tag);
            ASSERT_NE(at, std::string::npos) << each.layout;
            xml.replace(at, tag.size(), "Tag=\"Renamed\"");
        }
        else
            xml = withoutElement(each.layout, each.element);
        std::string path = each.layout;
        for (char& c : path)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        front.writeShared(path, xml);
        const std::string failure = failureOf(each.build);
        EXPECT_NE(failure.find(each.layout), std::string::npos) << each.layout << ": " << failure;
        EXPECT_NE(failure.find("\"" + each.element + "\" is missing"), std::string::npos)
            << each.layout << ": " << failure;
        Engine::cControl::deletePending();
    }
}

} // namespace
