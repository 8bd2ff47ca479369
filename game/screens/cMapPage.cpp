#include "game/screens/cMapPage.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "engine/ui/LayoutKeys.h"
#include "game/screens/cMapNodeButton.h"

#include <algorithm>

void cMapPage::readPlacements(const Engine::tPropertiesPtr& list, const std::wstring& listName)
{
    placements.clear();
    unsigned index = 0;
    for (auto it = list->childrenBegin(); it != list->childrenEnd(); ++it, ++index)
    {
        const Engine::tPropertiesPtr& element = it->value();
        tPlacement placement;
        try
        {
            if (!Engine::readKey(element, L"pos", placement.position))
                throw Engine::cStringA("the key \"pos\" is missing");
            Engine::readKey(element, L"deep", placement.deep);
        }
        catch (...)
        {
            Engine::rethrowInLayout("\"" + Engine::toUtf8(listName) + "\" element number " +
                                    std::to_string(index));
        }
        placements.push_back(placement);
    }
}

bool cMapPage::allCompleted() const
{
    return std::all_of(nodes.begin(), nodes.end(),
                       [](const cMapNodeButton* node) { return node->isCompleted(); });
}

bool cMapPage::lastCompleted() const
{
    return !nodes.empty() && nodes.back()->isCompleted();
}

bool cMapPage::hasAvailableOrCompleted() const
{
    return std::any_of(nodes.begin(), nodes.end(),
                       [](const cMapNodeButton* node) { return node->isAvailable() || node->isCompleted(); });
}

void cMapPage::hideNodes() const
{
    for (cMapNodeButton* node : nodes)
        node->hide();
}

void cMapPage::refreshNodes() const
{
    for (cMapNodeButton* node : nodes)
        node->refresh();
}
