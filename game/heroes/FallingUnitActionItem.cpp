#include "game/heroes/FallingUnitActionItem.h"

#include "engine/core/Random.h"
#include "engine/core/cProperties.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitView.h"
#include "game/world/cGameSounds.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(FallingUnitAction, &createActionItem<FallingUnitActionItem>);

} // namespace

FallingUnitActionItem::FallingUnitActionItem() : ActionItem(FallingUnitAction) {}

FallingUnitActionItem::FallingUnitActionItem(const UnitPtr& unit)
    : ActionItem(FallingUnitAction), m_unit(unit)
{
    buildViews();
}

FallingUnitActionItem::~FallingUnitActionItem() = default;

bool FallingUnitActionItem::isBase() const
{
    return GameConfig::instance().isOfCategory(m_unit->getTypeId(), UnitCategory::base);
}

void FallingUnitActionItem::buildViews()
{
    const Engine::tPropertiesPtr root =
        Engine::cResourceManager::instance()->getXml("Effects/Fall.xml", true);
    root->get(L"FallingHeight", m_fallingHeight);
    root->get(L"FallingSpeed", m_fallingSpeed);
    if (m_fallingSpeed == 0.0f)
    {
        // The fall takes a time drawn from the range; the lowest start height falls in it.
        Engine::cVector2 range;
        root->get(isBase() ? L"FallingBaseTime" : L"FallingTime", range);
        float time = randomRange(range.x, range.y);
        if (time <= 0.0f)
            time = 1.0f;
        m_fallingSpeed = m_fallingHeight.x / time;
    }
    Engine::cView* parent = getPlayView();
    m_shadow = new Engine::cPicture(parent);
    Engine::loadChildXML(m_shadow, root, isBase() ? L"BaseShadow" : L"Shadow", nullptr);
    m_shadow->hide();
    m_unit->setAttachedVisible(false);
    m_parachute = new Engine::cPicture(parent);
    Engine::loadChildXML(m_parachute, root, L"Parachute", nullptr);
    m_parachuteOffset = m_parachute->getPosition();
    m_parachuteDepth = m_parachute->getDeep();
    // Shown when the fall starts, over the unit: a unit waits hidden before it falls.
    m_parachute->hide();
}

void FallingUnitActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_unit);
    archive.write4(m_groundOffset);
    archive.write4(m_startHeight);
    archive.write4(m_fallDistance);
    archive.write4(m_shadow ? m_shadow->getAlpha() : 0.0f);
}

void FallingUnitActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_unit = readUnit(archive, units);
    if (!m_unit)
        archive.fail("a fall without a unit");
    archive.read4(m_groundOffset);
    archive.read4(m_startHeight);
    archive.read4(m_fallDistance);
    float alpha = 0.0f;
    archive.read4(alpha);
    buildViews();
    m_shadow->setPosition(Game::instance()->unitPos(m_unit));
    m_shadow->setAlpha(alpha);
    if (m_active)
    {
        m_shadow->show();
        if (!isBase())
            m_parachute->show();
        placeViews(m_unit->getFallOffset());
    }
}

void FallingUnitActionItem::start()
{
    m_unit->setState(eUnitState::falling, -1);
    m_groundOffset = m_unit->getFallOffset();
    m_startHeight = randomRange(m_fallingHeight.x, m_fallingHeight.y);
    m_unit->setFallOffset(m_startHeight);
    m_fallDistance = m_startHeight - m_groundOffset;
    m_shadow->setPosition(Game::instance()->unitPos(m_unit));
    m_shadow->setAlpha(0.0f);
    m_shadow->show();
    if (!isBase())
        m_parachute->show();
    placeViews(m_startHeight);
    ActionItem::start();
}

void FallingUnitActionItem::update()
{
    if (isDone() || !m_shadow)
        return;
    const float offset = m_unit->getFallOffset() - m_fallingSpeed * frameTime();
    // A speed of 0 (a range of heights from 0 in the data) would never land.
    if (offset < m_groundOffset || m_fallingSpeed <= 0.0f)
    {
        m_unit->setFallOffset(m_groundOffset);
        m_parachute->hide();
        m_shadow->hide();
        finish();
        return;
    }
    m_unit->setFallOffset(offset);
    placeViews(offset);
}

void FallingUnitActionItem::placeViews(float offset)
{
    Game* game = Game::instance();
    const UnitView* view = m_unit->getUnitView();
    m_parachute->setPosition(game->getUnitFieldPos(m_unit) + m_parachuteOffset);
    m_parachute->setDeep((view ? view->getDeep() : 0.0f) + m_parachuteDepth);
    m_shadow->setDeep(m_parachute->getDeep() - 1.0f);
    if (m_fallDistance > 0.0f)
        m_shadow->setAlpha((m_startHeight - offset) / m_fallDistance);
}

void FallingUnitActionItem::finish()
{
    m_unit->setState(eUnitState::idle, -1);
    if (isBase())
    {
        m_unit->showTip(1);
        if (cGameSounds* sounds = cGameSounds::instance())
            sounds->play("base_fall");
        // The dust is made only when a base lands: a level whose base drops in at its start
        // loads without a particle library.
        m_dust = new Engine::cPyro(getPlayView());
        Engine::loadChildXML(m_dust, Engine::cResourceManager::instance()->getXml("Effects/Fall.xml", true),
                             L"BaseDust", nullptr);
        if (const UnitView* view = m_unit->getUnitView())
            m_dust->setPosition(view->getPosition());
        m_dust->play(true, 0.0f);
        m_dust->show();
    }
    m_unit->setAttachedVisible(true);
    m_shadow->hide();
    Engine::cControl::deleteLater(m_shadow);
    Engine::cControl::deleteLater(m_parachute);
    m_shadow = nullptr;
    m_parachute = nullptr;
    notifyFinished();
}
