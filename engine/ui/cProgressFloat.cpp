#include "engine/ui/cProgressFloat.h"

#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

namespace
{

constexpr float DegreesToRadians = 3.14159265358979323846f / 180.0f;

} // namespace

cProgressFloat::cProgressFloat(cControl* parent) : cPicture(parent) {}

void cProgressFloat::setMaxValue(float max)
{
    m_max = max;
    setDirty();
}

void cProgressFloat::setCurrentValue(float value)
{
    m_current = value;
    updateBar();
}

void cProgressFloat::updateBar()
{
    setDirty();
    const cQuad& quad = getSprite();
    if (!m_lid || m_side > SideBottom)
        return;
    // The corners: 0 top left, 1 top right, 2 bottom left, 3 bottom right.
    static constexpr int edges[4][2] = {{0, 2}, {1, 3}, {0, 1}, {2, 3}};
    const cQuadCorner& a = quad.corners[edges[m_side][0]];
    const cQuadCorner& b = quad.corners[edges[m_side][1]];
    m_lid->setPosition({(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f});
}

void cProgressFloat::buildSprite(cQuad& sprite, uint32_t frame, float weight)
{
    const uint32_t columns = std::max<uint32_t>(anim_columns, 1);
    const uint32_t rows = std::max<uint32_t>(anim_rows, 1);
    cVector2 origin(0.0f, 0.0f);
    cVector2 extent(1.0f, 1.0f);
    const boost::shared_ptr<cTexture> texture = getTexture();
    if (texture && getAtlasIndex() >= 0 && texture->getImageWidth() > 0 && texture->getImageHeight() > 0)
    {
        const float width = static_cast<float>(texture->getImageWidth());
        const float height = static_cast<float>(texture->getImageHeight());
        const tFrameRect& rect = getFrameRect();
        origin = cVector2(rect.x / width, rect.y / height);
        extent = cVector2(rect.width / width, rect.height / height);
    }
    const float cellWidth = extent.x / static_cast<float>(columns);
    const float cellHeight = extent.y / static_cast<float>(rows);
    // The texture edges mapped to the quad's left, right, top and bottom.
    float left = origin.x + static_cast<float>(frame % columns) * cellWidth;
    float right = left + cellWidth;
    float top = origin.y + static_cast<float>(frame / columns) * cellHeight;
    float bottom = top + cellHeight;
    if (getInverceX())
        std::swap(left, right);
    if (getInverceY())
        std::swap(top, bottom);

    // A maximum of 0 or less would give corners that are not numbers: such a bar is empty.
    const float max = std::max(m_max, 0.0f);
    m_current = std::clamp(m_current, 0.0f, max);
    const float filled = max > 0.0f ? m_current / max : 0.0f;
    const float cut = 1.0f - filled;

    const cVector2& size = getSize();
    float x0 = -size.x * 0.5f;
    float x1 = size.x * 0.5f;
    float y0 = -size.y * 0.5f;
    float y1 = size.y * 0.5f;
    switch (m_side)
    {
    case SideLeft:
        x0 += cut * size.x;
        left += cut * (right - left);
        break;
    case SideRight:
        x1 -= cut * size.x;
        right -= cut * (right - left);
        break;
    case SideTop:
        y0 += cut * size.y;
        top += cut * (bottom - top);
        break;
    case SideBottom:
        y1 -= cut * size.y;
        bottom -= cut * (bottom - top);
        break;
    default:
        break;
    }
    sprite.uvFrom = cVector2(left, top);
    sprite.uvTo = cVector2(right, bottom);

    float c = 1.0f;
    float s = 0.0f;
    if (getAngle() != 0.0f)
    {
        c = std::cos(getAngle() * DegreesToRadians);
        s = std::sin(getAngle() * DegreesToRadians);
    }
    const float xs[4] = {x0, x1, x0, x1};
    const float ys[4] = {y0, y0, y1, y1};
    const cColor& color = getColor();
    const uint32_t argb =
        cColor(color.r, color.g, color.b, color.a * getTreeTransparency() * weight).toARGB();
    const cVector2& position = getPosition();
    for (int i = 0; i < 4; ++i)
    {
        sprite.corners[i].x = position.x + xs[i] * c + ys[i] * s;
        sprite.corners[i].y = position.y - xs[i] * s + ys[i] * c;
        sprite.corners[i].color = argb;
    }
}

void cProgressFloat::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (node)
    {
        readKey(node, L"ProgressMaxValue", m_max);
        readKey(node, L"ProgressCurrentValue", m_current);
        uint32_t side = SideLeft;
        readKey(node, L"Side", side);
        setSide(side);
        tPropertiesPtr lid;
        if (node->getChild(L"Lid", lid) && lid)
        {
            m_lid = new cPicture(this);
            try
            {
                m_lid->loadXML(lid);
            }
            catch (...)
            {
                rethrowInLayout("child \"Lid\"");
            }
        }
    }
    updateBar();
}

namespace
{

const cControlFactory::cRegistration names({L"progressfloat"}, &createControl<cProgressFloat>);

} // namespace

} // namespace Engine
