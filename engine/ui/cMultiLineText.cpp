#include "engine/ui/cMultiLineText.h"

#include "engine/core/cStrings.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cTextLine.h"

#include <algorithm>

namespace Engine
{

namespace
{

// The fit's searches stop once the interval is this narrow or the lines fit with less room
// to spare than `Slack`.
constexpr float Narrowest = 0.015f;
constexpr float Slack = 5.0f;

void replaceLineBreakMarks(std::wstring& text)
{
    for (size_t at = text.find(L"/n"); at != std::wstring::npos; at = text.find(L"/n", at + 1))
        text.replace(at, 2, 1, L'\n');
}

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

} // namespace

cMultiLineText::cMultiLineText(cControl* parent) : cView(parent), m_template(new cTextLine(this))
{
    m_textColor = m_template->getColor();
}

void cMultiLineText::onShow()
{
    cControl::onShow();
    if (m_needsLayout)
        layOutBeforeDrawing();
}

void cMultiLineText::layOut()
{
    // A hidden text is fitted when it is shown.
    if (m_needsLayout && isShown())
        fit();
}

void cMultiLineText::onHide()
{
    cControl::onHide();
}

void cMultiLineText::setDeep(float deep)
{
    cView::setDeep(deep);
    leaveRenderRegistry();
}

void cMultiLineText::setAlpha(float alpha)
{
    cView::setAlpha(alpha);
    for (cTextLine* line : m_lines)
        line->setAlpha(alpha);
}

void cMultiLineText::setSize(const cVector2& size)
{
    m_baseSize = size;
    setBox(size);
}

void cMultiLineText::setBox(const cVector2& size)
{
    cView::setSize(size);
    m_template->setSize(size);
}

void cMultiLineText::setText(const std::wstring& text, bool now)
{
    if (text == m_text)
        return;
    m_text = text;
    if (now)
        fit();
    else
    {
        m_needsLayout = true;
        layOutBeforeDrawing();
    }
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
    // The text is translated once, before it is split into lines.
    line->setLocalized(false);
    const float index = static_cast<float>(m_lines.size());
    line->setPosition({getPosition().x, getPosition().y + index * m_usedInterlinear});
    line->setColor(m_textColor);
    line->setAlpha(getAlpha());
    line->show();
    line->enable();
    m_lines.push_back(line);
    return line;
}

float cMultiLineText::measure(const std::wstring& text, size_t from, size_t to) const
{
    return m_template->measureText(text.data() + from, to - from).x;
}

void cMultiLineText::wrapAtSpaces(const std::wstring& paragraph, std::vector<std::wstring>& lines) const
{
    const float available = getSize().x;
    const size_t length = paragraph.size();
    size_t lineStart = 0;
    // The end of the last word on the line, and the width the line holds so far.
    size_t wordStart = 0;
    bool holdsWord = false;
    float width = 0.0f;
    const auto close = [&](size_t end) { lines.back() = paragraph.substr(lineStart, end - lineStart); };
    while (wordStart < length)
    {
        // A word takes the spaces before it, up to the next space.
        const size_t firstLetter = paragraph.find_first_not_of(L' ', wordStart);
        if (firstLetter == std::wstring::npos)
            break;
        size_t wordEnd = paragraph.find(L' ', firstLetter);
        if (wordEnd == std::wstring::npos)
            wordEnd = length;
        const float wordWidth = measure(paragraph, wordStart, wordEnd);
        if (width + wordWidth <= available)
        {
            width += wordWidth;
            holdsWord = true;
            wordStart = wordEnd;
            continue;
        }
        if (holdsWord)
        {
            // The line ends after the previous word; the word is tried again on a new line.
            close(wordStart);
            lines.emplace_back();
            lineStart = std::min(wordStart + 1, length);
            wordStart = lineStart;
            holdsWord = false;
            width = 0.0f;
            continue;
        }
        // A word wider than the box stays whole on a line of its own.
        close(wordEnd);
        lineStart = std::min(wordEnd + 1, length);
        wordStart = lineStart;
        if (paragraph.find_first_not_of(L' ', lineStart) == std::wstring::npos)
            return;
        lines.emplace_back();
    }
    close(length);
}

void cMultiLineText::wrapAtLastSpace(const std::wstring& paragraph, std::vector<std::wstring>& lines) const
{
    const float available = getSize().x;
    std::wstring rest = paragraph;
    if (rest.empty())
        return;
    // A longer part of a text is never narrower: a line costs what it holds, not what the rest
    // of the paragraph holds, when the parts measured grow from the line's start.
    const auto fitsTo = [&](size_t length) { return measure(rest, 0, length) <= available; };
    while (true)
    {
        // Parts twice as long each time, up to the whole rest or one that is too wide.
        size_t fits = 1;
        size_t tooWide = 0;
        for (size_t length = 1;; length = std::min(length * 2, rest.size()))
        {
            if (!fitsTo(length))
            {
                tooWide = length;
                break;
            }
            fits = length;
            if (length == rest.size())
                break;
        }
        size_t cut = rest.size();
        if (tooWide != 0)
        {
            // The line ends at the last space (not the first character) before which it fits;
            // when not even the first space fits, the cut stands there.
            bool lineFits = false;
            for (size_t space = rest.find(L' ', 1); space != std::wstring::npos;
                 space = rest.find(L' ', space + 1))
            {
                const bool spaceFits = space < tooWide && fitsTo(space);
                if (spaceFits || !lineFits)
                    cut = space;
                if (!spaceFits)
                    break;
                lineFits = true;
            }
            if (!lineFits)
            {
                // Even the shortest cut at a space is too wide: the longest part that fits,
                // and at least one character, so that every line takes some of the text.
                fits = std::min(fits, std::max<size_t>(cut, 1));
                tooWide = std::min(tooWide, std::max<size_t>(cut, 1));
                while (tooWide > fits + 1)
                {
                    const size_t middle = fits + (tooWide - fits) / 2;
                    if (fitsTo(middle))
                        fits = middle;
                    else
                        tooWide = middle;
                }
                cut = std::max<size_t>(fits, 1);
            }
        }
        lines.back() = rest.substr(0, cut);
        if (cut == rest.size())
            return;
        const size_t next =
            std::find_if_not(rest.begin() + static_cast<std::ptrdiff_t>(cut), rest.end(), isBlank) -
            rest.begin();
        size_t last = rest.size();
        while (last > next && isBlank(rest[last - 1]))
            --last;
        if (next >= last)
            return;
        rest = rest.substr(next, last - next);
        lines.emplace_back();
    }
}

std::vector<std::wstring> cMultiLineText::breakLines(float multiplier)
{
    m_template->setMultiplier(multiplier);
    replaceLineBreakMarks(m_text);
    cStrings* strings = m_localized ? cStrings::instance() : nullptr;
    const std::wstring text = strings ? strings->translate(m_text) : m_text;
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size())
    {
        const size_t feed = text.find(L'\n', start);
        lines.push_back(text.substr(start, feed == std::wstring::npos ? feed : feed - start));
        const std::wstring paragraph = lines.back();
        if (m_wrapText && m_wrapStyle == 0)
            wrapAtSpaces(paragraph, lines);
        else if (m_wrapText)
            wrapAtLastSpace(paragraph, lines);
        if (feed == std::wstring::npos)
            break;
        start = feed + 1;
    }
    return lines;
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
    m_usedInterlinear = interlinear;
    lineHeight = 0.0f;
    for (const std::wstring& text : breakLines(multiplier))
    {
        cTextLine* line = addLine();
        line->setText(text);
        lineHeight = std::max(lineHeight, line->getHeight());
    }
    m_needsLayout = false;
}

void cMultiLineText::fit()
{
    // Every fit starts from the loaded box and size: a shorter text gets a smaller box again.
    setBox(m_baseSize);
    // A maximum below the box in either direction never lets it grow.
    const cVector2 maxSize =
        m_maxSize.x < m_baseSize.x || m_maxSize.y < m_baseSize.y ? m_baseSize : m_maxSize;
    // A multiplier given to the template from outside since the last fit is the new start.
    if (m_template->getMultiplier() != m_usedMultiplier)
        m_normalMultiplier = m_template->getMultiplier();
    float m = m_normalMultiplier;
    float d = m_interlinear;
    // The height the lines need with (m, d), measured by the font's metrics alone: only the
    // size the fit ends with gets line views, and with them glyphs drawn at that size. The
    // lines are laid out in the box of the last measure.
    size_t lines = 0;
    cVector2 measuredBox;
    const auto needed = [&](float multiplier, float interlinear)
    {
        lines = breakLines(multiplier).size();
        measuredBox = getSize();
        return static_cast<float>(lines) * interlinear;
    };
    float need = needed(m, d);
    const auto height = [this] { return getSize().y; };

    if (lines > 0 && height() < need)
    {
        // Grow the box towards the maximum size.
        if (getSize() != maxSize)
        {
            float low = 0.0f;
            float high = 1.0f;
            float slack = 0.0f;
            do
            {
                const float t = (low + high) * 0.5f;
                setBox(m_baseSize + (maxSize - m_baseSize) * t);
                need = needed(m, d);
                if (height() > need)
                {
                    slack = height() - need;
                    high = t;
                }
                else
                {
                    slack = Slack;
                    low = t;
                }
            } while (high - low > Narrowest && slack >= Slack);
        }
        // Then shrink the line distance and the letters towards their minimums.
        if (height() < need)
        {
            setBox(maxSize);
            const bool shrinkDistance = m_minInterlinear > 0.0f && m_minInterlinear < d;
            const bool shrinkLetters = m_minMultiplier > 0.0f && m_minMultiplier < m;
            if (shrinkDistance || shrinkLetters)
            {
                if (m_minInterlinear == 0.0f)
                    m_minInterlinear = d;
                if (m_minMultiplier == 0.0f)
                    m_minMultiplier = m;
                float low = 0.0f;
                float high = 1.0f;
                float slack = 0.0f;
                do
                {
                    const float t = (low + high) * 0.5f;
                    m = m_minMultiplier + t * (m_normalMultiplier - m_minMultiplier);
                    d = m_minInterlinear + t * (m_interlinear - m_minInterlinear);
                    need = needed(m, d);
                    if (height() > need)
                    {
                        slack = height() - need;
                        low = t;
                    }
                    else
                    {
                        slack = Slack;
                        high = t;
                    }
                } while (high - low > Narrowest && slack >= Slack);
            }
        }
    }

    const cVector2 box = getSize();
    setBox(measuredBox);
    float lineHeight = 0.0f;
    layout(m, d, lineHeight);
    setBox(box);

    // The block's place in the box.
    const float count = static_cast<float>(m_lines.size());
    float shift = 0.0f;
    switch (m_verticalAlign)
    {
    case 0:
        shift = d * 0.5f - count * d * 0.5f;
        break;
    case 1:
        shift = d * 0.5f - height() * 0.5f;
        break;
    case 2:
        shift = d * 0.5f + height() * 0.5f - count * d;
        break;
    default:
        break;
    }
    for (cTextLine* line : m_lines)
        line->setPosition(line->getPosition() + cVector2(0.0f, shift));
    m_usedInterlinear = d;
    m_usedMultiplier = m;
    if (height() < need)
        cView::setSize({getSize().x, need});
    m_needsLayout = false;
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
    m_normalMultiplier = m_template->getMultiplier();
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
    // A maximum below the size in either direction is the size: the box never grows then.
    if (m_maxSize.x < m_baseSize.x || m_maxSize.y < m_baseSize.y)
        m_maxSize = m_baseSize;
    readKey(node, L"Localized", m_localized);
    readKey(node, L"Interlinear", m_interlinear);
    readKey(node, L"MinInterlinear", m_minInterlinear);
    readKey(node, L"MinMultiplier", m_minMultiplier);
    readKey(node, L"WrapText", m_wrapText);
    readKey(node, L"VerticalAlign", m_verticalAlign);
    readKey(node, L"WrapStyle", m_wrapStyle);
    m_textColor = cColor::fromARGB(m_template->getColor().toARGB());
    m_text = text;
    fit();
}

namespace
{

const cControlFactory::cRegistration names({L"mt", L"mtext", L"multilinetext", L"multietext"},
                                           &createControl<cMultiLineText>);

} // namespace

} // namespace Engine
