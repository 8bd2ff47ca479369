#include "game/world/MapPages.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "engine/devices/cResourceManager.h"

#include <cstddef>

std::array<MapPageInfo, kMapPageCount>& mapPages()
{
    static std::array<MapPageInfo, kMapPageCount> pages;
    return pages;
}

bool& mapPagesFilled()
{
    static bool filled = false;
    return filled;
}

void fillMapPagesFromFile()
{
    if (mapPagesFilled())
        return;
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        return;
    const Engine::tPropertiesPtr root = resources->getXml("Map/Map.xml", true);
    Engine::tPropertiesPtr maps;
    if (!root || !root->getChild(L"Maps", maps))
        return;
    Engine::tPropertiesList records;
    maps->getChildren(records);
    for (size_t k = 0; k < records.size() && k < static_cast<size_t>(kMapPageCount); ++k)
    {
        MapPageInfo& info = mapPages()[k];
        Engine::fromString(info.startIndex, records[k]->getAttribute(L"StartIndex"));
        Engine::fromString(info.endIndex, records[k]->getAttribute(L"EndIndex"));
    }
    mapPagesFilled() = true;
}

int mapPageOfLevel(int level)
{
    const auto& pages = mapPages();
    for (int i = 0; i < kMapPageCount; ++i)
    {
        const MapPageInfo& page = pages[static_cast<size_t>(i)];
        if (level >= page.startIndex && level <= page.endIndex)
            return i;
    }
    return 0;
}
