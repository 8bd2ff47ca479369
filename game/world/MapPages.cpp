#include "game/world/MapPages.h"

#include <cstddef>

std::array<MapPageInfo, kMapPageCount>& mapPages()
{
    static std::array<MapPageInfo, kMapPageCount> pages;
    return pages;
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
