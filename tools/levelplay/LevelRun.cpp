#include "tools/levelplay/LevelRun.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CMapState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cMap.h"
#include "game/screens/cTutorTipView.h"
#include "game/screens/cTutorial.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "tools/levelplay/PlayerHand.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <typeinfo>
#include <vector>

namespace LevelPlay
{

namespace
{

// Enough frames for any screen to come up (a level's loading screen, a map sliding in).
constexpr int kScreenFrames = 20000;

const char* problemName(UnitProblem problem)
{
    static const char* const names[] = {"NoProblem",    "NoRoute", "NoFreeHero",    "NotEnoughResources",
                                        "AlreadyTaken", "Busy",    "NoDestination", "NotServiceable"};
    const int index = static_cast<int>(problem);
    return index >= 0 && index < 8 ? names[index] : "?";
}

CGameState* topState()
{
    return CGameEngine::instance().topState();
}

template <class Panel> bool dialogOnTop()
{
    return topState() == &CDialogState<Panel>::instance() && CDialogState<Panel>::instance().getPanel();
}

std::string className(const Engine::cView& view)
{
    int status = 0;
    const char* mangled = typeid(view).name();
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? name.get() : mangled;
}

template <class T> const T* ancestor(const Engine::cControl* control)
{
    for (; control; control = control->getParent())
        if (const auto* found = dynamic_cast<const T*>(control))
            return found;
    return nullptr;
}

std::string place(const Engine::cVector2& point)
{
    char text[48];
    std::snprintf(text, sizeof text, "(%.0f, %.0f)", static_cast<double>(point.x),
                  static_cast<double>(point.y));
    return text;
}

} // namespace

LevelRun::LevelRun(PlayerHand& hand, std::string keepSaves) : m_hand(hand), m_keepSaves(std::move(keepSaves))
{
    m_hand.setAfterFrame([this] { afterFrame(); });
}

LevelRun::~LevelRun()
{
    m_hand.setAfterFrame({});
}

// ---------------------------------------------------------------------------------------------
// Where the game is

bool LevelRun::inLevel() const
{
    return CPlayState::instance().getGame() != nullptr;
}

bool LevelRun::running() const
{
    CPlayState& play = CPlayState::instance();
    return topState() == &play && play.isRunning() && play.getGame();
}

Game* LevelRun::game() const
{
    return CPlayState::instance().getGame();
}

bool LevelRun::won() const
{
    Game* level = game();
    return level && (level->isLevelOver() || level->isFinishPending());
}

bool LevelRun::idle() const
{
    Game* level = game();
    if (!level)
        return true;
    // The town hall's own upgrade is work under way too, though no goal of the list stands for
    // it: the hall is taken until it ends.
    const cUnit::Ptr base = level->getBase();
    return level->getController().getPendingGoals().empty() && !(base && base->isTaken());
}

float LevelRun::clock() const
{
    Game* level = game();
    return level ? level->getLevelTime() : m_lastClock;
}

void LevelRun::frame()
{
    // Escape ends a briefing and closes a modal tip, as it does for the player.
    CGameState* top = topState();
    if (top == &BriefState::instance() || top == &ModalTutorState::instance())
        m_hand.key(PlayerHand::Escape);
    else
        m_hand.frame();
    // A level that stands still under a screen no key here closes would never reach its time.
    m_stillFrames = running() || !inLevel() ? 0 : m_stillFrames + 1;
    if (m_stillFrames > kScreenFrames)
        throw BadInput{"the level stands still under a screen that does not close"};
}

void LevelRun::frameUntil(const std::function<bool()>& done, const std::string& why)
{
    for (int i = 0; i < kScreenFrames; ++i)
    {
        if (done())
            return;
        frame();
    }
    if (!done())
        throw BadInput{why};
}

void LevelRun::afterFrame()
{
    Game* level = game();
    if (level != m_watched)
    {
        // A new level model: the refusals of its planner are told, its goals are new.
        m_watched = level;
        m_goals.clear();
        m_problems.disconnect();
        m_upgradeProblems.disconnect();
        if (level)
        {
            GameController& controller = level->getController();
            m_problems = controller.problemSignal.connect([this](const cUnit::Ptr& unit, UnitProblem problem)
                                                          { onProblem(unit, problem); });
            m_upgradeProblems = controller.upgradeProblemSignal.connect(
                [this](const cUnit::Ptr& unit, UnitProblem problem) { onProblem(unit, problem); });
        }
    }
    if (level)
        reportGoals();
}

// ---------------------------------------------------------------------------------------------
// Starting, leaving and continuing

void LevelRun::startFresh()
{
    CGameEngine::instance().ChangeState(&CPlayState::instance());
    frameUntil([this] { return running(); }, "the level did not start");
}

void LevelRun::continueSaved()
{
    if (!GameConfig::instance().hasSavedLevel())
        throw BadInput{"there is no saved level to continue"};
    CMapState& map = CMapState::instance();
    if (topState() != &map && !dialogOnTop<cYesNoPanel>())
        CGameEngine::instance().ChangeState(&map);
    // The map asks at once when it was entered from the main menu; else its play button asks.
    if (!dialogOnTop<cYesNoPanel>())
    {
        frameUntil([&map] { return topState() == &map && map.getMap(); }, "the map did not open");
        if (!m_hand.press(*map.getMap()->getPlayButton(), true))
            throw BadInput{"the map's play button did not take the press"};
        frameUntil([] { return dialogOnTop<cYesNoPanel>(); }, "the map did not ask to continue the level");
    }
    m_hand.key(PlayerHand::Return);
    frameUntil([this] { return running(); }, "the continued level did not start");
    // A save the game read and refused is told and set aside as "<name>.damaged" (kept, not
    // removed), and the level starts afresh: no saved level is left.
    if (!GameConfig::instance().hasSavedLevel())
        throw BadInput{"the saved level cannot be continued"};
    std::cout << "restored at " << clock() << " s\n";
}

void LevelRun::save()
{
    if (!inLevel())
        return;
    frameUntil([this] { return running(); }, "the level does not run: it cannot be left");
    m_lastClock = clock();
    m_hand.key(PlayerHand::Escape);
    frameUntil([] { return dialogOnTop<cGameMenu>(); }, "Escape did not open the in-game menu");
    cGameMenu& menu = *CDialogState<cGameMenu>::instance().getPanel();
    if (!m_hand.press(*menu.getMapButton(), true))
        throw BadInput{"the in-game menu's map button did not take the press"};
    frameUntil([] { return dialogOnTop<cYesNoPanel>(); }, "the in-game menu did not ask before leaving");
    m_hand.key(PlayerHand::Return);
    frameUntil([] { return topState() == &CMapState::instance(); }, "the level was not left for the map");
    if (!GameConfig::instance().hasSavedLevel())
        throw BadInput{"the level was left but not saved"};
    ++m_saves;
    std::cout << "saved at " << m_lastClock << " s\n";
    keepSave();
}

void LevelRun::keepSave()
{
    if (m_keepSaves.empty())
        return;
    std::vector<char> bytes;
    Engine::cFileSystem::instance()->readFile(GameConfig::instance().savePath(), bytes);
    const std::filesystem::path to =
        std::filesystem::path(m_keepSaves) / ("save-" + std::to_string(m_saves) + ".bin");
    std::ofstream out(to, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw BadInput{to.string() + ": cannot be written"};
}

void LevelRun::finish()
{
    m_hand.setAfterFrame({});
    m_problems.disconnect();
    m_upgradeProblems.disconnect();
    m_watched = nullptr;
    CGameEngine& engine = CGameEngine::instance();
    while (engine.getStateCount())
        engine.PopState();
    engine.runShutdowns();
    Engine::cControl::deletePending();
}

// ---------------------------------------------------------------------------------------------
// The player's orders

bool LevelRun::click(const Command& command, bool upgrade)
{
    const char* verb = upgrade ? "upgrade" : "click";
    frameUntil([this] { return running() || !inLevel(); }, "the level does not run");
    const cUnit::Ptr unit = find(command.unitType, command.index);
    if (!unit)
    {
        std::cout << "at " << clock() << " s: no " << Engine::toUtf8(command.unitType) << "#" << command.index
                  << " to " << verb << " (script line " << command.line << ")\n";
        return true;
    }
    m_clicked = label(unit);
    m_clickedLine = command.line;
    m_clickedUnit = unit;
    cUnitView* view = unit->getView();
    Engine::cButtonPrototype* target = view;
    if (upgrade && view)
        target = view->getUpgradeButton();
    if (!target)
    {
        std::cout << "at " << clock() << " s: " << verb << " " << m_clicked << " went nowhere: it has "
                  << (view ? "no upgrade button" : "no view") << " (script line " << command.line << ")\n";
        m_clicked.clear();
        m_clickedUnit.reset();
        return true;
    }
    GameController& controller = game()->getController();
    // The goals waiting before the press: a goal that leaves the list in the frame of the press
    // must not hide the one the press adds, so the goals are compared, not counted (and held,
    // so that a new goal cannot take the place of one that left).
    const std::vector<GameController::GoalPtr> goalsBefore(controller.getPendingGoals().begin(),
                                                           controller.getPendingGoals().end());
    m_refused = false;
    m_accepted = false;
    bool reached = true;
    if (!target->isShown())
    {
        // Nothing to aim at: the player sees no such thing where it would be.
        const char* why = upgrade ? "its upgrade button is not shown" : "its view is hidden";
        std::cout << "at " << clock() << " s: " << verb << " " << m_clicked << " went nowhere: " << why
                  << "; at its place: " << describeAt(view->getPosition(), false) << " (script line "
                  << command.line << ")\n";
    }
    else if (!m_hand.press(*target, false))
    {
        reached = false;
        const Engine::cVector2 at = m_hand.pointer();
        std::cout << "at " << clock() << " s: " << verb << " " << m_clicked << " at " << place(at)
                  << " went nowhere: something else took the pointer; under the pointer: "
                  << describeAt(at, true) << " (script line " << command.line << ")\n";
    }
    else if (!m_refused && !m_accepted && game() &&
             std::all_of(controller.getPendingGoals().begin(), controller.getPendingGoals().end(),
                         [&goalsBefore](const GameController::GoalPtr& goal) {
                             return std::find(goalsBefore.begin(), goalsBefore.end(), goal) !=
                                    goalsBefore.end();
                         }))
        std::cout << "at " << clock() << " s: " << m_clicked << " made no goal ("
                  << noGoalReason(unit, upgrade) << ") (script line " << command.line << ")\n";
    m_clicked.clear();
    m_clickedUnit.reset();
    return reached;
}

std::string LevelRun::noGoalReason(const cUnit::Ptr& unit, bool upgrade) const
{
    cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr pointed = tutorial.getPointedUnit();
    if (pointed && (pointed != unit || tutorial.isUpgradeRestricted() != upgrade))
        return "the tutorial's tip at " + label(pointed) +
               (tutorial.isUpgradeRestricted() ? "'s upgrade button" : "") + " holds the click";
    // A click the planner passes over without a problem: the waiting goals fill the list, or
    // the unit takes no goal.
    return std::to_string(game()->getController().countWaitingGoals()) + " goals waiting";
}

void LevelRun::cancel()
{
    if (!inLevel())
        return;
    frameUntil([this] { return running(); }, "the level does not run");
    const cGameResources before = game()->getResources();
    m_hand.secondaryClick();
    // What came back: the counts that grew, as NAME:COUNT.
    std::string refund;
    if (Game* level = game())
        for (const auto& [id, count] : level->getResources().getItems())
            if (count > before.getCount(id))
                refund += (refund.empty() ? "" : " ") +
                          Engine::toUtf8(GameConfig::instance().resourceNames().nameOf(id)) + ":" +
                          std::to_string(count - before.getCount(id));
    std::cout << "at " << clock() << " s: cancel, refund " << (refund.empty() ? "nothing" : refund) << "\n";
}

// ---------------------------------------------------------------------------------------------
// What is told

cUnit::Ptr LevelRun::find(const std::wstring& type, int index) const
{
    Game* level = game();
    if (!level)
        return cUnit::Ptr();
    const auto range = level->getUnits().equal_range(GameConfig::instance().getTypeId(type));
    const cUnit::Ptr aside = m_aside.lock();
    int seen = 0;
    for (auto it = range.first; it != range.second; ++it)
        // The unit set aside is passed over where the name would land on it.
        if (!it->second->isRemoved() && ++seen >= index && it->second != aside)
            return it->second;
    return cUnit::Ptr();
}

namespace
{

// The units of its type still on the field up to it (all of them when it has left).
int standingUpTo(Game& game, const cUnit::Ptr& unit)
{
    const auto range = game.getUnits().equal_range(unit->getTypeId());
    int seen = 0;
    for (auto it = range.first; it != range.second; ++it)
        if (!it->second->isRemoved())
        {
            ++seen;
            if (it->second == unit)
                break;
        }
    return seen;
}

} // namespace

std::string scriptLabel(Game& game, const cUnit::Ptr& unit)
{
    if (!unit)
        return "?";
    return Engine::toUtf8(unit->typeName) + "#" + std::to_string(standingUpTo(game, unit));
}

std::string LevelRun::label(const cUnit::Ptr& unit) const
{
    Game* level = game();
    return level ? scriptLabel(*level, unit) : "?";
}

int LevelRun::numberOf(const cUnit::Ptr& unit) const
{
    return unit && !unit->isRemoved() && game() ? standingUpTo(*game(), unit) : 0;
}

std::string LevelRun::nameOf(const Engine::cView* view) const
{
    if (const auto* unitView = dynamic_cast<const cUnitView*>(view))
        return label(unitView->getUnit());
    if (const auto* owner = dynamic_cast<const cUnitView*>(view->getParent()))
        if (owner->getUpgradeButton() == view)
            return "the upgrade button of " + label(owner->getUnit());
    if (ancestor<cTooltipView>(view))
        return "a tip window";
    if (ancestor<cTutorTipView>(view))
        return "the tutorial's tip";
    if (ancestor<cStatusPanel>(view))
        return "the status panel";
    const std::string picture = view->getTextureName();
    return className(*view) + (picture.empty() ? "" : " \"" + picture + "\"");
}

std::string LevelRun::describeAt(const Engine::cVector2& at, bool pointerThere) const
{
    std::string text;
    std::string last;
    int told = 0;
    for (const Engine::cView* view : PlayerHand::viewsAt(at))
    {
        // The pieces of one thing (a panel's pictures) are told once.
        const std::string name = nameOf(view);
        if (name == last)
            continue;
        last = name;
        if (++told > 3)
        {
            text += ", ...";
            break;
        }
        text += (text.empty() ? "" : ", then ") + name;
    }
    if (text.empty())
        text = "nothing";
    if (const Engine::cButtonPrototype* holder = Engine::cButtonPrototype::buttonUnderPointer;
        holder && pointerThere)
        text += "; the pointer held by " + nameOf(holder);
    return text;
}

void LevelRun::onProblem(const cUnit::Ptr& unit, UnitProblem problem)
{
    if (problem == NoProblem)
    {
        // A building raised at once, without a hero.
        m_accepted = true;
        return;
    }
    m_refused = true;
    // The clicked unit under the name the script gave it, even when the click took it away.
    std::cout << "at " << clock() << " s: " << (unit == m_clickedUnit ? m_clicked : label(unit))
              << " refused: problem " << static_cast<int>(problem) << " " << problemName(problem);
    if (unit == m_clickedUnit && m_clickedLine > 0)
        std::cout << " (script line " << m_clickedLine << ")";
    std::cout << "\n";
}

void LevelRun::reportGoals()
{
    Game* level = game();
    std::map<const Goal*, std::pair<int, std::string>> now;
    for (const GameController::GoalPtr& goal : level->getController().getPendingGoals())
    {
        const int status = goal->getStatus();
        const auto before = m_goals.find(goal.get());
        const std::string target = before == m_goals.end() ? label(goal->getTarget()) : before->second.second;
        now[goal.get()] = {status, target};
        if (before == m_goals.end())
            std::cout << "at " << clock() << " s: goal " << target << " queued\n";
        if (status == Goal::Assigned && (before == m_goals.end() || before->second.first == Goal::Waiting))
            std::cout << "at " << clock() << " s: goal " << target << " taken by " << label(goal->getHero())
                      << "\n";
    }
    for (const auto& [goal, entry] : m_goals)
        if (!now.count(goal))
            std::cout << "at " << clock() << " s: goal " << entry.second
                      << " left the list (done or cancelled); resources "
                      << Engine::toUtf8(level->getResources().toText(false)) << "\n";
    m_goals.swap(now);
}

} // namespace LevelPlay
