#include "game/screens/cBriefing.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"

#include <utility>

void cBriefing::parseBriefings(const boost::shared_ptr<Engine::cProperties>& node)
{
    if (!node)
        return;
    Engine::tPropertiesList briefings;
    node->getChildren(briefings);
    for (const auto& briefing : briefings)
    {
        Actions actions;
        Engine::tPropertiesList items;
        briefing->getChildren(items);
        for (const auto& item : items)
        {
            Action action;
            Engine::fromString(action.type, item->getAttribute(L"type"));
            Engine::fromString(action.start, item->getAttribute(L"start"));
            Engine::fromString(action.duration, item->getAttribute(L"duration"));
            action.text = item->getAttribute(L"text");
            Engine::fromString(action.target, item->getAttribute(L"target"));
            Engine::fromString(action.shape, item->getAttribute(L"shape"));
            actions.push_back(action);
        }
        for (size_t i = 0; i < actions.size(); ++i)
            for (size_t j = i + 1; j < actions.size(); ++j)
                if (actions[j].start < actions[i].start)
                    std::swap(actions[i], actions[j]);
        m_briefings[Engine::toUtf8(briefing->getAttribute(L"id"))] = std::move(actions);
    }
}

void cBriefing::start(const std::string& id)
{
    m_currentId = id;
    m_started.push_back(id);
}

const cBriefing::Actions& cBriefing::actions() const
{
    const auto found = m_briefings.find(m_currentId);
    if (found == m_briefings.end())
        throw std::string("cBriefing::actions(): unknown briefing id: ") + m_currentId;
    return found->second;
}

void cBriefing::clear()
{
    m_briefings.clear();
    m_currentId.clear();
    m_started.clear();
}
