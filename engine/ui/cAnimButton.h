#pragma once

#include "engine/ui/cButtonPrototype.h"

#include <cstdint>

namespace Engine
{

// A button that shows one frame of its sprite sheet per state: "frame_normal",
// "frame_pressed", "frame_hover" and "frame_disabled". The sheet never plays. Layouts create it
// as "animbutton" or "animbtn"; the text-animation buttons and the check button derive from it.
class cAnimButton : public cButtonPrototype
{
public:
    explicit cAnimButton(cControl* parent = nullptr);
    cAnimButton(const cAnimButton& other) = default;

    // The prototype's keys and the four frames; stops the sheet's animation and starts in
    // state 1, or 0 under a disabled parent.
    void loadXML(const tPropertiesPtr& node) override;
    // The state's frame; other states change nothing.
    void showState(int32_t state) override;

    uint32_t frame_normal = 0;
    uint32_t frame_pressed = 0;
    uint32_t frame_hover = 0;
    uint32_t frame_disabled = 0;
};

} // namespace Engine
