#include "engine/ui/cTextBox.h"

#include "engine/core/cTimer.h"
#include "engine/devices/InputLanguage.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cGlyphView.h"

namespace Engine
{

namespace
{

constexpr wchar_t Backspace = 8;
constexpr wchar_t CursorCharacter = L'_';

} // namespace

cTextBox::cTextBox(cControl* parent) : cTextLine(parent)
{
    setLocalized(false);
    // Typing measures every character in the bitmap font.
    setTrueType(false);
}

cTextBox::~cTextBox() = default;

void cTextBox::connect(const tFilter& filter)
{
    m_filter = filter;
}

void cTextBox::onChar(wchar_t c)
{
    if (m_filter && !m_filter(c))
        return;
    const bool wasRightToLeft = m_rightToLeftTyping;
    m_rightToLeftTyping = false;
    if (isRightToLeft() && currentInputLanguage() == LanguageHebrew)
    {
        if (c == Backspace)
            m_rightToLeftTyping = wasRightToLeft;
        else if (c >= 255)
            m_rightToLeftTyping = true;
    }

    if (c == Backspace)
    {
        std::wstring text = getText();
        if (!text.empty())
            text.pop_back();
        setText(text);
    }
    else if (c != L'\n' && c != L'\r')
    {
        float width = 0.0f;
        bool drawable = false;
        if (c == L' ' || c == 0xA0)
        {
            width = getSpaceWidth() * getMultiplier();
            drawable = true;
        }
        else if (sGlyph glyph; getFont() && getFontTexture() && getFont()->getGlyph(c, glyph))
        {
            width = glyph.advance * static_cast<float>(getFontTexture()->getTextureWidth()) *
                    getFontTexture()->getUScale();
            drawable = true;
        }
        // Only the character that does not fit is refused: a narrower one may still fit.
        if (drawable && m_cursorWidth + getWidth() + width < m_maxLength)
            setText(getText() + c);
    }
    changedSignal(this);
}

void cTextBox::update()
{
    const cTimer* timer = cTimer::instance();
    m_blinkTime += timer ? timer->getFrameTime() : 0.0f;
    if (m_blinkTime > m_blinkingPeriod)
    {
        m_blinkTime = 0.0f;
        m_cursorVisible = !m_cursorVisible;
        if (m_cursor && m_cursorVisible)
            m_cursor->show();
        else if (m_cursor)
            m_cursor->hide();
    }
    cTextLine::update();
}

void cTextBox::onTransparencyChanged()
{
    cTextLine::onTransparencyChanged();
    if (m_cursor)
        m_cursor->setDirty();
}

void cTextBox::onEnable()
{
    cTextLine::onEnable();
    if (cInput* input = cInput::instance())
        m_input = input->connectChar([this](wchar_t c) { onChar(c); });
}

void cTextBox::onDisable()
{
    cTextLine::onDisable();
    m_input.disconnect();
}

void cTextBox::layoutGlyphs()
{
    cTextLine::layoutGlyphs();
    placeCursor();
}

void cTextBox::placeCursor()
{
    if (!m_cursor)
        return;
    const float width = getLaidOutWidth();
    const float half = m_cursorWidth * 0.5f;
    float offset = 0.0f;
    switch (getAlign())
    {
    case AlignCentre:
        offset = width * 0.5f + half;
        break;
    case AlignStart:
        offset = width + half;
        break;
    case AlignEnd:
        offset = half;
        break;
    default:
        return;
    }
    if (m_rightToLeftTyping)
        offset = -offset;
    m_cursor->setPosition({getPosition().x + offset, getPosition().y});
}

void cTextBox::loadXML(const tPropertiesPtr& node)
{
    cTextLine::loadXML(node);
    if (!node)
        return;
    readKey(node, L"MaxLength", m_maxLength);
    readKey(node, L"BlinkingPeriod", m_blinkingPeriod);
    if (!m_cursor)
        m_cursor = new cGlyphView(this);
    sGlyph glyph;
    const auto& font = getFont();
    const auto& texture = getFontTexture();
    if (!font || !texture || !font->getGlyph(CursorCharacter, glyph))
        return;
    const float textureWidth = static_cast<float>(texture->getTextureWidth()) * texture->getUScale();
    const float textureHeight = static_cast<float>(texture->getTextureHeight()) * texture->getVScale();
    m_cursor->setTexture(texture);
    m_cursor->setUVRect({glyph.left, 1.0f - glyph.top, glyph.right, 1.0f - glyph.bottom});
    m_cursor->setSize({getMultiplier() * (glyph.right - glyph.left) * textureWidth,
                       getMultiplier() * (glyph.top - glyph.bottom) * textureHeight});
    m_cursor->setDeep(getDeep() + 20.0f);
    m_cursor->setAlpha(getAlpha());
    m_cursor->setColorARGB(getColor().toARGB());
    m_cursor->setRenderType(getRenderType());
    m_cursor->show();
    m_cursor->enable();
    m_cursorWidth = glyph.advance * textureWidth;
    placeCursor();
}

namespace
{

const cControlFactory::cRegistration names({L"textbox"}, &createControl<cTextBox>);

} // namespace

} // namespace Engine
