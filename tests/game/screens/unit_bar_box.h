#pragma once

// Where a unit stands on the screen with the bar a hero's work on it shows, which a tip keeps
// in sight: the bar as the work itself puts it there.

#include "game/heroes/UpgradeActionItem.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/world/cUnit.h"
#include "tests/game/screens/screen_boxes.h"

#include <boost/make_shared.hpp>

#include <algorithm>

namespace GameTest
{

inline ScreenBox unitWithItsBar(const cUnit::Ptr& unit)
{
    ScreenBox box = boxOf(*unit->getView());
    if (!unit->getView()->isDescribed())
        return box;
    const auto work = boost::make_shared<UpgradeActionItem>(cUnit::Ptr(), unit, cUnit::Ptr());
    work->progressOn(unit);
    cUnitProgressView* bar = work->getProgressView();
    for (const ScreenBox& part : {boxOf(*bar), boxOf(bar->getSubstrate())})
        box = {std::min(box.left, part.left), std::min(box.top, part.top), std::max(box.right, part.right),
               std::max(box.bottom, part.bottom)};
    // The tip is shown before a hero works there: it keeps clear of the bar to come.
    bar->hide();
    work->progressOff();
    return box;
}

} // namespace GameTest
