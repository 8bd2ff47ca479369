#pragma once

#include "engine/ui/cTextAnimButton.h"

namespace Engine
{

// The standard button of every panel and dialog: a text-animation button whose caption takes
// the colour, size multiplier and offset of the button's state each time a state is set.
// Layouts create it as "textanimbutton" or "textanimbtn"; its "Text" child must carry
// "Multiplier" (the states' size), or the caption is drawn at size 0.
class cTextStyleButton : public cTextAnimButton
{
public:
    explicit cTextStyleButton(cControl* parent = nullptr);

    // The base state change, then the state's colour and multiplier on the caption and, unless
    // the caption keeps its own position, the button's position plus the state's offset.
    void setState(int32_t state) override;
};

} // namespace Engine
