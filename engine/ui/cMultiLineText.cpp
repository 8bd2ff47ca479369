#include "engine/ui/cMultiLineText.h"

#include "engine/core/cStrings.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cTextLine.h"

#include <algorithm>

namespace Engine
{

cMultiLineText::cMultiLineText(cControl* parent) : cView(parent), m_template(new cTextLine(this)) {}

void cMultiLineText::onShow()
{
    cControl::onShow();
}

void cMultiLineText::onHide()
{
    cControl::onHide();
}

void cMultiLineText::setAlpha(float alpha)
{
    cView::setAlpha(alpha);
    for (cTextLine* line : m_lines)
        line->setAlpha(alpha);
}

void cMultiLineText::setText(const std::wstring& text, bool now)
{
    if (text == m_text)
        return;
    m_text = text;
    if (now)
        fit();
    else
        m_needsLayout = true;
}

void cMultiLineText::update()
{
    cView::update();
    if (m_needsLayout)
        fit();
}

cTextLine* cMultiLineText::addLine()
{
    auto* line = new cTextLine(*m_template);
    line->setParent(this);
    line->setLocalized(false);
    line->setPosition(getPosition());
    line->setAlpha(getAlpha());
    line->show();
    line->enable();
    m_lines.push_back(line);
    return line;
}

void cMultiLineText::wrap(const std::wstring& paragraph, cTextLine* line, float& lineHeight)
{
    const float available = getSize().x;
    size_t start = 0;
    while (start < paragraph.size())
    {
        // The longest run of whole words from `start` that fits; at least one word.
        size_t end = paragraph.find(L' ', start + 1);
        size_t fitting = end == std::wstring::npos ? paragraph.size() : end;
        while (end != std::wstring::npos)
        {
            const size_t next = paragraph.find(L' ', end + 1);
            const size_t candidate = next == std::wstring::npos ? paragraph.size() : next;
            if (line->measureText(paragraph.data() + start, candidate - start).x > available)
                break;
            fitting = candidate;
            end = next;
        }
        if (line->measureText(paragraph.data() + start, fitting - start).x > available)
        {
            // Even the first word is too wide: it stays whole on its own line.
            const size_t space = paragraph.find(L' ', start + 1);
            fitting = space == std::wstring::npos ? paragraph.size() : space;
        }
        line->setText(paragraph.substr(start, fitting - start));
        lineHeight = std::max(lineHeight, line->getHeight());
        start = paragraph.find_first_not_of(L' ', fitting);
        if (start == std::wstring::npos)
            break;
        line = addLine();
    }
}

void cMultiLineText::layout(float multiplier, float interlinear, float& lineHeight)
{
    // The old lines go at the end of the frame: this may run inside the enabled pass.
    for (cTextLine* line : m_lines)
    {
        line->hide();
        line->setParent(nullptr);
        deleteLater(line);
    }
    m_lines.clear();
    m_template->setMultiplier(multiplier);
    const float saved = m_interlinear;
    m_interlinear = interlinear;
    for (size_t at = m_text.find(L"/n"); at != std::wstring::npos; at = m_text.find(L"/n", at + 1))
        m_text.replace(at, 2, 1, L'\n');
    cStrings* strings = m_localized ? cStrings::instance() : nullptr;
    const std::wstring text = strings ? strings->translate(m_text) : m_text;
    lineHeight = 0.0f;
    size_t start = 0;
    while (start < text.size())
    {
        const size_t feed = text.find(L'\n', start);
        const std::wstring paragraph = text.substr(start, feed == std::wstring::npos ? feed : feed - start);
        cTextLine* line = addLine();
        if (m_wrapText)
        {
            wrap(paragraph, line, lineHeight);
        }
        else
        {
            line->setText(paragraph);
            lineHeight = std::max(lineHeight, line->getHeight());
        }
        if (feed == std::wstring::npos)
            break;
        start = feed + 1;
    }
    // Lines made by the wrap are placed by their index.
    for (size_t i = 0; i < m_lines.size(); ++i)
        m_lines[i]->setPosition({getPosition().x, getPosition().y + static_cast<float>(i) * interlinear});
    m_interlinear = saved;
    m_needsLayout = false;
}

void cMultiLineText::fit()
{
    float lineHeight = 0.0f;
    const float d = m_interlinear;
    layout(m_template->getMultiplier(), d, lineHeight);
    const float count = static_cast<float>(m_lines.size());
    const float height = getSize().y;
    float shift = 0.0f;
    switch (m_verticalAlign)
    {
    case 0:
        shift = d * 0.5f - count * d * 0.5f;
        break;
    case 1:
        shift = d * 0.5f - height * 0.5f;
        break;
    case 2:
        shift = d * 0.5f + height * 0.5f - count * d;
        break;
    default:
        break;
    }
    for (cTextLine* line : m_lines)
        line->setPosition(line->getPosition() + cVector2(0.0f, shift));
    if (height < count * d)
        setSize({getSize().x, count * d});
}

void cMultiLineText::loadXML(const tPropertiesPtr& node)
{
    cControl::loadXML(node);
    if (const cView* parent = dynamic_cast<const cView*>(getParent()))
    {
        const cVector2 position = parent->getPosition();
        setPosition(position);
    }
    if (!node)
        return;
    m_template->loadXML(node);
    // A copy: moving this view moves the template, whose position the argument would be.
    const cVector2 position = m_template->getPosition();
    setPosition(position);
    m_template->setText(std::wstring());
    m_template->hide();
    m_template->setLocalized(false);
    std::wstring text;
    if (!readKey(node, L"Text", text))
        readKey(node, L"String", text);
    cVector2 size = getSize();
    if (readKey(node, L"size", size))
        setSize(size);
    readKey(node, L"maxSize", m_maxSize);
    m_maxSize = cVector2(std::max(m_maxSize.x, getSize().x), std::max(m_maxSize.y, getSize().y));
    readKey(node, L"Localized", m_localized);
    readKey(node, L"Interlinear", m_interlinear);
    readKey(node, L"MinInterlinear", m_minInterlinear);
    readKey(node, L"MinMultiplier", m_minMultiplier);
    readKey(node, L"WrapText", m_wrapText);
    readKey(node, L"VerticalAlign", m_verticalAlign);
    readKey(node, L"WrapStyle", m_wrapStyle);
    m_text = text;
    fit();
}

namespace
{

const cControlFactory::cRegistration names({L"mt", L"mtext", L"multilinetext", L"multietext"},
                                           &createControl<cMultiLineText>);

} // namespace

} // namespace Engine
