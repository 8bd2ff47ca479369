#include "game/hud/cUnitView.h"

#include "engine/core/Random.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "game/heroes/GameController.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/ViewState.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/GameTrace.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/cGameSounds.h"

#include <boost/bind/bind.hpp>

#include <cmath>
#include <string>

using namespace boost::placeholders;

namespace
{

constexpr float kHeadUpDeep = 6000.0f;
// The value of an offset that means "none".
const Engine::cVector2 kNoOffset(-1000.0f, -1000.0f);

float frameTime()
{
    const Engine::cTimer* timer = Engine::cTimer::instance();
    return timer ? timer->getFrameTime() : 0.0f;
}

bool isWalking(eUnitState state)
{
    return state == eUnitState::move || state == eUnitState::carry || state == eUnitState::moveTo ||
           state == eUnitState::moveBack;
}

Engine::tPropertiesPtr layout(const char* path)
{
    return Engine::cResourceManager::instance()->getXml(path, true);
}

} // namespace

cUnitView::cUnitView(Engine::cControl* parent) : UnitView(parent) {}

cUnitView::~cUnitView()
{
    // The unit may outlive its view (the level's tables, an action still hold it): it must not
    // keep pointing at a deleted view.
    if (m_unit && m_unit->getView() == this)
        m_unit->setView(nullptr);
    // Borrowed parts belong to their view state, which shows them on other units of the type:
    // they must not be deleted with this view.
    for (Engine::cButton* part : m_borrowed)
    {
        if (!getChildren().count(part))
            continue;
        part->hide();
        part->setParent(nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// The unit

void cUnitView::setUnit(const cUnit::Ptr& unit)
{
    m_unit = unit;
    m_stateConnection = unit->connectStateChanged(boost::bind(&cUnitView::applyState, this, _1));
    m_refreshConnection = unit->connectRefreshed(boost::bind(&cUnitView::onRefresh, this, _1));
    m_angleConnection = unit->connectAngleChanged(boost::bind(&cUnitView::onAngleChanged, this, _1));
    m_positionConnection = unit->connectPositionChanged(boost::bind(&cUnitView::updatePosition, this, _1));
    m_removedConnection = unit->connectRemoved(boost::bind(&cUnitView::onRemoved, this, _1));
    m_levelConnection = unit->connectLevelChanged(boost::bind(&cUnitView::onLevelChanged, this, _1));
    onLevelChanged(unit);
    updatePosition(unit);
    unit->setView(this);
}

void cUnitView::setDepthLayer(int layer)
{
    m_depthLayer = layer;
    if (m_unit)
        updatePosition(m_unit);
}

boost::shared_ptr<UnitViewDescription> cUnitView::getDescription() const
{
    return m_unit ? UnitViewLibrary::instance().findOrLoad(m_unit->getTypeId())
                  : boost::shared_ptr<UnitViewDescription>();
}

bool cUnitView::isDescribed() const
{
    return static_cast<bool>(getDescription());
}

Engine::cVector2 cUnitView::getProgressOffset() const
{
    const auto description = getDescription();
    return description ? description->getProgressOffset() : Engine::cVector2();
}

std::string cUnitView::getStateSound(int level, eUnitState state) const
{
    const auto description = getDescription();
    const auto shown = description ? description->getStateName(static_cast<unsigned>(level), state)
                                   : boost::shared_ptr<ViewState>();
    return shown ? shown->soundId : std::string();
}

boost::shared_ptr<ViewState> cUnitView::currentState() const
{
    const auto description = getDescription();
    if (!description || !m_unit)
        return {};
    return description->getStateName(static_cast<unsigned>(m_unit->getLevel()), m_unit->getState());
}

const std::map<std::wstring, boost::shared_ptr<ViewState>>* cUnitView::currentSubStates() const
{
    const auto state = currentState();
    // A "Rotate" or "PlayCycles" state without a sub-state has nothing to show: the look stays.
    if (!state || state->getSubStates().empty())
        return nullptr;
    return &state->getSubStates();
}

bool cUnitView::isOfCategory(const wchar_t* category) const
{
    return m_unit && GameConfig::instance().isOfCategory(m_unit->getTypeId(), category);
}

void cUnitView::onAngleChanged(const cUnit::Ptr& unit)
{
    // A walk turns its walker a little nearly every frame; the look is made again only when
    // the new heading shows another picture.
    if (turnKeepsLook(*unit))
        return;
    applyState(unit);
}

bool cUnitView::turnKeepsLook(const cUnit& unit) const
{
    if (!m_applied.valid || m_reverse || !isWalking(unit.getState()) || unit.getLevel() != m_applied.level ||
        unit.getState() != m_applied.state || unit.getStateTypeId() != m_applied.stateTypeId)
        return false;
    const auto description = getDescription();
    if (!description)
        return false;
    boost::shared_ptr<ViewState> state =
        description->getStateName(static_cast<unsigned>(unit.getLevel()), unit.getState());
    if (!state || state->isComplex() || state->isPlayCycles() || state->isRotate() || state->isById())
        return false;
    if (unit.getStateTypeId() != -1)
        state = state->getSubState(GameConfig::instance().unitNames().nameOf(unit.getStateTypeId()));
    if (!state || !state->getSubStates().empty() || !state->getSoundId().empty())
        return false;
    return state->getViewByAngle(unit.getAngle()) == state->getViewByAngle(m_applied.angle) &&
           state->getOffsetByAngle(unit.getAngle()) == state->getOffsetByAngle(m_applied.angle);
}

void cUnitView::onLevelChanged(const cUnit::Ptr& unit)
{
    applyState(unit);
    refreshUpgradeButton();
    refreshUpgradeButtonState();
    refreshUpgradeIndicator();
}

void cUnitView::onRemoved(const cUnit::Ptr&)
{
    deleteLater(this);
}

void cUnitView::onRefresh(const cUnit::Ptr&)
{
    if (frames_count > 0)
        setFrame(frames_count - 1);
}

// ---------------------------------------------------------------------------------------------
// The look

void cUnitView::applyState(const cUnit::Ptr& unit)
{
    m_applied.valid = true;
    m_applied.level = unit->getLevel();
    m_applied.state = unit->getState();
    m_applied.stateTypeId = unit->getStateTypeId();
    m_applied.angle = unit->getAngle();
    const auto description = getDescription();
    const float t0 = getAnimTime();
    const bool x0 = getInverceX();
    const int32_t input = getState();
    unsigned startFrame = 0;
    if (description)
    {
        boost::shared_ptr<ViewState> state =
            description->getStateName(static_cast<unsigned>(unit->getLevel()), unit->getState());
        if (state)
        {
            if (state->isComplex())
            {
                showComplex(*state);
            }
            else if (state->isPlayCycles())
            {
                showNextSubState();
            }
            else if (state->isRotate())
            {
                showRandomSubState();
                m_cycleCountdown = 0.0f;
            }
            else if (state->isById())
            {
                if (state->isPlayBack())
                {
                    m_reverse = true;
                }
                else
                {
                    showById(unit, *state);
                    m_cycleCountdown = 0.0f;
                    m_reverse = false;
                }
            }
            else
            {
                if (unit->getStateTypeId() != -1)
                    state =
                        state->getSubState(GameConfig::instance().unitNames().nameOf(unit->getStateTypeId()));
                hideStateChildren();
                if (state && !state->showByAngle(static_cast<int>(unit->getAngle()), *this))
                    showDirectional(unit, *state);
                m_cycleCountdown = 0.0f;
            }
            // Some looks are copied whole, the template's input with them. The view's own input
            // state again: a press held on the unit goes on to its click, and a hover stays,
            // while the unit grows or starts to work.
            setState(input);
            passPressesOn();
            if (state)
            {
                activate();
                show();
                m_deepOffset = state->getDeepOffset();
                startFrame = state->getStartFrame();
                playStateSound(*state);
            }
        }
    }
    if (unit->getState() == eUnitState::hidden)
        hide();
    else
        show();
    updatePosition(unit);
    refreshUpgradeButton();
    refreshUpgradeButtonState();
    refreshUpgradeIndicator();

    if (m_reverse)
    {
        PlayAnimation = false;
        invalidate();
    }
    else if (isWalking(unit->getState()))
    {
        // A walk keeps its phase; a turn to the mirrored side starts at the opposite half.
        setAnimTime(getInverceX() != x0 ? t0 + 0.5f * anim_length : t0);
    }
    else
    {
        setFrame(startFrame);
    }
}

void cUnitView::playStateSound(const ViewState& state) const
{
    if (state.getSoundId().empty() || isOfCategory(UnitCategory::animal))
        return;
    // Nothing sounds while the level is being built or after it was left.
    if (!levelViews().isLevelRunning())
        return;
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playSingle(state.getSoundId(), 0.2f, 0.0f);
}

void cUnitView::copyLook(const Engine::cButton& source)
{
    const Engine::cVector2 position = getPosition();
    const float deep = getDeep();
    // The copy replaces the view's own position without moving its children: moving to the
    // template's place first keeps the children where they are relative to the view.
    setPosition(source.getPosition());
    copyFrom(source);
    setPosition(position);
    setDeep(deep);
    // The template's effects are copied hidden (the template is): on the unit they belong to
    // the look.
    for (Engine::cView* effect : getParticleChildren())
        effect->show();
}

void cUnitView::passPressesOn()
{
    if (!m_unit || !GameController::isNeverOrdered(m_unit) || !getIsDeepProcessing())
        return;
    letGoOfPointer();
    setIsDeepProcessing(false);
}

void cUnitView::adoptPart(Engine::cButton* part)
{
    part->setParent(this);
    m_borrowed.insert(part);
}

void cUnitView::showComplex(ViewState& state)
{
    state.showComplex(*this);
    m_viewOffset = state.getPosOffset();
}

boost::shared_ptr<Engine::cButton> cUnitView::showDirectional(const cUnit::Ptr& unit, ViewState& state)
{
    const auto view = state.getViewByAngle(unit->getAngle());
    if (view)
        copyLook(*view);
    m_viewOffset = state.getOffsetByAngle(unit->getAngle());
    return view;
}

boost::shared_ptr<Engine::cButton> cUnitView::showById(const cUnit::Ptr& unit, ViewState& state)
{
    if (unit->getViewStateId().empty())
        unit->setViewStateId(L"default");
    const auto view = state.getById(unit->getViewStateId());
    if (view)
        copyLook(*view);
    m_viewOffset = state.getPosOffset();
    return view;
}

void cUnitView::showRandomSubState()
{
    m_repickCountdown = -1.0f;
    const ViewState::SubStates* subStates = currentSubStates();
    if (!subStates)
        return;
    auto chosen = subStates->begin();
    std::advance(chosen, randomInt(0, static_cast<int>(subStates->size())));
    const auto view = showDirectional(m_unit, *chosen->second);
    m_repickCountdown = (view ? view->anim_length : 0.0f) * static_cast<float>(randomInt(1, 3));
    if (m_repickCountdown == 0.0f)
        m_repickCountdown = 1.0f;
}

void cUnitView::showNextSubState()
{
    const ViewState::SubStates* subStates = currentSubStates();
    if (!subStates)
        return;
    ++m_sequenceIndex;
    if (m_sequenceIndex >= static_cast<int>(subStates->size()) || m_sequenceIndex < 0)
        m_sequenceIndex = 0;
    auto next = subStates->begin();
    std::advance(next, m_sequenceIndex);
    ViewState& sub = *next->second;
    const auto view = showDirectional(m_unit, sub);
    playStateSound(sub);
    m_cycleCountdown = (view ? view->anim_length : 0.0f) *
                       static_cast<float>(randomInt(sub.getCyclesMin(), sub.getCyclesMax()));
    if (view)
        view->setAnimTime(0.0f);
}

void cUnitView::hideStateChildren()
{
    for (Engine::cControl* child : std::vector<Engine::cControl*>(getChildren().begin(), getChildren().end()))
    {
        if (child == m_upgradeButton || child == m_upgradeIndicator)
            continue;
        child->hide();
    }
}

void cUnitView::update()
{
    Engine::cButton::update();
    const float dt = frameTime();
    if (m_reverse)
    {
        setAnimTime(getAnimTime() - dt);
        return;
    }
    if (m_cycleCountdown > 0.0f)
    {
        // Frame times that add up to the countdown exactly end it too: a countdown left at 0
        // would hold the sequence for good.
        m_cycleCountdown -= dt;
        if (m_cycleCountdown <= 0.0f && m_unit)
            applyState(m_unit);
        return;
    }
    if (m_repickCountdown != -1.0f)
    {
        m_repickCountdown -= dt;
        if (m_repickCountdown <= 0.0f)
        {
            m_repickCountdown = -1.0f;
            if (m_unit)
                applyState(m_unit);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Input

void cUnitView::onEnable()
{
    UnitView::onEnable();
    // Started after the button's own input, so that the button's handlers have run when the
    // watch hears a press or a release.
    m_pressWatch.start();
}

void cUnitView::onDisable()
{
    UnitView::onDisable();
    m_pressWatch.stop();
}

void cUnitView::onPress()
{
    UnitView::onPress();
    m_pressWatch.pressTaken();
}

void cUnitView::onClick()
{
    m_pressWatch.clicking();
    UnitView::onClick();
}

// ---------------------------------------------------------------------------------------------
// Place

void cUnitView::updatePosition(const cUnit::Ptr& unit)
{
    const Game* game = Game::instance();
    if (!game)
        return;
    setDeep(static_cast<float>(m_depthLayer) * 1000.0f + game->unitPos(unit).y + m_deepOffset);
    setPosition(game->getUnitFieldPos(unit) + m_viewOffset);
}

// ---------------------------------------------------------------------------------------------
// Head-up pieces

void cUnitView::createUpgradeButton()
{
    const auto root = layout("Common/upgradeButton.xml");
    m_upgradeButton = new Engine::cLightButton(this);
    m_upgradeButton->loadXML(root);
    m_upgradeButton->setDeep(kHeadUpDeep);
    m_upgradeButton->enable();
    if (Game* game = Game::instance())
        m_resourcesConnection =
            game->getResources().changed.connect(boost::bind(&cUnitView::refreshUpgradeButtonState, this));
    TooltipManager& tooltips = TooltipManager::instance();
    m_upgradeButton->highlightOnSignal.connect(
        boost::bind(&TooltipManager::onUpgradeButtonHover, &tooltips, _1, this));
    m_upgradeButton->highlightOffSignal.connect(
        boost::bind(&TooltipManager::onUpgradeButtonLeave, &tooltips, _1, this));
    // The planner is asked when the button is pressed: the button (a child of this view) may
    // outlive the level model that made it, until the play view goes.
    m_upgradeButton->connectClick(
        [this](Engine::cView*)
        {
            if (Game* game = Game::instance())
                game->getController().onUnitViewClick(this);
        });
}

void cUnitView::refreshUpgradeButton()
{
    const auto description = getDescription();
    if (!description || !m_unit || description->getUpgradeButtonOffset() == kNoOffset)
        return;
    const bool production = isOfCategory(UnitCategory::mill) || isOfCategory(UnitCategory::plant);
    const bool base = isOfCategory(UnitCategory::base);
    if ((production || base) && !m_upgradeButton)
        createUpgradeButton();

    const int level = m_unit->getLevel();
    const auto type = m_unit->getTypeInfo();
    const int last = (type ? type->levelCount() : 1) - 1;
    const bool upgradable = ((production && level != 0) || base) && level != last;
    const bool shown = (production || base) && upgradable && level != m_unit->getMaxLevel() &&
                       m_unit->getState() != eUnitState::upgrade && !m_unit->isInFireOrDamaged();
    if (!m_upgradeButton)
        return;
    if (!shown)
    {
        m_upgradeButton->hide();
        m_arrowLit = false;
        return;
    }
    m_upgradeButton->show();
    const auto& positions = description->getUpgradeButtonPositions();
    // A level the list does not reach takes the common offset.
    const Engine::cVector2 offset = static_cast<size_t>(level) < positions.size()
                                        ? positions[static_cast<size_t>(level)]
                                        : description->getUpgradeButtonOffset();
    m_upgradeButton->setPosition(getPosition() + offset);
}

void cUnitView::refreshUpgradeButtonState()
{
    if (!m_upgradeButton || !m_unit)
        return;
    const Game* game = Game::instance();
    const auto info = m_unit->getActiveLevelInfo();
    const bool affordable = game && info && const_cast<Game*>(game)->getResources().contains(info->upIn);
    m_upgradeButton->enable();
    if (affordable && m_unit->getState() == eUnitState::idle)
    {
        m_upgradeButton->setShowDisabled(false);
        // The upgrade pointer points at a button the player sees: a building not yet built
        // (or at its last level) has none, and its pointer would hold every other click.
        if (m_upgradeButton->isVisible())
            m_unit->showTip(4);
    }
    else
    {
        m_upgradeButton->setShowDisabled(true);
    }
    traceArrow();
}

bool cUnitView::isUpgradeLit() const
{
    return m_upgradeButton && m_upgradeButton->isShown() && !m_upgradeButton->getShowDisabled();
}

void cUnitView::traceArrow()
{
    const bool lit = isUpgradeLit();
    if (lit && !m_arrowLit && m_unit)
    {
        const Engine::cVector2& at = m_upgradeButton->getPosition();
        GameTrace::write((L"Upgrade arrow lit: " + m_unit->typeName + L" at " +
                          std::to_wstring(static_cast<int>(std::lround(at.x))) + L";" +
                          std::to_wstring(static_cast<int>(std::lround(at.y))) + L"\n")
                             .c_str());
    }
    m_arrowLit = lit;
}

void cUnitView::refreshUpgradeIndicator()
{
    const auto description = getDescription();
    if (!description || !m_unit)
        return;
    if (m_upgradeIndicator)
    {
        m_upgradeIndicator->hide();
        deleteLater(m_upgradeIndicator);
        m_upgradeIndicator = nullptr;
    }
    const bool production = isOfCategory(UnitCategory::mill) || isOfCategory(UnitCategory::plant);
    const bool base = isOfCategory(UnitCategory::base);
    if (!production && !base)
        return;
    const int n = production ? m_unit->getLevel() - 1 : m_unit->getLevel();
    if (n <= 0)
        return;
    Engine::tPropertiesPtr child;
    // A level beyond the indicators of the layout shows none.
    if (!layout("Common/upgradeIndicators.xml")->getChildAt(static_cast<unsigned>(n), child))
        return;
    m_upgradeIndicator = new Engine::cPicture(this);
    m_upgradeIndicator->loadXML(child);
    m_upgradeIndicator->setDeep(kHeadUpDeep);
    m_upgradeIndicator->show();
    const auto& positions = description->getUpgradeIndicatorPositions();
    const Engine::cVector2 offset = static_cast<size_t>(n) < positions.size()
                                        ? positions[static_cast<size_t>(n)]
                                        : description->getUpgradeIndicatorOffset();
    m_upgradeIndicator->setPosition(getPosition() + offset);
}

void cUnitView::showGoalTick(bool show)
{
    if (!m_goalTick)
    {
        m_goalTick = new Engine::cPicture(this);
        m_goalTick->loadXML(layout("Common/goalTick.xml"));
        m_goalTick->hide();
    }
    if (!show)
    {
        m_goalTick->hide();
        return;
    }
    // A unit type without a description puts the tick on the unit itself.
    const auto description = getDescription();
    const Engine::cVector2 offset =
        description ? description->getGoalTickOffset() : Engine::cVector2(0.0f, 0.0f);
    m_goalTick->setPosition(getPosition() + offset);
    m_goalTick->show();
}

void cUnitView::startFade(float time)
{
    const auto& effects = getParticleChildren();
    m_fadeRates.assign(effects.size(), 0.0f);
    for (size_t i = 0; i < effects.size(); ++i)
        if (const auto* effect = dynamic_cast<const Engine::cPyro*>(effects[i]); effect && time > 0.0f)
            m_fadeRates[i] = effect->getPyroScale() / time;
}

void cUnitView::fadeStep(float dt)
{
    const auto& effects = getParticleChildren();
    for (size_t i = 0; i < effects.size() && i < m_fadeRates.size(); ++i)
        if (auto* effect = dynamic_cast<Engine::cPyro*>(effects[i]))
            effect->setPyroScale(effect->getPyroScale() - m_fadeRates[i] * dt);
}
