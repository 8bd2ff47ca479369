#pragma once

#include "engine/ui/cPicture.h"

#include <cstdint>

namespace Engine
{

// The smallest drawable: an axis-aligned rectangle showing one region of a texture in one
// colour. Text lines draw a character with each, the text box its cursor. Rotation, frames and
// tiling are ignored, so a rebuild is cheap.
class cGlyphView : public cPicture
{
public:
    // Texture coordinates of the region.
    struct tUVRect
    {
        float left = 0.0f;
        float top = 0.0f;
        float right = 1.0f;
        float bottom = 1.0f;

        bool operator==(const tUVRect& o) const
        {
            return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
        }
        bool operator!=(const tUVRect& o) const { return !(*this == o); }
    };

    explicit cGlyphView(cControl* parent = nullptr);

    // 0xAARRGGBB; the alpha byte is not drawn (the view's alpha is).
    virtual const uint32_t& getColorARGB() const { return m_argb; }
    virtual void setColorARGB(const uint32_t& argb);
    virtual const tUVRect& getUVRect() const { return m_uv; }
    virtual void setUVRect(const tUVRect& uv);

protected:
    // The region's rectangle around the position, unrotated, in the colour's red, green and blue
    // at the view's alpha times its tree's transparency.
    void buildSprite(cQuad& sprite, uint32_t frame, float weight) override;

private:
    tUVRect m_uv;
    uint32_t m_argb = 0xFFFFFFFFu;
};

} // namespace Engine
