#include "engine/ui/cListBox.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cButton.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cTextButton.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

cListBox::cListBox(cControl* parent)
    : cPicture(parent), m_upButton(new cButton(this)), m_downButton(new cButton(this)),
      m_rowTemplate(new cTextButton(this))
{
    m_rows.reserve(20);
    m_upButton->connectClickAction([this] { scrollUp(); });
    m_downButton->connectClickAction([this] { scrollDown(); });
}

void cListBox::setArea(const cVector2& topLeft, const cVector2& bottomRight)
{
    m_topLeft = topLeft;
    m_bottomRight = bottomRight;
}

cTextButton* cListBox::getRow(uint32_t index) const
{
    return index < m_rows.size() ? m_rows[index] : nullptr;
}

const std::wstring& cListBox::getItemText(uint32_t index) const
{
    static const std::wstring none;
    return index < m_rows.size() ? m_rows[index]->getCaption()->getText() : none;
}

void cListBox::addItem(const std::wstring& text)
{
    auto* row = new cTextButton(*m_rowTemplate);
    row->setParent(this);
    const auto index = static_cast<uint32_t>(m_rows.size());
    m_rows.push_back(row);
    if (row->getCaption()->getText() != text)
        row->getCaption()->setText(text);
    row->connectClickAction([this, index] { selectionSignal(index, this); });
    if (m_hoverCallback)
        row->highlightOnSignal.connect(m_hoverCallback);
    if (m_leaveCallback)
        row->highlightOffSignal.connect(m_leaveCallback);
    refresh();
}

void cListBox::clear()
{
    for (cTextButton* row : m_rows)
    {
        row->hide();
        deleteLater(row);
    }
    m_rows.clear();
    refresh();
}

uint32_t cListBox::shownRows() const
{
    const auto count = static_cast<uint32_t>(m_rows.size());
    // Rows without a distance between them take no room: all of them fit.
    if (!(m_interlinear > 0.0f))
        return count;
    const float rows = std::floor((m_bottomRight.y - m_topLeft.y) / m_interlinear);
    return rows > 0.0f ? static_cast<uint32_t>(std::min(rows, static_cast<float>(count))) : 0u;
}

void cListBox::refresh()
{
    const auto count = static_cast<uint32_t>(m_rows.size());
    if (count == 0)
    {
        m_upButton->hide();
        m_downButton->hide();
        return;
    }
    const uint32_t shown = shownRows();
    m_firstRow = std::min(m_firstRow, count - 1);
    if (count - m_firstRow < shown)
        m_firstRow = count - shown;
    const uint32_t last = std::min(m_firstRow + shown, count);
    const float areaHeight = m_bottomRight.y - m_topLeft.y;
    const cVector2& position = getPosition();
    for (uint32_t i = 0; i < count; ++i)
    {
        cTextButton* row = m_rows[i];
        if (i < m_firstRow || i >= last)
        {
            row->hide();
            continue;
        }
        const float k = static_cast<float>(i - m_firstRow);
        row->setPosition(
            {position.x, position.y - areaHeight * 0.5f + m_interlinear * 0.5f + k * m_interlinear});
        row->show();
        row->enable();
    }
    if (last < count)
        m_downButton->show();
    else
        m_downButton->hide();
    if (m_firstRow > 0)
        m_upButton->show();
    else
        m_upButton->hide();
}

void cListBox::scrollDown()
{
    if (m_firstRow + 1 < m_rows.size())
    {
        ++m_firstRow;
        refresh();
    }
}

void cListBox::scrollUp()
{
    if (m_firstRow > 0)
    {
        --m_firstRow;
        refresh();
    }
}

void cListBox::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (!node)
        return;
    readKey(node, L"Interlinear", m_interlinear);
    readKey(node, L"MaxRows", m_maxRows);
    readKey(node, L"TopLeft", m_topLeft);
    readKey(node, L"BottomRight", m_bottomRight);
    loadChildPart(*m_upButton, node, L"UpButton");
    loadChildPart(*m_downButton, node, L"DownButton");
    loadChildPart(*m_rowTemplate, node, L"Button");
    m_rowTemplate->hide();
    tPropertiesPtr strings;
    if (node->getChild(L"Strings", strings) && strings)
    {
        uint32_t count = 0;
        readKey(strings, L"Count", count);
        for (uint32_t i = 0; i < count; ++i)
        {
            std::wstring text;
            readKey(strings, (L"str" + std::to_wstring(i)).c_str(), text);
            addItem(text);
        }
    }
    refresh();
}

namespace
{

const cControlFactory::cRegistration names({L"listbox"}, &createControl<cListBox>);

} // namespace

} // namespace Engine
