#include "game/world/UnitTypeInfo.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "game/world/GameConfig.h"

#include <boost/make_shared.hpp>

const boost::shared_ptr<UnitLevelInfo>& UnitTypeInfo::levelInfo(int level) const
{
    static const boost::shared_ptr<UnitLevelInfo> none;
    if (levels.empty())
        return none;
    if (level < 0)
        return levels.front();
    if (static_cast<size_t>(level) >= levels.size())
        return levels.back();
    return levels[static_cast<size_t>(level)];
}

void UnitTypeInfo::loadXML(const boost::shared_ptr<Engine::cProperties>& entry)
{
    loadXML(entry, GameConfig::instance());
}

void UnitTypeInfo::loadXML(const boost::shared_ptr<Engine::cProperties>& entry, GameConfig& config)
{
    if (!entry)
        return;
    // Ids are taken in the order of mention: "Attach" before "BringTo".
    const std::wstring& attach = entry->getAttribute(L"Attach");
    attachTypeId = attach.empty() ? -1 : config.unitNames().idOf(attach);
    const std::wstring& bringTo = entry->getAttribute(L"BringTo");
    Engine::fromString(distance, entry->getAttribute(L"Distance"));
    bringToTypeId = bringTo.empty() ? -1 : config.unitNames().idOf(bringTo);

    Engine::tPropertiesPtr upgrades;
    if (entry->getChild(L"Upgrades", upgrades))
    {
        Engine::tPropertiesList blocks;
        upgrades->getChildren(blocks);
        for (const Engine::tPropertiesPtr& block : blocks)
        {
            levels.push_back(boost::make_shared<UnitLevelInfo>());
            levels.back()->loadXML(block, config.resourceNames());
        }
    }
    if (levels.empty())
    {
        // A type without level blocks has one, highlighted under the pointer.
        levels.push_back(boost::make_shared<UnitLevelInfo>());
        levels.back()->selection = 1;
    }
}
