#include "game/hud/cPathEffect.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"

#include <cmath>

namespace
{

float length(const Engine::cVector2& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

} // namespace

cPathEffect::cPathEffect(Engine::cControl* parent, const Engine::cVector2& start,
                         const std::string& effectPath)
    : Engine::cPyro(parent)
{
    loadXML(Engine::cResourceManager::instance()->getXml(effectPath, true));
    for (int i = 0; i < m_pointCount; ++i)
        m_points[static_cast<size_t>(i)] += start;
    m_segment = 0;
    setPosition(start);
    if (m_pointCount >= 2)
    {
        setPosition(m_points[0]);
        if (m_speed <= 0.0f)
        {
            // Without a speed the effect would never arrive, and never go: it goes to the end
            // of its path at once.
            m_segment = m_pointCount - 1;
            setPosition(m_points[static_cast<size_t>(m_pointCount - 1)]);
        }
        else if (length(m_points[1] - m_points[0]) > 0.0f)
        {
            startSegment();
        }
        else
        {
            setPosition(start);
        }
    }
    play(false, 0.0f);
}

cPathEffect::~cPathEffect() = default;

void cPathEffect::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPyro::loadXML(node);
    Engine::fromString(m_speed, node->getAttribute(L"Speed"));
    Engine::fromString(m_delay, node->getAttribute(L"Delay"));
    m_pointCount = 0;
    Engine::tPropertiesPtr list;
    if (!node->getChild(L"PtList", list))
        return;
    Engine::tPropertiesList points;
    list->getChildren(points);
    for (const auto& point : points)
    {
        if (m_pointCount == MaxPoints)
            break;
        Engine::cVector2 position(0.0f, 0.0f);
        Engine::fromString(position, point->getAttribute(L"position"));
        m_points[static_cast<size_t>(m_pointCount++)] = position;
    }
}

void cPathEffect::startSegment()
{
    const Engine::cVector2 way =
        m_points[static_cast<size_t>(m_segment + 1)] - m_points[static_cast<size_t>(m_segment)];
    const float distance = length(way);
    if (distance > 0.0f && m_speed > 0.0f)
    {
        m_segmentTime = distance / m_speed;
        m_velocity = way * (m_speed / distance);
    }
    else
    {
        m_segmentTime = 0.0f;
        m_velocity = Engine::cVector2(0.0f, 0.0f);
    }
}

void cPathEffect::update()
{
    Engine::cPyro::update();
    const Engine::cTimer* timer = Engine::cTimer::instance();
    const float dt = timer ? timer->getFrameTime() : 0.0f;
    if (hasArrived())
    {
        if (m_delay > 0.0f)
            m_delay -= dt;
        else
            deleteLater(this);
        return;
    }
    m_segmentTime -= dt;
    Engine::cVector2 position = getPosition() + m_velocity * dt;
    if (m_segmentTime <= 0.0f)
    {
        ++m_segment;
        if (!hasArrived())
        {
            position = m_points[static_cast<size_t>(m_segment)];
            startSegment();
        }
    }
    setPosition(position);
}
