#pragma once

#include "engine/ui/cPicture.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Engine
{

class cTexture;

// A picture that plays a list of whole textures: "Picture", then "Picture1", "Picture2", ...
// up to the first number that is missing or names a texture that cannot be loaded (written to
// the log "error"), spread over "anim_length" while "PlayAnimation" is
// set. Layouts create it as "textureanimation" or "textureanim".
//
// Its time advances twice per frame (once to choose the texture, once more as a picture), so
// the list runs through every `anim_length` / 2 seconds; the layouts are made for that speed.
class cTextureAnimation : public cPicture
{
public:
    explicit cTextureAnimation(cControl* parent = nullptr);
    cTextureAnimation(const cTextureAnimation& other) = default;

    // While shown, enabled, not fading and playing: the next texture, then the picture's step.
    void update() override;
    // The picture's keys, then the numbered textures up to the first that cannot be loaded.
    void loadXML(const tPropertiesPtr& node) override;

    std::size_t getFrameCount() const { return m_frames.size(); }
    boost::shared_ptr<cTexture> getFrameTexture(std::size_t index) const
    {
        return index < m_frames.size() ? m_frames[index].texture : boost::shared_ptr<cTexture>();
    }

private:
    struct tFrame
    {
        boost::shared_ptr<cTexture> texture;
        std::string name;
    };

    std::vector<tFrame> m_frames;
};

} // namespace Engine
