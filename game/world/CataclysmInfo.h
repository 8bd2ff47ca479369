#pragma once

#include "engine/core/cVector2.h"

#include <boost/shared_ptr.hpp>

namespace Engine
{
class cProperties;
}

// One timed cataclysm of a level file ("Cataclysmes"): its kind, when it starts (seconds of
// level time; -1 never by itself), how long it lasts, its strength, and the cells it hits.
// Its place in the file is its number, by which buildings name it ("AppearOnCataclysm",
// "DisappearOnCataclysm", "TriggerCataclysm").
struct CataclysmInfo
{
    // "Type", "StartTime", "Duration", "RichterPoints", and "TopLeft", "BottomRight" (int
    // pairs, stored as floats). Type becomes 0 when missing; the others keep their values.
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node);

    int Type = 0;
    int StartTime = -1;
    int Duration = 0;
    int RichterPoints = 0;
    Engine::cVector2 topLeft;
    Engine::cVector2 bottomRight;
};
