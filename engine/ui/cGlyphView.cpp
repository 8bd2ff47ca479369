#include "engine/ui/cGlyphView.h"

namespace Engine
{

cGlyphView::cGlyphView(cControl* parent) : cPicture(parent) {}

void cGlyphView::setColorARGB(const uint32_t& argb)
{
    if (argb == m_argb)
        return;
    m_argb = argb;
    setDirty();
}

void cGlyphView::setUVRect(const tUVRect& uv)
{
    if (uv == m_uv)
        return;
    m_uv = uv;
    setDirty();
}

void cGlyphView::buildSprite(cQuad& sprite, uint32_t, float weight)
{
    sprite.uvFrom = cVector2(m_uv.left, m_uv.top);
    sprite.uvTo = cVector2(m_uv.right, m_uv.bottom);
    const cVector2& centre = getPosition();
    const float halfWidth = getSize().x * 0.5f;
    const float halfHeight = getSize().y * 0.5f;
    cColor color = cColor::fromARGB(m_argb);
    color.a = getAlpha() * getTreeTransparency() * weight;
    const uint32_t argb = color.toARGB();
    const float xs[4] = {-halfWidth, halfWidth, -halfWidth, halfWidth};
    const float ys[4] = {-halfHeight, -halfHeight, halfHeight, halfHeight};
    for (int i = 0; i < 4; ++i)
    {
        sprite.corners[i].x = centre.x + xs[i];
        sprite.corners[i].y = centre.y + ys[i];
        sprite.corners[i].color = argb;
    }
}

} // namespace Engine
