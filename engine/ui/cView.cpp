#include "engine/ui/cView.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/RenderTypes.h"
#include "engine/devices/cAnimation.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cPyro.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace Engine
{

namespace
{

constexpr float DegreesToRadians = 3.14159265358979323846f / 180.0f;

float frameTime()
{
    const cTimer* timer = cTimer::instance();
    return timer ? timer->getFrameTime() : 0.0f;
}

// Reads a float key into `target`; false (and the target unchanged) when the key is missing or
// holds no number.
bool readFloat(const tPropertiesPtr& node, const wchar_t* key, float& target)
{
    float value = std::numeric_limits<float>::quiet_NaN();
    fromString(value, node->getAttribute(key));
    if (std::isnan(value))
        return false;
    target = value;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Render registry

bool cView::tDrawKey::operator<(const tDrawKey& other) const
{
    if (deep != other.deep)
        return deep < other.deep;
    return serial < other.serial;
}

uint64_t cView::nextSerial()
{
    static uint64_t made = 0;
    return ++made;
}

cView::tRenderRegistry& cView::renderRegistry()
{
    static tRenderRegistry registry;
    return registry;
}

void cView::joinRenderRegistry()
{
    if (m_inRenderRegistry)
        return;
    // A deep that is not a number would break the registry's order; it sorts as 0.
    m_registeredDeep = std::isnan(m_deep) ? 0.0f : m_deep;
    renderRegistry().add(tDrawKey{m_registeredDeep, m_serial, this});
    m_inRenderRegistry = true;
}

void cView::leaveRenderRegistry()
{
    if (!m_inRenderRegistry)
        return;
    renderRegistry().remove(tDrawKey{m_registeredDeep, m_serial, this});
    m_inRenderRegistry = false;
}

std::set<cView*>& cView::waitingLayouts()
{
    static std::set<cView*> waiting;
    return waiting;
}

void cView::layOutBeforeDrawing()
{
    waitingLayouts().insert(this);
}

void cView::layOutWaiting()
{
    std::set<cView*>& waiting = waitingLayouts();
    // A layout makes and lays out views of its own; a few rounds end every chain of them.
    for (int round = 0; round < 8 && !waiting.empty(); ++round)
    {
        const std::vector<cView*> now(waiting.begin(), waiting.end());
        waiting.clear();
        // A view destroyed by another's layout has left the set, not this copy of it.
        for (cView* view : now)
            if (isAlive(view))
                view->layOut();
    }
}

void cView::renderPass(const boost::function<void(cView*)>& render)
{
    layOutWaiting();
    // A drawing hook may show, hide, re-sort or destroy views: the registry applies those
    // changes once the walk is over, and skips a view that left during it.
    renderRegistry().walk(
        [&render](const tDrawKey& key)
        {
            if (key.view->isShown())
                render(key.view);
            else
                key.view->leaveRenderRegistry();
        });
}

bool cView::isInRenderRegistry(const cView* view)
{
    return view->m_inRenderRegistry;
}

std::size_t cView::renderRegistrySize()
{
    return renderRegistry().size();
}

std::vector<cView*> cView::getRenderOrder()
{
    std::vector<cView*> order;
    for (const tDrawKey& key : renderRegistry().members())
        order.push_back(key.view);
    return order;
}

// ---------------------------------------------------------------------------------------------
// Life

cView::cView(cControl* parent) : cControl(parent)
{
    // Built before the first view is complete, so the registries outlive every view.
    renderRegistry();
    waitingLayouts();
    setTransparency(1.0f);
    setIsView(true);
}

cView::cView(const cView& other)
    : cControl(other), cImage(other), m_angle(other.m_angle), m_position(other.m_position),
      m_size(other.m_size), m_tile(other.m_tile), m_renderType(other.m_renderType),
      m_animTime(other.m_animTime), m_userValue(other.m_userValue), m_inverceX(other.m_inverceX),
      m_inverceY(other.m_inverceY), m_doubleAnimRender(other.m_doubleAnimRender),
      m_multiSprites(other.m_multiSprites), m_background(other.m_background),
      m_lightingEnable(other.m_lightingEnable), m_scale(other.m_scale), m_yaw(other.m_yaw),
      m_pitch(other.m_pitch), m_lightTable(other.m_lightTable), m_ambientColor(other.m_ambientColor),
      m_specularColor(other.m_specularColor), m_emissiveColor(other.m_emissiveColor), m_power(other.m_power),
      m_color(other.m_color), m_animBlendTime(other.m_animBlendTime), m_isAniblend(other.m_isAniblend),
      m_deep(other.m_deep)
{
    renderRegistry();
    setTransparency(1.0f);
    setIsView(true);
    copyParticleChildren(other);
}

cView::~cView()
{
    // A view queued for deletion is detached first, and detaching shows it again; leaving
    // here keeps the render pass from meeting freed memory.
    leaveRenderRegistry();
    waitingLayouts().erase(this);
    // What is left of the object from here on is no view.
    setIsView(false);
}

void cView::onShow()
{
    joinRenderRegistry();
    cControl::onShow();
}

void cView::onHide()
{
    leaveRenderRegistry();
    cControl::onHide();
}

void cView::onTransparencyChanged()
{
    m_dirty = true;
    cControl::onTransparencyChanged();
}

void cView::removeChild(cControl* child)
{
    // A particle child that leaves (deleted or moved) must not stay in the list.
    m_particleChildren.erase(std::remove(m_particleChildren.begin(), m_particleChildren.end(), child),
                             m_particleChildren.end());
    cControl::removeChild(child);
}

void cView::addParticleChild(cView* child)
{
    if (!child ||
        std::find(m_particleChildren.begin(), m_particleChildren.end(), child) != m_particleChildren.end())
        return;
    if (child->getParent() != this)
        child->setParent(this);
    m_particleChildren.push_back(child);
}

boost::container::small_vector<cView*, 8> cView::childViews() const
{
    boost::container::small_vector<cView*, 8> views;
    for (cControl* child : getChildren())
        if (child->isView())
            views.push_back(static_cast<cView*>(child));
    return views;
}

void cView::update()
{
    // The blend of a mesh's animations fades with time; the mesh data carries the weight.
    if (m_isAniblend && m_blendTimeLeft > 0.0f)
    {
        m_blendTimeLeft = std::max(0.0f, m_blendTimeLeft - frameTime());
        m_blendWeight = m_animBlendTime > 0.0f ? m_blendTimeLeft / m_animBlendTime : 0.0f;
        m_dirty = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Settings

void cView::setColorARGB(uint32_t argb)
{
    setColor(cColor::fromARGB(argb));
}

void cView::setPosition(const cVector2& position)
{
    const cVector2 delta = position - m_position;
    for (cView* child : childViews())
        child->setPosition(child->getPosition() + delta);
    m_position = position;
    positionChangedSignal(this);
    m_dirty = true;
}

void cView::setDeep(float deep)
{
    const float delta = deep - m_deep;
    for (cView* child : childViews())
        child->setDeep(child->getDeep() + delta);
    const bool shown = isShown();
    // A view that stays where it is in the registry (unit views follow their units every frame,
    // mostly at the same depth) is not taken out and put back.
    const bool keepsPlace =
        shown && m_inRenderRegistry && m_registeredDeep == (std::isnan(deep) ? 0.0f : deep);
    if (!keepsPlace && (shown || m_inRenderRegistry))
        leaveRenderRegistry();
    m_deep = deep;
    if (shown && !keepsPlace)
        joinRenderRegistry();
    m_dirty = true;
}

uint32_t cView::getFrame() const
{
    const uint32_t frames = std::max<uint32_t>(frames_count, 1);
    if (!(anim_length > 0.0f) || !(m_animTime > 0.0f))
        return 0;
    if (m_animTime >= anim_length)
        return frames - 1;
    const float frame = m_animTime / anim_length * static_cast<float>(frames);
    return std::min(static_cast<uint32_t>(frame), frames - 1);
}

void cView::setFrame(uint32_t frame)
{
    if (getFrame() == frame)
        return;
    const float frames = static_cast<float>(std::max<uint32_t>(frames_count, 1));
    const float length = std::max(anim_length, 0.0f);
    m_animTime = std::clamp(static_cast<float>(frame) * length / frames, 0.0f, length);
    m_dirty = true;
}

bool cView::hitTest(const cVector2& point) const
{
    float x = point.x - m_position.x;
    float y = point.y - m_position.y;
    if (m_angle != 0.0f)
    {
        const float a = m_angle * DegreesToRadians;
        const float c = std::cos(a);
        const float s = std::sin(a);
        const float rx = x * c - y * s;
        const float ry = x * s + y * c;
        x = rx;
        y = ry;
    }
    return std::fabs(x) <= m_size.x * 0.5f && std::fabs(y) <= m_size.y * 0.5f;
}

void cView::copyProperties(const cView& other)
{
    if (this == &other)
        return;
    cImage::operator=(other);
    m_angle = other.m_angle;
    m_color.a = other.m_color.a;
    m_position = other.m_position;
    m_size = other.m_size;
    m_renderType = other.m_renderType;
    m_animTime = other.m_animTime;
    m_inverceX = other.m_inverceX;
    m_inverceY = other.m_inverceY;
    m_pitch = other.m_pitch;
    m_yaw = other.m_yaw;
    m_scale = other.m_scale;
    m_lightingEnable = other.m_lightingEnable;
    m_lightTable = other.m_lightTable;
    m_ambientColor = other.m_ambientColor;
    m_specularColor = other.m_specularColor;
    m_emissiveColor = other.m_emissiveColor;
    m_power = other.m_power;
    setDeep(other.m_deep);
    // The old effects go at the end of the frame; they leave the tree at once, so nothing
    // reaches them meanwhile.
    for (cView* child : std::vector<cView*>(m_particleChildren))
    {
        child->hide();
        child->setParent(nullptr);
        deleteLater(child);
    }
    m_particleChildren.clear();
    copyParticleChildren(other);
    m_dirty = true;
}

// ---------------------------------------------------------------------------------------------
// Particle children

void cView::loadParticleChildren(const tPropertiesPtr& effects)
{
    unsigned index = 0;
    for (auto it = effects->childrenBegin(); it != effects->childrenEnd(); ++it, ++index)
    {
        try
        {
            const tPropertiesPtr& element = it->value();
            auto* effect = new cPyro(this);
            effect->loadXML(element);
            effect->playAsPart(element);
            addParticleChild(effect);
        }
        catch (...)
        {
            rethrowInLayout("\"PyroEffects\" element number " + std::to_string(index));
        }
    }
}

void cView::copyParticleChildren(const cView& other)
{
    for (const cView* child : other.m_particleChildren)
    {
        const cPyro* source = dynamic_cast<const cPyro*>(child);
        if (!source)
            continue;
        auto* effect = new cPyro(*source);
        effect->setParent(this);
        // A copy of a playing effect plays too: the copied view looks like the other.
        if (source->isRunning())
            effect->play(false, 0.0f);
        m_particleChildren.push_back(effect);
    }
}

// ---------------------------------------------------------------------------------------------
// Images and animation blending

void cView::setMesh(const boost::shared_ptr<cMesh>& mesh)
{
    if (mesh != getMesh())
    {
        m_blendTimeLeft = 0.0f;
        m_blendWeight = 0.0f;
    }
    storeMesh(mesh);
    onImageChanged();
}

void cView::setAnimation(const boost::shared_ptr<cAnimation>& animation)
{
    const boost::shared_ptr<cAnimation> old = getAnimation();
    if (!m_isAniblend || !old || !m_meshData.mesh)
    {
        m_blendWeight = 0.0f;
    }
    else if (!isShown())
    {
        m_blendTimeLeft = 0.0f;
        m_blendWeight = 0.0f;
    }
    else
    {
        // The pose the old animation shows now is faded out over "AnimBlendTime"; it only fits
        // a skeleton with one bone per track.
        const std::vector<cMatrix>* bones = m_meshData.mesh->getBoneMatrices();
        const std::size_t boneCount = bones ? bones->size() : 0;
        if (boneCount == old->getTracks().size())
        {
            m_blendTimeLeft = m_animBlendTime;
            m_blendWeight = 1.0f;
        }
        else
        {
            m_blendTimeLeft = 0.0f;
            m_blendWeight = 0.0f;
        }
        old->evaluate(old->getLastTime() + 0.01f, bones);
        m_meshData.previousPose = old->getOutput();
    }
    storeAnimation(animation);
    onImageChanged();
}

// ---------------------------------------------------------------------------------------------
// Layout keys

// The keys of every view, in this order: the object's ("Visible", "Enable", "TranparencySpeed",
// "AbsoluteEnable"); "deep" (always applied: a missing one puts the view at 0 and moves its
// children with it); "position" (the centre; children stay); "relpos" (the parent view's
// position plus the value); "size", "angle" (degrees), "tile", "color", "alpha" (after the
// colour); "RenderType" (0x... for hexadecimal; a tiled view gets bit 0x200); "InverceX",
// "InverceY", "DoubleAnimRender", "MultiSprites"; "pitch" and "yaw" (degrees); "scale";
// "LightingEnable", "LightTable", "AmbientColor", "SpecularColor", "EmissiveColor", "Power",
// "AnimBlendTime", "IsAniblend"; the image keys (cImage). A single-frame picture whose size is
// still 1 x 1 then takes the picture's own size in pixels. Last, "PyroEffects": one particle view per
// child element (see `loadParticleChildren`).
void cView::loadXML(const tPropertiesPtr& node)
{
    cControl::loadXML(node);
    if (!node)
    {
        m_dirty = true;
        return;
    }
    const auto text = [&node](const wchar_t* key) -> const std::wstring& { return node->getAttribute(key); };

    float deep = 0.0f;
    fromString(deep, text(L"deep"));
    setDeep(deep);

    fromString(m_position, text(L"position"));
    const std::wstring& relpos = text(L"relpos");
    if (const cView* parent = dynamic_cast<const cView*>(getParent()); parent && !relpos.empty())
    {
        cVector2 offset(0.0f, 0.0f);
        fromString(offset, relpos);
        m_position = parent->getPosition() + offset;
    }
    fromString(m_size, text(L"size"));
    fromString(m_angle, text(L"angle"));
    fromString(m_tile, text(L"tile"));
    fromString(m_color, text(L"color"));
    fromString(m_color.a, text(L"alpha"));

    unsigned long renderType = m_renderType;
    fromString(renderType, text(L"RenderType"));
    m_renderType = static_cast<uint32_t>(renderType);
    if (m_tile.x > 0.0f && m_tile.y > 0.0f)
        m_renderType |= eRenderType::Mirror;

    fromString(m_inverceX, text(L"InverceX"));
    fromString(m_inverceY, text(L"InverceY"));
    fromString(m_doubleAnimRender, text(L"DoubleAnimRender"));
    fromString(m_multiSprites, text(L"MultiSprites"));

    float degrees = 0.0f;
    if (readFloat(node, L"pitch", degrees))
        m_pitch = degrees * DegreesToRadians;
    if (readFloat(node, L"yaw", degrees))
        m_yaw = degrees * DegreesToRadians;
    fromString(m_scale, text(L"scale"));

    fromString(m_lightingEnable, text(L"LightingEnable"));
    fromString(m_lightTable, text(L"LightTable"));
    fromString(m_ambientColor, text(L"AmbientColor"));
    fromString(m_specularColor, text(L"SpecularColor"));
    fromString(m_emissiveColor, text(L"EmissiveColor"));
    fromString(m_power, text(L"Power"));
    fromString(m_animBlendTime, text(L"AnimBlendTime"));
    fromString(m_isAniblend, text(L"IsAniblend"));

    cImage::loadXML(node);

    if (const boost::shared_ptr<cTexture> texture = getTexture();
        texture && m_size == cVector2(1.0f, 1.0f) && frames_count == 1)
    {
        // The picture's own size: an atlas entry's region, else the image (not the texture the
        // device may have enlarged).
        if (getAtlasIndex() >= 0)
            m_size = cVector2(getFrameRect().width, getFrameRect().height);
        else
            m_size = cVector2(static_cast<float>(texture->getImageWidth()),
                              static_cast<float>(texture->getImageHeight()));
    }

    tPropertiesPtr effects;
    if (node->getChild(L"PyroEffects", effects) && effects)
        loadParticleChildren(effects);

    m_dirty = true;
}

// ---------------------------------------------------------------------------------------------
// Geometry

float cView::getTreeTransparency() const
{
    const cControl* root = this;
    while (root->getParent())
        root = root->getParent();
    return root->getTransparency();
}

float cView::wrapTime(float time, float length, bool loop)
{
    // A length of 0 would give times that are not numbers.
    if (!(length > 0.0f))
        return time;
    if (time > length)
        time = loop ? time - std::trunc(time / length) * length : length;
    if (time >= 0.0f)
        return time;
    // Played backwards.
    return loop ? time - (std::trunc(time / length) - 1.0f) * length : 0.0f;
}

void cView::invalidate(bool now)
{
    m_dirty = true;
    if (now)
        updateGeometry();
}

void cView::updateGeometry()
{
    // The root's transparency may change without this view hearing of it (a plain store, a
    // new parent): the colours are rebuilt whenever it differs from the last build's.
    const float transparency = getTreeTransparency();
    if (transparency != m_builtTransparency)
        m_dirty = true;
    if (!m_dirty)
        return;
    m_builtTransparency = transparency;

    if (m_animTime > anim_length && !anim_loop)
        onAnimationEnd();
    m_animTime = wrapTime(m_animTime, anim_length, anim_loop);

    if (getMesh())
    {
        buildMesh();
        m_dirty = false;
        return;
    }

    const uint32_t frame = getFrame();
    if (m_multiSprites)
    {
        // The renderer draws the list of such a view, whatever else is set.
        buildSprites(m_sprites, frame, 1.0f);
    }
    else if (!m_doubleAnimRender)
    {
        buildSprite(m_sprite, frame, 1.0f);
    }
    else
    {
        // The current frame fades out while the next fades in: each is fully opaque for the
        // half of the frame's time nearer to it.
        const uint32_t frames = std::max<uint32_t>(frames_count, 1);
        const float frameLength = anim_length / static_cast<float>(frames);
        float f =
            frameLength > 0.0f ? (m_animTime - static_cast<float>(frame) * frameLength) / frameLength : 0.0f;
        f = std::clamp(f, 0.0f, 1.0f);
        uint32_t next = frame + 1;
        if (next >= frames)
            next = anim_loop ? next % frames : frames - 1;
        buildSprite(m_sprite, frame, std::min(1.0f, 2.0f * (1.0f - f)));
        buildSprite(m_secondSprite, next, std::min(1.0f, 2.0f * f));
    }
    m_dirty = false;
}

void cView::buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight)
{
    sprites.resize(1);
    buildSprite(sprites[0], frame, weight);
}

void cView::buildSprite(cQuad& sprite, uint32_t frame, float weight)
{
    const uint32_t columns = std::max<uint32_t>(anim_columns, 1);
    const uint32_t rows = std::max<uint32_t>(anim_rows, 1);
    const uint32_t column = frame % columns;
    const uint32_t row = frame / columns;

    cVector2 origin(0.0f, 0.0f);
    cVector2 extent(1.0f, 1.0f);
    const boost::shared_ptr<cTexture> texture = getTexture();
    if (texture && getAtlasIndex() >= 0)
    {
        // The renderer multiplies texture coordinates by image size / texture size (for images
        // the device enlarged), so the region is measured against the image: the product is the
        // region's place in the texture either way.
        const float width = static_cast<float>(texture->getImageWidth());
        const float height = static_cast<float>(texture->getImageHeight());
        if (width > 0.0f && height > 0.0f)
        {
            const tFrameRect& rect = getFrameRect();
            origin = cVector2(rect.x / width, rect.y / height);
            extent = cVector2(rect.width / width, rect.height / height);
        }
    }
    else if (m_tile.x > 0.0f && m_tile.y > 0.0f)
    {
        extent = cVector2(m_size.x / m_tile.x, m_size.y / m_tile.y);
    }
    const float cellWidth = extent.x / static_cast<float>(columns);
    const float cellHeight = extent.y / static_cast<float>(rows);
    float left = origin.x + static_cast<float>(column) * cellWidth;
    float right = left + cellWidth;
    float top = origin.y + static_cast<float>(row) * cellHeight;
    float bottom = top + cellHeight;
    if (m_inverceX)
        std::swap(left, right);
    if (m_inverceY)
        std::swap(top, bottom);
    sprite.uvFrom = cVector2(left, top);
    sprite.uvTo = cVector2(right, bottom);

    const float halfWidth = m_size.x * 0.5f;
    const float halfHeight = m_size.y * 0.5f;
    const float offsets[4][2] = {{-halfWidth, -halfHeight},
                                 {halfWidth, -halfHeight},
                                 {-halfWidth, halfHeight},
                                 {halfWidth, halfHeight}};
    float c = 1.0f;
    float s = 0.0f;
    if (m_angle != 0.0f)
    {
        const float a = m_angle * DegreesToRadians;
        c = std::cos(a);
        s = std::sin(a);
    }
    const cColor color(m_color.r, m_color.g, m_color.b, m_color.a * m_builtTransparency * weight);
    const uint32_t argb = color.toARGB();
    for (int i = 0; i < 4; ++i)
    {
        const float x = offsets[i][0];
        const float y = offsets[i][1];
        sprite.corners[i].x = m_position.x + x * c + y * s;
        sprite.corners[i].y = m_position.y - x * s + y * c;
        sprite.corners[i].color = argb;
    }
}

namespace
{

Platform::ColorValue deviceColor(const cColor& color, float alphaScale)
{
    Platform::ColorValue value;
    value.r = color.r;
    value.g = color.g;
    value.b = color.b;
    value.a = color.a * alphaScale;
    return value;
}

// Rotations of row vectors (p' = p x M) by `a` radians.
cMatrix rotationY(float a)
{
    cMatrix m;
    const float c = std::cos(a);
    const float s = std::sin(a);
    m(0, 0) = c;
    m(0, 2) = -s;
    m(2, 0) = s;
    m(2, 2) = c;
    return m;
}

cMatrix rotationX(float a)
{
    cMatrix m;
    const float c = std::cos(a);
    const float s = std::sin(a);
    m(1, 1) = c;
    m(1, 2) = s;
    m(2, 1) = -s;
    m(2, 2) = c;
    return m;
}

} // namespace

void cView::buildMesh()
{
    m_meshData.mesh = getMesh();
    m_meshData.animation = getAnimation();
    m_meshData.texture = getTexture();
    // The view's time runs over "anim_length"; the animation's keys over its own duration.
    m_meshData.time = m_meshData.animation && anim_length > 0.0f
                          ? m_meshData.animation->getDuration() * m_animTime / anim_length
                          : 0.0f;
    // Scale first, then the yaw about Y, the pitch about X, and the place, with the deep as z.
    m_meshData.world = cMatrix::scaling(m_scale.x, m_scale.y, m_scale.z) * rotationY(-m_yaw) *
                       rotationX(-m_pitch) * cMatrix::translation(m_position.x, m_position.y, m_deep);
    const float transparency = m_builtTransparency;
    m_meshData.material.diffuse = deviceColor(m_color, transparency);
    m_meshData.material.ambient = deviceColor(m_ambientColor, transparency);
    m_meshData.material.specular = deviceColor(m_specularColor, transparency);
    m_meshData.material.emissive = deviceColor(m_emissiveColor, transparency);
    m_meshData.material.power = m_power;
    m_meshData.lightingEnable = m_lightingEnable;
    m_meshData.lightTable = static_cast<uint32_t>(m_lightTable);
    m_meshData.blendFactor = m_blendWeight;
}

cView::tSprites cView::getSprites()
{
    updateGeometry();
    if (m_multiSprites)
        return {m_sprites.data(), m_sprites.size()};
    return {&m_sprite, 1};
}

const cQuad& cView::getSprite()
{
    updateGeometry();
    return m_sprite;
}

const cQuad& cView::getSecondSprite()
{
    updateGeometry();
    return m_secondSprite;
}

const std::vector<cQuad>& cView::getSpriteList()
{
    updateGeometry();
    return m_sprites;
}

cMeshRenderData& cView::getMeshData()
{
    updateGeometry();
    return m_meshData;
}

} // namespace Engine
