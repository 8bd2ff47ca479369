#include "engine/ui/cTextLine.h"

#include "engine/core/cString.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cGlyphView.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

namespace
{

bool isSpace(wchar_t c, bool batched)
{
    return c == L' ' || c == 0xA0 || (batched && c == L'\t');
}

bool isLineBreak(wchar_t c)
{
    return c == L'\n' || c == L'\r';
}

// The texture's picture in units: its pixels times its scale factors.
cVector2 textureUnits(const cTexture& texture)
{
    return {static_cast<float>(texture.getTextureWidth()) * texture.getUScale(),
            static_cast<float>(texture.getTextureHeight()) * texture.getVScale()};
}

cResourceManager& manager()
{
    cResourceManager* resources = cResourceManager::instance();
    if (!resources)
        throw cStringA("a text line needs the resource manager for its font");
    return *resources;
}

} // namespace

cTextLine::cTextLine(cControl* parent) : cView(parent) {}

cTextLine::cTextLine(const cTextLine& other)
    : cView(other), m_fontName(other.m_fontName), m_textureName(other.m_textureName),
      m_spaceWidth(other.m_spaceWidth), m_multiplier(other.m_multiplier), m_intersymbol(other.m_intersymbol),
      m_align(other.m_align), m_localized(other.m_localized), m_font(other.m_font),
      m_fontTexture(other.m_fontTexture)
{
    // The text is the source's already translated text: set as it stands.
    const bool localized = m_localized;
    m_localized = false;
    setText(other.m_text);
    m_localized = localized;
}

cTextLine::~cTextLine() = default;

std::wstring cTextLine::translate(const std::wstring& text) const
{
    cStrings* strings = m_localized ? cStrings::instance() : nullptr;
    return strings ? strings->translate(text) : text;
}

size_t cTextLine::drawableCount(const std::wstring& text) const
{
    if (!m_font)
        return 0;
    size_t count = 0;
    sGlyph glyph;
    for (const wchar_t c : text)
        if (c != L' ' && !isLineBreak(c) && m_font->getGlyph(c, glyph))
            ++count;
    return count;
}

void cTextLine::setText(const std::wstring& text)
{
    // The text is translated here, once: the layout draws the stored text as it is.
    const std::wstring translated = translate(text);
    if (translated == m_text)
        return;
    if (!getMultiSprites())
    {
        const size_t wanted = drawableCount(translated);
        while (m_glyphViews.size() > wanted)
        {
            cGlyphView* spare = m_glyphViews.back();
            m_glyphViews.pop_back();
            spare->hide();
            deleteLater(spare);
        }
        while (m_glyphViews.size() < wanted)
            m_glyphViews.push_back(new cGlyphView(this));
    }
    m_text = translated;
    setDirty();
    // A line that gets no update is laid out now; an updated one in its next update.
    if (isShown() && !isEffectivelyEnabled())
        layoutGlyphs();
}

void cTextLine::setTexture(const std::string& name)
{
    if (name == m_textureName)
        return;
    m_textureName = name;
    m_fontTexture = name.empty() ? boost::shared_ptr<cTexture>() : manager().getTexture(name);
    setDirty();
}

void cTextLine::setFont(const std::string& name)
{
    if (name == m_fontName)
        return;
    m_fontName = name;
    m_font = name.empty() ? boost::shared_ptr<cFont>() : manager().getFont(name);
    setDirty();
}

void cTextLine::setMultiplier(float multiplier)
{
    if (multiplier == m_multiplier)
        return;
    m_multiplier = multiplier;
    setDirty();
}

void cTextLine::setAlign(uint32_t align)
{
    if (align == m_align)
        return;
    m_align = align;
    setDirty();
}

void cTextLine::setSpaceWidth(float width)
{
    if (width == m_spaceWidth)
        return;
    m_spaceWidth = width;
    setDirty();
}

void cTextLine::setIntersymbol(float intersymbol)
{
    if (intersymbol == m_intersymbol)
        return;
    m_intersymbol = intersymbol;
    setDirty();
}

void cTextLine::setAlpha(float alpha)
{
    cView::setAlpha(alpha);
    if (!getMultiSprites())
        for (cGlyphView* glyph : m_glyphViews)
            glyph->setAlpha(alpha);
}

void cTextLine::setColor(const cColor& color)
{
    if (color.toARGB() == getColor().toARGB())
        return;
    cView::setColor(color);
}

boost::shared_ptr<cTexture> cTextLine::getTexture() const
{
    return getMultiSprites() ? m_fontTexture : cView::getTexture();
}

bool cTextLine::isPrintable(wchar_t c) const
{
    sGlyph glyph;
    return m_font && m_font->getGlyph(c, glyph);
}

bool cTextLine::walk(const std::wstring& text, bool batched, std::vector<tGlyph>& glyphs, float& width,
                     float& height) const
{
    glyphs.clear();
    width = 0.0f;
    height = 0.0f;
    if (!m_font || !m_fontTexture)
        return false;
    const cVector2 units = textureUnits(*m_fontTexture);
    float cursor = 0.0f;
    sGlyph glyph;
    for (const wchar_t c : text)
    {
        if (isLineBreak(c))
            continue;
        if (isSpace(c, batched))
        {
            cursor += m_spaceWidth;
            width += m_multiplier * m_spaceWidth * m_intersymbol;
            continue;
        }
        if (!m_font->getGlyph(c, glyph))
            continue;
        const float advance = glyph.advance * units.x * (batched ? m_intersymbol : 1.0f);
        tGlyph placed;
        placed.centre = m_multiplier * (cursor + advance * 0.5f);
        placed.width = m_multiplier * (glyph.right - glyph.left) * units.x;
        placed.height = m_multiplier * (glyph.top - glyph.bottom) * units.y;
        placed.left = glyph.left;
        placed.top = 1.0f - glyph.top;
        placed.right = glyph.right;
        placed.bottom = 1.0f - glyph.bottom;
        glyphs.push_back(placed);
        cursor += advance;
        width += m_multiplier * advance;
        height = std::max(height, std::fabs(placed.height));
    }
    return true;
}

cVector2 cTextLine::measureText(const wchar_t* chars, size_t count) const
{
    std::vector<tGlyph> glyphs;
    float width = 0.0f;
    float height = 0.0f;
    walk(std::wstring(chars, count), getMultiSprites(), glyphs, width, height);
    return {width, height};
}

float cTextLine::alignOffset() const
{
    if (m_align == AlignCentre)
        return -m_width * 0.5f;
    if (m_align == AlignEnd)
        return -m_width;
    return 0.0f;
}

void cTextLine::layoutGlyphs()
{
    if (!isDirty())
        return;
    if (getMultiSprites())
    {
        updateGeometry();
        return;
    }
    std::vector<tGlyph> glyphs;
    if (!walk(m_text, false, glyphs, m_width, m_height))
        return;
    const float offset = alignOffset();
    const cVector2& position = getPosition();
    const size_t placed = std::min(glyphs.size(), m_glyphViews.size());
    for (size_t i = 0; i < m_glyphViews.size(); ++i)
    {
        cGlyphView* view = m_glyphViews[i];
        if (i >= placed)
        {
            // More views than letters (a font changed since the text was set): none is shown at
            // a stale place.
            view->hide();
            continue;
        }
        const tGlyph& glyph = glyphs[i];
        view->setTexture(m_fontTexture);
        view->setUVRect({glyph.left, glyph.top, glyph.right, glyph.bottom});
        view->setSize({glyph.width, glyph.height});
        view->setPosition({position.x + glyph.centre + offset, position.y});
        view->setDeep(getDeep() + 0.01f * static_cast<float>(i));
        view->setAlpha(getAlpha());
        view->setColorARGB(getColor().toARGB());
        view->setRenderType(getRenderType());
        view->show();
    }
    m_dirty = false;
}

void cTextLine::buildSprite(cQuad& sprite, uint32_t, float)
{
    const cVector2& position = getPosition();
    sprite.setRect(position.x, position.y, position.x, position.y);
    sprite.setColor(0);
}

void cTextLine::buildSprites(std::vector<cQuad>& sprites, uint32_t, float weight)
{
    std::vector<tGlyph> glyphs;
    walk(m_text, true, glyphs, m_width, m_height);
    const float offset = alignOffset();
    const cVector2& position = getPosition();
    const cColor& color = getColor();
    const uint32_t argb =
        cColor(color.r, color.g, color.b, color.a * getTreeTransparency() * weight).toARGB();
    sprites.resize(glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i)
    {
        const tGlyph& glyph = glyphs[i];
        const float x = position.x + offset + glyph.centre;
        cQuad& quad = sprites[i];
        quad.setRect(x - glyph.width * 0.5f, position.y - glyph.height * 0.5f, x + glyph.width * 0.5f,
                     position.y + glyph.height * 0.5f);
        quad.setColor(argb);
        quad.uvFrom = cVector2(glyph.left, glyph.top);
        quad.uvTo = cVector2(glyph.right, glyph.bottom);
    }
}

float cTextLine::getWidth()
{
    layoutGlyphs();
    return m_width;
}

float cTextLine::getHeight()
{
    layoutGlyphs();
    return m_height;
}

void cTextLine::update()
{
    cView::update();
    layoutGlyphs();
}

void cTextLine::onShow()
{
    cView::onShow();
    layoutGlyphs();
}

void cTextLine::loadXML(const tPropertiesPtr& node)
{
    cView::loadXML(node);
    if (!node)
        return;
    std::wstring text;
    readKey(node, L"String", text);
    for (size_t at = text.find(L"/n"); at != std::wstring::npos; at = text.find(L"/n", at + 1))
        text.replace(at, 2, 1, L'\n');
    std::string textureName = m_textureName;
    std::string fontName = m_fontName;
    readKey(node, L"Texture", textureName);
    readKey(node, L"Font", fontName);
    float spaceWidth = m_spaceWidth;
    float multiplier = m_multiplier;
    float intersymbol = m_intersymbol;
    uint32_t align = m_align;
    readKey(node, L"SpaceWidth", spaceWidth);
    readKey(node, L"Multiplier", multiplier);
    readKey(node, L"Localized", m_localized);
    readKey(node, L"Intersymbol", intersymbol);
    bool ignoreRightToLeft = false;
    readKey(node, L"IgnoreRightToLeft", ignoreRightToLeft);
    readKey(node, L"Align", align);
    cColor color = getColor();
    if (readKey(node, L"Color", color))
        setColor(color);

    setSpaceWidth(spaceWidth);
    setMultiplier(multiplier);
    setIntersymbol(intersymbol);
    setAlign(align);
    setTexture(textureName);
    setFont(fontName);
    // A loaded line draws its letters as one batch, so the glyph views go.
    for (cGlyphView* glyph : m_glyphViews)
    {
        glyph->hide();
        deleteLater(glyph);
    }
    m_glyphViews.clear();
    setMultiSprites(true);
    m_text.clear();
    setText(text);
    setDirty();
    layoutGlyphs();
}

namespace
{

const cControlFactory::cRegistration names({L"textline", L"text", L"t"}, &createControl<cTextLine>);

} // namespace

} // namespace Engine
