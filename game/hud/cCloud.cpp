#include "game/hud/cCloud.h"

#include "engine/core/cString.h"
#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"

#include <string>

cCloud::cCloud(Engine::cControl* parent) : Engine::cPicture(parent) {}

cCloud::cCloud(const cCloud& other) : Engine::cPicture(other), m_type(other.m_type), m_speed(other.m_speed) {}

cCloud::~cCloud() = default;

void cCloud::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    Engine::readKey(node, L"Speed", m_speed);
    Engine::readKey(node, L"type", m_type);
    if (m_type >= KindCount)
        throw Engine::cStringA("the cloud kind \"type\" is " + std::to_string(m_type) + "; kinds are 0 to " +
                               std::to_string(KindCount - 1));
}

void cCloud::update()
{
    Engine::cPicture::update();
    if (!isShown() || !isEffectivelyEnabled())
        return;
    const Engine::cVector2& position = getPosition();
    const float half = getSize().x / 2.0f;
    if ((m_speed >= 0.0f && position.x - half > BandWidth) || (m_speed < 0.0f && position.x + half < 0.0f))
        deleteLater(this);
    const float dt = Engine::cTimer::instance() ? Engine::cTimer::instance()->getFrameTime() : 0.0f;
    setPosition(Engine::cVector2(position.x + dt * m_speed, position.y));
}
