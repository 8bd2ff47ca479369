#include "engine/ui/cBorder.h"

#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Engine
{

cBorder::cBorder(cControl* parent) : cPicture(parent) {}

void cBorder::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (node)
    {
        readKey(node, L"textureSize", m_textureSize);
        if (const boost::shared_ptr<cTexture> texture = getTexture())
            m_textureSize = cVector2(static_cast<float>(texture->getTextureWidth()),
                                     static_cast<float>(texture->getTextureHeight()));
        readKey(node, L"sliceTopLeft", m_slice);
        readKey(node, L"sliceTopLeft", m_farSlice);
        readKey(node, L"outset", m_outset);
        readKey(node, L"tileTop", m_tileTop);
        readKey(node, L"tileLeft", m_tileLeft);
        readKey(node, L"tileRight", m_tileRight);
        readKey(node, L"tileBottom", m_tileBottom);
        readKey(node, L"tileMiddle", m_tileMiddle);
    }
    fitToChildren();
}

void cBorder::fitToChildren()
{
    float left = std::numeric_limits<float>::max();
    float top = left;
    float right = -left;
    float bottom = -left;
    bool any = false;
    for (cControl* child : getChildren())
    {
        const cView* view = dynamic_cast<const cView*>(child);
        if (!view)
            continue;
        const cVector2 half = view->getSize() * 0.5f;
        left = std::min(left, view->getPosition().x - half.x);
        right = std::max(right, view->getPosition().x + half.x);
        top = std::min(top, view->getPosition().y - half.y);
        bottom = std::max(bottom, view->getPosition().y + half.y);
        any = true;
    }
    if (!any)
        left = top = right = bottom = 0.0f;
    // Moving a view moves its children: they are put back, as they are what the border fits.
    const cVector2 centre((left + right) * 0.5f, (top + bottom) * 0.5f);
    const cVector2 delta = centre - getPosition();
    setPosition(centre);
    for (cControl* child : getChildren())
        if (cView* view = dynamic_cast<cView*>(child))
            view->setPosition(view->getPosition() - delta);
    setSize({right - left, bottom - top});
    setDirty();
}

void cBorder::buildSprites(std::vector<cQuad>& sprites, uint32_t, float weight)
{
    sprites.clear();
    const float textureWidth = std::trunc(m_textureSize.x);
    const float textureHeight = std::trunc(m_textureSize.y);
    if (!(textureWidth > 0.0f) || !(textureHeight > 0.0f))
        return;
    const cVector2 half = getSize() * 0.5f;
    const cVector2& centre = getPosition();
    // Column and row edges of the destination and of the source.
    const float dx[4] = {centre.x - half.x - m_outset.x, centre.x - half.x - m_outset.x + m_slice.x,
                         centre.x + half.x + m_outset.x - m_farSlice.x, centre.x + half.x + m_outset.x};
    const float dy[4] = {centre.y - half.y - m_outset.y, centre.y - half.y - m_outset.y + m_slice.y,
                         centre.y + half.y + m_outset.y - m_farSlice.y, centre.y + half.y + m_outset.y};
    const float sx[4] = {0.0f, m_slice.x, textureWidth - m_farSlice.x, textureWidth};
    const float sy[4] = {0.0f, m_slice.y, textureHeight - m_farSlice.y, textureHeight};
    // Which patch repeats, by row and column; corners never do.
    const bool tiled[3][3] = {
        {false, m_tileTop, false}, {m_tileLeft, m_tileMiddle, m_tileRight}, {false, m_tileBottom, false}};
    const cColor& color = getColor();
    const uint32_t argb =
        cColor(color.r, color.g, color.b, color.a * getTreeTransparency() * weight).toARGB();

    const auto addQuad =
        [&](float left, float top, float right, float bottom, float u0, float v0, float u1, float v1)
    {
        float uLeft = u0 / textureWidth;
        float uRight = u1 / textureWidth;
        float vTop = v0 / textureHeight;
        float vBottom = v1 / textureHeight;
        if (getInverceX())
            std::swap(uLeft, uRight);
        if (getInverceY())
            std::swap(vTop, vBottom);
        cQuad quad;
        quad.setRect(left, top, right, bottom);
        quad.setColor(argb);
        quad.uvFrom = cVector2(uLeft, vTop);
        quad.uvTo = cVector2(uRight, vBottom);
        sprites.push_back(quad);
    };

    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
        {
            const float left = dx[column];
            const float right = dx[column + 1];
            const float top = dy[row];
            const float bottom = dy[row + 1];
            if (!(right > left) || !(bottom > top))
                continue;
            const float sourceWidth = sx[column + 1] - sx[column];
            const float sourceHeight = sy[row + 1] - sy[row];
            // A source patch without area cannot repeat (the loop would never end), and one that
            // would need thousands of quads is not worth them: both are stretched. The tiles are
            // counted, not stepped through, so float steps cannot stall.
            const float columns = sourceWidth > 0.0f ? std::ceil((right - left) / sourceWidth) : 0.0f;
            const float rows = sourceHeight > 0.0f ? std::ceil((bottom - top) / sourceHeight) : 0.0f;
            if (!tiled[row][column] || !(columns >= 1.0f) || !(rows >= 1.0f) ||
                columns * rows > static_cast<float>(MaxTilesPerPatch))
            {
                addQuad(left, top, right, bottom, sx[column], sy[row], sx[column + 1], sy[row + 1]);
                continue;
            }
            for (int j = 0; j < static_cast<int>(rows); ++j)
            {
                const float y = top + static_cast<float>(j) * sourceHeight;
                const float height = std::min(sourceHeight, bottom - y);
                for (int i = 0; i < static_cast<int>(columns); ++i)
                {
                    const float x = left + static_cast<float>(i) * sourceWidth;
                    const float width = std::min(sourceWidth, right - x);
                    if (width > 0.0f && height > 0.0f)
                        addQuad(x, y, x + width, y + height, sx[column], sy[row], sx[column] + width,
                                sy[row] + height);
                }
            }
        }
}

namespace
{

const cControlFactory::cRegistration names({L"border"}, &createControl<cBorder>);

} // namespace

} // namespace Engine
