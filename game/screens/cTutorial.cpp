#include "game/screens/cTutorial.h"

#include "engine/core/cControl.h"
#include "engine/ui/LayoutKeys.h"
#include "game/heroes/UnitProblem.h"
#include "game/hud/cGoalArrow.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cMiniBriefing.h"
#include "game/screens/cTutorTipView.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitTip.h"
#include "game/world/cUnit.h"

#include <algorithm>
#include <string>

namespace
{

// The tip's unit while it is on the field.
cUnit::Ptr liveUnit(const UnitTip& tip)
{
    cUnit::Ptr unit = tip.unit.lock();
    return unit && !unit->isRemoved() ? unit : cUnit::Ptr();
}

} // namespace

namespace
{

// The rules and the head-up display reach the tutorial as their LevelTutor.
LevelTutor& tutor()
{
    return cTutorial::instance();
}

const bool installed = (LevelTutor::setSource(&tutor), true);

} // namespace

cTutorial& cTutorial::instance()
{
    static cTutorial tutorial;
    return tutorial;
}

boost::shared_ptr<cUnit> cTutorial::getPointedUnit() const
{
    return m_pointerTip ? liveUnit(*m_pointerTip) : cUnit::Ptr();
}

cTutorTipView& cTutorial::tipView()
{
    if (m_tipView)
        return *m_tipView;
    auto* view = new cTutorTipView(nullptr);
    try
    {
        Engine::loadLayout(*view, "UI/ModalTutorView.xml");
    }
    catch (...)
    {
        delete view;
        throw;
    }
    view->hide();
    m_tipView = view;
    if (!m_shutdownRegistered)
    {
        m_shutdownRegistered = true;
        CGameEngine::instance().atShutdown([this] { shutdown(); });
    }
    return *m_tipView;
}

void cTutorial::shutdown()
{
    m_shutdownRegistered = false;
    reset();
    if (m_tipView)
        Engine::cControl::deleteLater(m_tipView);
    m_tipView = nullptr;
}

void cTutorial::addTip(const TipPtr& tip)
{
    if (!tip)
        return;
    if (tip->eventKind == 0)
    {
        const auto later = std::find_if(m_timedTips.begin(), m_timedTips.end(),
                                        [&tip](const TipPtr& t) { return t->start >= tip->start; });
        m_timedTips.insert(later, tip);
    }
    else if (tip->eventKind == 5)
        m_polledTips.push_back(tip);
}

bool cTutorial::levelRuns()
{
    CPlayState& play = CPlayState::instance();
    return play.isRunning() && CGameEngine::instance().topState() == &play;
}

bool cTutorial::levelCovered()
{
    const CGameEngine& engine = CGameEngine::instance();
    return (engine.getStateCount() > 0 && !levelRuns()) || engine.isTelling();
}

bool cTutorial::tipShown() const
{
    return cMiniBriefing::shown() || getPointedUnit();
}

bool cTutorial::occasionHolds(const UnitTip& tip, const cUnit::Ptr& unit) const
{
    switch (tip.eventKind)
    {
    case 2:
    case 3:
        // The click refused for want of resources, or of a way there, would be refused so again.
        return !m_problemQuery || m_problemQuery(unit) == (tip.eventKind == 2 ? NotEnoughResources : NoRoute);
    case 4:
    {
        // The arrow the tip points at is lit, and no goal has taken its upgrade yet.
        const cUnitView* view = unit->getView();
        return view && view->isUpgradeLit() && !unit->isTaken();
    }
    default:
        return true;
    }
}

bool cTutorial::stillHolds(const TipPtr& tip) const
{
    const cUnit::Ptr unit = tip ? liveUnit(*tip) : cUnit::Ptr();
    return unit && occasionHolds(*tip, unit);
}

std::vector<TipPlacement::Box> cTutorial::awaitedBoxes(const UnitTip& tip) const
{
    std::vector<TipPlacement::Box> boxes;
    const cUnit::Ptr own = tip.unit.lock();
    for (const TipPtr& said : m_awaited)
        if (said->unit.lock() != own)
            boxes.push_back(cTutorTipView::coveredBy(*said));
    return boxes;
}

bool cTutorial::showTip(const TipPtr& tip)
{
    if (!tip)
        return false;
    // Failed clicks count while another pointer tip is shown too.
    const int clicksNeeded = GameConfig::instance().getConstants().TutorialClicksNumber;
    if (tip->eventKind == 2 || tip->eventKind == 3)
        CGameEngine::trace(L"Tutorial counts a refused click\n");
    if (tip->eventKind == 2 && ++tip->failedResourceClicks < clicksNeeded)
        return false;
    if (tip->eventKind == 3 && ++tip->failedRouteClicks < clicksNeeded)
        return false;
    if (getPointedUnit())
        return false;
    // A tip whose unit has left the field is never shown.
    const cUnit::Ptr unit = liveUnit(*tip);
    if (!unit)
        return false;
    if (tip->tipType < 0 || tip->tipType > 2)
        throw std::string("cTutorial::showTip(): unknown type of tip: ") + std::to_string(tip->tipType);
    if ((tip->tipType == 1 && !levelRuns()) || levelCovered() || tipShown() || !m_waitingTips.empty())
    {
        if (std::find(m_waitingTips.begin(), m_waitingTips.end(), tip) == m_waitingTips.end())
            m_waitingTips.push_back(tip);
        return true;
    }
    display(tip, unit);
    return true;
}

void cTutorial::display(const TipPtr& tip, const cUnit::Ptr& unit)
{
    switch (tip->tipType)
    {
    case 0:
        m_lastMessage = tip->text;
        m_messageTip = tip;
        cMiniBriefing::showText(tip->text, cTutorTipView::coveredBy(*tip), awaitedBoxes(*tip));
        break;
    case 1:
        m_lastMessage = tip->text;
        CPlayState::instance().showModalTutor(*tip);
        break;
    default:
        m_pointerTip = tip;
        tipView().showTip(*tip);
        break;
    }
    // What the tip names stays in sight of the tips after it until the player takes it.
    m_awaited.remove_if([&unit](const TipPtr& said) { return said->unit.lock() == unit; });
    m_awaited.push_back(tip);
    if (tip->eventKind == 4)
        m_upgradeRestriction = true;
    cGoalArrow::hideAll();
    CGameEngine::trace(L"Tutorial tip shown\n");
}

void cTutorial::forgetTip(const TipPtr& tip)
{
    m_timedTips.remove(tip);
    m_polledTips.remove(tip);
}

void cTutorial::onUnitClicked(const TipPtr& tip)
{
    forgetTip(tip);
    if (tip && tip->tipType == 2)
    {
        const cUnit::Ptr pointed = getPointedUnit();
        if (pointed && pointed == tip->unit.lock())
            hideTip();
    }
}

void cTutorial::update(float dt)
{
    m_awaited.remove_if(
        [](const TipPtr& said)
        {
            const cUnit::Ptr unit = liveUnit(*said);
            return !unit || unit->isTaken();
        });
    // A message over every screen has gone: what stood under it meanwhile may no longer hold.
    const bool telling = CGameEngine::instance().isTelling();
    if (m_told && !telling)
        dropPassedTips();
    m_told = telling;
    if (!m_waitingTips.empty() && levelRuns() && !levelCovered() && !tipShown())
    {
        // The first waiting tip once nothing else is shown, one a frame; one whose occasion has
        // passed meanwhile (its unit gone, the upgrade it points at taken) is dropped.
        const TipPtr tip = m_waitingTips.front();
        m_waitingTips.pop_front();
        if (stillHolds(tip))
            display(tip, liveUnit(*tip));
        else
            CGameEngine::trace(L"Tutorial tip dropped\n");
        return;
    }
    if (getPointedUnit())
        return;
    // The unit of the pointer tip has left the field: the tip goes with it.
    if (m_tipView && m_tipView->isVisible())
        hideTip();
    // Under a message over every screen the tutorial's clock stands.
    if (CGameEngine::instance().isTelling())
        return;
    m_time += dt;
    // A message on the screen holds the next tip back until it has gone: two texts are never
    // drawn at once, and each stays up for its time.
    if (cMiniBriefing::shown())
        return;
    for (const TipPtr& tip : m_timedTips)
    {
        if (tip->done || tip->start > m_time || !liveUnit(*tip))
            continue;
        // The first due tip is offered; the next waits for a later frame.
        if (showTip(tip))
            tip->done = true;
        return;
    }
    m_pollCountdown -= dt;
    if (m_pollCountdown >= 0.0f)
        return;
    m_pollCountdown = m_pollPeriod;
    poll();
}

bool cTutorial::poll()
{
    if (!m_problemQuery)
        return false;
    for (const TipPtr& tip : m_polledTips)
    {
        const cUnit::Ptr unit = liveUnit(*tip);
        if (!unit || unit->inFire || unit->isDamaged)
            continue;
        const int problem = m_problemQuery(unit);
        if ((problem != 0 && problem != 2) || !showTip(tip))
            continue;
        const TipPtr shown = tip;
        m_polledTips.remove(shown);
        unit->removeTip(shown);
        return true;
    }
    return false;
}

bool cTutorial::allowsClick(const boost::shared_ptr<cUnit>& unit, bool upgradeClick)
{
    const cUnit::Ptr pointed = getPointedUnit();
    if (!pointed)
        return true;
    if (upgradeClick && !m_upgradeRestriction)
        return true;
    if (!upgradeClick && m_upgradeRestriction)
        return false;
    if (unit != pointed)
        return false;
    hideTip();
    return true;
}

void cTutorial::hideTip()
{
    m_pointerTip.reset();
    m_upgradeRestriction = false;
    if (m_tipView)
        m_tipView->hide();
}

void cTutorial::setCovered(bool covered)
{
    if (covered == m_covered)
        return;
    m_covered = covered;
    cMiniBriefing* message = cMiniBriefing::shown();
    const bool pointing = m_tipView && getPointedUnit();
    if (covered)
    {
        if (message)
            message->hide();
        if (pointing)
            m_tipView->hide();
        return;
    }
    // What no longer holds goes rather than coming back.
    dropPassedTips();
    if (cMiniBriefing* back = cMiniBriefing::shown())
        back->show();
    if (m_tipView && getPointedUnit())
        m_tipView->show();
}

void cTutorial::dropPassedTips()
{
    cMiniBriefing* message = cMiniBriefing::shown();
    if (message && !stillHolds(m_messageTip))
    {
        message->dismiss();
        CGameEngine::trace(L"Tutorial tip dropped\n");
    }
    if (getPointedUnit() && !stillHolds(m_pointerTip))
    {
        hideTip();
        CGameEngine::trace(L"Tutorial tip dropped\n");
    }
}

void cTutorial::reset()
{
    m_covered = false;
    m_told = false;
    m_messageTip.reset();
    m_awaited.clear();
    m_time = 0.0f;
    m_timedTips.clear();
    m_polledTips.clear();
    m_waitingTips.clear();
    hideTip();
    m_pollCountdown = m_pollPeriod;
    m_lastMessage.clear();
}
