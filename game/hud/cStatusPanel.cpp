#include "game/hud/cStatusPanel.h"

#include "engine/core/StringUtils.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

cStatusPanel::cStatusPanel(Engine::cControl* parent) : Engine::cPicture(parent) {}

void cStatusPanel::update()
{
    if (isEffectivelyEnabled())
    {
        updateTime();
        updateMedal();
    }
    Engine::cPicture::update();
}

void cStatusPanel::updateTime()
{
    const Game* game = Game::instance();
    if (!game)
        return;
    const float time = game->getLevelTime();
    // Any difference counts, an unordered one too.
    if (time == m_shownTime)
        return;
    m_shownTime = time;
    m_timeText = Engine::timeToString(time);
}

int cStatusPanel::medalFor(float time, float goldTime, float silverTime)
{
    if (time <= goldTime)
        return 0;
    return time <= silverTime ? 1 : 2;
}

void cStatusPanel::updateMedal()
{
    if (const Game* game = Game::instance())
        m_medalState = medalFor(game->getLevelTime(), game->getGoldTime(), game->getSilverTime());
}

void cStatusPanel::updateResources()
{
    Game* game = Game::instance();
    if (!game)
        return;
    const NameIdTable& names = GameConfig::instance().resourceNames();
    for (const auto& [id, count] : game->getResources().getItems())
        m_resourceTexts[names.nameOf(id)] = std::to_wstring(count);
}

std::wstring cStatusPanel::getResourceText(const std::wstring& name) const
{
    const auto found = m_resourceTexts.find(name);
    return found == m_resourceTexts.end() ? std::wstring() : found->second;
}

void cStatusPanel::updateGoals()
{
    const Game* game = Game::instance();
    if (!game)
        return;
    std::map<std::string, GoalRow> categories;
    for (const LevelGoal& goal : game->getLevelGoals())
    {
        if (goal.goalCategory.empty())
            return;
        GoalRow& row = categories[goal.goalCategory];
        row.category = goal.goalCategory;
        ++row.total;
        if (goal.done)
            ++row.done;
    }
    m_rows.clear();
    for (const auto& entry : categories)
        m_rows.push_back(entry.second);
}
