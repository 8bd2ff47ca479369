// The tutorial tips of the shipped levels, held to what a player meets: a level says each
// tip once, a tip waits for an event its unit can raise, it names resources and units as the
// game's hovers name them (so do the briefings' speeches) and gives the amounts the rules ask, and its text
// fits the panel the game shows it in, laid out by the game's own text layout at the game's font, and that
// panel leaves its unit and what the player watches in sight. Each failure names the level, the unit (its
// type and its number among the units of that type, as a script names it) and the tip.
#include "engine/core/StringUtils.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/heroes/GameController.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/cMiniBriefing.h"
#include "game/screens/cModalTutorStateView.h"
#include "game/screens/cTutorTipView.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTip.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/screens/frontend_test_tools.h"
#include "tests/game/screens/screen_boxes.h"
#include "tests/game/screens/unit_bar_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

namespace fs = std::filesystem;

const fs::path kLevels = fs::path(QUILL_SOURCE_DIR) / "data" / "Levels";

// A tip as a level file writes it.
struct WrittenTip
{
    int level = 0;
    std::wstring type;
    int number = 0;
    int tipType = 0;
    int eventKind = 0;
    float start = 0.0f;
    std::string text;
    // The unit drops in from the sky ("FallingTime").
    bool fallsIn = false;

    std::string unit() const { return Engine::toUtf8(type) + "#" + std::to_string(number); }
    std::string where() const { return "n" + std::to_string(level) + " " + unit() + " \"" + text + "\""; }
};

std::vector<WrittenTip> writtenTips(int level)
{
    std::vector<WrittenTip> tips;
    const std::string bytes = ::Test::readFile(kLevels / ("n" + std::to_string(level) + ".xml"));
    const auto root = Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), "level");
    Engine::tPropertiesPtr buildings;
    if (!root->getChild(L"Buildings", buildings))
        return tips;
    Engine::tPropertiesList units;
    buildings->getChildren(units);
    std::map<std::wstring, int> numbers;
    for (const Engine::tPropertiesPtr& unit : units)
    {
        const std::wstring type = unit->getAttribute(L"Type");
        const int number = ++numbers[type];
        Engine::tPropertiesPtr tutorial;
        if (!unit->getChild(L"Tutorial", tutorial))
            continue;
        Engine::tPropertiesList list;
        tutorial->getChildren(list);
        for (const Engine::tPropertiesPtr& node : list)
        {
            WrittenTip tip;
            tip.level = level;
            tip.type = type;
            tip.number = number;
            tip.tipType = std::atoi(Engine::toUtf8(node->getAttribute(L"tip_type")).c_str());
            tip.eventKind = std::atoi(Engine::toUtf8(node->getAttribute(L"event_type")).c_str());
            tip.start = static_cast<float>(std::atof(Engine::toUtf8(node->getAttribute(L"start")).c_str()));
            tip.text = Engine::toUtf8(node->getAttribute(L"text"));
            tip.fallsIn = !unit->getAttribute(L"FallingTime").empty();
            tips.push_back(tip);
        }
    }
    return tips;
}

// Every shipped level's number (n0, n1, ... while the files go on).
std::vector<int> shippedLevels()
{
    std::vector<int> levels;
    for (int level = 0; fs::exists(kLevels / ("n" + std::to_string(level) + ".xml")); ++level)
        levels.push_back(level);
    return levels;
}

// Each written tip with its unit as the level starts in the play state, its opening briefing
// read away (a level at a time: the units go with their level).
void forEachStartedTip(FrontEnd& front,
                       const std::function<void(const WrittenTip&, const cUnit::Ptr&)>& check)
{
    front.fixture.startProfile();
    for (int level : shippedLevels())
    {
        const std::vector<WrittenTip> tips = writtenTips(level);
        if (tips.empty())
            continue;
        ASSERT_TRUE(front.playLevel(L"levels/n" + std::to_wstring(level) + L".xml")) << "n" << level;
        Game& game = *CPlayState::instance().getGame();
        for (const WrittenTip& tip : tips)
        {
            auto it = game.getUnits().equal_range(typeId(tip.type.c_str())).first;
            std::advance(it, tip.number - 1);
            check(tip, it->second);
        }
        CGameEngine::instance().PopState();
    }
}

// The levels a unit takes in the level: from the one it starts at to its highest.
std::vector<int> levelsOf(const cUnit& unit)
{
    const auto type = unit.getTypeInfo();
    int last = type ? type->levelCount() - 1 : 0;
    if (unit.getMaxLevel() != -1)
        last = std::min(last, unit.getMaxLevel());
    std::vector<int> levels;
    for (int level = unit.getLevel(); level <= last; ++level)
        levels.push_back(level);
    return levels;
}

// Runs `look` with the unit idle at each level it takes, and leaves it as it was.
bool atSomeLevel(const cUnit::Ptr& unit, const std::function<bool()>& look)
{
    const int level = unit->getLevel();
    const eUnitState state = unit->getState();
    bool found = false;
    for (int at : levelsOf(*unit))
    {
        unit->setLevelAndState(at, eUnitState::idle, true);
        found = found || look();
    }
    unit->setLevelAndState(level, state, true);
    return found;
}

// The planner's answer to a click on the unit as it stands, and what the click would cost.
UnitProblem problemOf(const cUnit::Ptr& unit, cGameResources& cost)
{
    Engine::cPoint blocked;
    return Game::instance()->getController().getUnitProblem(unit, cost, blocked);
}

// Whether the click code weighs a click on the unit at all, and so may refuse it: the planner
// serves its kind, and the click code does not pass over it before asking (it passes over a
// flood, which only the pumping station drains).
bool clickWeighed(const cUnit::Ptr& unit)
{
    if (unit->typeName == L"BarrierFlood")
        return false;
    return atSomeLevel(unit,
                       [&]
                       {
                           cGameResources cost;
                           return problemOf(unit, cost) != NotServiceable;
                       });
}

// Whether the unit can raise the tip's event, as the game raises each kind: 0 the tutorial's
// clock, for any unit; 1 a unit dropping in lands (FallingUnitActionItem), or an animal is
// saved (SaveAnimalActionItem); 2 and 3 the click code refuses a click on the unit for want of
// resources (the click costs something) or of a way there (shut as the level starts); 4 the
// unit's view shows its upgrade arrow with the stock covering it; 5 the tutorial's poll finds
// that the planner can serve the unit. Empty when it can; else why not.
std::string whyNever(const WrittenTip& tip, const cUnit::Ptr& unit)
{
    switch (tip.eventKind)
    {
    case 0:
        return "";
    case 1:
        return tip.fallsIn || GameConfig::instance().isOfCategory(unit->getTypeId(), UnitCategory::animal)
                   ? ""
                   : "the unit neither drops in nor is an animal";
    case 2:
        if (!clickWeighed(unit))
            return "the click code never weighs a click on it";
        return atSomeLevel(unit,
                           [&]
                           {
                               cGameResources cost;
                               problemOf(unit, cost);
                               return !cost.isEmpty();
                           })
                   ? ""
                   : "a click on it costs nothing, so it is never short";
    case 3:
    {
        if (!clickWeighed(unit))
            return "the click code never weighs a click on it";
        cGameResources cost;
        const UnitProblem problem = problemOf(unit, cost);
        return problem == NoRoute ? ""
                                  : "a way leads to it from the start (the planner says " +
                                        std::to_string(static_cast<int>(problem)) + ")";
    }
    case 4:
        return atSomeLevel(unit,
                           [&]
                           {
                               auto* view = unit->getView();
                               if (!view)
                                   return false;
                               view->refreshUpgradeButton();
                               return view->getUpgradeButton() && view->getUpgradeButton()->isVisible();
                           })
                   ? ""
                   : "its view shows no upgrade arrow at any level it takes";
    case 5:
        return clickWeighed(unit) ? "" : "the planner never serves it";
    default:
        return "no unit raises the event " + std::to_string(tip.eventKind);
    }
}

TEST(LevelTips, NoLevelSaysATipTwice)
{
    for (int level : shippedLevels())
    {
        std::map<std::string, std::string> said;
        for (const WrittenTip& tip : writtenTips(level))
        {
            const auto [first, added] = said.emplace(tip.text, tip.unit());
            EXPECT_TRUE(added) << tip.where() << ": said by " << first->second << " too";
        }
    }
}

// A tip that comes some time into the level, at a later time or after refused clicks, may come
// after the player has done what it would ask: it tells what is, and gives no order (to click,
// clear, fetch, mend, build, drain, bridge or pick up). A tip at the level's start gives one
// before anything can have been done, and a tip of the moment its order can be followed (its
// unit can be served, its upgrade lights up) gives one then.
TEST(LevelTips, OnlyATipAtTheStartOrAtItsMomentGivesAnOrder)
{
    const std::regex order("(^|[.:;,!?] )(click|clear|fetch|mend|build|drain|bridge|pick up)\\b",
                           std::regex::icase);
    for (int level : shippedLevels())
        for (const WrittenTip& tip : writtenTips(level))
        {
            const bool later =
                (tip.eventKind == 0 && tip.start > 0.0f) || tip.eventKind == 2 || tip.eventKind == 3;
            std::smatch found;
            EXPECT_FALSE(later && std::regex_search(tip.text, found, order))
                << tip.where() << ": \"" << found.str(2) << "\" may come after it was done";
        }
}

TEST(LevelTips, EveryTipWaitsForAnEventItsUnitCanRaise)
{
    FrontEnd front;
    int tips = 0;
    forEachStartedTip(front,
                      [&](const WrittenTip& tip, const cUnit::Ptr& unit)
                      {
                          ++tips;
                          const std::string why = whyNever(tip, unit);
                          EXPECT_TRUE(why.empty())
                              << tip.where() << " waits for the event " << tip.eventKind << ": " << why;
                      });
    EXPECT_GT(tips, 20) << "the first levels teach through tips";
}

// The words of a text, lower case.
std::vector<std::string> wordsOf(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ")
        if (std::isalpha(static_cast<unsigned char>(c)))
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!word.empty())
        {
            words.push_back(word);
            word.clear();
        }
    return words;
}

// The words of a name of the rules: "BonusSpeedHero" -> bonus, speed, hero.
std::vector<std::string> nameWords(const std::string& name)
{
    std::string spaced;
    for (size_t i = 0; i < name.size(); ++i)
    {
        if (i > 0 && std::isupper(static_cast<unsigned char>(name[i])))
            spaced += ' ';
        spaced += name[i];
    }
    return wordsOf(spaced);
}

// One word, singular or plural: "brick" and "bricks", "hero" and "heroes", "battery" and
// "batteries".
std::string singular(const std::string& word)
{
    if (word.size() > 4 && word.compare(word.size() - 3, 3, "ies") == 0)
        return word.substr(0, word.size() - 3) + "y";
    if (word.size() > 4 && word.compare(word.size() - 3, 3, "oes") == 0)
        return word.substr(0, word.size() - 2);
    if (word.size() > 3 && word.back() == 's' && word[word.size() - 2] != 's' && word[word.size() - 2] != 'u')
        return word.substr(0, word.size() - 1);
    return word;
}

// Whether a word of a tip is the word of the rules: the word itself in either number, or, for a
// longer word, one it starts ("accum" in "accumulator").
bool isWord(const std::string& said, const std::string& word)
{
    return singular(said) == singular(word) || (word.size() >= 5 && said.rfind(word, 0) == 0);
}

// The names the game shows for what a player meets: every unit type's hover name (its view
// description's), and the texts of the hover windows (the bonuses' and the captions).
struct ShownNames
{
    // Type name -> the name its hover shows.
    std::map<std::wstring, std::wstring> byType;
    std::set<std::string> words;
};

ShownNames shownNames()
{
    ShownNames shown;
    const NameIdTable& types = GameConfig::instance().unitNames();
    for (int id = 0; id < types.size(); ++id)
        if (const auto description = UnitViewLibrary::instance().findOrLoad(id))
            if (!description->getName().empty())
            {
                shown.byType[types.nameOf(id)] = description->getName();
                for (const std::string& word : wordsOf(Engine::toUtf8(description->getName())))
                    shown.words.insert(singular(word));
            }
    const std::string tooltips = ::Test::readFile(fs::path(QUILL_SOURCE_DIR) / "data" / "UI" / "Tooltip.xml");
    const std::regex text("(Text|String|Income|Place|NotEnough|NoWay|NoFreeHeroes|Upgrade)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(tooltips.begin(), tooltips.end(), text); it != std::sregex_iterator();
         ++it)
        for (const std::string& word : wordsOf((*it)[2]))
            shown.words.insert(singular(word));
    // A kind of unit ("a bonus", "a quest", "the barrier") is the game's word too.
    for (const wchar_t* category : UnitCategory::all)
        shown.words.insert(singular(Engine::toUtf8(category)));
    return shown;
}

// The singular words of a text, in order.
std::vector<std::string> singularWords(const std::string& text)
{
    std::vector<std::string> words = wordsOf(text);
    for (std::string& word : words)
        word = singular(word);
    return words;
}

// Whether the text says the name (its words in a row, in either number).
bool saysName(const std::vector<std::string>& text, const std::wstring& name)
{
    const std::vector<std::string> words = singularWords(Engine::toUtf8(name));
    return !words.empty() && std::search(text.begin(), text.end(), words.begin(), words.end()) != text.end();
}

// The kinds the hover passes over (TooltipManager::composeTip): the crew, the scenery, the tools,
// the townsfolk and the vehicles.
const wchar_t* const kNotHovered[] = {UnitCategory::hero, UnitCategory::ambient, UnitCategory::attach,
                                      UnitCategory::worker, UnitCategory::transport};

// The amounts the rules give for a unit type, by the resource's shown word: what it costs,
// takes and gives at each of its levels.
void addAmounts(const UnitTypeInfo& type, const ShownNames& shown, std::multimap<std::string, int>& amounts)
{
    const NameIdTable& resources = GameConfig::instance().resourceNames();
    for (int level = 0; level < type.levelCount(); ++level)
    {
        const auto& info = type.levelInfo(level);
        for (const cGameResources* list : {&info->upIn, &info->resIn, &info->resOut, &info->repairRes})
            for (const auto& [id, count] : list->getItems())
                amounts.emplace(singularWords(Engine::toUtf8(shown.byType.at(resources.nameOf(id)))).back(),
                                count);
    }
}

TEST(LevelTips, TipsNameResourcesAndUnitsAsTheGameShowsThemAndTheAmountsTheRulesAsk)
{
    GameFixture fixture;
    const ShownNames shown = shownNames();
    ASSERT_EQ(shown.byType.at(L"Accum"), L"Batteries");
    // The words of the rules' own names that the game never shows: a tip using one names a
    // resource or a unit by another name than its hover does ("accumulator" for Batteries).
    // Only the kinds a player hovers on the field count: those the shipped levels place, but
    // for those the hover passes over.
    std::set<std::wstring> placed;
    const std::regex placedType("<Unit Type=\"([A-Za-z]+)\"");
    for (int level : shippedLevels())
    {
        const std::string bytes = ::Test::readFile(kLevels / ("n" + std::to_string(level) + ".xml"));
        for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), placedType);
             it != std::sregex_iterator(); ++it)
            placed.insert(Engine::fromUtf8((*it)[1]));
    }
    std::map<std::string, std::wstring> unshown;
    for (const auto& [type, name] : shown.byType)
    {
        const int id = typeId(type.c_str());
        const bool hovered =
            placed.count(type) && std::none_of(std::begin(kNotHovered), std::end(kNotHovered),
                                               [&](const wchar_t* category)
                                               { return GameConfig::instance().isOfCategory(id, category); });
        for (const std::string& word : nameWords(Engine::toUtf8(type)))
            if (hovered && !shown.words.count(singular(word)))
                unshown.emplace(word, name);
    }
    ASSERT_TRUE(unshown.count("accum"));
    // Words of no rule's name that were said for a resource the game names otherwise.
    for (const auto& [word, type] : {std::pair("fitting", L"Hardware")})
        if (!shown.words.count(word))
            unshown.emplace(word, shown.byType.at(type));
    // The word that follows an amount of a resource.
    std::set<std::string> resourceWords;
    const NameIdTable& resources = GameConfig::instance().resourceNames();
    for (int id = 0; id < resources.size(); ++id)
        resourceWords.insert(singularWords(Engine::toUtf8(shown.byType.at(resources.nameOf(id)))).back());

    const auto namesAsShown = [&](const std::string& text, const std::string& where)
    {
        for (const std::string& said : wordsOf(text))
            for (const auto& [word, name] : unshown)
                EXPECT_FALSE(isWord(said, word)) << where << ": \"" << said << "\" for what the game calls \""
                                                 << Engine::toUtf8(name) << "\"";
    };
    // The briefings' reporters speak of the same things in the same words.
    const std::regex speech("<Action type=\"1\"[^>]* text=\"([^\"]*)\"");
    for (int level : shippedLevels())
    {
        const std::string bytes = ::Test::readFile(kLevels / ("n" + std::to_string(level) + ".xml"));
        for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), speech); it != std::sregex_iterator();
             ++it)
            namesAsShown((*it)[1], "n" + std::to_string(level) + " speech \"" + (*it)[1].str() + "\"");
    }

    for (int level : shippedLevels())
        for (const WrittenTip& tip : writtenTips(level))
        {
            const std::vector<std::string> words = singularWords(tip.text);
            namesAsShown(tip.text, tip.where());
            // "<amount> <resource>" is an amount the rules give the tip's unit, or a kind of unit
            // the tip names (a burning building's "fire").
            std::multimap<std::string, int> amounts;
            addAmounts(*GameConfig::instance().getTypeInfo(typeId(tip.type.c_str())), shown, amounts);
            for (const auto& [type, name] : shown.byType)
                if (saysName(words, name))
                    if (const auto info = GameConfig::instance().getTypeInfo(typeId(type.c_str())))
                        addAmounts(*info, shown, amounts);
            const std::regex amount("([0-9]+) ([A-Za-z]+)");
            for (auto it = std::sregex_iterator(tip.text.begin(), tip.text.end(), amount);
                 it != std::sregex_iterator(); ++it)
            {
                const std::string resource = singular(wordsOf((*it)[2]).front());
                if (!resourceWords.count(resource))
                    continue;
                const int count = std::stoi((*it)[1]);
                const auto range = amounts.equal_range(resource);
                EXPECT_TRUE(std::any_of(range.first, range.second,
                                        [&](const auto& entry) { return entry.second == count; }))
                    << tip.where() << ": the rules ask no \"" << (*it)[0] << "\" of it";
            }
        }
}

TEST(LevelTips, EveryTipsTextFitsThePanelTheGameShowsItIn)
{
    GameFixture fixture;
    // The three panels of the tips, as the tutorial makes them: a short message (tip type 0), the
    // modal message with its OK button (1) and the pointer tip (2).
    auto message = std::make_unique<cMiniBriefing>(nullptr);
    Engine::loadLayout(*message, "UI/MiniBreafing.xml");
    auto modal = std::make_unique<cModalTutorStateView>(nullptr);
    Engine::loadLayout(*modal, "UI/ModalTutorView.xml");
    auto pointer = std::make_unique<cTutorTipView>(nullptr);
    Engine::loadLayout(*pointer, "UI/ModalTutorView.xml");
    const Engine::cVector2 messageBox = message->getText()->getSize();
    const Engine::cVector2 tipBox = pointer->getTextView()->getSize();

    for (int level : shippedLevels())
        for (const WrittenTip& written : writtenTips(level))
        {
            Engine::cView* panel = nullptr;
            Engine::cMultiLineText* text = nullptr;
            Engine::cVector2 box = tipBox;
            float bottom = 1e9f;
            UnitTip tip{cUnit::Ptr()};
            tip.tipType = written.tipType;
            tip.text = Engine::fromUtf8(written.text);
            tip.target = Engine::cVector2(512.0f, 384.0f);
            if (written.tipType == 0)
            {
                message->showMessage(tip.text);
                panel = message.get();
                text = message->getText();
                box = messageBox;
            }
            else if (written.tipType == 1)
            {
                modal->showTip(tip);
                panel = modal.get();
                text = modal->getTextView();
                bottom = TipPlacement::boxOf(*modal->getOkButton()).top;
            }
            else
            {
                pointer->showTip(tip);
                panel = pointer.get();
                text = pointer->getTextView();
            }
            // The text's box grows only where its lines do not fit even at the smallest letters.
            EXPECT_LE(text->getSize().y, box.y + 0.5f)
                << written.where() << ": its lines need more room than the panel's";
            const TipPlacement::Box room = TipPlacement::boxOf(*panel);
            // A left-aligned text's lines start at its position and wrap at its box's width.
            const float left = text->getPosition().x;
            for (Engine::cTextLine* line : text->getLines())
            {
                if (!line->isVisible() || line->getText().empty())
                    continue;
                const ScreenBox letters = lettersOf(*line);
                // A glyph may stand out of its advance by a pixel or two.
                EXPECT_TRUE(letters.left >= left - 2.0f && letters.right <= left + box.x + 2.0f &&
                            letters.left >= room.left && letters.right <= room.right &&
                            letters.top >= room.top && letters.bottom <= std::min(room.bottom, bottom))
                    << written.where() << ": the line \"" << Engine::toUtf8(line->getText())
                    << "\" leaves the panel";
            }
        }
}

// What a player watches while a tip is up, each part by name, as the level shows it now: the
// status panel's clock, its bar over the medal times with the marks and times on it, the icon
// and count of each resource and the goal rows shown, and the level's production clock.
std::vector<std::pair<std::string, ScreenBox>> watchedParts(const WrittenTip& tip)
{
    std::vector<std::pair<std::string, ScreenBox>> parts;
    const auto add = [&](const std::string& name, Engine::cControl* control)
    {
        auto* view = dynamic_cast<Engine::cView*>(control);
        if (!view || !view->isShown())
            return;
        ScreenBox box = boxOf(*view);
        const ScreenBox letters = lettersOf(*view);
        if (!letters.empty())
            box = {std::min(box.left, letters.left), std::min(box.top, letters.top),
                   std::max(box.right, letters.right), std::max(box.bottom, letters.bottom)};
        parts.emplace_back(name, box);
    };
    cStatusPanel& panel = *CPlayState::instance().getStatusPanel();
    for (const wchar_t* tag :
         {L"ClockPlate", L"TimeText", L"TimeProgress", L"PerfectGoldPicture", L"PerfectGoldTimeText",
          L"PerfectSilverPicture", L"PerfectSilverTimeText", L"PerfectSilverTimeTextPlate"})
        add("the clock's " + Engine::toUtf8(tag), panel.findControl(tag));
    const auto& resources = *panel.find<Engine::cForm>(L"Resources");
    const NameIdTable& names = GameConfig::instance().resourceNames();
    for (int id = 0; id < names.size(); ++id)
        for (const std::wstring& tag : {names.nameOf(id), names.nameOf(id) + L"Count"})
            add("the resource " + Engine::toUtf8(tag), resources.findControl(tag));
    for (size_t row = 0; row < panel.getRows().size(); ++row)
        if (panel.getRows()[row]->isShown())
            for (Engine::cControl* part : panel.getRows()[row]->getChildren())
                add("goal row " + std::to_string(row + 1), part);
    const ActionItem::Ptr& clock = CPlayState::instance().getGame()->getController().getAutoProductionItem();
    if (cUnitProgressView* bar = clock ? clock->getProgressView() : nullptr)
    {
        add("the production clock", bar);
        parts.emplace_back("the production clock's frame", boxOf(bar->getSubstrate()));
    }
    EXPECT_GT(parts.size(), 12u) << tip.where() << ": the status panel shows its parts";
    return parts;
}

// The tip as the tutorial shows it in the running level, after the clicks it waits for, with
// whatever the level showed meanwhile gone first; the panel it stands in.
Engine::cView* showTip(FrontEnd& front, const WrittenTip& written, const cUnit::Ptr& unit)
{
    const auto tip = std::find_if(unit->tips.begin(), unit->tips.end(),
                                  [&](const UnitTip::Ptr& record)
                                  { return record->text == Engine::fromUtf8(written.text); });
    if (tip == unit->tips.end())
        return nullptr;
    ModalTutorState& modal = ModalTutorState::instance();
    cTutorial& tutorial = cTutorial::instance();
    // A tip waits while another text stands: the level plays on until every one has gone.
    for (int i = 0; i < 2000; ++i)
    {
        if (CGameEngine::instance().topState() == &modal)
            modal.close();
        tutorial.hideTip();
        if (!cMiniBriefing::shown() && tutorial.getWaitingTips().empty())
            break;
        front.frame(0.1f);
    }
    bool shown = false;
    for (int click = 0; click < 10 && !shown; ++click)
        shown = tutorial.showTip(*tip);
    if (!shown)
        return nullptr;
    if (written.tipType == 0)
        return cMiniBriefing::shown();
    return written.tipType == 1 ? modal.getTutorView() : tutorial.getTipView();
}

TEST(LevelTips, EveryTipLeavesItsUnitAndWhatThePlayerWatchesInSight)
{
    FrontEnd front;
    // The modal message's view is made by the first level started in a run of the game; the
    // game of a test before this one in the same process released it as it shut down.
    ModalTutorState::instance().Create();
    const Engine::cVector2 screen = cTooltipView::screenSize();
    int placed = 0;
    forEachStartedTip(front,
                      [&](const WrittenTip& written, const cUnit::Ptr& unit)
                      {
                          // A unit that drops in is in place once it has landed, where its tip comes.
                          for (int i = 0; i < 1500 && (unit->getState() == eUnitState::hidden ||
                                                       unit->getState() == eUnitState::falling ||
                                                       unit->getFallOffset() > 0.0f);
                               ++i)
                              front.frame(0.05f);
                          ASSERT_TRUE(unit->getView() && unit->getView()->isShown()) << written.where();
                          const ScreenBox spoken = unitWithItsBar(unit);
                          Engine::cView* panel = showTip(front, written, unit);
                          ASSERT_TRUE(panel && panel->isShown()) << written.where();
                          ++placed;
                          // Edges that meet are no cover: the panel's box is taken half a unit in.
                          ScreenBox box = boxOf(*panel);
                          box = {box.left + 0.5f, box.top + 0.5f, box.right - 0.5f, box.bottom - 0.5f};
                          EXPECT_TRUE(box.inside({0.0f, 0.0f, screen.x, screen.y}))
                              << written.where() << ": off the screen";
                          EXPECT_FALSE(box.meets(spoken)) << written.where() << ": over its unit";
                          for (const auto& [name, part] : watchedParts(written))
                              EXPECT_FALSE(box.meets(part)) << written.where() << ": over " << name;
                          ModalTutorState::instance().close();
                          cTutorial::instance().hideTip();
                      });
    EXPECT_GT(placed, 20);
}

} // namespace
