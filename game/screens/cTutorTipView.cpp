#include "game/screens/cTutorTipView.h"

#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cMultiLineText.h"
#include "game/heroes/ActionItem.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/world/Game.h"
#include "game/world/UnitTip.h"
#include "game/world/cUnit.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kTwoPi = 6.28318530718f;

// Where the bar of a hero's work on the unit stands, with its frame: the layout the work makes
// it from, at the view's progress offset from the unit's place (ActionItem::progressOn).
TipPlacement::Box workBarOf(const cUnit& unit, const cUnitView& view)
{
    const Game* game = Game::instance();
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!game || !resources || !view.isDescribed())
        return {};
    const Engine::tPropertiesPtr bar = resources->getXml(ActionItem::WorkBarLayout, true);
    Engine::cVector2 size;
    Engine::readKey(bar, L"size", size);
    Engine::tPropertiesPtr frame;
    if (bar->getChild(L"Substrate", frame))
    {
        Engine::cVector2 frameSize;
        Engine::readKey(frame, L"size", frameSize);
        size = Engine::cVector2(std::max(size.x, frameSize.x), std::max(size.y, frameSize.y));
    }
    return TipPlacement::boxAt(game->unitPos(unit) + view.getProgressOffset(), size);
}

} // namespace

cTutorTipView::cTutorTipView(Engine::cControl* parent)
    : Engine::cPicture(parent), m_textView(new Engine::cMultiLineText(this)),
      m_pointer(new Engine::cPicture(this))
{
}

void cTutorTipView::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    if (!Engine::loadChildPart(*m_textView, node, L"Text"))
        throw std::string("cTutorTipView: the layout has no \"Text\".");
    if (!Engine::loadChildPart(*m_pointer, node, L"Pointer"))
        throw std::string("cTutorTipView: the layout has no \"Pointer\".");
    Engine::readKey(node, L"PointerLeftUp", m_leftUp);
    Engine::readKey(node, L"PointerRightDown", m_rightDown);
    Engine::readKey(node, L"PointerPeriod", m_period);
    Engine::readKey(node, L"Offset", m_offset);
    Engine::readKey(node, L"ButtonRoom", m_buttonRoom);
    m_workLeftUp = m_leftUp;
    m_workRightDown = m_rightDown;
    m_fit.load(*this, node, *m_textView, m_pointer);
}

void cTutorTipView::noteLayout()
{
    m_fit.notePlaces(m_pointer);
}

void cTutorTipView::fitToText()
{
    m_fitShift = m_fit.fit(unusedRoom());
}

Engine::cVector2 cTutorTipView::targetOf(const UnitTip& tip)
{
    const cUnit::Ptr unit = tip.unit.lock();
    const cUnitView* view = unit ? unit->getView() : nullptr;
    if (!view)
        return tip.target;
    if (tip.eventKind == 4)
    {
        if (const Engine::cLightButton* button = view->getUpgradeButton())
            return button->getPosition();
        return view->getPosition();
    }
    if (tip.target.x == 0.0f && tip.target.y == 0.0f)
        return view->getPosition();
    return tip.target;
}

void cTutorTipView::showTip(const UnitTip& tip)
{
    m_phase = 0.0f;
    m_text = tip.text;
    m_textView->setText(m_text, true);
    fitToText();
    placeBeside(targetOf(tip), extentOf(tip), coveredBy(tip));
    m_pointer->show();
    show();
    enable();
}

void cTutorTipView::setTarget(const Engine::cVector2& point)
{
    placeBeside(point, Engine::cVector2(0.0f, 0.0f));
}

Engine::cVector2 cTutorTipView::extentOf(const UnitTip& tip)
{
    const cUnit::Ptr unit = tip.unit.lock();
    const cUnitView* view = unit ? unit->getView() : nullptr;
    if (!view)
        return Engine::cVector2(0.0f, 0.0f);
    if (tip.eventKind == 4)
    {
        if (const Engine::cLightButton* button = view->getUpgradeButton())
            return button->getSize() * 0.5f;
        return view->getSize() * 0.5f;
    }
    if (tip.target.x == 0.0f && tip.target.y == 0.0f)
        return view->getSize() * 0.5f;
    return Engine::cVector2(0.0f, 0.0f);
}

TipPlacement::Box cTutorTipView::coveredBy(const UnitTip& tip)
{
    const cUnit::Ptr unit = tip.unit.lock();
    const cUnitView* view = unit && !unit->isRemoved() ? unit->getView() : nullptr;
    if (!view)
        return {};
    TipPlacement::Box box = TipPlacement::boxOf(*view).joined(workBarOf(*unit, *view));
    if (tip.eventKind == 4)
        if (const Engine::cLightButton* button = view->getUpgradeButton())
            box = box.joined(TipPlacement::boxOf(*button));
    return box;
}

void cTutorTipView::placeBeside(const Engine::cVector2& point, const Engine::cVector2& extent,
                                const TipPlacement::Box& spoken)
{
    const Engine::cVector2 screen = cTooltipView::screenSize();
    // A target off the screen (a level's "target" may lie anywhere) is shown at the nearest
    // point of its edge: the panel stays where the player can read it.
    const Engine::cVector2 at(std::clamp(point.x, 0.0f, screen.x), std::clamp(point.y, 0.0f, screen.y));
    m_target = at;
    // The arrow's ends are given from the middle of the panel at its full height: from the
    // fitted panel's middle they lie as far from its top edge as they did.
    const Engine::cVector2 shift(0.0f, m_fitShift);
    m_workLeftUp = m_leftUp + shift;
    m_workRightDown = m_rightDown + shift;
    const Engine::cVector2 size = getSize();
    Engine::cVector2 place;
    const bool right = at.x > screen.x * 0.5f;
    m_pointer->setInverceX(right);
    if (!right)
        place.x = at.x + size.x * 0.5f + m_offset.x;
    else
    {
        place.x = at.x - size.x * 0.5f - m_offset.x;
        m_workLeftUp.x = -m_workLeftUp.x;
        m_workRightDown.x = -m_workRightDown.x;
    }
    // The panel keeps its gap from the edge of what it points at, not from its middle, so
    // that it never covers it; it opens towards the screen's middle unless only the other side
    // has the room for it.
    const auto placeY = [&](bool up) {
        return up ? at.y - extent.y - size.y * 0.5f - m_offset.y
                  : at.y + extent.y + size.y * 0.5f + m_offset.y;
    };
    const auto fits = [&](float y) { return y - size.y * 0.5f >= 0.0f && y + size.y * 0.5f <= screen.y; };
    bool below = at.y > screen.y * 0.5f;
    if (!fits(placeY(below)) && fits(placeY(!below)))
        below = !below;
    m_pointer->setInverceY(below);
    place.y = placeY(below);
    if (below)
    {
        m_workLeftUp.y = -m_workLeftUp.y;
        m_workRightDown.y = -m_workRightDown.y;
    }
    // The arrow stays at the target even where the panel has to move to stay on the screen.
    m_arrowAnchor = place;
    const Engine::cVector2 kept = TipPlacement::onScreen(place, size, screen);
    const TipPlacement::Box target = TipPlacement::boxAt(at, extent * 2.0f).joined(spoken);
    setPosition(TipPlacement::awayFrom(target, TipPlacement::watched(), kept, size, screen, 0.0f));
    placePointer();
}

void cTutorTipView::placePointer()
{
    const float bob = m_period > 0.0f ? std::sin(kTwoPi * m_phase / m_period) : 0.0f;
    m_pointer->setPosition(m_arrowAnchor + (m_workLeftUp + m_workRightDown) * 0.5f +
                           (m_workRightDown - m_workLeftUp) * bob);
}

void cTutorTipView::update()
{
    Engine::cPicture::update();
    if (!m_pointer->isVisible())
        return;
    const Engine::cTimer* timer = Engine::cTimer::instance();
    if (m_period > 0.0f)
    {
        m_phase += timer ? timer->getFrameTime() : 0.0f;
        if (m_phase > m_period)
            m_phase -= m_period;
    }
    placePointer();
}
