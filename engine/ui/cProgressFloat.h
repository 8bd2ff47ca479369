#pragma once

#include "engine/ui/cPicture.h"

#include <cstdint>

namespace Engine
{

// A bar showing a value between 0 and a maximum: its quad and texture are cut along one side
// ("Side": 0 the left edge moves, 1 the right, 2 the top, 3 the bottom), and an optional "Lid"
// picture rides on the moving edge. Layouts create it as "progressfloat".
class cProgressFloat : public cPicture
{
public:
    static constexpr uint32_t SideLeft = 0;
    static constexpr uint32_t SideRight = 1;
    static constexpr uint32_t SideTop = 2;
    static constexpr uint32_t SideBottom = 3;

    explicit cProgressFloat(cControl* parent = nullptr);
    // A copy would point at the source's children (the lid) without having them.
    cProgressFloat(const cProgressFloat&) = delete;

    // The picture's keys, then "ProgressMaxValue", "ProgressCurrentValue", "Side" (0 when
    // missing) and the child "Lid".
    void loadXML(const tPropertiesPtr& node) override;

    float getMaxValue() const { return m_max; }
    // A maximum of 0 or less shows an empty bar.
    void setMaxValue(float max);
    float getCurrentValue() const { return m_current; }
    // Stores the value and rebuilds the bar (`updateBar`).
    void setCurrentValue(float value);
    virtual uint32_t getSide() const { return m_side; }
    // A plain store.
    virtual void setSide(uint32_t side) { m_side = side; }
    // Rebuilds the bar and moves the lid to the middle of the moving edge.
    void updateBar();
    cPicture* getLid() const { return m_lid; }

protected:
    // The frame's cell, cut by the value (stored back within 0 .. maximum) on the moving side,
    // then turned by the angle and placed.
    void buildSprite(cQuad& sprite, uint32_t frame, float weight) override;

private:
    float m_max = 100.0f;
    float m_current = 0.0f;
    uint32_t m_side = SideTop;
    // A child of the bar (owned by the tree), or null.
    cPicture* m_lid = nullptr;
};

} // namespace Engine
