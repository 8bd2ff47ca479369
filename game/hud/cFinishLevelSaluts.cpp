#include "game/hud/cFinishLevelSaluts.h"

#include "engine/core/FromString.h"
#include "engine/core/Random.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPyro.h"

cFinishLevelSaluts::cFinishLevelSaluts(Engine::cControl* parent, const std::string& effectPath)
    : Engine::cControl(parent)
{
    // Fireworks are only seen on a screen: a level played without a render device (the tests,
    // levelplay) runs through the points without making the particle views.
    const Engine::cRender* render = Engine::cRender::instance();
    if (render && render->getParticleLibrary())
        m_prototype = new Engine::cPyro(this);
    loadXML(Engine::cResourceManager::instance()->getXml(effectPath, true));
}

cFinishLevelSaluts::~cFinishLevelSaluts() = default;

void cFinishLevelSaluts::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    Engine::cControl::loadXML(node);
    Engine::cVector2 pause(0.0f, 0.0f);
    Engine::fromString(pause, node->getAttribute(L"random_delay"));
    m_pauseMin = pause.x;
    m_pauseMax = pause.y;
    Engine::tPropertiesPtr effect;
    if (m_prototype && node->getChild(L"Effect", effect))
        m_prototype->loadXML(effect);
    if (m_prototype)
        m_prototype->hide();
    m_points.clear();
    Engine::tPropertiesPtr list;
    if (node->getChild(L"PtList", list))
    {
        Engine::tPropertiesList points;
        list->getChildren(points);
        for (const auto& point : points)
        {
            Engine::cVector2 position(0.0f, 0.0f);
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
        if (m_prototype)
        {
            // The firework lives under the level's view, not on its own: a level left early
            // takes every firework with it, even one whose effect never ends.
            auto* firework = new Engine::cPyro(*m_prototype);
            firework->setParent(getParent());
            firework->setPosition(m_points[m_next]);
            firework->play(true, 0.0f);
            firework->show();
        }
        ++m_next;
        return;
    }
    const Engine::cTimer* timer = Engine::cTimer::instance();
    m_countdown -= timer ? timer->getFrameTime() : 0.0f;
}
