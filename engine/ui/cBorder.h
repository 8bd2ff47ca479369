#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"

namespace Engine
{

// A nine-patch frame that fits itself around its child views: corners of "sliceTopLeft" texels,
// edges and middle stretched or, with "tileTop", "tileLeft", "tileRight", "tileBottom" and
// "tileMiddle", repeated; "outset" lets the frame reach beyond the fitted rectangle. It draws
// its nine patches only with "MultiSprites" 1. Layouts create it as "border"; its size comes
// from the children made in code (`fitToChildren`), as a layout gives it none at load time.
class cBorder : public cPicture
{
public:
    // The most quads one repeated patch is cut into; a patch that would need more is stretched.
    static constexpr std::size_t MaxTilesPerPatch = 4096;

    explicit cBorder(cControl* parent = nullptr);

    // The picture's keys, then "textureSize" (the texture's allocated size when there is a
    // texture), "sliceTopLeft", "outset" and the tile flags; then fits itself to its children.
    void loadXML(const tPropertiesPtr& node) override;
    // Takes the bounding rectangle of the child views (none: an empty rectangle at (0, 0)) as
    // its own, leaving the children where they are.
    void fitToChildren();

    const cVector2& getTextureSize() const { return m_textureSize; }
    const cVector2& getSlice() const { return m_slice; }
    const cVector2& getOutset() const { return m_outset; }

protected:
    // The nine patches, unrotated, in screen coordinates.
    void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight) override;

private:
    cVector2 m_textureSize{0.0f, 0.0f};
    cVector2 m_slice{0.0f, 0.0f};
    cVector2 m_farSlice{0.0f, 0.0f};
    cVector2 m_outset{0.0f, 0.0f};
    bool m_tileTop = false;
    bool m_tileLeft = false;
    bool m_tileRight = false;
    bool m_tileBottom = false;
    bool m_tileMiddle = false;
};

} // namespace Engine
