#include "game/hud/TipPlacement.h"

#include "engine/ui/cForm.h"
#include "engine/ui/cView.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cUnitProgressView.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

float keepInside(float middle, float half, float length)
{
    if (half * 2.0f >= length)
        return length * 0.5f;
    return std::clamp(middle, half, length - half);
}

// The area two boxes share; a sliver under a hundredth of a unit is taken as their edges
// touching, which the sums of the places leave in a float.
float sharedArea(const TipPlacement::Box& a, const TipPlacement::Box& b)
{
    const float width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const float height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0.01f && height > 0.01f ? width * height : 0.0f;
}

void addShown(Engine::cControl* control, std::vector<TipPlacement::Box>& boxes)
{
    auto* view = dynamic_cast<Engine::cView*>(control);
    if (!view || !view->isShown())
        return;
    const TipPlacement::Box box = TipPlacement::drawnBy(*view);
    if (!box.empty())
        boxes.push_back(box);
}

} // namespace

TipPlacement::Box TipPlacement::Box::joined(const Box& other) const
{
    if (other.empty())
        return *this;
    if (empty())
        return other;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
}

TipPlacement::Box TipPlacement::boxAt(const Engine::cVector2& middle, const Engine::cVector2& size)
{
    return {middle.x - size.x * 0.5f, middle.y - size.y * 0.5f, middle.x + size.x * 0.5f,
            middle.y + size.y * 0.5f};
}

TipPlacement::Box TipPlacement::boxOf(const Engine::cView& view)
{
    return boxAt(view.getPosition(), view.getSize());
}

TipPlacement::Box TipPlacement::drawnBy(Engine::cView& view)
{
    Box drawn{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
              std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
    for (const Engine::cQuad& quad : view.getSprites())
        for (const Engine::cQuadCorner& corner : quad.corners)
            drawn = {std::min(drawn.left, corner.x), std::min(drawn.top, corner.y),
                     std::max(drawn.right, corner.x), std::max(drawn.bottom, corner.y)};
    return boxOf(view).joined(drawn);
}

std::vector<TipPlacement::Box> TipPlacement::watched()
{
    std::vector<Box> parts;
    cStatusPanel* panel = cStatusPanel::instance();
    if (!panel)
        return parts;
    for (const wchar_t* tag :
         {L"ClockPlate", L"TimeText", L"TimeProgress", L"PerfectGoldPicture", L"PerfectGoldTimeText",
          L"PerfectSilverPicture", L"PerfectSilverTimeText", L"PerfectSilverTimeTextPlate"})
        addShown(panel->findControl(tag), parts);
    if (const auto* resources = panel->find<Engine::cForm>(L"Resources"))
        for (Engine::cControl* part : resources->getChildren())
            addShown(part, parts);
    for (const Engine::cForm* row : panel->getRows())
        if (row->isShown())
            for (Engine::cControl* part : row->getChildren())
                addShown(part, parts);
    if (const Engine::cControl* field = panel->getParent())
        for (Engine::cControl* child : field->getChildren())
            if (auto* bar = dynamic_cast<cUnitProgressView*>(child); bar && bar->isShown())
                parts.push_back(drawnBy(*bar).joined(boxOf(bar->getSubstrate())));
    return parts;
}

Engine::cVector2 TipPlacement::onScreen(const Engine::cVector2& middle, const Engine::cVector2& size,
                                        const Engine::cVector2& screen)
{
    return {keepInside(middle.x, size.x * 0.5f, screen.x), keepInside(middle.y, size.y * 0.5f, screen.y)};
}

Engine::cVector2 TipPlacement::awayFrom(const Box& avoid, const std::vector<Box>& inSight,
                                        const Engine::cVector2& wanted, const Engine::cVector2& size,
                                        const Engine::cVector2& screen, float gap)
{
    const auto widened = [gap](const Box& box) {
        return Box{box.left - gap, box.top - gap, box.right + gap, box.bottom + gap};
    };
    const Box subject = avoid.empty() ? Box{} : widened(avoid);
    std::vector<Box> others;
    for (const Box& box : inSight)
        if (!box.empty())
            others.push_back(widened(box));

    // What a panel standing there covers: of the subject, then of the rest; then how far it
    // stands from where it was wanted.
    struct Cost
    {
        float subject = 0.0f;
        float others = 0.0f;
        float distance = 0.0f;

        bool operator<(const Cost& other) const
        {
            if (subject != other.subject)
                return subject < other.subject;
            if (others != other.others)
                return others < other.others;
            return distance < other.distance;
        }
    };
    const auto costAt = [&](const Engine::cVector2& middle)
    {
        const Box box = boxAt(middle, size);
        Cost cost;
        if (!subject.empty())
            cost.subject = sharedArea(box, subject);
        for (const Box& part : others)
            cost.others += sharedArea(box, part);
        cost.distance = std::hypot(middle.x - wanted.x, middle.y - wanted.y);
        return cost;
    };

    Engine::cVector2 best = onScreen(wanted, size, screen);
    Cost bestCost = costAt(best);
    if (bestCost.subject == 0.0f && bestCost.others == 0.0f)
        return best;
    // A clear place, if any, lies with each edge either where the kept place has it or against
    // an edge of a box (or of the screen, where the screen stops it).
    const float halfW = size.x * 0.5f;
    const float halfH = size.y * 0.5f;
    std::vector<float> xs{best.x};
    std::vector<float> ys{best.y};
    const auto addBeside = [&](const Box& box)
    {
        xs.push_back(keepInside(box.left - halfW, halfW, screen.x));
        xs.push_back(keepInside(box.right + halfW, halfW, screen.x));
        ys.push_back(keepInside(box.top - halfH, halfH, screen.y));
        ys.push_back(keepInside(box.bottom + halfH, halfH, screen.y));
    };
    if (!subject.empty())
        addBeside(subject);
    for (const Box& part : others)
        addBeside(part);
    for (float x : xs)
        for (float y : ys)
        {
            const Engine::cVector2 middle(x, y);
            const Cost cost = costAt(middle);
            if (cost < bestCost)
            {
                bestCost = cost;
                best = middle;
            }
        }
    return best;
}
