#pragma once

// Header only, for the display tests that click the real program's units.

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cVector2.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "tests/support/TempDir.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace Test
{

// Where a player clicks the units of a shipped level: a unit's view stands at the unit's place
// in the level file, moved by the offset of the view state its type shows when idle at its
// first level ("Units/<Type>.xml"). `dataFolder` ends in "/".
class UnitPlaces
{
public:
    UnitPlaces(const std::string& dataFolder, int level) : m_data(dataFolder)
    {
        const Engine::tPropertiesPtr root = readXml("Levels/n" + std::to_string(level) + ".xml");
        Engine::tPropertiesPtr buildings;
        if (!root->getChild(L"Buildings", buildings))
            return;
        Engine::tPropertiesList units;
        buildings->getChildren(L"Unit", units);
        for (const Engine::tPropertiesPtr& unit : units)
        {
            const std::string type = Engine::toUtf8(unit->getAttribute(L"Type"));
            Engine::cVector2 position;
            Engine::fromString(position, unit->getAttribute(L"Position"));
            m_places[type].push_back(position + idleOffset(type));
        }
    }

    // The screen point of the `index`-th unit (from 1) of a type; false when the level has none.
    bool find(const std::string& type, int index, Engine::cVector2& place) const
    {
        const auto found = m_places.find(type);
        if (found == m_places.end() || index < 1 || static_cast<size_t>(index) > found->second.size())
            return false;
        place = found->second[static_cast<size_t>(index) - 1];
        return true;
    }

private:
    Engine::tPropertiesPtr readXml(const std::string& relative) const
    {
        const std::string bytes = readFile(m_data + relative);
        if (bytes.empty())
            throw std::runtime_error(m_data + relative + ": cannot be read");
        return Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), relative);
    }

    Engine::cVector2 idleOffset(const std::string& type) const
    {
        const Engine::tPropertiesPtr view = readXml("Units/" + type + ".xml");
        std::wstring idle = L"idle";
        Engine::tPropertiesPtr matrix;
        Engine::tPropertiesPtr first;
        if (view->getChild(L"UpStatesMatrix", matrix) && matrix->getChildAt(0, first) &&
            !first->getAttribute(L"idle").empty())
            idle = first->getAttribute(L"idle");
        Engine::tPropertiesPtr states;
        Engine::tPropertiesList list;
        if (view->getChild(L"ViewStates", states))
            states->getChildren(L"State", list);
        Engine::cVector2 offset;
        for (const Engine::tPropertiesPtr& state : list)
            if (state->getAttribute(L"Name") == idle)
                Engine::fromString(offset, state->getAttribute(L"posoffset"));
        return offset;
    }

    std::string m_data;
    std::map<std::string, std::vector<Engine::cVector2>> m_places;
};

} // namespace Test
