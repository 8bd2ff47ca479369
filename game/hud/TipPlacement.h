#pragma once

#include "engine/core/cVector2.h"

#include <vector>

namespace Engine
{
class cView;
}

// Where a tutorial panel goes on the screen: wholly on it, and never over the thing it speaks
// of, which the player must still see (and click) while the panel is up, nor over what the
// player watches meanwhile: the status panel's clock, bars, counts and goals, and the bars on
// the field.
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
        // The smallest box holding both; an empty box adds nothing.
        Box joined(const Box& other) const;
    };

    // The box of a panel of `size` whose middle is `middle`.
    static Box boxAt(const Engine::cVector2& middle, const Engine::cVector2& size);
    // The box a view covers (a view's position is its middle).
    static Box boxOf(const Engine::cView& view);
    // The box a view covers joined with the quads it draws now: a text line's letters stand
    // beside its position, however small its own box.
    static Box drawnBy(Engine::cView& view);

    // What the player watches on the level's screen, which no tip covers, each part as shown
    // now: the status panel's clock on its plate with the time, the bar over the medal times
    // and its marks, the icon and the count of each resource and every goal row shown, and the
    // progress bars on the field beside the panel with their frames (the level's production
    // clock, a bar over a unit at work). Nothing while no status panel exists.
    static std::vector<Box> watched();

    // `middle` moved the least so that a panel of `size` lies wholly on a screen of `screen`
    // (a panel larger than the screen is centred on it).
    static Engine::cVector2 onScreen(const Engine::cVector2& middle, const Engine::cVector2& size,
                                     const Engine::cVector2& screen);

    // The middle for a panel of `size` nearest to `wanted` that lies on the screen and keeps
    // `gap` units clear of `avoid` and of every box of `inSight`: `wanted` itself when it does,
    // else the nearest place beside an edge of those boxes or of the screen that does. Where no
    // place is clear of all, the panel goes where it covers least, of `avoid` first, then of
    // the rest (the nearest such place).
    static Engine::cVector2 awayFrom(const Box& avoid, const std::vector<Box>& inSight,
                                     const Engine::cVector2& wanted, const Engine::cVector2& size,
                                     const Engine::cVector2& screen, float gap);
};
