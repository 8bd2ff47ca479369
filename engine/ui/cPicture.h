#pragma once

#include "engine/ui/cView.h"

namespace Engine
{

// The plain picture: a view that plays its frame animation. Layouts create it as "picture",
// "pic" or "p"; nearly every other view of the engine and the game derives from it.
class cPicture : public cView
{
public:
    explicit cPicture(cControl* parent = nullptr);
    // A new root picture with the drawing settings of `other` (see cView's copy).
    cPicture(const cPicture& other);

    int getKind() const override { return 2; }
    // Advances the animation time by the frame time while "PlayAnimation" is set, then steps
    // the view.
    void update() override;
    void loadXML(const tPropertiesPtr& node) override;
};

} // namespace Engine
