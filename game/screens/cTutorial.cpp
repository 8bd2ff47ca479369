#include "game/screens/cTutorial.h"

#include "game/world/GameConfig.h"
#include "game/world/UnitTip.h"
#include "game/world/cUnit.h"

#include <algorithm>
#include <string>

cTutorial& cTutorial::instance()
{
    static cTutorial tutorial;
    return tutorial;
}

void cTutorial::addTip(UnitTip* tip)
{
    if (!tip)
        return;
    if (tip->eventKind == 0)
    {
        const auto later = std::find_if(m_timedTips.begin(), m_timedTips.end(),
                                        [tip](UnitTip* t) { return t->start >= tip->start; });
        m_timedTips.insert(later, tip);
    }
    else if (tip->eventKind == 5)
        m_polledTips.push_back(tip);
}

bool cTutorial::showTip(UnitTip* tip)
{
    if (!tip || getPointedUnit())
        return false;
    const int clicksNeeded = GameConfig::instance().getConstants().TutorialClicksNumber;
    if (tip->eventKind == 2 && ++tip->failedResourceClicks < clicksNeeded)
        return false;
    if (tip->eventKind == 3 && ++tip->failedRouteClicks < clicksNeeded)
        return false;
    switch (tip->tipType)
    {
    case 0:
    case 1:
        m_lastMessage = tip->text;
        break;
    case 2:
        m_pointedUnit = tip->unit;
        break;
    default:
        throw std::string("cTutorial::showTip(): unknown type of tip: ") + std::to_string(tip->tipType);
    }
    if (tip->eventKind == 4)
        m_upgradeRestriction = true;
    return true;
}

void cTutorial::forgetTip(UnitTip* tip)
{
    m_timedTips.remove(tip);
    m_polledTips.remove(tip);
}

void cTutorial::removeTip(UnitTip* tip)
{
    // Polled tips are listed too: a tip deleted by its unit must not stay behind here.
    forgetTip(tip);
    if (tip && tip->tipType == 2)
    {
        const auto pointed = getPointedUnit();
        if (pointed && pointed == tip->unit.lock())
            hideTip();
    }
}

void cTutorial::update(float dt)
{
    if (getPointedUnit())
        return;
    m_time += dt;
    for (UnitTip* tip : m_timedTips)
    {
        if (tip->done || tip->start > m_time || tip->unit.expired())
            continue;
        if (showTip(tip))
        {
            tip->done = true;
            return;
        }
    }
}

void cTutorial::hideTip()
{
    m_pointedUnit.reset();
    m_upgradeRestriction = false;
}

void cTutorial::reset()
{
    m_time = 0.0f;
    m_timedTips.clear();
    m_polledTips.clear();
    hideTip();
    m_lastMessage.clear();
}
