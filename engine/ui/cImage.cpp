#include "engine/ui/cImage.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FromString.h"
#include "engine/core/cString.h"
#include "engine/devices/cAnimation.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"

#include <algorithm>

namespace Engine
{

namespace
{

cResourceManager& resourceManager(const std::string& forName)
{
    cResourceManager* manager = cResourceManager::instance();
    if (!manager)
    {
        std::string text = "No resource manager to load \"" + forName + "\".";
        getErrorString() = text;
        throw cString<std::string>(std::move(text));
    }
    return *manager;
}

// The first word of a key's text: resource names never hold spaces.
std::string resourceName(const tPropertiesPtr& node, const wchar_t* key)
{
    std::string name;
    // Most views name no mesh and no animation: an absent key needs no conversion.
    const std::wstring& text = node->getAttribute(key);
    if (!text.empty())
        fromString(name, text);
    return name;
}

} // namespace

cImage::cImage() = default;

cImage::cImage(const cImage& other)
{
    *this = other;
}

// Replaced resources are only let go, never told to give up their device data: other views may
// share them, and a resource dies with its last holder.
cImage::~cImage() = default;

cImage& cImage::operator=(const cImage& other)
{
    if (this == &other)
        return *this;
    storeTexture(other.m_texture, other.m_textureName);
    m_atlasIndex = other.m_atlasIndex;
    m_frameRect = other.m_frameRect;
    setMesh(other.m_mesh);
    setAnimation(other.m_animation);
    anim_length = other.anim_length;
    frames_count = other.frames_count;
    anim_columns = other.anim_columns;
    anim_rows = other.anim_rows;
    PlayAnimation = other.PlayAnimation;
    anim_loop = other.anim_loop;
    onImageChanged();
    return *this;
}

void cImage::loadXML(const tPropertiesPtr& node)
{
    if (!node)
        return;
    setTexture(resourceName(node, L"Picture"));

    const std::string mesh = resourceName(node, L"Mesh");
    setMesh(mesh.empty() ? boost::shared_ptr<cMesh>() : resourceManager(mesh).getMesh(mesh));

    const std::string animation = resourceName(node, L"Animation");
    setAnimation(animation.empty() ? boost::shared_ptr<cAnimation>()
                                   : resourceManager(animation).getAnim(animation));

    fromString(anim_length, node->getAttribute(L"anim_length"));
    fromString(PlayAnimation, node->getAttribute(L"PlayAnimation"));
    fromString(frames_count, node->getAttribute(L"frames_count"));
    fromString(anim_loop, node->getAttribute(L"anim_loop"));
    fromString(anim_columns, node->getAttribute(L"anim_columns"));
    fromString(anim_rows, node->getAttribute(L"anim_rows"));
    // A sheet without cells would divide by zero when a frame is placed; the smallest sheet is
    // one cell of one frame.
    anim_columns = std::max<uint32_t>(anim_columns, 1);
    anim_rows = std::max<uint32_t>(anim_rows, 1);
    const uint64_t cells = static_cast<uint64_t>(anim_columns) * anim_rows;
    if (frames_count > cells)
        frames_count = static_cast<uint32_t>(cells);
    frames_count = std::max<uint32_t>(frames_count, 1);
    onImageChanged();
}

void cImage::setTexture(const std::string& name)
{
    if (name.empty())
    {
        storeTexture(boost::shared_ptr<cTexture>(), std::string());
    }
    else
    {
        boost::shared_ptr<cTexture> texture = resourceManager(name).getTexture(name);
        storeTexture(texture, name);
    }
    refreshFrame();
    onImageChanged();
}

void cImage::setTexture(const boost::shared_ptr<cTexture>& texture)
{
    storeTexture(texture, std::string());
    refreshFrame();
    onImageChanged();
}

void cImage::refreshFrame()
{
    // Only a name that is an atlas entry has a region: the atlas image itself, asked for by its
    // file path, is an ordinary whole texture.
    const cResourceManager* manager = cResourceManager::instance();
    const sAtlasEntry* entry =
        m_texture && !m_textureName.empty() && manager ? manager->findAtlasEntry(m_textureName) : nullptr;
    if (entry)
    {
        m_atlasIndex = entry->imageIndex;
        m_frameRect = {entry->pos.x, entry->pos.y, entry->size.x, entry->size.y};
    }
    else
    {
        m_atlasIndex = -1;
        m_frameRect = tFrameRect();
    }
}

void cImage::setMesh(const boost::shared_ptr<cMesh>& mesh)
{
    storeMesh(mesh);
    onImageChanged();
}

void cImage::setAnimation(const boost::shared_ptr<cAnimation>& animation)
{
    storeAnimation(animation);
    onImageChanged();
}

void cImage::storeTexture(const boost::shared_ptr<cTexture>& texture, const std::string& name)
{
    m_texture = texture;
    m_textureName = name;
}

void cImage::storeAnimation(const boost::shared_ptr<cAnimation>& animation)
{
    m_animation = animation;
}

void cImage::storeMesh(const boost::shared_ptr<cMesh>& mesh)
{
    m_mesh = mesh;
}

} // namespace Engine
