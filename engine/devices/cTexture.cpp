#include "engine/devices/cTexture.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"
#include "engine/core/cString.h"
#include "engine/devices/cDeviceFactory.h"
#include "engine/devices/cTextureFile.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/image/Image.h"

#include <algorithm>

namespace Engine
{

cTexture::cTexture() = default;

cTexture::cTexture(const std::string& path)
{
    load(path, factoryDevice(path));
}

cTexture::cTexture(const std::string& path, Platform::GfxDevice& device)
{
    load(path, device);
}

cTexture::cTexture(tGfxTexturePtr texture) : m_texture(std::move(texture)) {}

cTexture::~cTexture() = default;

eResourceType cTexture::getType() const
{
    return eResourceType::Texture;
}

void cTexture::releaseDeviceData()
{
    m_texture.reset();
}

std::shared_ptr<Platform::GfxTexture> cTexture::getDeviceTexture() const
{
    return m_texture;
}

cVector2 cTexture::getCoordinateScale() const
{
    return cVector2(m_uScale, m_vScale);
}

Platform::GfxDevice& cTexture::factoryDevice(const std::string& forPath)
{
    cDeviceFactory* factory = cDeviceFactory::instance();
    Platform::GfxDevice* device = factory ? factory->getDevice() : nullptr;
    if (!device)
    {
        std::string text = "No render device to make the texture \"" + forPath + "\".";
        getErrorString() = text;
        throw cString<std::string>(std::move(text));
    }
    return *device;
}

void cTexture::load(const std::string& path, Platform::GfxDevice& device)
{
    // Shared by every texture loaded from a file and kept for the whole run: loading many
    // textures does not allocate a buffer per file. It grows to the largest file read.
    // Never without storage: an empty file still hands over a pointer, as a picture's bytes.
    static std::vector<char> buffer = []
    {
        std::vector<char> storage;
        storage.reserve(65536);
        return storage;
    }();
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        cTextureFile::throwImageError(path, "there is no file system");
    sImageInfo info;
    if (device.readsPicturesWhenDecoded() && !device.decodesPicturesOnLoad() &&
        loadHeader(path, device, info))
    {
        setSizes(info);
        return;
    }
    const unsigned size = files->readFile(path, buffer);
    try
    {
        createTexture(device, buffer.data(), &size, m_texture, Platform::Pool::Managed, &info, 0, 0, path);
    }
    catch (const Platform::ImageError& error)
    {
        cTextureFile::throwImageError(path, error.what());
    }
    setSizes(info);
}

bool cTexture::loadHeader(const std::string& path, Platform::GfxDevice& device, sImageInfo& info)
{
    // Enough for the header of a PNG or JNG and for the markers before the frame of most JPEGs.
    constexpr unsigned HeaderBytes = 4096;
    const std::unique_ptr<cStream> stream = cFileSystem::instance()->openFile(path);
    const unsigned size = stream->size();
    char header[HeaderBytes];
    const unsigned wanted = std::min(size, HeaderBytes);
    unsigned done = 0;
    while (done < wanted)
    {
        const int got = stream->read(header + done, wanted - done);
        if (got <= 0)
            return false;
        done += static_cast<unsigned>(got);
    }
    // A file read whole here is made as any other.
    if (done == size)
        return false;
    try
    {
        return createTextureFromHeader(device, header, done, path, m_texture, &info);
    }
    catch (const Platform::ImageError& error)
    {
        cTextureFile::throwImageError(path, error.what());
    }
}

void cTexture::setSizes(const sImageInfo& info)
{
    Platform::SurfaceDesc desc;
    m_texture->getLevelDesc(0, desc);
    m_textureWidth = desc.width;
    m_textureHeight = desc.height;
    m_imageWidth = static_cast<int>(info.width);
    m_imageHeight = static_cast<int>(info.height);
    m_uScale = static_cast<float>(m_imageWidth) / static_cast<float>(m_textureWidth);
    m_vScale = static_cast<float>(m_imageHeight) / static_cast<float>(m_textureHeight);
    m_halfTexelU = 0.5f / static_cast<float>(m_textureWidth);
    m_halfTexelV = 0.5f / static_cast<float>(m_textureHeight);
}

} // namespace Engine
