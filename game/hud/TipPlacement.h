#pragma once

#include "engine/core/cVector2.h"

namespace Engine
{
class cView;
}

// Where a tutorial panel goes on the screen: wholly on it, and never over the thing it speaks
// of, which the player must still see (and click) while the panel is up.
class TipPlacement
{
public:
    // A rectangle of the virtual screen by its edges.
    struct Box
    {
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;

        bool overlaps(const Box& other) const
        {
            return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
        }
        bool empty() const { return right <= left || bottom <= top; }
        Engine::cVector2 middle() const { return {(left + right) * 0.5f, (top + bottom) * 0.5f}; }
    };

    // The box of a panel of `size` whose middle is `middle`.
    static Box boxAt(const Engine::cVector2& middle, const Engine::cVector2& size);
    // The box a view covers (a view's position is its middle).
    static Box boxOf(const Engine::cView& view);

    // `middle` moved the least so that a panel of `size` lies wholly on a screen of `screen`
    // (a panel larger than the screen is centred on it).
    static Engine::cVector2 onScreen(const Engine::cVector2& middle, const Engine::cVector2& size,
                                     const Engine::cVector2& screen);

    // The middle for a panel of `size` nearest to `wanted` that lies on the screen and keeps
    // `gap` units clear of `avoid`: `wanted` itself when it does, else the nearest place beside
    // one of `avoid`'s four sides that does. With no such place, `wanted` kept on the screen.
    static Engine::cVector2 awayFrom(const Box& avoid, const Engine::cVector2& wanted,
                                     const Engine::cVector2& size, const Engine::cVector2& screen, float gap);
};
