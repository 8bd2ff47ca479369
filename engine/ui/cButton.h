#pragma once

#include "engine/ui/cButtonPrototype.h"

#include <boost/shared_ptr.hpp>

#include <array>
#include <string>

namespace Engine
{

class cTexture;

// A button with one texture per state: the picture's own ("Picture") when normal, and
// "texture_pressed", "texture_hover" and "texture_disabled" (an empty key: the normal texture).
// Layouts create it as "btn" or "b"; the game's unit view and the scroll box derive from it.
class cButton : public cButtonPrototype
{
public:
    explicit cButton(cControl* parent = nullptr);
    cButton(const cButton& other);

    void loadXML(const tPropertiesPtr& node) override;
    // Swaps in the state's texture (a state without one keeps the current texture, unless the
    // view has none); any state outside 0..3 only sets dirty.
    void showState(int32_t state) override;

    // Takes the look of another button: its view properties (position and deep included), the
    // button part (state, sounds, mask and flags) and the four state textures. The signals and
    // the input stay this button's own.
    void copyFrom(const cButton& other);

    // The texture shown in a state (0 disabled, 1 normal, 2 hover, 3 pressed); empty for other
    // states.
    boost::shared_ptr<cTexture> getStateTexture(int32_t state) const;

private:
    struct tStateTexture
    {
        boost::shared_ptr<cTexture> texture;
        // The name it was asked for by, which keeps an atlas entry's region.
        std::string name;
    };

    // The state textures by state number.
    std::array<tStateTexture, 4> m_textures;
};

} // namespace Engine
