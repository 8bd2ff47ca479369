#include "game/hud/cClouds.h"

#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"
#include "game/hud/cCloud.h"

#include <cmath>
#include <string>

namespace
{

float randomIn(const Engine::cVector2& range)
{
    return randomRange(range.x, range.y);
}

} // namespace

cClouds::cClouds(Engine::cControl* parent) : Engine::cControl(parent) {}

cClouds::~cClouds() = default;

float cClouds::enteringX(float width) const
{
    return m_leftward ? cCloud::BandWidth + width / 2.0f - 1.0f : 1.0f - width / 2.0f;
}

void cClouds::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cControl::loadXML(node);
    m_leftward = randomInt(0, 2) == 1;
    for (int k = 0; k < KindCount; ++k)
    {
        const std::wstring index = std::to_wstring(k);
        const size_t i = static_cast<size_t>(k);
        Engine::readKey(node, (L"MaxStartClouds" + index).c_str(), m_startCounts[i]);
        Engine::readKey(node, (L"Period" + index).c_str(), m_periods[i]);
        Engine::readKey(node, (L"YInterval" + index).c_str(), m_heights[i]);
    }
    unsigned number = 0;
    for (auto it = node->childrenBegin(); it != node->childrenEnd(); ++it, ++number)
    {
        auto* cloud = new cCloud(this);
        try
        {
            cloud->loadXML(it->value());
        }
        catch (...)
        {
            Engine::rethrowInLayout("cloud number " + std::to_string(number));
        }
        cloud->setPosition(Engine::cVector2(enteringX(cloud->getSize().x),
                                            randomIn(m_heights[static_cast<size_t>(cloud->getType())])));
        cloud->setSpeed(m_leftward ? -std::fabs(cloud->getSpeed()) : std::fabs(cloud->getSpeed()));
        cloud->hide();
        cloud->disable();
        m_prototypes[static_cast<size_t>(cloud->getType())].push_back(cloud);
    }
    for (int k = 0; k < KindCount; ++k)
    {
        const size_t i = static_cast<size_t>(k);
        if (m_prototypes[i].empty())
            throw "All cloud types not found.";
        m_intervals[i] = randomIn(m_periods[i]);
        m_timers[i] = 0.0f;
    }
}

cCloud* cClouds::spawn(int kind, float x)
{
    const std::vector<cCloud*>& prototypes = m_prototypes[static_cast<size_t>(kind)];
    if (prototypes.empty())
        return nullptr;
    const cCloud* prototype = prototypes[static_cast<size_t>(Engine::random15()) % prototypes.size()];
    auto* cloud = new cCloud(*prototype);
    cloud->setParent(this);
    cloud->show();
    cloud->enable();
    cloud->setPosition(Engine::cVector2(x, randomIn(m_heights[static_cast<size_t>(kind)])));
    return cloud;
}

cCloud* cClouds::spawnEntering(int kind)
{
    const std::vector<cCloud*>& prototypes = m_prototypes[static_cast<size_t>(kind)];
    if (prototypes.empty())
        return nullptr;
    cCloud* cloud = spawn(kind, 0.0f);
    cloud->setPosition(Engine::cVector2(enteringX(cloud->getSize().x), cloud->getPosition().y));
    return cloud;
}

void cClouds::spawnInitial()
{
    for (int k = 0; k < KindCount; ++k)
        for (int i = 0; static_cast<float>(i) < m_startCounts[static_cast<size_t>(k)]; ++i)
            spawn(k, randomRange(0.0f, cCloud::BandWidth));
}

void cClouds::update()
{
    const float dt = Engine::cTimer::instance() ? Engine::cTimer::instance()->getFrameTime() : 0.0f;
    for (int k = 0; k < KindCount; ++k)
    {
        const size_t i = static_cast<size_t>(k);
        if (m_timers[i] >= m_intervals[i])
        {
            m_timers[i] = 0.0f;
            m_intervals[i] = randomIn(m_periods[i]);
            spawnEntering(k);
        }
        m_timers[i] += dt;
    }
}
