#pragma once

// Rectangles of the 1024 x 768 screen as views lie and draw on it: a view's own box, and the box
// of the letters a text line draws now, for tests that hold a text to its room.

#include "engine/ui/cView.h"

#include <algorithm>
#include <limits>

namespace GameTest
{

// Left, top, right, bottom; empty until something is added to it.
struct ScreenBox
{
    float left = std::numeric_limits<float>::max();
    float top = std::numeric_limits<float>::max();
    float right = std::numeric_limits<float>::lowest();
    float bottom = std::numeric_limits<float>::lowest();

    bool empty() const { return right < left; }
    bool inside(const ScreenBox& outer) const
    {
        return left >= outer.left && right <= outer.right && top >= outer.top && bottom <= outer.bottom;
    }
    bool meets(const ScreenBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

inline ScreenBox boxOf(const Engine::cView& view)
{
    const Engine::cVector2 half = view.getSize() * 0.5f;
    return {view.getPosition().x - half.x, view.getPosition().y - half.y, view.getPosition().x + half.x,
            view.getPosition().y + half.y};
}

// Where the letters of a text line (or any view's sprites) are drawn now.
inline ScreenBox lettersOf(Engine::cView& line)
{
    ScreenBox box;
    for (const Engine::cQuad& quad : line.getSprites())
        for (const Engine::cQuadCorner& corner : quad.corners)
        {
            box.left = std::min(box.left, corner.x);
            box.right = std::max(box.right, corner.x);
            box.top = std::min(box.top, corner.y);
            box.bottom = std::max(box.bottom, corner.y);
        }
    return box;
}

} // namespace GameTest
