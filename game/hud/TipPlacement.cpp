#include "game/hud/TipPlacement.h"

#include "engine/ui/cView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace
{

float keepInside(float middle, float half, float length)
{
    if (half * 2.0f >= length)
        return length * 0.5f;
    return std::clamp(middle, half, length - half);
}

} // namespace

TipPlacement::Box TipPlacement::boxAt(const Engine::cVector2& middle, const Engine::cVector2& size)
{
    return {middle.x - size.x * 0.5f, middle.y - size.y * 0.5f, middle.x + size.x * 0.5f,
            middle.y + size.y * 0.5f};
}

TipPlacement::Box TipPlacement::boxOf(const Engine::cView& view)
{
    return boxAt(view.getPosition(), view.getSize());
}

Engine::cVector2 TipPlacement::onScreen(const Engine::cVector2& middle, const Engine::cVector2& size,
                                        const Engine::cVector2& screen)
{
    return {keepInside(middle.x, size.x * 0.5f, screen.x), keepInside(middle.y, size.y * 0.5f, screen.y)};
}

Engine::cVector2 TipPlacement::awayFrom(const Box& avoid, const Engine::cVector2& wanted,
                                        const Engine::cVector2& size, const Engine::cVector2& screen,
                                        float gap)
{
    const Engine::cVector2 kept = onScreen(wanted, size, screen);
    if (avoid.empty())
        return kept;
    const Box clear{avoid.left - gap, avoid.top - gap, avoid.right + gap, avoid.bottom + gap};
    const auto fits = [&](const Engine::cVector2& middle)
    {
        const Box box = boxAt(middle, size);
        return !box.overlaps(clear) && box.left >= -0.5f && box.top >= -0.5f &&
               box.right <= screen.x + 0.5f && box.bottom <= screen.y + 0.5f;
    };
    if (fits(kept))
        return kept;
    // Beside each side of the box, as near to the wanted place as the screen lets it be.
    const float halfW = size.x * 0.5f;
    const float halfH = size.y * 0.5f;
    const std::array<Engine::cVector2, 4> sides = {
        Engine::cVector2(kept.x, clear.bottom + halfH), Engine::cVector2(kept.x, clear.top - halfH),
        Engine::cVector2(clear.right + halfW, kept.y), Engine::cVector2(clear.left - halfW, kept.y)};
    Engine::cVector2 best = kept;
    float bestDistance = std::numeric_limits<float>::max();
    for (Engine::cVector2 side : sides)
    {
        // Along the side the panel may slide to stay on the screen; across it, it may not.
        const bool below = side.y > clear.bottom;
        const bool above = side.y < clear.top;
        if (below || above)
            side.x = keepInside(side.x, halfW, screen.x);
        else
            side.y = keepInside(side.y, halfH, screen.y);
        if (!fits(side))
            continue;
        const float distance = std::hypot(side.x - wanted.x, side.y - wanted.y);
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = side;
        }
    }
    return best;
}
