#include "engine/devices/cQuad.h"

namespace Engine
{

void cQuad::setRect(float left, float top, float right, float bottom)
{
    corners[0].x = left;
    corners[0].y = top;
    corners[1].x = right;
    corners[1].y = top;
    corners[2].x = left;
    corners[2].y = bottom;
    corners[3].x = right;
    corners[3].y = bottom;
}

void cQuad::setColor(uint32_t argb)
{
    for (cQuadCorner& corner : corners)
        corner.color = argb;
}

} // namespace Engine
