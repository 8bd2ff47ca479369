#pragma once

#include "engine/core/cVector2.h"
#include "engine/core/tween/TweenerParam.h"

namespace Engine
{

class cView;

// A tween that moves a view: its position goes from where the tween was made to the target
// along the easing equation, set on the view at every step. The view must outlive the tween's
// steps (take the tween out of its tweener before the view goes).
class TweenPosition : public tween::TweenerParam
{
public:
    TweenPosition(cView* view, const cVector2& current, const cVector2& target, float time, int transition,
                  int easeKind, float delay);

    // Adds the two coordinates as the tween's properties, from the current position.
    void onStart() override;
    // Places the view.
    void onStep() override;

    const cVector2& getCurrent() const { return m_current; }
    const cVector2& getTarget() const { return m_target; }
    cView* getView() const { return m_view; }

private:
    cVector2 m_current;
    cVector2 m_start;
    cVector2 m_target;
    cView* m_view;
};

} // namespace Engine
