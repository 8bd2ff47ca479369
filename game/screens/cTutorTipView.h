#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"

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
// and "Offset" (the gap between the target and the panel's corner).
//
// The panel always sits towards the screen's centre from its target: on a target in the right
// half it goes to the left and the arrow is mirrored, likewise on the vertical axis.
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

    const std::wstring& getText() const { return m_text; }
    Engine::cMultiLineText* getTextView() const { return m_textView; }
    Engine::cPicture* getPointer() const { return m_pointer; }
    const Engine::cVector2& getTarget() const { return m_target; }

protected:
    void placePointer();

private:
    // Children (owned by the tree).
    Engine::cMultiLineText* m_textView;
    Engine::cPicture* m_pointer;
    std::wstring m_text;
    Engine::cVector2 m_leftUp;
    Engine::cVector2 m_rightDown;
    Engine::cVector2 m_workLeftUp;
    Engine::cVector2 m_workRightDown;
    float m_period = 1.0f;
    float m_phase = 0.0f;
    Engine::cVector2 m_offset;
    Engine::cVector2 m_target;
};
