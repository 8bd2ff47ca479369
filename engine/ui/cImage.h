#pragma once

#include "engine/core/cProperties.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace Engine
{

class cAnimation;
class cMesh;
class cTexture;

// What a view draws with: a texture (or a region of an atlas texture), a mesh, a skeletal
// animation, and the settings of a frame animation laid out as a sprite sheet of
// `anim_columns` x `anim_rows` cells. Also kept alone as a plain member by panels that only
// hold pictures.
//
// The six animation settings are plain fields: code that writes them into a view afterwards
// calls `cView::invalidate` so that the view's geometry follows.
class cImage
{
public:
    // A region of an atlas texture in texels.
    struct tFrameRect
    {
        float x = 0.0f;
        float y = 0.0f;
        float width = 0.0f;
        float height = 0.0f;

        bool operator==(const tFrameRect& o) const
        {
            return x == o.x && y == o.y && width == o.width && height == o.height;
        }
    };

    cImage();
    cImage(const cImage& other);
    virtual ~cImage();

    // Takes the resources, the atlas region and the animation settings of `other` through the
    // setters below.
    cImage& operator=(const cImage& other);

    // The image keys: "Picture", "Mesh" and "Animation" (a missing or empty name clears that
    // resource), then "anim_length", "PlayAnimation", "frames_count", "anim_loop",
    // "anim_columns", "anim_rows" (missing keys keep their values). A frame count beyond the
    // cells of the sheet is cut to them; counts of 0 become 1. A resource that cannot be
    // loaded throws the resource manager's error, which names the file.
    virtual void loadXML(const tPropertiesPtr& node);
    virtual boost::shared_ptr<cTexture> getTexture() const { return m_texture; }
    virtual void setMesh(const boost::shared_ptr<cMesh>& mesh);
    virtual void setAnimation(const boost::shared_ptr<cAnimation>& animation);

    // The texture of a path or of an atlas entry name from the resource manager (an empty name
    // clears it); the atlas index and region follow the name.
    void setTexture(const std::string& name);
    // A texture held already; it is not taken as an atlas region.
    void setTexture(const boost::shared_ptr<cTexture>& texture);
    // The atlas index and region of the name the texture was set by: the entry's when the name
    // is an atlas entry, else -1 and an empty region.
    void refreshFrame();

    const boost::shared_ptr<cMesh>& getMesh() const { return m_mesh; }
    const boost::shared_ptr<cAnimation>& getAnimation() const { return m_animation; }
    // -1 unless the texture is a region of an atlas.
    int32_t getAtlasIndex() const { return m_atlasIndex; }
    const tFrameRect& getFrameRect() const { return m_frameRect; }
    // The name the texture was set by (empty when set from a pointer).
    const std::string& getTextureName() const { return m_textureName; }

    // Seconds the frames of the sheet take together.
    float anim_length = 1.0f;
    uint32_t frames_count = 1;
    uint32_t anim_columns = 1;
    uint32_t anim_rows = 1;
    // A picture advances its animation time every frame while this is set.
    bool PlayAnimation = false;
    bool anim_loop = true;

protected:
    // Called after the texture, mesh, animation or animation settings changed.
    virtual void onImageChanged() {}
    // The texture replaced by this image, without touching the animation settings.
    void storeTexture(const boost::shared_ptr<cTexture>& texture, const std::string& name);
    // Stores the animation without any blending.
    void storeAnimation(const boost::shared_ptr<cAnimation>& animation);
    void storeMesh(const boost::shared_ptr<cMesh>& mesh);

private:
    int32_t m_atlasIndex = -1;
    tFrameRect m_frameRect;
    boost::shared_ptr<cAnimation> m_animation;
    boost::shared_ptr<cMesh> m_mesh;
    boost::shared_ptr<cTexture> m_texture;
    std::string m_textureName;
};

} // namespace Engine
