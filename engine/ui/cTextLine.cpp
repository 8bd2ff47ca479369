#include "engine/ui/cTextLine.h"

#include "engine/core/cConstants.h"
#include "engine/core/cString.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cFontScaled.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTextTexture.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cGlyphView.h"
#include "platform/text/FontRaster.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cmath>
#include <memory>

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

// Letters and digits that keep their reading order inside a right-to-left line.
bool isLatinOrDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
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

bool constant(const wchar_t* key)
{
    bool value = false;
    if (cConstants* constants = cConstants::instance())
        constants->get(L"game", key, value);
    return value;
}

// The face that TrueType lines are measured with: the one their text textures are drawn with.
const Platform::FontRaster& trueTypeRaster()
{
    static const std::unique_ptr<Platform::FontRaster> raster = std::make_unique<Platform::FontRaster>(
        Platform::FontRaster::defaultFontPath(), cTextTexture::PixelHeight);
    return *raster;
}

} // namespace

cTextLine::cTextLine(cControl* parent)
    : cView(parent), m_rightToLeft(constant(L"RightToLeftEnable")), m_trueType(constant(L"TTFUsage"))
{
}

cTextLine::cTextLine(const cTextLine& other)
    : cView(other), m_fontName(other.m_fontName), m_textureName(other.m_textureName),
      m_spaceWidth(other.m_spaceWidth), m_multiplier(other.m_multiplier), m_intersymbol(other.m_intersymbol),
      m_align(other.m_align), m_localized(other.m_localized), m_font(other.m_font),
      m_fontTexture(other.m_fontTexture), m_rightToLeft(other.m_rightToLeft),
      m_ignoreRightToLeft(other.m_ignoreRightToLeft), m_trueType(other.m_trueType)
{
    // The source's text was translated when it was set: it is taken as it stands.
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

std::wstring cTextLine::rightToLeftOrder(const std::wstring& text)
{
    std::wstring shown;
    shown.reserve(text.size());
    // A run of Latin letters and digits, met backwards and shown forwards.
    size_t runEnd = text.size();
    for (size_t i = text.size(); i-- > 0;)
    {
        if (isLatinOrDigit(text[i]))
            continue;
        shown.append(text, i + 1, runEnd - i - 1);
        shown += text[i];
        runEnd = i;
    }
    shown.append(text, 0, runEnd);
    return shown;
}

std::wstring cTextLine::shownText() const
{
    return m_rightToLeft ? rightToLeftOrder(m_text) : m_text;
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
    if (!m_trueType && !getMultiSprites())
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
    changed();
    layoutWhenIdle();
}

void cTextLine::changed()
{
    setDirty();
    layOutBeforeDrawing();
}

void cTextLine::layOut()
{
    // A hidden line is laid out when it is shown.
    if (isShown())
        layout();
}

void cTextLine::layoutWhenIdle()
{
    // An updated line is laid out in its next update; one that gets none, now.
    if (isShown() && !isEffectivelyEnabled())
        layout();
}

void cTextLine::setTexture(const std::string& name)
{
    if (name == m_textureName)
        return;
    m_textureName = name;
    m_fontTexture = name.empty() ? boost::shared_ptr<cTexture>() : manager().getTexture(name);
    m_shrunkFound = false;
    changed();
}

void cTextLine::setFont(const std::string& name)
{
    if (name == m_fontName)
        return;
    m_fontName = name;
    m_font = name.empty() ? boost::shared_ptr<cFont>() : manager().getFont(name);
    m_shrunkFound = false;
    changed();
}

void cTextLine::setMultiplier(float multiplier)
{
    if (multiplier == m_multiplier)
        return;
    m_multiplier = multiplier;
    m_shrunkFound = false;
    changed();
}

void cTextLine::setAlign(uint32_t align)
{
    if (align == m_align)
        return;
    m_align = align;
    changed();
}

void cTextLine::setSpaceWidth(float width)
{
    if (width == m_spaceWidth)
        return;
    m_spaceWidth = width;
    changed();
}

void cTextLine::setIntersymbol(float intersymbol)
{
    if (intersymbol == m_intersymbol)
        return;
    m_intersymbol = intersymbol;
    changed();
}

void cTextLine::setRightToLeft(bool on)
{
    if (on == m_rightToLeft)
        return;
    m_rightToLeft = on;
    changed();
}

void cTextLine::setTrueType(bool on)
{
    if (on == m_trueType)
        return;
    m_trueType = on;
    m_shrunkFound = false;
    // Glyph views belong to the bitmap way: they are made again for the text when it returns.
    const std::wstring text = m_text;
    m_text.clear();
    for (cGlyphView* glyph : m_glyphViews)
    {
        glyph->hide();
        deleteLater(glyph);
    }
    m_glyphViews.clear();
    const bool localized = m_localized;
    m_localized = false;
    setText(text);
    m_localized = localized;
    changed();
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
    if (m_trueType)
        return m_textTexture;
    if (!getMultiSprites())
        return cView::getTexture();
    const cFontScaled* shrunk = shrunkGlyphs();
    if (shrunk)
        if (const boost::shared_ptr<cTexture>& texture = shrunk->getTexture())
            return texture;
    return m_fontTexture;
}

const cFontScaled* cTextLine::shrunkGlyphs() const
{
    if (!m_shrunkFound)
    {
        m_shrunk = m_trueType ? boost::shared_ptr<cFontScaled>()
                              : cFontScaled::find(m_font, m_textureName, m_multiplier);
        m_shrunkFound = true;
    }
    return m_shrunk.get();
}

boost::shared_ptr<cTexture> cTextLine::glyphPicture(const std::wstring& text,
                                                    std::vector<tGlyph>& glyphs) const
{
    const cFontScaled* shrunk = shrunkGlyphs();
    if (!shrunk)
        return m_fontTexture;
    const auto place = [&text, &glyphs](const auto& source)
    {
        sGlyph region;
        for (tGlyph& glyph : glyphs)
            if (source.getGlyph(text[glyph.character], region))
            {
                glyph.left = region.left;
                glyph.top = 1.0f - region.top;
                glyph.right = region.right;
                glyph.bottom = 1.0f - region.bottom;
            }
    };
    place(*shrunk);
    if (const boost::shared_ptr<cTexture>& texture = shrunk->getTexture())
        return texture;
    // A picture that cannot be reduced: the text is drawn from the font's own, whose texture
    // tells why when it is decoded.
    place(*m_font);
    return m_fontTexture;
}

bool cTextLine::isPrintable(wchar_t c) const
{
    if (m_trueType)
        return true;
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
    // Where the font and its picture meet: a picture that does not hold the letters is damaged.
    m_font->checkPicture(m_textureName, m_fontTexture->getImageWidth(), m_fontTexture->getImageHeight());
    const cVector2 units = textureUnits(*m_fontTexture);
    float cursor = 0.0f;
    sGlyph glyph;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const wchar_t c = text[i];
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
        placed.character = i;
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
    if (m_trueType)
    {
        uint32_t width = 0;
        uint32_t height = 0;
        trueTypeRaster().measure(std::wstring(chars, count), width, height);
        return {static_cast<float>(width), static_cast<float>(height)};
    }
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

void cTextLine::layout()
{
    if (m_trueType)
        layoutTrueType();
    else
        layoutGlyphs();
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
    const std::wstring text = shownText();
    if (!walk(text, false, glyphs, m_width, m_height))
        return;
    const boost::shared_ptr<cTexture> picture = glyphPicture(text, glyphs);
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
        view->setTexture(picture);
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

void cTextLine::layoutTrueType()
{
    if (!isDirty())
        return;
    const std::wstring text = shownText();
    if (m_textTexture)
        m_textTexture->setText(text);
    else
        m_textTexture = boost::make_shared<cTextTexture>(text, std::string());
    // An empty text draws nothing, whatever size its texture reports.
    const bool empty = text.find_first_not_of(L"\r\n") == std::wstring::npos;
    m_width = empty ? 0.0f : static_cast<float>(m_textTexture->getImageWidth());
    m_height = empty ? 0.0f : static_cast<float>(m_textTexture->getImageHeight());
    setSize({m_width, m_height});
    updateGeometry();
}

void cTextLine::buildSprite(cQuad& sprite, uint32_t, float weight)
{
    const cVector2& position = getPosition();
    if (!m_trueType)
    {
        sprite.setRect(position.x, position.y, position.x, position.y);
        sprite.setColor(0);
        return;
    }
    float centre = position.x;
    if (m_align == AlignStart)
        centre += m_width * 0.5f;
    else if (m_align == AlignEnd)
        centre -= m_width * 0.5f;
    // Whole units put the text's texels on whole pixels.
    const float left = std::round(centre - m_width * 0.5f);
    const float top = std::round(position.y - m_height * 0.5f);
    sprite.setRect(left, top, left + std::round(m_width), top + std::round(m_height));
    const cColor& color = getColor();
    sprite.setColor(cColor(color.r, color.g, color.b, color.a * getTreeTransparency() * weight).toARGB());
    sprite.uvFrom = cVector2(0.0f, 0.0f);
    sprite.uvTo = cVector2(1.0f, 1.0f);
}

void cTextLine::buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight)
{
    m_batchCharacters.clear();
    if (m_trueType)
    {
        sprites.resize(1);
        buildSprite(sprites[0], frame, weight);
        return;
    }
    std::vector<tGlyph> glyphs;
    const std::wstring text = shownText();
    walk(text, true, glyphs, m_width, m_height);
    glyphPicture(text, glyphs);
    const float offset = alignOffset();
    const cVector2& position = getPosition();
    const cColor& color = getColor();
    const uint32_t argb =
        cColor(color.r, color.g, color.b, color.a * getTreeTransparency() * weight).toARGB();
    sprites.resize(glyphs.size());
    m_batchCharacters.reserve(glyphs.size());
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
        m_batchCharacters.push_back(glyph.character);
    }
}

float cTextLine::getWidth()
{
    layout();
    return m_width;
}

float cTextLine::getHeight()
{
    layout();
    return m_height;
}

void cTextLine::update()
{
    cView::update();
    layout();
}

void cTextLine::onShow()
{
    layout();
    cView::onShow();
}

void cTextLine::onDisable()
{
    layout();
    cView::onDisable();
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
    m_ignoreRightToLeft = false;
    readKey(node, L"IgnoreRightToLeft", m_ignoreRightToLeft);
    if (m_ignoreRightToLeft)
        setRightToLeft(false);
    readKey(node, L"Align", align);
    cColor color = getColor();
    if (readKey(node, L"Color", color))
        setColor(color);

    setSpaceWidth(spaceWidth);
    setMultiplier(multiplier);
    setIntersymbol(intersymbol);
    setAlign(align);
    m_text.clear();
    if (m_trueType)
    {
        // The face is the text texture's; the bitmap font is only named, for a switch back.
        m_textureName = textureName;
        m_fontName = fontName;
        setText(text);
        setDirty();
        layoutTrueType();
        return;
    }
    setTexture(textureName);
    setFont(fontName);
    // A loaded bitmap line draws its letters as one batch, so the glyph views go.
    for (cGlyphView* glyph : m_glyphViews)
    {
        glyph->hide();
        deleteLater(glyph);
    }
    m_glyphViews.clear();
    setMultiSprites(true);
    setText(text);
    setDirty();
    layoutGlyphs();
}

namespace
{

const cControlFactory::cRegistration names({L"textline", L"text", L"t"}, &createControl<cTextLine>);

} // namespace

} // namespace Engine
