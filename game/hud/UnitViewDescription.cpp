#include "game/hud/UnitViewDescription.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "game/hud/ViewState.h"

#include <boost/make_shared.hpp>

namespace
{

// The attribute as a vector; `empty` when the text is empty.
Engine::cVector2 offset(const Engine::tPropertiesPtr& node, const wchar_t* key, const Engine::cVector2& empty)
{
    const std::wstring& text = node->getAttribute(key);
    Engine::cVector2 value = empty;
    if (!text.empty())
        Engine::fromString(value, text);
    return value;
}

// The "pos" of every child of a list, as floats read from two ints.
std::vector<Engine::cVector2> positions(const Engine::tPropertiesPtr& root, const wchar_t* listName)
{
    std::vector<Engine::cVector2> result;
    Engine::tPropertiesPtr list;
    if (!root->getChild(listName, list))
        return result;
    Engine::tPropertiesList children;
    list->getChildren(children);
    for (const auto& child : children)
    {
        Engine::cPoint point(0, 0);
        Engine::fromString(point, child->getAttribute(L"pos"));
        result.emplace_back(static_cast<float>(point.x), static_cast<float>(point.y));
    }
    return result;
}

} // namespace

UnitViewDescription::UnitViewDescription(int unitTypeId, std::string source)
    : m_typeId(unitTypeId), m_source(std::move(source))
{
}

UnitViewDescription::~UnitViewDescription() = default;

void UnitViewDescription::load(const boost::shared_ptr<Engine::cProperties>& root)
{
    m_name = root->getAttribute(L"name");
    m_goalTickOffset = offset(root, L"goalTickOffset", Engine::cVector2(0.0f, 0.0f));
    m_progressOffset = offset(root, L"progressOffset", Engine::cVector2(0.0f, 0.0f));
    m_upgradeButtonOffset = offset(root, L"upgradeButtonOffset", Engine::cVector2(0.0f, 0.0f));
    m_upgradeIndicatorOffset = offset(root, L"upgradeIndicatorOffset", Engine::cVector2(-1000.0f, -1000.0f));
    m_upgradeButtonPositions = positions(root, L"UpgradeButtons");
    m_upgradeIndicatorPositions = positions(root, L"UpgradeIndicators");
    loadStates(root);
}

void UnitViewDescription::loadStates(const boost::shared_ptr<Engine::cProperties>& root)
{
    Engine::tPropertiesPtr list;
    if (root->getChild(L"Selection", list))
    {
        Engine::tPropertiesList children;
        list->getChildren(children);
        for (const auto& child : children)
        {
            int number = 0;
            Engine::cVector2 pos(0.0f, 0.0f);
            Engine::fromString(number, child->getAttribute(L"number"));
            Engine::fromString(pos, child->getAttribute(L"pos"));
            m_selectionOffsets[number] = pos;
        }
    }

    const bool parseNow = m_typeId == kParseNowTypeId;
    if (root->getChild(L"ViewStates", list))
    {
        Engine::tPropertiesList children;
        list->getChildren(children);
        for (const auto& child : children)
        {
            const std::wstring& stateName = child->getAttribute(L"Name");
            if (stateName.empty() || m_states.count(stateName))
                continue;
            auto state = boost::make_shared<ViewState>(stateName, m_source);
            state->init(child, parseNow);
            m_states.emplace(stateName, state);
        }
    }

    if (root->getChild(L"UpStatesMatrix", list))
    {
        Engine::tPropertiesList children;
        list->getChildren(children);
        for (size_t level = 0; level < children.size(); ++level)
        {
            auto row = boost::make_shared<Row>();
            for (int state = 0; state < kUnitStateCount; ++state)
            {
                const std::wstring& stateName = children[level]->getAttribute(unitStateName(state));
                if (stateName.empty())
                    continue;
                // A name no view state has gives an empty entry: the view keeps its look.
                const auto found = m_states.find(stateName);
                (*row)[state] = found == m_states.end() ? StatePtr() : found->second;
            }
            m_rows.push_back(row);
        }
    }
}

UnitViewDescription::StatePtr UnitViewDescription::getStateName(unsigned level, eUnitState state) const
{
    const int key = static_cast<int>(state);
    if (level < m_rows.size())
    {
        const Row& row = *m_rows[level];
        const auto found = row.find(key);
        if (found != row.end())
            return found->second;
        if (key != 0)
        {
            const auto idle = row.find(0);
            if (idle != row.end())
                return idle->second;
        }
    }
    const auto idle = m_states.find(unitStateName(0));
    return idle == m_states.end() ? StatePtr() : idle->second;
}

void UnitViewDescription::detachStates()
{
    for (const auto& entry : m_states)
        entry.second->detachViews();
}

void UnitViewDescription::hideStates()
{
    for (const auto& entry : m_states)
        entry.second->hideViews();
}

void UnitViewDescription::release()
{
    for (const auto& entry : m_states)
        entry.second->release();
}
