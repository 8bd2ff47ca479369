// The panels a player meets, over the game's own layouts and driven as a player drives them:
// pointer movements and clicks at screen places, keys and typed characters, frame by frame.
// What each panel must show is checked on the views the frame would draw.
#include "engine/core/StringUtils.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/ui/cBorder.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cScrollBox.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextButton.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cResourceList.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cBriefing.h"
#include "game/screens/cFirstUser.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/screens/cMainScreen.h"
#include "game/screens/cMiniBriefing.h"
#include "game/screens/cOptions.h"
#include "game/screens/cSelectProfileWrapper.h"
#include "game/screens/cTutorTipView.h"
#include "game/screens/cTutorial.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/game/screens/frontend_test_tools.h"
#include "tests/game/screens/screen_boxes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

constexpr uint8_t Escape = 1;
constexpr uint8_t Return = 28;
constexpr uint8_t Space = 57;
constexpr wchar_t Backspace = 8;

// The yes/no question a dialog made without a parent: found by its views.
Engine::cYesNo* shownQuestion()
{
    for (Engine::cView* view : Engine::cView::getRenderOrder())
        if (auto* question = dynamic_cast<Engine::cYesNo*>(view->getParent()); question && view->isShown())
            return question;
    return nullptr;
}

std::vector<const Engine::cView*> shownViewsOf(const Engine::cControl& owner)
{
    std::vector<const Engine::cView*> views;
    for (const Engine::cView* view : Engine::cView::getRenderOrder())
        for (const Engine::cControl* up = view; up; up = up->getParent())
            if (up == &owner && view->isShown())
            {
                views.push_back(view);
                break;
            }
    return views;
}

// A first start: the name typed and confirmed, the main menu up.
cMainScreen* startAs(FrontEnd& front, const std::wstring& name)
{
    CGameEngine::instance().ChangeState(&CMenuState::instance());
    front.frame();
    front.type(name);
    front.key(Return);
    front.frame();
    return CMenuState::instance().getMainScreen();
}

TEST(Panels, TheDeleteQuestionStandsAboveThePlayerSelectionAndAnswersByKeyOrPointer)
{
    FrontEnd front;
    CGameEngine& engine = CGameEngine::instance();
    cMainScreen* screen = startAs(front, L"Ann");
    front.click(screen->getChangeUserButton());
    auto selection = CDialogState<cSelectProfileWrapper>::instance().getPanel();
    ASSERT_TRUE(selection);
    front.type(std::wstring(3, Backspace) + L"Bob");
    front.click(selection->getOkButton());
    selection.reset();
    ASSERT_EQ(engine.getStateCount(), 1u);
    front.click(screen->getChangeUserButton());
    selection = CDialogState<cSelectProfileWrapper>::instance().getPanel();
    ASSERT_EQ(selection->getNameEdit()->getText(), L"Bob");

    front.click(selection->getDeleteButton());
    front.frames(20);
    Engine::cYesNo* question = shownQuestion();
    ASSERT_NE(question, nullptr) << "Delete asks";
    EXPECT_EQ(question->getText()->getText(), L"Delete Bob and all of their progress?")
        << "it names the player";
    EXPECT_TRUE(selection->isShown()) << "the selection stays on screen behind the question";
    EXPECT_FALSE(selection->isEnabled());
    float panelTop = std::numeric_limits<float>::lowest();
    for (const Engine::cView* view : shownViewsOf(*selection))
        panelTop = std::max(panelTop, view->getDeep());
    const std::vector<const Engine::cView*> asked = shownViewsOf(*question);
    ASSERT_FALSE(asked.empty());
    for (const Engine::cView* view : asked)
    {
        EXPECT_GT(view->getDeep(), panelTop) << "every view of the question lies above the selection";
        EXPECT_GT(view->getAlpha(), 0.99f);
    }
    EXPECT_TRUE(question->getYesButton()->getTexture()) << "the question has its pictures";

    front.key(Escape);
    front.frames(2);
    EXPECT_EQ(shownQuestion(), nullptr);
    EXPECT_TRUE(selection->isEnabled()) << "No gives the selection back";
    EXPECT_EQ(selection->getUserList()->getItemCount(), 2u);

    front.click(selection->getDeleteButton());
    front.frames(20);
    question = shownQuestion();
    ASSERT_NE(question, nullptr);
    front.click(question->getYesButton());
    front.frames(20);
    EXPECT_EQ(shownQuestion(), nullptr);
    ASSERT_EQ(selection->getUserList()->getItemCount(), 1u);
    EXPECT_EQ(selection->getUserList()->getItemText(0), L"Ann");
    EXPECT_TRUE(selection->isEnabled());
    front.click(selection->getOkButton());
    selection.reset();
    EXPECT_EQ(engine.getStateCount(), 1u) << "OK leaves with the player who is left";
    EXPECT_EQ(screen->getUserNameText()->getText(), L"Ann");
}

// The text buttons of a layout's tree: the elements with a picture and a "Text" child.
void eachTextButton(const Engine::tPropertiesPtr& node,
                    const std::function<void(const Engine::tPropertiesPtr&)>& visit)
{
    Engine::tPropertiesPtr text;
    if (!node->getAttribute(L"Picture").empty() && node->getChild(L"Text", text) && text)
        visit(node);
    for (auto it = node->childrenBegin(); it != node->childrenEnd(); ++it)
        eachTextButton(it->value(), visit);
}

// Every text button of every shipped layout, loaded from the layout as its screen loads it and
// hovered by the pointer: the letters of its waving caption stay on the button.
TEST(Panels, EveryLayoutsHoveredCaptionsStayOnTheirButtons)
{
    FrontEnd front;
    const std::filesystem::path data = std::filesystem::path(QUILL_SOURCE_DIR) / "data";
    std::set<std::string> layouts;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data))
    {
        const std::string path = std::filesystem::relative(entry.path(), data).generic_string();
        if (entry.path().extension() != ".xml" ||
            ::Test::readFile(entry.path()).find("<Text ") == std::string::npos)
            continue;
        eachTextButton(Engine::cResourceManager::instance()->getXml(path, true),
                       [&](const Engine::tPropertiesPtr& element)
                       {
                           SCOPED_TRACE(path + " " + Engine::toUtf8(element->getAttribute(L"position")));
                           layouts.insert(path);
                           Engine::cTextStyleButton button(nullptr);
                           button.loadXML(element);
                           // A list's row: a player's name.
                           if (button.getCaption()->getText().empty())
                               button.setCaptionText(L"Ann");
                           button.show();
                           button.enable();
                           front.moveTo(button.getPosition());
                           // Longer than a caption's wave takes to reach its height.
                           front.frames(10, 0.06f);
                           ASSERT_TRUE(button.getCaption()->isWaving());
                           EXPECT_TRUE(lettersOf(*button.getCaption()).inside(boxOf(button)));
                           front.moveTo(Engine::cVector2(0.0f, 0.0f));
                       });
    }
    EXPECT_GE(layouts.size(), 20u);
    EXPECT_TRUE(layouts.count("UI/BreafPanel.xml"));
}

// A level on the field of the game's data, its play started from the play state.
void startLevel(FrontEnd& front, const std::wstring& path)
{
    front.fixture.startProfile();
    CGameEngine& engine = CGameEngine::instance();
    engine.setLevelPath(path);
    engine.ChangeState(&CPlayState::instance());
    front.frames(10);
}

TEST(Panels, ThePauseMenusCaptionsStayInsideTheirButtonsAndEachButtonTakesTheFirstClick)
{
    FrontEnd front;
    front.fixture.writeLevel(980, GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"50;50\"/>"));
    startLevel(front, L"levels/n980.xml");
    CGameEngine& engine = CGameEngine::instance();
    // The round menu button at the top right opens the menu.
    auto* button = CPlayState::instance().getStatusPanel()->find<Engine::cButtonPrototype>(L"MenuButton");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->getTexture()) << "the kit's round button";
    front.click(button);
    auto menu = CDialogState<cGameMenu>::instance().getPanel();
    ASSERT_TRUE(menu);
    const std::vector<Engine::cTextStyleButton*> buttons = {menu->getResumeButton(), menu->getRestartButton(),
                                                            menu->getMapButton(), menu->getMainMenuButton(),
                                                            menu->getOptionsButton()};
    for (Engine::cTextStyleButton* item : buttons)
    {
        Engine::cButtonCaption* caption = item->getCaption();
        EXPECT_TRUE(item->getTexture()) << "a kit button";
        EXPECT_TRUE(caption->isShown());
        EXPECT_FALSE(lettersOf(*caption).empty()) << "every caption is drawn from the start";
        front.moveTo(item->getPosition() + Engine::cVector2(0.0f, 8.0f));
        front.frames(50);
        EXPECT_EQ(item->getState(), 2) << "hovered";
        EXPECT_TRUE(caption->isWaving());
        EXPECT_TRUE(lettersOf(*caption).inside(boxOf(*item)))
            << "the waving letters stay on their own button";
    }

    // Each of the ways out asks the one question, true of all three; No leaves the menu open.
    for (Engine::cTextStyleButton* way :
         {menu->getRestartButton(), menu->getMainMenuButton(), menu->getMapButton()})
    {
        front.click(way);
        auto question = CDialogState<cYesNoPanel>::instance().getPanel();
        ASSERT_TRUE(question);
        EXPECT_EQ(question->getText()->getText(), L"Stop playing this level now?");
        question.reset();
        front.key(Escape);
        ASSERT_EQ(engine.topState(), &CDialogState<cGameMenu>::instance());
    }

    // The pointer goes straight from one button onto another of the same depth (one made
    // before it, whose turn in the input step comes first) and clicks at once.
    front.moveTo(menu->getOptionsButton()->getPosition());
    const Engine::cVector2 resume = menu->getResumeButton()->getPosition();
    // Straight up: a movement along one axis only.
    front.script->mouseMove(0, static_cast<int>(resume.y - front.pointer->cursor.y));
    front.pointer->cursor = resume;
    front.frame();
    front.script->mouseButton(0, true);
    front.frame();
    front.script->mouseButton(0, false);
    front.frame();
    menu.reset();
    EXPECT_EQ(engine.topState(), &CPlayState::instance()) << "Resume took the first click";
}

// The goal categories of the status panel's layout: each id with the text its row shows.
std::vector<std::pair<std::string, std::wstring>> goalCategories()
{
    static const std::regex entry(R"re(<c\s+id="([^"]*)"\s+text="([^"]*)")re");
    const std::string bytes =
        ::Test::readFile(std::filesystem::path(QUILL_SOURCE_DIR) / "data/UI/PanelStatus.xml");
    std::vector<std::pair<std::string, std::wstring>> categories;
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), entry); it != std::sregex_iterator();
         ++it)
        categories.emplace_back((*it)[1].str(), Engine::fromUtf8((*it)[2].str()));
    return categories;
}

TEST(Panels, EveryGoalRowsTextStandsWholeOnItsRowBesideItsCountItsTickAndTheResults)
{
    const auto categories = goalCategories();
    ASSERT_GE(categories.size(), 10u);
    FrontEnd front;
    front.fixture.startProfile();
    // Levels of a road to build for each category, as many as the goal list has rows.
    constexpr size_t rows = 6;
    for (size_t first = 0; first < categories.size(); first += rows)
    {
        const size_t count = std::min(rows, categories.size() - first);
        std::string roads;
        for (size_t i = 0; i < count; ++i)
            roads += "<Unit Type=\"Road\" Position=\"" + std::to_string(150 + 40 * i) +
                     ";130\" TargetType=\"1\" TargetLevel=\"1\" GoalCategory=\"" +
                     categories[first + i].first + "\"/>";
        const int level = 985 + static_cast<int>(first / rows);
        front.fixture.writeLevel(
            level, GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"50;50\"/>" + roads));
        CGameEngine::instance().setLevelPath(L"levels/n" + std::to_wstring(level) + L".xml");
        CGameEngine::instance().ChangeState(&CPlayState::instance());
        front.frames(10);
        cStatusPanel* panel = CPlayState::instance().getStatusPanel();
        Game* game = CPlayState::instance().getGame();
        ASSERT_TRUE(panel && game);
        ASSERT_GE(panel->getRows().size(), count);

        // Each row's text on its plate, clear of what stands at its right end: the count of the
        // goals still to do while the level is played, the tick once they are done, and the
        // results beside the goal list once the level is won.
        const auto check = [&](const std::string& place, Engine::cView* beside)
        {
            for (size_t i = 0; i < count; ++i)
            {
                Engine::cForm* row = panel->getRows()[i];
                auto* desc = row->find<Engine::cTextLine>(L"Desc");
                ASSERT_TRUE(row->isShown() && desc && desc->isShown()) << place;
                EXPECT_EQ(desc->getText(), categories[first + i].second) << place;
                const std::string text = "\"" + Engine::toUtf8(desc->getText()) + "\" " + place;
                const ScreenBox letters = lettersOf(*desc);
                ASSERT_FALSE(letters.empty()) << text;
                // The plate the row is drawn on: its widest view.
                ScreenBox plate;
                for (Engine::cControl* child : row->getChildren())
                    if (auto* view = dynamic_cast<Engine::cView*>(child); view && view->isShown())
                        if (const ScreenBox box = lettersOf(*view);
                            box.right - box.left > plate.right - plate.left)
                            plate = box;
                EXPECT_TRUE(letters.inside(plate))
                    << text << ": its letters from " << letters.left << " to " << letters.right
                    << " leave its plate, " << plate.left << " to " << plate.right;
                std::vector<std::pair<std::string, Engine::cView*>> others = {
                    {"count", row->find<Engine::cView>(L"Text")},
                    {"tick", row->find<Engine::cView>(L"Ready")}};
                if (beside)
                    others.emplace_back("results panel", beside);
                for (const auto& [what, view] : others)
                {
                    if (!view || !view->isShown())
                        continue;
                    const ScreenBox box = lettersOf(*view);
                    ASSERT_FALSE(box.empty()) << what << " " << place;
                    if (letters.meets(box))
                        ADD_FAILURE()
                            << text << ": its letters, " << letters.left << " to " << letters.right
                            << ", overlap the " << what << ", " << box.left << " to " << box.right << ", by "
                            << std::min(letters.right, box.right) - std::max(letters.left, box.left) << " px";
                }
            }
        };
        check("in the goal list while its goals are still to meet", nullptr);

        // Every goal met: the level is won and its results stand over the field.
        for (const auto& [id, unit] : game->getUnits())
            if (!unit->goalCategory.empty())
                unit->setLevelAndState(1, eUnitState::idle, true);
        game->checkLevelGoals();
        check("in the goal list as its goals are met", nullptr);
        boost::shared_ptr<cLevelFinishPanel> results;
        for (int i = 0; i < 500 && !(results = CDialogState<cLevelFinishPanel>::instance().getPanel()); ++i)
            front.frame(0.05f);
        ASSERT_TRUE(results) << "the level is won";
        check("in the goal list beside the results", results.get());
        front.frames(60, 0.1f);
        front.click(results->find<Engine::cView>(L"OkButton"));
        results.reset();
    }
}

TEST(Panels, EscapeAtTheEndOfABriefingEndsItAndOpensNoMenu)
{
    FrontEnd front;
    startLevel(front, L"levels/n0.xml");
    CGameEngine& engine = CGameEngine::instance();
    cBriefing& briefing = CPlayState::instance().getBriefing();
    ASSERT_TRUE(briefing.isPlaying());
    for (int i = 0; i < 200 && !briefing.isFinished(); ++i)
    {
        front.frames(10, 0.1f);
        if (!briefing.isFinished())
            front.key(Space);
    }
    ASSERT_TRUE(briefing.isFinished());
    front.takeTraces();
    // The press ends the briefing (any key does at its end); the release is the same Escape.
    front.script->keyDown(Escape);
    front.frame();
    front.script->keyUp(Escape);
    front.frames(3);
    const std::vector<std::wstring> traces = front.takeTraces();
    EXPECT_NE(std::find(traces.begin(), traces.end(), L"BriefState::Cleanup()\n"), traces.end());
    EXPECT_EQ(std::find(traces.begin(), traces.end(), L"CDialogState Init\n"), traces.end()) << "no menu";
    EXPECT_EQ(engine.topState(), &CPlayState::instance());
    front.key(Escape);
    EXPECT_EQ(engine.topState(), &CDialogState<cGameMenu>::instance()) << "a new Escape opens the menu";
}

TEST(Panels, EscapeInTheMiddleOfABriefingEndsItAndOpensNoMenu)
{
    FrontEnd front;
    startLevel(front, L"levels/n0.xml");
    CGameEngine& engine = CGameEngine::instance();
    cBriefing& briefing = CPlayState::instance().getBriefing();
    ASSERT_TRUE(briefing.isPlaying());
    front.frames(10, 0.1f);
    ASSERT_FALSE(briefing.isFinished()) << "the first speech is still being said";
    front.takeTraces();
    front.script->keyDown(Escape);
    front.frame();
    front.script->keyUp(Escape);
    front.frames(3);
    const std::vector<std::wstring> traces = front.takeTraces();
    EXPECT_NE(std::find(traces.begin(), traces.end(), L"BriefState::Cleanup()\n"), traces.end())
        << "Escape skips the briefing";
    EXPECT_FALSE(briefing.isPlaying());
    EXPECT_EQ(std::find(traces.begin(), traces.end(), L"CDialogState Init\n"), traces.end()) << "no menu";
    EXPECT_EQ(engine.topState(), &CPlayState::instance());
    front.key(Escape);
    EXPECT_EQ(engine.topState(), &CDialogState<cGameMenu>::instance()) << "a new Escape opens the menu";
}

TEST(Panels, ANameTypedTooLongEndsWhereItRanOutOfRoomAndFitsWhereverItIsShown)
{
    FrontEnd front;
    CGameEngine::instance().ChangeState(&CMenuState::instance());
    front.frame();
    auto entry = CDialogState<cFirstUser>::instance().getPanel();
    ASSERT_TRUE(entry);
    const std::wstring typed = L"Maximilianus-Bartholomew-Wenceslaus";
    front.type(typed);
    const std::wstring name = entry->getNameEdit().getText();
    EXPECT_LT(name.size(), typed.size()) << "the name ran out of room";
    EXPECT_EQ(typed.compare(0, name.size(), name), 0)
        << "no letter left out of its middle: " << Engine::toUtf8(name);
    front.type(L"iii");
    EXPECT_EQ(entry->getNameEdit().getText(), name) << "narrow letters after a refused one are refused too";
    front.type(std::wstring(1, Backspace) + L"i");
    EXPECT_EQ(entry->getNameEdit().getText(), name.substr(0, name.size() - 1) + L"i")
        << "a backspace makes room";
    entry.reset();
    front.key(Return);
    front.frame();
    // The main menu's plate (the kit's title plate, 268 wide with its nails at the ends).
    constexpr float plateRoom = 268.0f - 2.0f * 20.0f;
    cMainScreen* screen = CMenuState::instance().getMainScreen();
    EXPECT_EQ(screen->getUserNameText()->getText(), name.substr(0, name.size() - 1) + L"i");
    EXPECT_LE(screen->getUserNameText()->getWidth(), plateRoom) << "the plate holds the name";

    // The widest letters the names take, to the end of the room.
    front.click(screen->getChangeUserButton());
    auto selection = CDialogState<cSelectProfileWrapper>::instance().getPanel();
    ASSERT_TRUE(selection);
    front.type(std::wstring(60, Backspace) + std::wstring(30, L'\u0429'));
    const std::wstring wide = selection->getNameEdit()->getText();
    front.key(Return);
    selection.reset();
    EXPECT_EQ(screen->getUserNameText()->getText(), wide);
    EXPECT_LE(screen->getUserNameText()->getWidth(), plateRoom) << "the plate holds the widest name";
    front.click(screen->getChangeUserButton());
    selection = CDialogState<cSelectProfileWrapper>::instance().getPanel();
    Engine::cListBox* list = selection->getUserList();
    ASSERT_EQ(list->getItemCount(), 2u);
    for (uint32_t i = 0; i < 2; ++i)
    {
        Engine::cTextButton* row = list->getRow(i);
        EXPECT_LE(row->getCaption()->getWidth(), row->getSize().x - 16.0f) << "a row holds its name";
    }
    front.key(Escape);
    selection.reset();

    // The results' well for the best time's holder (196 wide).
    for (const std::wstring& shown : {name, wide})
    {
        cLevelFinishPanel results(nullptr);
        auto* holder = results.find<Engine::cTextLine>(L"BestNameTextValue");
        ASSERT_NE(holder, nullptr);
        holder->setText(shown);
        EXPECT_LE(holder->getWidth(), 196.0f - 2.0f * 6.0f) << Engine::toUtf8(shown);
    }
}

TEST(Panels, WithoutASoundDeviceTheVolumeSlidersAreDisabledGreyedAndStill)
{
    FrontEnd front;
    front.fixture.sound.reset();
    auto mixer = std::make_unique<Platform::RecordingMixer>();
    mixer->failInit(true);
    front.fixture.sound = std::make_unique<Engine::cSound>(std::move(mixer));
    ASSERT_TRUE(Engine::cSound::instance()->isDisabled());
    cMainScreen* screen = startAs(front, L"Ann");
    front.click(screen->getOptionsButton());
    auto options = CDialogState<cOptions>::instance().getPanel();
    ASSERT_TRUE(options);
    for (Engine::cScrollBox* slider : {options->getMusicSlider(), options->getSoundSlider()})
    {
        EXPECT_FALSE(slider->isEnabled());
        EXPECT_EQ(slider->getTextureName(), "ui/slider_track_disabled.png") << "the track is greyed";
        // Greyed, the sliders show the player's volumes, which the silent sound object keeps.
        const Engine::cSound& sound = *Engine::cSound::instance();
        EXPECT_EQ(slider->getValue(),
                  static_cast<float>(slider == options->getMusicSlider() ? sound.getMusicVolume()
                                                                         : sound.getSoundVolume()));
        const float before = slider->getValue();
        front.clickAt(slider->getPosition() + Engine::cVector2(slider->getSize().x * 0.3f, 0.0f));
        EXPECT_EQ(slider->getValue(), before) << "the pointer moves nothing";
    }
}

TEST(Panels, TheMapsQuestionsNameTheLevel)
{
    FrontEnd front;
    Engine::cStrings strings;
    front.fixture.startProfile();
    CGameEngine& engine = CGameEngine::instance();
    engine.setEnteredFromMainMenu(false);
    engine.ChangeState(&CMapState::instance());
    front.frames(60);
    // The first level's node ("Map/Map.xml"): a click selects it, a second one chooses it.
    front.clickAt({105.0f, 560.0f});
    front.clickAt({105.0f, 560.0f});
    auto question = CDialogState<cYesNoPanel>::instance().getPanel();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->getText()->getText(), L"Begin level 1, First street?");
}

TEST(Panels, TutorialTipsTakeTheHeightOfTheirTextAndStayOffTheirUnit)
{
    FrontEnd front;
    startLevel(front, L"levels/n0.xml");
    cBriefing& briefing = CPlayState::instance().getBriefing();
    front.key(Escape);
    ASSERT_FALSE(briefing.isPlaying());
    cTutorial& tutorial = cTutorial::instance();
    for (int i = 0; i < 100 && !tutorial.getPointedUnit(); ++i)
        front.frame(0.05f);
    const boost::shared_ptr<cUnit> unit = tutorial.getPointedUnit();
    ASSERT_TRUE(unit) << "the rubble's pointer tip, two seconds into the level";
    const cTutorTipView* tip = tutorial.getTipView();
    ASSERT_TRUE(tip->isShown());
    const Engine::cBorder* frame = tip->getFit().getFrame();
    ASSERT_NE(frame, nullptr);
    const size_t lines =
        std::count_if(tip->getTextView()->getLines().begin(), tip->getTextView()->getLines().end(),
                      [](const Engine::cTextLine* line) { return !line->getText().empty(); });
    EXPECT_EQ(lines, 2u);
    EXPECT_LT(tip->getSize().y, 200.0f) << "two lines, not the panel of six";
    EXPECT_EQ(frame->getSize(), tip->getSize()) << "the panel's picture follows";
    EXPECT_EQ(frame->getPosition(), tip->getPosition());
    EXPECT_FALSE(boxOf(*tip).meets(boxOf(*unit->getView()))) << "the panel leaves its unit in sight";
    const Engine::cPicture* pointer = tip->getPointer();
    EXPECT_GT(pointer->getPosition().y, boxOf(*unit->getView()).top) << "the arrow stands by its unit";
    EXPECT_LT(pointer->getPosition().y, boxOf(*tip).top);

    // A short message of one line.
    cMiniBriefing* message = cMiniBriefing::showText(L"One line.");
    EXPECT_LT(message->getSize().y, 120.0f);
    EXPECT_EQ(message->getFit().getFrame()->getSize(), message->getSize());
    cMiniBriefing* longer = cMiniBriefing::showText(
        L"A message long enough to take three lines of the bubble, with a few words more to be sure of it.");
    EXPECT_GT(longer->getSize().y, message->getSize().y);
    EXPECT_EQ(longer->getPosition().y - longer->getSize().y * 0.5f,
              message->getPosition().y - message->getSize().y * 0.5f)
        << "every message hangs from the same top edge";
}

TEST(Panels, AUnitDroppingInCastsASoftShadowAndHangsFromAParachute)
{
    FrontEnd front;
    startLevel(front, L"levels/n1.xml");
    // Whatever falls at the start, its shadow and parachute are pictures, never flat patches.
    int fallViews = 0;
    for (Engine::cControl* child : CPlayState::instance().getPlayView()->getChildren())
    {
        const auto* picture = dynamic_cast<const Engine::cPicture*>(child);
        if (!picture || !picture->getTexture())
            continue;
        const std::string& name = picture->getTextureName();
        if (name.rfind("effects/fall_", 0) == 0 || name == "effects/parachute.png")
            ++fallViews;
    }
    EXPECT_GE(fallViews, 2) << "the town hall's shadow and a parachute at least";
    for (Engine::cControl* child : CPlayState::instance().getPlayView()->getChildren())
        if (const auto* picture = dynamic_cast<const Engine::cPicture*>(child);
            picture && picture->isShown() && !picture->getTexture() && picture->getSize().x > 8.0f &&
            ((picture->getColor().toARGB() >> 24) & 0xFF) > 0)
            ADD_FAILURE() << "a flat patch of " << picture->getSize().x << " x " << picture->getSize().y
                          << " on the field";
}

TEST(Panels, TheHoverTellsWhatAClickOnTheUnitDoes)
{
    FrontEnd front;
    front.fixture.writeLevel(
        981,
        GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"110;120\"/>"
                              "<Unit Type=\"Market\" MaxLevel=\"2\" Position=\"300;260\"/>"
                              "<Unit Type=\"Money\" Position=\"520;300\"/>"
                              "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" Position=\"700;260\"/>"));
    startLevel(front, L"levels/n981.xml");
    front.frames(150, 0.05f);
    Game* game = CPlayState::instance().getGame();
    ASSERT_NE(game, nullptr);
    const auto unitOf = [game](const wchar_t* type) -> cUnit::Ptr
    {
        for (const auto& [id, unit] : game->getUnits())
            if (unit->typeName == type)
                return unit;
        return nullptr;
    };
    TooltipManager& tips = TooltipManager::instance();

    // The market's ruin: a click has it built, for what its next level asks.
    const cUnit::Ptr market = unitOf(L"Market");
    ASSERT_TRUE(market && market->getView());
    front.moveTo(market->getView()->getPosition());
    front.frames(10);
    cTooltipView* place = tips.getWindow(TooltipManager::PlaceTip);
    ASSERT_EQ(tips.getCurrentWindow(), place);
    EXPECT_EQ(place->findText(L"in")->getText(), L"Build for");
    ASSERT_EQ(place->getInList()->getItemCount(), 1u);
    EXPECT_EQ(place->getInList()->getTotal(), 3) << "three bricks, the market's first level";

    // A pile: a click sends a hero to pick it up.
    const cUnit::Ptr pile = unitOf(L"Money");
    ASSERT_TRUE(pile && pile->getView());
    front.moveTo(pile->getView()->getPosition());
    front.frames(10);
    cTooltipView* resource = tips.getWindow(TooltipManager::ResourceTip);
    ASSERT_EQ(tips.getCurrentWindow(), resource);
    EXPECT_EQ(resource->findText(L"out")->getText(), L"Pick up");
    EXPECT_EQ(resource->getOutList()->getTotal(), 5) << "the pile's coins";

    // A built market tells what it makes; its arrow tells what its next level asks for, as the
    // tutorial says.
    cUnit::Ptr built;
    for (const auto& [id, unit] : game->getUnits())
        if (unit->typeName == L"Market" && unit->getLevel() == 1)
            built = unit;
    ASSERT_TRUE(built && built->getView());
    front.moveTo(built->getView()->getPosition());
    front.frames(10);
    cTooltipView* mill = tips.getWindow(TooltipManager::MillTip);
    ASSERT_EQ(tips.getCurrentWindow(), mill);
    EXPECT_EQ(mill->findText(L"out")->getText(), L"Makes");
    EXPECT_EQ(mill->getOutList()->getTotal(), 4) << "the market's coins";
    const Engine::cLightButton* arrow = built->getView()->getUpgradeButton();
    ASSERT_TRUE(arrow && arrow->isShown()) << "the arrow for the next level";
    front.moveTo(arrow->getPosition());
    front.frames(10);
    cTooltipView* upgrade = tips.getWindow(TooltipManager::UpgradeTip);
    ASSERT_EQ(tips.getCurrentWindow(), upgrade);
    EXPECT_TRUE(upgrade->isShown());
    EXPECT_EQ(upgrade->findText(L"in")->getText(), L"Upgrade for");
    EXPECT_EQ(upgrade->getInList()->getItemCount(), 2u);
    EXPECT_EQ(upgrade->getInList()->getTotal(), 12) << "ten coins and two sacks of cement";
}

} // namespace
