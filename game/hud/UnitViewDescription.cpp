#include "game/hud/UnitViewDescription.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "game/hud/ViewState.h"

#include <boost/make_shared.hpp>

void UnitViewDescription::load(const boost::shared_ptr<Engine::cProperties>& root)
{
    name = root->getAttribute(L"name");
    Engine::tPropertiesPtr list;
    if (root->getChild(L"ViewStates", list))
    {
        Engine::tPropertiesList entries;
        list->getChildren(entries);
        for (const auto& entry : entries)
        {
            const std::wstring& stateName = entry->getAttribute(L"Name");
            if (stateName.empty() || states.count(stateName))
                continue;
            states[stateName] =
                boost::make_shared<ViewState>(stateName, Engine::toUtf8(entry->getAttribute(L"sound_id")));
        }
    }
    if (root->getChild(L"UpStatesMatrix", list))
    {
        Engine::tPropertiesList entries;
        list->getChildren(entries);
        for (const auto& entry : entries)
        {
            Row row;
            for (int state = 0; state < kUnitStateCount; ++state)
            {
                const std::wstring& stateName = entry->getAttribute(unitStateName(state));
                if (stateName.empty())
                    continue;
                const auto found = states.find(stateName);
                row[state] = found == states.end() ? boost::shared_ptr<ViewState>() : found->second;
            }
            rows.push_back(row);
        }
    }
}

boost::shared_ptr<ViewState> UnitViewDescription::getStateName(int level, eUnitState state) const
{
    if (level < 0 || static_cast<size_t>(level) >= rows.size())
        return {};
    const Row& row = rows[static_cast<size_t>(level)];
    const auto found = row.find(static_cast<int>(state));
    return found == row.end() ? boost::shared_ptr<ViewState>() : found->second;
}
