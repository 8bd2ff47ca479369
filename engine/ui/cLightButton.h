#pragma once

#include "engine/ui/cButton.h"

namespace Engine
{

class cPicture;

// A texture button that draws a lit copy of itself over itself while hovered or pressed: a
// child picture with the button's image at 70 % of its alpha, render type 0x101 (alpha test at
// 160 and destination-colour blending), just above the button. "DisableLight" 1 never shows
// it. Layouts create it as "lightbutton" or "lightbtn".
class cLightButton : public cButton
{
public:
    explicit cLightButton(cControl* parent = nullptr);
    // A copy would point at the source's children (the light) without having them.
    cLightButton(const cLightButton&) = delete;

    void loadXML(const tPropertiesPtr& node) override;
    // Refreshes the light's copy of the button before building.
    void updateGeometry() override;
    void showState(int32_t state) override;

    // The light, a child of the button (owned by the tree).
    cPicture* getLight() const { return m_light; }
    bool getDisableLight() const { return m_disableLight; }

private:
    // The light takes the button's image, size, inversions, 70 % of its alpha and its frame;
    // with `withPosition` also its position.
    void synchronise(bool withPosition);

    cPicture* m_light;
    bool m_disableLight = false;
};

} // namespace Engine
