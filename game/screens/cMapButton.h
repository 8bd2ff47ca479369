#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cAnimButton.h"

#include <cstdint>

// One of the level map's six page buttons ("MapButton0" to "MapButton5" of "Map/Map.xml").
// Pressing it shows its page. The button of the shown page grows to "SelectScale" times its
// layout size and the others shrink back to "UnselectScale", a whole change taking
// "ScaleTime" seconds (0.5 by default); a change reversed halfway takes half of it. A page
// that cannot be played yet is locked: its button shows the disabled frame.
class cMapButton : public Engine::cAnimButton
{
public:
    enum eScaleState : int32_t
    {
        Growing = 0,
        Shrinking = 1,
        Resting = 2,
    };

    cMapButton(int32_t page, Engine::cControl* parent);
    ~cMapButton() override;

    // The scale change, after the button's step.
    void update() override;
    // "SelectScale", "UnselectScale" and "ScaleTime" (an empty value keeps the current one),
    // then the button's keys; the button rests at the unselected size.
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // The shown page's button always shows its normal frame (disabled only when locked while
    // disabled); a locked button of another page shows the disabled frame.
    void showState(int32_t state) override;
    // Silent while the map slides, and then the page stays; otherwise the button grows and the
    // map goes to its page.
    void onPress() override;
    virtual bool isLocked() const { return m_locked; }
    virtual void setLocked(bool locked) { m_locked = locked; }

    void select();
    void unselect();

    int32_t getPage() const { return m_page; }
    int32_t getScaleState() const { return m_scaleState; }
    float getCurrentScale() const { return m_currentScale; }
    float getTimeLeft() const { return m_timeLeft; }
    float getSelectScale() const { return m_selectScale; }
    float getUnselectScale() const { return m_unselectScale; }
    const Engine::cVector2& getBaseSize() const { return m_baseSize; }

private:
    // Seconds a change from `from` to `to` takes at the full change's pace.
    float changeTime(float from, float to) const;
    void applyScale();

    float m_selectScale = 0.0f;
    float m_unselectScale = 0.0f;
    float m_currentScale = 0.0f;
    float m_timeLeft = 0.0f;
    float m_scaleTime = 0.5f;
    int32_t m_page;
    int32_t m_scaleState = Resting;
    Engine::cVector2 m_baseSize;
    bool m_locked = false;
};
