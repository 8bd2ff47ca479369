#pragma once

#include "engine/ui/cButton.h"

#include <boost/signals2/signal.hpp>

namespace Engine
{

// A slider: a button whose area is the track, with a thumb button ("Slider"). While the track
// or the thumb is held down, the pointer's place along the track sets a value from "Min" (left
// or top end) to "Max" (right or bottom end); the thumb follows and `valueSignal` reports each
// new value. "Layout" 0 lays the track out horizontally, 1 vertically. Layouts create it as
// "scrollbox".
//
// A track without length, or a minimum equal to the maximum, holds the minimum.
class cScrollBox : public cButton
{
public:
    using tDragSignal = boost::signals2::signal<void(bool)>;
    using tValueSignal = boost::signals2::signal<void(float)>;

    // True when dragging starts, false when it ends.
    tDragSignal dragSignal;
    tValueSignal valueSignal;

    explicit cScrollBox(cControl* parent = nullptr);
    // A copy would point at the source's children (the thumb) without having them.
    cScrollBox(const cScrollBox&) = delete;

    // The button's step; while dragging, the value follows the pointer.
    void update() override;
    // The button's keys, the thumb from the child "Slider", then "Max", "Min", "Value" and
    // "Layout"; the thumb is then placed.
    void loadXML(const tPropertiesPtr& node) override;
    // A press of the track starts dragging; its release ends it.
    void onPress() override;
    void onClick() override;

    // Places the thumb for the current value.
    void updateThumb();
    // The value a place on the screen stands for: projected on the track and clamped to it.
    float valueAt(const cVector2& point) const;

    float getValue() const { return m_value; }
    // Stores the value; `updateThumb` moves the thumb.
    void setValue(float value) { m_value = value; }
    float getMin() const { return m_min; }
    float getMax() const { return m_max; }
    void setRange(float min, float max);
    int32_t getLayout() const { return m_layout; }
    void setLayout(int32_t layout) { m_layout = layout; }
    bool isDragging() const { return m_dragging; }
    cButton* getThumb() const;

    // Called by the thumb.
    void startDrag();
    void endDrag();
    // The press ends: the value follows the pointer to where it was let go (a press and its
    // release may come in one frame, with no update between them), and the drag ends.
    void releaseDrag();

private:
    // While dragging, the value of the pointer's place.
    void followPointer();
    // The track's ends along its axis, in screen units.
    void track(float& start, float& end) const;

    // A child of the slider (owned by the tree).
    cButton* m_thumb;
    int32_t m_layout = 0;
    bool m_dragging = false;
    float m_max = 0.0f;
    float m_min = 0.0f;
    float m_value = 0.0f;
};

} // namespace Engine
