#pragma once

#include "engine/core/cDocumentCache.h"
#include "engine/core/cProperties.h"
#include "engine/core/cResource.h"
#include "engine/core/cSingleton.h"
#include "engine/devices/sAtlasEntry.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/smart_ptr/owner_less.hpp>
#include <boost/weak_ptr.hpp>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Engine
{

class cTexture;
class cFont;
class cSoundSample;
class cMesh;
class cAnimation;
class cVertexShader;

// Creates every file-backed resource on its first request and shares it afterwards: one
// instance per path, whatever the letter case of the path. Reads the texture atlases
// ("atlases.xml") when it is made, so that an image name can stand for a region of an atlas
// image. All XML documents of the engine are loaded and cached here (`getXml`); it is the
// foundation's `cDocumentCache` while it exists.
//
// Each kind of resource is created by `createResource`; a kind whose class is not built into
// it can be given a creation hook with `setCreator` (tests use this for stand-in kinds). The
// typed getters are templates only so that they can name resource classes that are declared
// here and defined elsewhere; callers write `getTexture(path)` as usual.
class cResourceManager : public cSingleton<cResourceManager>, public cDocumentCache
{
public:
    using cSingleton<cResourceManager>::instance;
    using tResourcePtr = boost::shared_ptr<cResource>;
    // Makes a resource from a lower-cased path; the constructor of the kind loads the file and
    // throws when it cannot.
    using tCreator = boost::function<tResourcePtr(const std::string& path)>;

    cResourceManager();
    virtual ~cResourceManager();

    // A texture by path, or by the name of an atlas entry (then the whole atlas image, marked as
    // an atlas texture; `getAtlasEntry` gives the region).
    template <class T = cTexture> boost::shared_ptr<T> getTexture(const std::string& path)
    {
        return boost::static_pointer_cast<T>(getTextureResource(path));
    }
    template <class T = cFont> boost::shared_ptr<T> getFont(const std::string& path)
    {
        return boost::static_pointer_cast<T>(getResource(path, eResourceType::Font));
    }
    template <class T = cSoundSample> boost::shared_ptr<T> getSound(const std::string& path)
    {
        return boost::static_pointer_cast<T>(getResource(path, eResourceType::Sound));
    }
    template <class T = cMesh> boost::shared_ptr<T> getMesh(const std::string& path)
    {
        return boost::static_pointer_cast<T>(getResource(path, eResourceType::Mesh));
    }
    template <class T = cAnimation> boost::shared_ptr<T> getAnim(const std::string& path)
    {
        return boost::static_pointer_cast<T>(getResource(path, eResourceType::Animation));
    }
    template <class T = cVertexShader> boost::shared_ptr<T> getVertexShader(const std::string& path)
    {
        return boost::static_pointer_cast<T>(getResource(path, eResourceType::VertexShader));
    }

    // The root of the XML document at `path`. A cached document is returned whichever node class
    // it has; a new one is built with `cXmlProperties` (hash-keyed) when `heap` is set, else with
    // `cXmlPropertiesPooled`. Load errors pass through and nothing is cached; a path cached as
    // another kind throws the C string "Wrong resource type.".
    virtual tPropertiesPtr getXml(const std::string& path, bool heap);
    tPropertiesPtr getXml(const char* path, bool heap);
    void getXml(tPropertiesPtr& out, const char* path, bool heap);
    tPropertiesPtr getProperties(const std::string& path, bool heap);

    // Forgets the resource of a path (compared as given, so only a lower-case path finds it);
    // the object lives on while others hold it. Nothing happens for a path not cached.
    virtual void unload(const std::string& path);
    void unload(const char* path);
    // Forgets one resource object; nothing happens when it is not held.
    virtual void unloadResource(const tResourcePtr& resource);
    // Calls `releaseDeviceData` of every live texture, mesh and vertex shader.
    virtual void releaseDeviceResources();
    // The path under which a resource is held; throws the C string "Unknown resource.".
    const std::string& getPath(const tResourcePtr& resource) const override;
    // Writes the resource log (UTF-16 little-endian, no byte-order mark) to a file of the
    // shared folder.
    virtual void dumpLog(const std::string& file) const;
    // Loads what the children [first, end) of a list node name: "Path" and "Type" (the kind
    // number; 1 and 2 load hash-keyed documents; other numbers load nothing).
    virtual void preload(tPropertiesPtr list, unsigned first, unsigned end);
    // Forgets every resource that nobody but the manager holds.
    virtual void releaseUnused();
    virtual void getLoadedPaths(std::set<std::string>& paths) const;
    // Loads a file as the kind its extension names ("xml": a hash-keyed document); nothing for
    // an unknown extension.
    virtual void loadByExtension(const std::string& path);

    // The foundation's view of the cache: `getXml` and `unload`.
    tPropertiesPtr getDocument(const std::string& path, bool heap) override { return getXml(path, heap); }
    void forgetFile(const std::string& path) override { unload(path); }

    // Whether a resource is cached under the path as given (cached paths are lower case, as
    // with `unload`); loads and changes nothing.
    virtual bool probe(const std::string& path) const;
    bool probe(const char* path) const;

    bool isAtlasTexture(const tResourcePtr& texture) const;
    // Whether the text is one of the atlas image paths (exact, case-sensitive).
    bool isAtlasImage(const std::string& path) const;
    bool isAtlasEntry(const tResourcePtr& resource) const;
    bool hasAtlasEntry(const std::string& name) const;
    // The entry of a name; a name that is no entry gives an entry of zeros.
    const sAtlasEntry& getAtlasEntry(const std::string& name) const;
    // The entry of a name, or null for a name that is no entry: one lookup for both questions.
    const sAtlasEntry* findAtlasEntry(const std::string& name) const;

    // Find or load: the cached resource of the lower-cased path, or a new one of that kind.
    tResourcePtr getResource(const std::string& path, eResourceType kind);
    tResourcePtr getTextureResource(const std::string& path);
    // Replaces how one kind is created (an empty hook restores the built-in way).
    void setCreator(eResourceType kind, tCreator creator);
    // The kind that files with this extension (lower case, without the dot) are loaded as.
    static eResourceType typeOfExtension(const std::string& extension);

protected:
    // Creates a resource of a kind from its lower-cased path; throws when the kind has no
    // class here and no hook.
    virtual tResourcePtr createResource(eResourceType kind, const std::string& path);

private:
    // `getResource` of a path already lower-cased.
    tResourcePtr getResourceByKey(const std::string& key, eResourceType kind);
    // Takes a resource into both maps and, for device kinds, into the device resources.
    tResourcePtr findOrLoad(const std::string& key, eResourceType kind);
    // Loads a file as a kind (either kind of document loads a hash-keyed one); nothing for a kind
    // that is not loaded from a file.
    void loadKind(const std::string& path, eResourceType kind);
    void readAtlases();

    using tWeakResources =
        std::set<boost::weak_ptr<cResource>, boost::owner_less<boost::weak_ptr<cResource>>>;

    // Keyed by the lower-cased path itself: paths never collide.
    std::map<std::string, tResourcePtr> m_byPath;
    std::map<tResourcePtr, std::string> m_paths;
    tWeakResources m_deviceResources;
    std::vector<std::string> m_atlasImages;
    // Looked up for every picture a view loads; never walked in order.
    std::unordered_map<std::string, sAtlasEntry> m_atlasEntries;
    // Textures handed out through an atlas entry name.
    tWeakResources m_atlasTextures;
    std::map<eResourceType, tCreator> m_creators;
    // Paths whose resource is being created: a document that copies from itself, directly or
    // through others, is refused instead of loading for ever.
    std::set<std::string> m_loading;
};

} // namespace Engine
