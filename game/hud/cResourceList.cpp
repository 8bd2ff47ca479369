#include "game/hud/cResourceList.h"

#include "engine/core/StringUtils.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cPicture.h"
#include "game/hud/cIconText.h"
#include "game/world/GameConfig.h"

#include <cmath>
#include <string>

namespace
{

// The step to the k-th of n shown items of the compact block, in cells of the compact offset.
Engine::cVector2 compactStep(uint32_t n, uint32_t k)
{
    static const float steps[5][6][2] = {
        {{-0.5f, 0.0f}, {1.0f, 0.0f}},
        {{-1.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 0.0f}},
        {{-0.5f, -0.5f}, {1.0f, 0.0f}, {-1.0f, 1.0f}, {1.0f, 0.0f}},
        {{-0.5f, -0.5f}, {1.0f, 0.0f}, {-1.5f, 1.0f}, {1.0f, 0.0f}, {1.0f, 0.0f}},
        {{-1.0f, -0.5f}, {1.0f, 0.0f}, {1.0f, 0.0f}, {-2.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, 0.0f}},
    };
    if (n < 2 || n > 6 || k >= n)
        return Engine::cVector2(0.0f, 0.0f);
    return Engine::cVector2(steps[n - 2][k][0], steps[n - 2][k][1]);
}

} // namespace

cResourceList::cResourceList(Engine::cControl* parent)
    : Engine::cView(parent), m_prototype(new cIconText(this))
{
    m_enabledColor = Engine::cColor::fromARGB(0xFFE0E000u);
    m_disabledColor = Engine::cColor::fromARGB(0xFFFF6060u);
}

cResourceList::~cResourceList() = default;

void cResourceList::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cView::loadXML(node);
    Engine::readKey(node, L"DisableTextColor", m_disabledColor);
    Engine::readKey(node, L"EnableTextColor", m_enabledColor);
    Engine::readKey(node, L"ShowWithCriteria", m_showWithCriteria);
    Engine::readKey(node, L"ShowIfZero", m_showIfZero);
    Engine::readKey(node, L"ShowWithX", m_showWithX);
    Engine::readKey(node, L"ShowWithPlus", m_showWithPlus);
    Engine::readKey(node, L"ShowOnlyIcons", m_showOnlyIcons);
    Engine::readKey(node, L"Compact", m_compact);
    Engine::readKey(node, L"linear_offset", m_linearOffset);
    Engine::readKey(node, L"compact_offset", m_compactOffset);
    Engine::loadChildXML(m_prototype, node, L"ItemProto", nullptr);
    // The prototype is only copied, never shown.
    m_prototype->hide();
    hide();
}

void cResourceList::setItems(cGameResources shown, cGameResources have)
{
    m_shown.assign(shown);
    m_have.assign(have);
    for (cIconText* item : m_items)
        item->hide();
    m_itemCount = 0;
    const NameIdTable& names = GameConfig::instance().resourceNames();
    for (const auto& [id, amount] : m_shown.getItems())
    {
        if (m_itemCount == m_items.size())
        {
            auto* item = new cIconText(*m_prototype);
            item->setParent(this);
            m_items.push_back(item);
        }
        cIconText* item = m_items[m_itemCount++];
        item->setIcon("Units/Icons/" + Engine::toUtf8(names.nameOf(id)) + ".jpg");
        item->setNeed(amount);
        item->setHave(m_have.getCount(id));
    }
    m_total = 0;
    // Nothing would draw the items of a hidden list.
    show();
    if (m_compact)
        layoutCompact();
    else
        layoutLinear();
}

bool cResourceList::isListed(const cIconText& item) const
{
    return m_showIfZero || item.getNeed() != 0;
}

void cResourceList::showItem(cIconText& item) const
{
    item.show();
    const bool enough = item.getNeed() <= item.getHave();
    if (enough)
        item.enable();
    else
        item.disable();
    item.setColor(enough ? m_enabledColor : m_disabledColor);
    if (item.hasDisableView())
        item.getIcon()->setFrame(enough ? 0 : 1);
}

void cResourceList::layoutLinear()
{
    Engine::cVector2 sum(0.0f, 0.0f);
    for (uint32_t i = 0; i < m_itemCount; ++i)
    {
        cIconText& item = *m_items[i];
        m_total += item.getNeed();
        if (!isListed(item))
        {
            item.hide();
            continue;
        }
        std::wstring suffix;
        if (m_showWithX)
            suffix = L"x";
        if (m_showWithPlus)
            suffix = L"+";
        item.setText(m_showOnlyIcons ? suffix : std::to_wstring(item.getNeed()) + suffix);
        showItem(item);
        sum = sum + m_linearOffset;
    }
    const float length = std::sqrt(sum.x * sum.x + sum.y * sum.y);
    Engine::cVector2 point(getPosition().x - length * 0.5f, getPosition().y);
    for (uint32_t i = 0; i < m_itemCount; ++i)
    {
        cIconText& item = *m_items[i];
        if (!isListed(item))
            continue;
        item.setPosition(point);
        point = point + m_linearOffset;
    }
}

void cResourceList::layoutCompact()
{
    uint32_t count = 0;
    for (uint32_t i = 0; i < m_itemCount; ++i)
        if (isListed(*m_items[i]))
            ++count;
    Engine::cVector2 point = getPosition();
    uint32_t k = 0;
    for (uint32_t i = 0; i < m_itemCount; ++i)
    {
        cIconText& item = *m_items[i];
        m_total += item.getNeed();
        if (!isListed(item))
        {
            item.hide();
            continue;
        }
        item.setText(std::to_wstring(item.getNeed()) + (m_showWithX ? L"x" : L""));
        const Engine::cVector2 step = compactStep(count, k++);
        point = point + Engine::cVector2(step.x * m_compactOffset.x, step.y * m_compactOffset.y);
        item.setPosition(point);
        showItem(item);
    }
}
