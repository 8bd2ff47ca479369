#include "game/heroes/CataclysmActionItem.h"

#include "engine/core/Random.h"
#include "engine/core/tween/Easing.h"
#include "engine/core/tween/Tweener.h"
#include "engine/ui/cView.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/TweenPosition.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"

#include <boost/make_shared.hpp>

#include <cmath>
#include <cstdlib>

namespace
{

const ActionItemRegistration registration(CataclysmAction, &createActionItem<CataclysmActionItem>);

// Seconds of one jump of a shaking view.
constexpr float kShakeStep = 0.1f;

// A copy of the level's units: destroying a unit takes it out of the tables.
std::vector<cUnit::Ptr> levelUnits(Game& game)
{
    std::vector<cUnit::Ptr> units;
    for (const auto& entry : game.getUnitsByCategory())
        units.push_back(entry.second);
    return units;
}

bool standsStill(const cUnit& unit)
{
    const eUnitState state = unit.getState();
    if (state == eUnitState::hidden || state == eUnitState::falling || state == eUnitState::move ||
        state == eUnitState::carry)
        return false;
    GameConfig& config = GameConfig::instance();
    const int type = unit.getTypeId();
    return !config.isOfCategory(type, UnitCategory::hero) &&
           !config.isOfCategory(type, UnitCategory::attach) &&
           !config.isOfCategory(type, UnitCategory::ambient);
}

// A whole number from 0 up to the amplitude (excluded).
float jump(float amplitude)
{
    return static_cast<float>(static_cast<int>(Engine::random15() / 32768.0 * amplitude));
}

} // namespace

CataclysmActionItem::CataclysmActionItem() : ActionItem(CataclysmAction) {}

CataclysmActionItem::CataclysmActionItem(int index) : ActionItem(CataclysmAction), m_index(index) {}

CataclysmActionItem::~CataclysmActionItem() = default;

void CataclysmActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    archive.write4(m_index);
    archive.write4(m_elapsed);
    archive.write4(m_duration);
    archive.write4(m_amplitude);
}

void CataclysmActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    archive.read4(m_index);
    archive.read4(m_elapsed);
    archive.read4(m_duration);
    archive.read4(m_amplitude);
    Game* game = Game::instance();
    if (m_index < 0 || static_cast<size_t>(m_index) >= game->getCataclysms().size())
        archive.fail("cataclysm " + std::to_string(m_index) + " of " +
                     std::to_string(game->getCataclysms().size()));
    // The shaking grows towards three times the quake's strength (overshooting it a little on
    // the way), and its time runs from 0 up to its length: anything else is a damaged save,
    // and a wild amplitude would throw the views off by more than any number holds.
    const float strongest =
        6.0f * static_cast<float>(
                   std::abs(game->getCataclysms().at(static_cast<size_t>(m_index)).RichterPoints)) +
        1.0f;
    const auto time = [](float value) { return std::isfinite(value) && value >= 0.0f && value <= 1.0e6f; };
    if (!std::isfinite(m_amplitude) || std::fabs(m_amplitude) > strongest || !time(m_elapsed) ||
        !time(m_duration))
        archive.fail("a quake shaking " + std::to_string(m_amplitude) + " at " + std::to_string(m_elapsed) +
                     " of " + std::to_string(m_duration) + " s");
    if (m_active)
        setUp();
}

void CataclysmActionItem::start()
{
    m_duration =
        static_cast<float>(Game::instance()->getCataclysms().at(static_cast<size_t>(m_index)).Duration);
    setUp();
    ActionItem::start();
}

void CataclysmActionItem::setUp()
{
    Game* game = Game::instance();
    m_shakes.clear();
    m_tweener = std::make_unique<Engine::tween::Tweener>();
    for (const cUnit::Ptr& unit : levelUnits(*game))
    {
        if (unit->isRemoved())
            continue;
        if (unit->getDisappearOnCataclysm() == m_index)
            unit->setState(eUnitState::destroy, -1);
        if (standsStill(*unit) && unit->getUnitView())
            shake(unit->getUnitView(), unit);
    }
    if (Engine::cView* background = game->getBackgroundContainer())
        shake(background, cUnit::Ptr());
    const int richter = game->getCataclysms().at(static_cast<size_t>(m_index)).RichterPoints;
    auto amplitude = boost::make_shared<Engine::tween::TweenerParam>(m_duration, Engine::tween::kBack,
                                                                     Engine::tween::kEaseOut, 0.0f);
    amplitude->addProperty(&m_amplitude, static_cast<float>(richter) * 3.0f);
    m_tweener->add(amplitude);
}

void CataclysmActionItem::shake(Engine::cView* view, const UnitPtr& unit)
{
    // Views shake around the place they stand on (for a unit's view, its unit's place).
    auto record = std::make_unique<Shake>();
    record->view = view;
    record->base = view->getPosition();
    Shake& shaken = *record;
    if (unit)
        shaken.removed = unit->connectRemoved([this, &shaken](const cUnit::Ptr&) { stopShake(shaken); });
    m_shakes.push_back(std::move(record));
    shakeStep(shaken);
}

void CataclysmActionItem::shakeStep(Shake& shaken)
{
    const boost::shared_ptr<Engine::TweenPosition> previous = shaken.tween;
    shaken.tween.reset();
    if (m_elapsed >= m_duration)
        shaken.view->setPosition(shaken.base);
    else
    {
        const float remaining = m_duration - m_elapsed;
        const float time = remaining <= kShakeStep ? remaining : kShakeStep;
        Engine::cVector2 target = shaken.base;
        if (remaining > kShakeStep)
        {
            const float a = jump(m_amplitude);
            const float b = jump(m_amplitude);
            target += Engine::cVector2(a, b);
        }
        shaken.tween =
            boost::make_shared<Engine::TweenPosition>(shaken.view, shaken.view->getPosition(), target, time,
                                                      Engine::tween::kLinear, Engine::tween::kEaseIn, 0.0f);
        shaken.tween->completeSignal.connect([this, &shaken](const auto&) { shakeStep(shaken); });
        m_tweener->add(shaken.tween);
    }
    if (previous)
        m_tweener->remove(previous);
}

void CataclysmActionItem::stopShake(Shake& shaken)
{
    if (shaken.tween && m_tweener)
        m_tweener->remove(shaken.tween);
    shaken.tween.reset();
    shaken.removed.disconnect();
}

void CataclysmActionItem::update()
{
    m_elapsed += frameTime();
    if (m_elapsed > m_duration)
        m_elapsed = m_duration;
    if (m_tweener)
        m_tweener->step(frameTime());
    if (m_elapsed == m_duration)
        finish();
}

void CataclysmActionItem::finish()
{
    // The last jump of a view may still be under way: every view still shaking is put back.
    for (const auto& shaken : m_shakes)
        if (shaken->tween)
            shaken->view->setPosition(shaken->base);
    m_shakes.clear();
    m_tweener.reset();
    Game* game = Game::instance();
    for (const cUnit::Ptr& unit : levelUnits(*game))
    {
        if (unit->isRemoved())
            continue;
        if (unit->getDisappearOnCataclysm() == m_index)
        {
            game->getController().endGoalsOn(unit);
            unit->destroy();
        }
        if (!unit->isRemoved() && unit->getAppearOnCataclysm() == m_index)
            unit->setState(eUnitState::idle, -1);
    }
    notifyFinished();
}
