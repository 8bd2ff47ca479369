#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cControl.h"
#include "engine/core/cDeferredRegistry.h"
#include "engine/core/cLazySignal.h"
#include "engine/core/cVector2.h"
#include "engine/core/cVector3.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cQuad.h"
#include "engine/ui/cImage.h"

#include <boost/container/small_vector.hpp>
#include <boost/function.hpp>
#include <boost/signals2/signal.hpp>

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace Engine
{

struct cParticleDrawInfo;

// The base of everything that is drawn: a node of the object tree that is also an image.
//
// A view has a centre `position`, a `size`, an angle, a colour whose alpha is the view's alpha,
// and a drawing depth ("deep"). It draws one textured quad (its sprite), a list of quads
// ("MultiSprites"), two quads cross-faded between the current and the next frame of its
// sprite sheet ("DoubleAnimRender"), or a mesh. Setters only store and set the dirty flag; the
// quads and the mesh data are rebuilt when they are next asked for, so a view that does not
// change costs nothing per frame. A view is drawn with the transparency of the root of its tree,
// so fading a panel's root fades everything below it.
//
// Every shown view sits in the render registry, which the frame's render pass walks in
// ascending "deep" (ties by address), so a larger deep is drawn later, on top. A view joins
// the registry when it is shown, leaves it when it is hidden or destroyed, and is sorted again
// when its deep changes; the render pass also drops views it finds no longer shown.
class cView : public cControl, public cImage
{
public:
    using tPositionSignal = cLazySignal<void(cView*)>;

    // The quads a view draws, for range-for.
    struct tSprites
    {
        const cQuad* first = nullptr;
        std::size_t count = 0;

        const cQuad* begin() const { return first; }
        const cQuad* end() const { return first + count; }
        std::size_t size() const { return count; }
    };

    // Raised by `setPosition` with the view.
    tPositionSignal positionChangedSignal;

    explicit cView(cControl* parent = nullptr);
    // A new root view with the image and every drawing setting of `other` (its deep included),
    // fresh quads, a fresh signal and the dirty flag set. It joins the render registry when it
    // is shown next.
    cView(const cView& other);
    cView& operator=(const cView&) = delete;
    ~cView() override;

    // 1 for plain views and texts, 2 for pictures, 5 for particle views (drawn as effects).
    int getKind() const override { return 1; }
    // The enabled pass: steps the blend of a mesh's animations.
    void update() override;
    void updateActive() override {}
    void removeChild(cControl* child) override;
    // The keys of every view (see cView.cpp) and the image keys; sets dirty at the end.
    void loadXML(const tPropertiesPtr& node) override;
    void onShow() override;
    void onHide() override;
    void onTransparencyChanged() override;

    // --- Drawing settings: setters set dirty when the value changed, unless said otherwise ---
    virtual const float& getAngle() const { return m_angle; }
    virtual void setAngle(float degrees) { change(m_angle, degrees); }
    virtual const float& getAlpha() const { return m_color.a; }
    virtual void setAlpha(float alpha) { change(m_color.a, alpha); }
    virtual const cVector2& getSize() const { return m_size; }
    virtual void setSize(const cVector2& size) { change(m_size, size); }
    virtual const float& getAnimTime() const { return m_animTime; }
    virtual void setAnimTime(float seconds) { change(m_animTime, seconds); }
    // Texels of one repetition of the texture; both components above 0 tile the picture.
    virtual const cVector2& getTile() const { return m_tile; }
    virtual void setTile(const cVector2& tile) { change(m_tile, tile); }
    virtual const bool& getInverceX() const { return m_inverceX; }
    virtual void setInverceX(bool inverse) { change(m_inverceX, inverse); }
    virtual const bool& getInverceY() const { return m_inverceY; }
    virtual void setInverceY(bool inverse) { change(m_inverceY, inverse); }
    virtual const bool& getDoubleAnimRender() const { return m_doubleAnimRender; }
    virtual void setDoubleAnimRender(bool on) { change(m_doubleAnimRender, on); }
    virtual const bool& getMultiSprites() const { return m_multiSprites; }
    virtual void setMultiSprites(bool on) { change(m_multiSprites, on); }
    // A plain stored drawing option that the level's background pictures switch on.
    virtual const bool& getBackground() const { return m_background; }
    virtual void setBackground(bool on) { m_background = on; }
    virtual const cColor& getColor() const { return m_color; }
    virtual void setColor(const cColor& color) { change(m_color, color); }
    // The scale, yaw and pitch (radians) and the lighting place and light a mesh.
    virtual const cVector3& getScale() const { return m_scale; }
    virtual void setScale(const cVector3& scale) { change(m_scale, scale); }
    virtual const float& getYaw() const { return m_yaw; }
    virtual void setYaw(float radians) { change(m_yaw, radians); }
    virtual const float& getPitch() const { return m_pitch; }
    virtual void setPitch(float radians) { change(m_pitch, radians); }
    virtual const bool& getLightingEnable() const { return m_lightingEnable; }
    virtual void setLightingEnable(bool on) { change(m_lightingEnable, on); }
    virtual const int32_t& getLightTable() const { return m_lightTable; }
    virtual void setLightTable(int32_t table) { change(m_lightTable, table); }
    virtual const cColor& getAmbientColor() const { return m_ambientColor; }
    virtual void setAmbientColor(const cColor& color) { change(m_ambientColor, color); }
    virtual const cColor& getSpecularColor() const { return m_specularColor; }
    virtual void setSpecularColor(const cColor& color) { change(m_specularColor, color); }
    virtual const cColor& getEmissiveColor() const { return m_emissiveColor; }
    virtual void setEmissiveColor(const cColor& color) { change(m_emissiveColor, color); }
    virtual const float& getPower() const { return m_power; }
    virtual void setPower(float power) { change(m_power, power); }
    // The three blend settings are plain stores.
    virtual const bool& getIsAniblend() const { return m_isAniblend; }
    virtual void setIsAniblend(bool on) { m_isAniblend = on; }
    // Seconds left of the running animation blend.
    virtual const float& getAniblendPhase() const { return m_blendTimeLeft; }
    virtual void setAniblendPhase(float seconds) { m_blendTimeLeft = seconds; }
    virtual const float& getAnimBlendTime() const { return m_animBlendTime; }
    virtual void setAnimBlendTime(float seconds) { m_animBlendTime = seconds; }

    // Moves every child view by the same amount, stores the centre, raises
    // `positionChangedSignal` and sets dirty.
    virtual void setPosition(const cVector2& position);
    const cVector2& getPosition() const { return m_position; }
    // `eRenderType` bits handed to the renderer; a plain store.
    virtual uint32_t getRenderType() const { return m_renderType; }
    virtual void setRenderType(uint32_t renderType) { m_renderType = renderType; }
    // The frame of the sprite sheet that the animation time shows.
    virtual uint32_t getFrame() const;
    // Moves the animation time to the start of the frame (nothing when it shows it already).
    virtual void setFrame(uint32_t frame);
    // Moves the deep of every child view by the same amount, then stores the new deep and
    // sorts the view again in the render registry when it is shown.
    virtual void setDeep(float deep);
    float getDeep() const { return m_deep; }
    // Whether the point lies in the view's rotated rectangle, edges included.
    virtual bool hitTest(const cVector2& point) const;

    // Unpacks 0xAARRGGBB and sets the colour.
    void setColorARGB(uint32_t argb);
    // A value of the view's own for its users; nothing here reads it.
    uint32_t getAlphaField() const { return m_userValue; }
    void setAlphaField(uint32_t value) { m_userValue = value; }
    // The blend weight of the animation being faded out (1 falling to 0).
    float getBlendWeight() const { return m_blendWeight; }

    // The image, the angle, alpha, position, size, render type, animation time, inversions,
    // pitch, yaw, scale and lighting of `other`, its deep (through `setDeep`); sets dirty. The
    // colour, tile, "DoubleAnimRender", "MultiSprites" and the blend settings stay.
    void copyProperties(const cView& other);

    // --- Geometry, rebuilt when asked for while dirty ---
    // The single sprite, or the sprite list with "MultiSprites".
    tSprites getSprites();
    const cQuad& getSprite();
    // The next frame's quad of a "DoubleAnimRender" view.
    const cQuad& getSecondSprite();
    const std::vector<cQuad>& getSpriteList();
    cMeshRenderData& getMeshData();
    // Sets dirty; with `now` rebuilds at once.
    void invalidate(bool now = false);
    // Rebuilds what the view draws when it is dirty (or when the transparency of its tree's
    // root changed since the last build), then clears the flag.
    virtual void updateGeometry();

    // Set by every change of what is drawn; the geometry is rebuilt when it is asked for.
    bool isDirty() const { return m_dirty; }
    void setDirty() { m_dirty = true; }
    // The transparency the view is drawn with: that of the root of its tree.
    float getTreeTransparency() const;

    // The effect views of the layout's "PyroEffects", children of this view. Copies of a view
    // (the copy constructor, `copyProperties`) get copies of them; a copy of a playing effect
    // plays.
    const std::vector<cView*>& getParticleChildren() const { return m_particleChildren; }
    void addParticleChild(cView* child);
    // The draw record of a particle view while its effect plays; null for other views.
    virtual cParticleDrawInfo* getParticleDrawInfo() { return nullptr; }

    // Walks the render registry: calls `render` for every shown view and drops the views that
    // are no longer shown (they join again when shown). Handlers run by `render` may show,
    // hide, re-sort or destroy views; the walk covers the views registered when it began,
    // less those that left during it, and the changes take effect when it ends. The layouts
    // that wait (`layOutBeforeDrawing`) are done first, so no view is drawn with a layout older
    // than what was set on it.
    static void renderPass(const boost::function<void(cView*)>& render);
    static bool isInRenderRegistry(const cView* view);
    static std::size_t renderRegistrySize();
    // The registry's views in drawing order.
    static std::vector<cView*> getRenderOrder();

    // The image's animation, with the blend of a mesh's animations: while the view is shown
    // and "IsAniblend" is set, the pose of the old animation is kept and faded out over
    // "AnimBlendTime".
    void setAnimation(const boost::shared_ptr<cAnimation>& animation) override;
    void setMesh(const boost::shared_ptr<cMesh>& mesh) override;

    // The animation time wrapped into the animation: with `loop` into [0, length), else
    // clamped to [0, length]; a time of exactly `length` stays. A length of 0 or less leaves the
    // time alone.
    static float wrapTime(float time, float length, bool loop);

protected:
    // Called by `updateGeometry` while the time of an animation that does not loop is past its
    // end, before the time is cut back.
    virtual void onAnimationEnd() {}
    virtual void buildMesh();
    // One quad: the frame's cell of the sheet, the rotated rectangle and the colour, its
    // alpha multiplied by the tree's transparency and `weight`.
    virtual void buildSprite(cQuad& sprite, uint32_t frame, float weight);
    // The sprite list: one quad here; views of several quads override it.
    virtual void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight);
    void onImageChanged() override { m_dirty = true; }
    // Has `layOut` run before the next render pass draws anything: for a view that lays itself
    // out in its update from what was set, and would otherwise be drawn as it was laid out
    // before in a frame where the change came after its update (or that had no update).
    void layOutBeforeDrawing();
    // Brings what the view draws up to what was set on it; nothing here.
    virtual void layOut() {}
    // The view's place among the drawn (a view that draws nothing itself keeps out of it).
    void joinRenderRegistry();
    void leaveRenderRegistry();

    bool m_dirty = true;

private:
    static uint64_t nextSerial();
    // Which view this is in the order views were made.
    uint64_t m_serial = nextSerial();
    // A view's place in the render registry: the deep it joined with, then the order in which
    // the views were made (an order the same on every run, unlike their addresses).
    struct tDrawKey
    {
        float deep;
        uint64_t serial;
        cView* view;
        bool operator<(const tDrawKey& other) const;
    };
    using tRenderRegistry = cDeferredRegistry<tDrawKey>;
    static tRenderRegistry& renderRegistry();
    static std::set<cView*>& waitingLayouts();
    // Does the layouts that wait now; a layout that asks for more (the new lines of a text)
    // has them done too.
    static void layOutWaiting();
    // Stores `value` in `field` and sets dirty when they differ.
    template <class T> void change(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        m_dirty = true;
    }
    // The child views, in the order of the set of children: a list of their own, so that a
    // step over them survives children that come and go. Most views have few children, so the
    // list seldom needs the heap.
    boost::container::small_vector<cView*, 8> childViews() const;
    // One started particle view per child of the "PyroEffects" element; "UseOffset" 1 makes the
    // effect's position its emitter's offset from this view.
    void loadParticleChildren(const tPropertiesPtr& effects);
    // Children of this view copying the particle children of `other`.
    void copyParticleChildren(const cView& other);

    float m_angle = 0.0f;
    cVector2 m_position{0.0f, 0.0f};
    cVector2 m_size{1.0f, 1.0f};
    cVector2 m_tile{0.0f, 0.0f};
    uint32_t m_renderType = 0;
    cQuad m_sprite;
    std::vector<cQuad> m_sprites;
    cQuad m_secondSprite;
    cMeshRenderData m_meshData;
    float m_blendWeight = 0.0f;
    float m_animTime = 0.0f;
    uint32_t m_userValue = 0;
    bool m_inverceX = false;
    bool m_inverceY = false;
    bool m_doubleAnimRender = false;
    bool m_multiSprites = false;
    bool m_background = false;
    bool m_lightingEnable = false;
    cVector3 m_scale{1.0f, 1.0f, 1.0f};
    float m_yaw = 0.0f;
    float m_pitch = 0.0f;
    int32_t m_lightTable = 0;
    cColor m_ambientColor{1.0f, 1.0f, 1.0f, 1.0f};
    cColor m_specularColor{1.0f, 1.0f, 1.0f, 1.0f};
    cColor m_emissiveColor{1.0f, 1.0f, 1.0f, 1.0f};
    float m_power = 0.0f;
    cColor m_color{1.0f, 1.0f, 1.0f, 1.0f};
    std::vector<cView*> m_particleChildren;
    float m_blendTimeLeft = 0.0f;
    float m_animBlendTime = 0.15f;
    bool m_isAniblend = false;

    float m_deep = 0.0f;
    // The deep under which the view sits in the registry; changed only while it is out, so
    // the registry's order never changes under it.
    float m_registeredDeep = 0.0f;
    bool m_inRenderRegistry = false;
    // The tree transparency the geometry was last built with.
    float m_builtTransparency = -1.0f;
};

} // namespace Engine
