#include "engine/devices/cResourceManager.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileStream.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/core/xml/XmlText.h"
#include "engine/devices/cAnimation.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cSoundSample.h"
#include "engine/devices/cTexture.h"
#include "engine/devices/cVertexShader.h"

#include <algorithm>
#include <boost/make_shared.hpp>

namespace Engine
{

namespace
{

bool isDeviceKind(eResourceType kind)
{
    return kind == eResourceType::Texture || kind == eResourceType::Mesh ||
           kind == eResourceType::VertexShader;
}

bool isXmlKind(eResourceType kind)
{
    return kind == eResourceType::XmlPooled || kind == eResourceType::XmlHeap;
}

// Atlas names and image paths are written on any system: lower case, "/" separators.
std::wstring atlasName(const std::wstring& text)
{
    std::wstring name = toLower(text);
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

[[noreturn]] void throwError(std::string text)
{
    getErrorString() = text;
    throw cString<std::string>(std::move(text));
}

// Removes the key from `m_loading` when the creation ends, however it ends.
class cLoadingMark
{
public:
    cLoadingMark(std::set<std::string>& loading, const std::string& key) : m_loading(loading), m_key(key)
    {
        m_loading.insert(m_key);
    }
    ~cLoadingMark() { m_loading.erase(m_key); }
    cLoadingMark(const cLoadingMark&) = delete;
    cLoadingMark& operator=(const cLoadingMark&) = delete;

private:
    std::set<std::string>& m_loading;
    const std::string& m_key;
};

} // namespace

cResourceManager::cResourceManager()
{
    readAtlases();
}

cResourceManager::~cResourceManager()
{
    m_atlasTextures.clear();
    m_atlasEntries.clear();
    m_atlasImages.clear();
    m_deviceResources.clear();
    m_paths.clear();
    m_byPath.clear();
}

tPropertiesPtr cResourceManager::getXml(const std::string& path, bool heap)
{
    const std::string key = toLower(path);
    const auto it = m_byPath.find(key);
    tResourcePtr resource;
    if (it != m_byPath.end())
    {
        if (!isXmlKind(it->second->getType()))
            throw "Wrong resource type.";
        resource = it->second;
    }
    else
        resource = findOrLoad(key, heap ? eResourceType::XmlHeap : eResourceType::XmlPooled);
    tPropertiesPtr document = boost::dynamic_pointer_cast<cProperties>(resource);
    if (!document)
        throw "Wrong resource type.";
    return document;
}

tPropertiesPtr cResourceManager::getXml(const char* path, bool heap)
{
    return getXml(std::string(path ? path : ""), heap);
}

void cResourceManager::getXml(tPropertiesPtr& out, const char* path, bool heap)
{
    out = getXml(path, heap);
}

tPropertiesPtr cResourceManager::getProperties(const std::string& path, bool heap)
{
    return getXml(path.c_str(), heap);
}

cResourceManager::tResourcePtr cResourceManager::getResource(const std::string& path, eResourceType kind)
{
    return getResourceByKey(toLower(path), kind);
}

cResourceManager::tResourcePtr cResourceManager::getResourceByKey(const std::string& key, eResourceType kind)
{
    const auto it = m_byPath.find(key);
    if (it == m_byPath.end())
        return findOrLoad(key, kind);
    if (it->second->getType() != kind)
        throw "Wrong resource type.";
    if (isDeviceKind(kind))
        m_deviceResources.insert(it->second);
    return it->second;
}

cResourceManager::tResourcePtr cResourceManager::getTextureResource(const std::string& path)
{
    const std::string key = toLower(path);
    const auto entry = m_atlasEntries.find(key);
    if (entry == m_atlasEntries.end())
        return getResourceByKey(key, eResourceType::Texture);
    // The whole atlas image, loaded by its file path (never through another entry name).
    const std::string& image = m_atlasImages.at(static_cast<size_t>(entry->second.imageIndex));
    tResourcePtr texture = getResource(image, eResourceType::Texture);
    m_atlasTextures.insert(texture);
    return texture;
}

cResourceManager::tResourcePtr cResourceManager::findOrLoad(const std::string& key, eResourceType kind)
{
    if (m_loading.count(key))
        throwError("\"" + key + "\" is loaded again while it loads (a copy that leads back to itself).");
    tResourcePtr resource;
    {
        const cLoadingMark mark(m_loading, key);
        resource = createResource(kind, key);
    }
    if (!resource)
        throwError("Resource \"" + key + "\" could not be created.");
    m_byPath[key] = resource;
    m_paths[resource] = key;
    if (isDeviceKind(kind))
        m_deviceResources.insert(resource);
    return resource;
}

cResourceManager::tResourcePtr cResourceManager::createResource(eResourceType kind, const std::string& path)
{
    const auto hook = m_creators.find(kind);
    if (hook != m_creators.end())
        return hook->second(path);
    // Each kind that is loaded from a file has one line here: its class built from the path
    // (meshes through cMesh::load, which chooses the mesh class from the file).
    switch (kind)
    {
    case eResourceType::XmlPooled:
        return boost::make_shared<cXmlPropertiesPooled>(path);
    case eResourceType::XmlHeap:
        return boost::make_shared<cXmlProperties>(path);
    case eResourceType::Texture:
        return boost::make_shared<cTexture>(path);
    case eResourceType::Font:
        return boost::make_shared<cFont>(path);
    case eResourceType::Sound:
        return boost::make_shared<cSoundSample>(path);
    case eResourceType::Mesh:
        return cMesh::load(path);
    case eResourceType::Animation:
        return boost::make_shared<cAnimation>(path);
    case eResourceType::VertexShader:
        return boost::make_shared<cVertexShader>(path);
    default:
        throwError("No resource class for kind " + std::to_string(static_cast<int>(kind)) + " to load \"" +
                   path + "\".");
    }
}

void cResourceManager::setCreator(eResourceType kind, tCreator creator)
{
    if (creator)
        m_creators[kind] = std::move(creator);
    else
        m_creators.erase(kind);
}

void cResourceManager::unload(const std::string& path)
{
    const auto it = m_byPath.find(path);
    if (it == m_byPath.end())
        return;
    const tResourcePtr resource = it->second;
    m_byPath.erase(it);
    m_paths.erase(resource);
    m_deviceResources.erase(resource);
    m_atlasTextures.erase(resource);
}

void cResourceManager::unload(const char* path)
{
    unload(std::string(path ? path : ""));
}

void cResourceManager::unloadResource(const tResourcePtr& resource)
{
    const auto it = m_paths.find(resource);
    if (it == m_paths.end())
        return;
    const tResourcePtr held = resource;
    m_byPath.erase(it->second);
    m_paths.erase(it);
    m_deviceResources.erase(held);
    m_atlasTextures.erase(held);
}

void cResourceManager::releaseDeviceResources()
{
    for (const auto& weak : m_deviceResources)
    {
        if (const tResourcePtr resource = weak.lock())
            resource->releaseDeviceData();
    }
}

const std::string& cResourceManager::getPath(const tResourcePtr& resource) const
{
    const auto it = m_paths.find(resource);
    if (it == m_paths.end())
        throw "Unknown resource.";
    return it->second;
}

void cResourceManager::dumpLog(const std::string& file) const
{
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<ResourceLog>\n";
    for (const auto& entry : m_paths)
    {
        text += L"<Tag Path=\"" + escapeXml(fromUtf8(entry.second)) + L"\" Type=\"" +
                std::to_wstring(static_cast<int>(entry.first->getType())) + L"\" />\n";
    }
    text += L"</ResourceLog>";

    std::string bytes;
    xml::appendUtf16Bytes(bytes, text);
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        throwError("No file system to write \"" + file + "\".");
    std::unique_ptr<cFileStream> stream = files->createFile(file, true);
    const int written = stream->write(bytes.data(), static_cast<unsigned>(bytes.size()));
    stream->close();
    if (written != static_cast<int>(bytes.size()))
        throwError("Can't write file \"" + files->sharedPathOnDisk(file) + "\".");
}

void cResourceManager::preload(tPropertiesPtr list, unsigned first, unsigned end)
{
    if (!list)
        return;
    for (unsigned i = first; i < end; ++i)
    {
        tPropertiesPtr item;
        if (!list->getChildAt(i, item))
            continue;
        const std::string path = toNarrowString(item->getAttribute(L"Path"));
        int type = static_cast<int>(eResourceType::Unknown);
        fromString(type, item->getAttribute(L"Type"));
        loadKind(path, static_cast<eResourceType>(type));
    }
}

void cResourceManager::releaseUnused()
{
    // Held by nobody else: one reference in each of the two maps.
    std::vector<std::string> unused;
    for (const auto& entry : m_byPath)
    {
        if (entry.second.use_count() == 2)
            unused.push_back(entry.first);
    }
    for (const std::string& key : unused)
    {
        const auto it = m_byPath.find(key);
        const tResourcePtr resource = std::move(it->second);
        m_byPath.erase(it);
        m_paths.erase(resource);
        // A weak reference kept after the resource goes would hold its memory (made in one
        // piece with its count) for as long as the program runs.
        m_deviceResources.erase(resource);
        m_atlasTextures.erase(resource);
    }
}

void cResourceManager::getLoadedPaths(std::set<std::string>& paths) const
{
    paths.clear();
    for (const auto& entry : m_paths)
        paths.insert(entry.second);
}

void cResourceManager::loadByExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : toLower(path.substr(dot + 1));
    loadKind(path, typeOfExtension(extension));
}

void cResourceManager::loadKind(const std::string& path, eResourceType kind)
{
    switch (kind)
    {
    case eResourceType::Texture:
        getTextureResource(path);
        break;
    case eResourceType::XmlPooled:
    case eResourceType::XmlHeap:
        getXml(path, true);
        break;
    case eResourceType::Font:
    case eResourceType::VertexShader:
    case eResourceType::Sound:
    case eResourceType::Mesh:
    case eResourceType::Animation:
        getResource(path, kind);
        break;
    default:
        break;
    }
}

bool cResourceManager::probe(const std::string& path) const
{
    return m_byPath.count(path) != 0;
}

bool cResourceManager::probe(const char* path) const
{
    return probe(std::string(path ? path : ""));
}

bool cResourceManager::isAtlasTexture(const tResourcePtr& texture) const
{
    return texture && m_atlasTextures.count(texture) > 0;
}

bool cResourceManager::isAtlasImage(const std::string& path) const
{
    return std::find(m_atlasImages.begin(), m_atlasImages.end(), path) != m_atlasImages.end();
}

bool cResourceManager::isAtlasEntry(const tResourcePtr& resource) const
{
    return hasAtlasEntry(getPath(resource));
}

bool cResourceManager::hasAtlasEntry(const std::string& name) const
{
    return findAtlasEntry(name) != nullptr;
}

const sAtlasEntry& cResourceManager::getAtlasEntry(const std::string& name) const
{
    static const sAtlasEntry none;
    const sAtlasEntry* entry = findAtlasEntry(name);
    return entry ? *entry : none;
}

const sAtlasEntry* cResourceManager::findAtlasEntry(const std::string& name) const
{
    const auto it = m_atlasEntries.find(toLower(name));
    return it == m_atlasEntries.end() ? nullptr : &it->second;
}

eResourceType cResourceManager::typeOfExtension(const std::string& extension)
{
    static const std::map<std::string, eResourceType> kinds = {
        {"dds", eResourceType::Texture},      {"jng", eResourceType::Texture},
        {"png", eResourceType::Texture},      {"jpg", eResourceType::Texture},
        {"tga", eResourceType::Texture},      {"bmp", eResourceType::Texture},
        {"xml", eResourceType::XmlPooled},    {"fnt", eResourceType::Font},
        {"vsh", eResourceType::VertexShader}, {"ogg", eResourceType::Sound},
        {"wav", eResourceType::Sound},        {"mesh", eResourceType::Mesh},
        {"anim", eResourceType::Animation}};
    const auto it = kinds.find(extension);
    return it == kinds.end() ? eResourceType::Unknown : it->second;
}

void cResourceManager::readAtlases()
{
    cFileSystem* files = cFileSystem::instance();
    if (!files || !files->isKnown("atlases.xml"))
        return;
    const tPropertiesPtr atlases = getXml("atlases.xml", true);
    for (cChildIterator atlas = atlases->childrenBegin(), end = atlases->childrenEnd(); atlas != end; ++atlas)
    {
        const tPropertiesPtr& node = atlas.value();
        m_atlasImages.push_back(toNarrowString(atlasName(node->getAttribute(L"Path"))));
        const int32_t index = static_cast<int32_t>(m_atlasImages.size() - 1);
        cVector2 pos;
        cVector2 size;
        const tPropertiesPtr map = getXml(toNarrowString(node->getAttribute(L"Map")), true);
        for (cChildIterator entry = map->childrenBegin(), last = map->childrenEnd(); entry != last; ++entry)
        {
            const tPropertiesPtr& item = entry.value();
            const std::wstring name = atlasName(item->getAttribute(L"Name"));
            // A missing Pos or Size keeps the previous entry's value.
            item->get(L"Pos", pos);
            item->get(L"Size", size);
            m_atlasEntries.emplace(toLower(toNarrowString(name)), sAtlasEntry{index, pos, size});
        }
    }
}

} // namespace Engine
