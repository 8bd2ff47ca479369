#include "game/heroes/TweenPosition.h"

#include "engine/ui/cView.h"

namespace Engine
{

TweenPosition::TweenPosition(cView* view, const cVector2& current, const cVector2& target, float time,
                             int transition, int easeKind, float delay)
    : tween::TweenerParam(time, transition, easeKind, delay), m_current(current), m_start(current),
      m_target(target), m_view(view)
{
}

void TweenPosition::onStart()
{
    addProperty(&m_current.x, m_target.x);
    addProperty(&m_current.y, m_target.y);
}

void TweenPosition::onStep()
{
    if (m_view)
        m_view->setPosition(m_current);
}

} // namespace Engine
