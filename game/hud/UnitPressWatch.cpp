#include "game/hud/UnitPressWatch.h"

#include "engine/core/StringUtils.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cLightButton.h"
#include "game/heroes/GameController.h"
#include "game/hud/cUnitView.h"

#include <string>

namespace
{

// The unit view whose upgrade arrow `view` is; null for any other view.
const cUnitView* arrowOwner(const Engine::cButtonPrototype& view)
{
    const auto* owner = dynamic_cast<const cUnitView*>(view.getParent());
    return owner && owner->getUpgradeButton() == &view ? owner : nullptr;
}

std::wstring viewName(const Engine::cButtonPrototype& view)
{
    if (const auto* unitView = dynamic_cast<const cUnitView*>(&view))
        return GameController::traceName(unitView->getUnit());
    if (const cUnitView* owner = arrowOwner(view))
        return L"the arrow of " + GameController::traceName(owner->getUnit());
    const std::string picture = view.getTextureName();
    return picture.empty() ? std::wstring(L"a view") : L"the view of \"" + Engine::fromUtf8(picture) + L"\"";
}

} // namespace

void UnitPressWatch::start()
{
    if (Engine::cInput* input = Engine::cInput::instance())
    {
        m_pressConnection = input->connectKey(Engine::CONTROL_MOUSE_PRESSED, [this] { onPressed(); });
        m_releaseConnection = input->connectKey(Engine::CONTROL_MOUSE_RELEASED, [this] { onReleased(); });
    }
}

void UnitPressWatch::stop()
{
    m_pressConnection.disconnect();
    m_releaseConnection.disconnect();
    m_held = false;
}

bool UnitPressWatch::watched() const
{
    return m_view.getUnit() && !GameController::isNeverOrdered(m_view.getUnit());
}

void UnitPressWatch::pressTaken()
{
    m_held = watched() && m_view.getState() == Engine::cButtonPrototype::StatePressed;
}

void UnitPressWatch::clicking()
{
    if (m_held && !m_view.pointerInside())
        GameController::traceNoGoal(m_view.getUnit(), false, L"the pointer left it before the release");
    m_held = false;
}

void UnitPressWatch::onPressed()
{
    if (!watched() || !m_view.isShown() || !m_view.getIsDeepProcessing() || !m_view.pointerInside())
        return;
    const Engine::cButtonPrototype* holder = Engine::cButtonPrototype::buttonUnderPointer;
    if (holder == &m_view)
        return;
    const cUnit::Ptr& unit = m_view.getUnit();
    if (holder && holder == m_view.getUpgradeButton())
    {
        if (m_view.getUpgradeButton()->getShowDisabled())
            GameController::traceNoGoal(unit, true, L"its arrow is greyed (told)");
        return;
    }
    const auto* holderView = dynamic_cast<const cUnitView*>(holder);
    std::wstring why;
    if (!holder)
        why = L"no view holds the pointer, which has not moved since";
    else if (!holder->pointerInside())
        why = L"the pointer is still held by " + viewName(*holder) + L", which it has left without a move";
    else if (arrowOwner(*holder))
        // Another building's arrow lies over the unit: the press is that arrow's.
        return;
    else if (!holderView || (holderView->getUnit() && GameController::isNeverOrdered(holderView->getUnit())))
        why = viewName(*holder) + L" lying over it takes the press";
    else
        // Another unit that takes clicks lies over this one: the press is that unit's click.
        return;
    GameController::traceNoGoal(unit, false, why);
}

void UnitPressWatch::onReleased()
{
    // The view's own release handler has run: a press it still holds lost its pressed state
    // before the release (another view took the pointer), and no click came.
    if (!m_held)
        return;
    m_held = false;
    GameController::traceNoGoal(m_view.getUnit(), false, L"its press was taken from it before the release");
}
