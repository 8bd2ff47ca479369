#include "game/hud/cFinishLevelSaluts.h"

#include "engine/core/FromString.h"
#include "engine/core/Random.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"

cFinishLevelSaluts::cFinishLevelSaluts(Engine::cControl* parent, const std::string& effectPath)
    : Engine::cControl(parent)
{
    loadXML(Engine::cResourceManager::instance()->getXml(effectPath, true));
}

void cFinishLevelSaluts::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    Engine::cControl::loadXML(node);
    Engine::cVector2 pause;
    Engine::fromString(pause, node->getAttribute(L"random_delay"));
    m_pauseMin = pause.x;
    m_pauseMax = pause.y;
    Engine::tPropertiesPtr list;
    if (node->getChild(L"PtList", list))
    {
        Engine::tPropertiesList points;
        list->getChildren(points);
        for (const auto& point : points)
        {
            Engine::cVector2 position;
            Engine::fromString(position, point->getAttribute(L"position"));
            m_points.push_back(position);
        }
    }
}

void cFinishLevelSaluts::update()
{
    if (m_next >= m_points.size())
    {
        disable();
        hide();
        deleteLater(this);
        return;
    }
    if (m_countdown <= 0.0f)
    {
        m_countdown = randomRange(m_pauseMin, m_pauseMax);
        ++m_next;
        return;
    }
    const Engine::cTimer* timer = Engine::cTimer::instance();
    m_countdown -= timer ? timer->getFrameTime() : 0.0f;
}
