#pragma once

#include "engine/core/cProperties.h"
#include "engine/core/cVector2.h"

#include <string>
#include <vector>

class cMapNodeButton;

// One page of the level map: where its level nodes stand (the children of its "Nodes" list in
// "Map/Map.xml", each with "pos" and "deep", in document order) and the nodes made for them,
// with the counts of completed and gold levels that the map works out for the shown page.
class cMapPage
{
public:
    struct tPlacement
    {
        Engine::cVector2 position;
        float deep = 0.0f;
    };

    // The placements of a "Nodes" list; `listName` names the list in errors.
    void readPlacements(const Engine::tPropertiesPtr& list, const std::wstring& listName);

    // True when every node is completed (also for a page without nodes).
    bool allCompleted() const;
    // True when the page's last node is completed.
    bool lastCompleted() const;
    // True when some node is shown and enabled, or completed.
    bool hasAvailableOrCompleted() const;
    void hideNodes() const;
    // Every node's picture anew.
    void refreshNodes() const;

    std::vector<tPlacement> placements;
    // Children of the map's node layer (owned by the tree).
    std::vector<cMapNodeButton*> nodes;
    int completedCount = 0;
    int goldCount = 0;
};
