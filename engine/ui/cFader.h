#pragma once

#include "engine/ui/cPicture.h"

#include <boost/function.hpp>

namespace Engine
{

// A picture without parent that fades its alpha towards a target over a given time and calls
// back when it gets there; a fade to 0 ends hidden and disabled. Made by code (the level map),
// not by layouts.
class cFader : public cPicture
{
public:
    struct tFade
    {
        float target = 0.0f;
        float duration = 0.0f;
        boost::function<void()> callback;
    };

    // Shown and enabled at the alpha `alpha` (at most 1) when it is above 0, else hidden and
    // disabled at 0.
    explicit cFader(float alpha);

    // Starts a fade (target cut to 0 .. 1; a duration of 0 or less arrives in the next frame)
    // and shows and enables the fader.
    void fadeTo(const tFade& fade);
    // The picture's step, then the fade: the frame after the target is reached, the fade ends
    // and the callback runs once.
    void update() override;

    float getFadeAlpha() const { return m_alpha; }
    bool isReached() const { return m_reached; }

private:
    float m_speed = 0.0f;
    float m_alpha = 0.0f;
    float m_target = 0.0f;
    boost::function<void()> m_callback;
    bool m_reached = true;
};

} // namespace Engine
