#include "engine/core/tween/TweenerParam.h"

#include "engine/core/tween/Easing.h"

namespace Engine::tween
{

TweenerParam::TweenerParam(float duration, int transition, int kind, float delay)
    : m_duration(duration), m_transition(transition), m_kind(kind), m_delay(delay), m_delayPassed(delay <= 0)
{
}

TweenerParam::~TweenerParam() = default;

void TweenerParam::addProperty(float* target, float finalValue)
{
    m_properties.push_back(Property{target, finalValue, target ? *target : 0.0f});
}

void TweenerParam::apply()
{
    for (const Property& property : m_properties)
    {
        if (property.target)
            *property.target = ease(m_transition, m_kind, m_elapsed, property.startValue,
                                    property.finalValue - property.startValue, m_duration);
    }
}

} // namespace Engine::tween
