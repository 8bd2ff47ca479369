#pragma once

#include "engine/ui/cTextLine.h"

namespace Engine
{

// A number whose digits are grouped in threes from the right by nudging the drawn digits
// instead of inserting separators: within a run of digits the last stays, the one before it
// moves right by a third of "DegreeOffset", the one before that by two thirds, the fourth from
// the end stays, and so on, which narrows the gaps inside a group and widens those between
// groups. Any other character starts the grouping again. Texts of fewer than four letters are
// drawn as a plain line. Layouts create it as "pricetext".
class cPriceText : public cTextLine
{
public:
    explicit cPriceText(cControl* parent = nullptr);

    // The text line's keys, then "DegreeOffset".
    void loadXML(const tPropertiesPtr& node) override;

    float getDegreeOffset() const { return m_degreeOffset; }
    void setDegreeOffset(float offset);

protected:
    // The line's batch, the digits then nudged.
    void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight) override;

private:
    float m_degreeOffset = 4.0f;
};

} // namespace Engine
