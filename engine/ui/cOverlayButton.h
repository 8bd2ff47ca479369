#pragma once

#include "engine/core/cColor.h"
#include "engine/ui/cButton.h"

namespace Engine
{

class cPicture;

// A texture button tinted by a coloured overlay while hovered or pressed. The button then also
// draws itself into the stencil buffer (render type bit 0x004) and the overlay, render type 9,
// is drawn only there, so the tint takes the button's shape. The colour is "OverlayColor"
// (default 189, 189, 255 at alpha 189). Layouts create it as "overlaybutton" or "overlaybtn".
class cOverlayButton : public cButton
{
public:
    static constexpr cColor DefaultOverlayColor{189.0f / 255.0f, 189.0f / 255.0f, 1.0f, 189.0f / 255.0f};

    explicit cOverlayButton(cControl* parent = nullptr);
    // A copy would point at the source's children (the overlay) without having them.
    cOverlayButton(const cOverlayButton&) = delete;

    void loadXML(const tPropertiesPtr& node) override;
    // Keeps the overlay on the button before building.
    void updateGeometry() override;
    void showState(int32_t state) override;

    // The overlay, a child of the button (owned by the tree).
    cPicture* getOverlay() const { return m_overlay; }

private:
    cPicture* m_overlay;
};

} // namespace Engine
