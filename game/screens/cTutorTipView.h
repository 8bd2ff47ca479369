#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"
#include "game/hud/TipPlacement.h"
#include "game/screens/TipPanelFit.h"

#include <string>

class UnitTip;

namespace Engine
{
class cMultiLineText;
}

// The pointer tip of the tutorial: a panel with the tip's text beside its target and an arrow
// ("Pointer") that bobs between two offsets and points back at the target. Read from
// "UI/ModalTutorView.xml": the picture's keys, "Text" (multi-line), "Pointer", "PointerLeftUp"
// and "PointerRightDown" (the arrow's two ends of its bob, from the panel's centre, for a
// target up and to the left), "PointerPeriod" (seconds of one bob; 0 holds the arrow still)
// and "Offset" (the gap between the target and the panel's corner). The panel takes the height
// its text needs ("Frame" and "Badge": see TipPanelFit); the arrow keeps its place from the
// panel's edge nearest the target.
//
// The panel sits towards the screen's centre from its target: on a target in the right half it
// goes to the left and the arrow is mirrored, likewise on the vertical axis, unless the panel
// only fits on the screen on the other side. It keeps "Offset" from the edge of what it points
// at (the unit's view, the upgrade button), never covers it nor the tip's unit with its work's
// bar, nor what the player watches (TipPlacement::watched) where the screen has room, and
// stays wholly on the screen.
class cTutorTipView : public Engine::cPicture
{
public:
    explicit cTutorTipView(Engine::cControl* parent = nullptr);
    cTutorTipView(const cTutorTipView&) = delete;

    void loadXML(const Engine::tPropertiesPtr& node) override;
    // While the arrow is shown: its bob.
    void update() override;

    // Shows the tip's text and points at its target: an upgrade tip (event 4) at the unit
    // view's upgrade button, another at the tip's "target", or at the unit's view when that is
    // (0, 0).
    virtual void showTip(const UnitTip& tip);
    // Places the panel beside the point and turns the arrow towards it.
    virtual void setTarget(const Engine::cVector2& point);

    // The point a tip's arrow shows.
    static Engine::cVector2 targetOf(const UnitTip& tip);
    // Half the size of what stands at that point (the unit's view, its upgrade button); nothing
    // for a point the level gives.
    static Engine::cVector2 extentOf(const UnitTip& tip);
    // The box on the screen that a tip speaks of: its unit's view with the place of the bar a
    // hero's work on it shows, and the upgrade button for an upgrade tip; empty when the unit
    // has left the field or has no view.
    static TipPlacement::Box coveredBy(const UnitTip& tip);

    const std::wstring& getText() const { return m_text; }
    Engine::cMultiLineText* getTextView() const { return m_textView; }
    Engine::cPicture* getPointer() const { return m_pointer; }
    const Engine::cVector2& getTarget() const { return m_target; }
    const TipPanelFit& getFit() const { return m_fit; }

protected:
    // Places the panel beside the point, clear of the box of half size `extent` around it and
    // of `spoken`, and turns the arrow towards it.
    void placeBeside(const Engine::cVector2& point, const Engine::cVector2& extent,
                     const TipPlacement::Box& spoken = {});
    void placePointer();
    // Fits the panel to the text it shows now.
    void fitToText();
    // Notes the places of the panel's views again, for views loaded after this class's loader.
    void noteLayout();
    // The room at the panel's bottom this view does not use: the button's, which it lacks.
    virtual float unusedRoom() const { return m_buttonRoom; }

private:
    // Children (owned by the tree).
    Engine::cMultiLineText* m_textView;
    Engine::cPicture* m_pointer;
    std::wstring m_text;
    TipPanelFit m_fit;
    // How far the fitted panel's middle lies above the layout's, from its top edge.
    float m_fitShift = 0.0f;
    float m_buttonRoom = 0.0f;
    Engine::cVector2 m_leftUp;
    Engine::cVector2 m_rightDown;
    Engine::cVector2 m_workLeftUp;
    Engine::cVector2 m_workRightDown;
    float m_period = 1.0f;
    float m_phase = 0.0f;
    Engine::cVector2 m_offset;
    Engine::cVector2 m_target;
    // Where the arrow is placed from: the panel's place beside the target before the screen's
    // edges moved the panel.
    Engine::cVector2 m_arrowAnchor;
};
