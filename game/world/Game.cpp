#include "game/world/Game.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cLogFile.h"
#include "engine/core/cLogManager.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "game/heroes/Goal.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitTypeInfo.h"

#include <boost/bind/bind.hpp>

#include <cmath>
#include <cstdio>
#include <exception>

using namespace boost::placeholders;

namespace
{

Engine::tPropertiesPtr layout(const char* path)
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        throw "Game: the level's views are read through the resource manager, which does not exist.";
    return resources->getXml(path, true);
}

} // namespace

Game::Game() : Game(LevelViews::standard()) {}

Game::Game(LevelViews& views) : m_views(views)
{
    const Engine::cPoint size = GameConfig::instance().getConstants().MapSize;
    m_occupancy.setSize(size.x, size.y);
    m_ground.setSize(size.x, size.y);
    m_occupancy.setBonusFlags(&m_bonusSpeedHero, &m_bonusSpeedMan);
    m_ground.setBonusFlags(&m_bonusSpeedHero, &m_bonusSpeedMan);

    m_controller.problemSignal.connect(boost::bind(&LevelViews::onProblem, &m_views, _1, _2));
    m_controller.upgradeProblemSignal.connect(boost::bind(&LevelViews::onUpgradeProblem, &m_views, _1, _2));

    m_garbageView = new Engine::cPicture(getPlayView());
    m_garbageView->loadXML(layout("Effects/garbage.xml"));
    m_garbageView->hide();

    m_obstacleArrow = m_views.makeObstacleArrow();
}

Game::~Game()
{
    // A level left unfinished, or one that failed half built, writes no file of the player (only
    // a win writes the best times, CPlayState::onLevelWon), and its end reaches no other manager:
    // after a fatal error it comes in the exit handlers, once the managers may be gone.
    // The units may outlive the level in the hands of their views: none of their signals may
    // reach this model or its planner any more.
    for (auto& connection : m_unitConnections)
        connection.disconnect();
    // A unit holds its goal and its walk home, and they hold the unit: a level left while
    // heroes work would keep every unit they reach alive.
    for (const auto& entry : m_unitsByType)
        releaseUnitLinks(entry.second);
    for (const auto& goal : m_controller.getPendingGoals())
    {
        releaseUnitLinks(goal->getTarget());
        releaseUnitLinks(goal->getHero());
    }
}

void Game::releaseUnitLinks(const cUnit::Ptr& unit)
{
    if (!unit)
        return;
    if (unit->getGoal())
        unit->resetGoal();
    unit->homeChain.reset();
    for (const cUnit::Ptr& child : unit->getAttached())
        releaseUnitLinks(child);
}

void Game::reportError(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    try
    {
        if (Engine::cLogManager* logs = Engine::cLogManager::instance())
            logs->getLog(L"error", false)->printf("%s", text.c_str());
    }
    catch (const Engine::cStringW&)
    {
        // The log cannot be opened; the text went to the standard error stream above.
    }
}

void Game::logLevelNote(const std::string& text)
{
    try
    {
        if (Engine::cLogManager* logs = Engine::cLogManager::instance())
            logs->getLog(L"level", false)->printf("%s", text.c_str());
    }
    catch (const Engine::cStringW&)
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

std::wstring Game::levelPath(int level)
{
    return L"Levels/n" + std::to_wstring(level) + L".xml";
}

void Game::registerUnitType(int typeId)
{
    m_levelTypes.insert(typeId);
    GameConfig& config = GameConfig::instance();
    // A type without a record has no "Attach" to follow.
    const auto info = config.getTypeInfo(typeId);
    if (!info || info->attachTypeId == -1)
        return;
    m_levelTypes.insert(info->attachTypeId);
    const auto attach = config.getTypeInfo(info->attachTypeId);
    if (attach && attach->attachTypeId != -1)
        m_levelTypes.insert(attach->attachTypeId);
}

boost::signals2::connection Game::connectLevelFinished(const Slot& slot)
{
    return m_levelFinished.connect(slot);
}

boost::signals2::connection Game::connectResourcesGained(const ResourcesSlot& slot)
{
    return m_resourcesGained.connect(slot);
}

std::vector<cUnit::Ptr> Game::unitsOf(const UnitMap& table)
{
    std::vector<cUnit::Ptr> units;
    units.reserve(table.size());
    for (const auto& entry : table)
        units.push_back(entry.second);
    return units;
}

std::vector<cUnit::Ptr> Game::unitsOfCategory(const wchar_t* category) const
{
    const int id = GameConfig::instance().getCategoryId(category);
    std::vector<cUnit::Ptr> units;
    const auto range = m_unitsByCategory.equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        units.push_back(it->second);
    return units;
}

bool Game::isOfCategory(const cUnit::Ptr& unit, const wchar_t* category) const
{
    return unit && GameConfig::instance().isOfCategory(unit->getTypeId(), category);
}

bool Game::isResourceName(const std::wstring& name)
{
    return name == L"Money" || name == L"Steel" || name == L"Accum" || name == L"Cement" ||
           name == L"Hardware" || name == L"Brick";
}

bool Game::mentionsLevelUnitType(std::string text) const
{
    const NameIdTable& names = GameConfig::instance().unitNames();
    for (int typeId : m_levelTypes)
    {
        const std::string name = Engine::toUtf8(names.nameOf(typeId));
        if (text.find(name) != std::string::npos)
            return true;
    }
    return false;
}

int angleToDirection(float angle, int directions)
{
    if (directions < 1)
        return 0;
    float a = angle;
    if (angle < 0.0f)
        a = angle + 360.0f;
    const float width = 360.0f / static_cast<float>(directions);
    const float half = width / 2.0f;
    const bool below = a < half + 90.0f;
    a = a - (half + 90.0f);
    if (below)
        a += 360.0f;
    a = 360.0f - a;
    const int sector = static_cast<int>(std::floor(a / width));
    // Exactly on the upper edge of the last sector the formula gives one past it: that angle
    // belongs to sector 0.
    return sector >= directions ? 0 : sector;
}
