#include "engine/devices/cTextureFile.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/devices/cAlphaMask.h"
#include "platform/image/ImageDecoder.h"

namespace Engine
{

namespace
{

// Reads a whole file into a loader's own buffer; false for a PVR file.
bool readImageFile(const std::string& path, std::vector<char>& buffer, size_t& size)
{
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        cTextureFile::throwImageError(path, "there is no file system");
    size = files->readFile(path, buffer);
    return !Platform::hasPvrSignature(reinterpret_cast<const uint8_t*>(buffer.data()), size);
}

} // namespace

void cTextureFile::throwImageError(const std::string& path, const std::string& why)
{
    std::string text = "Can't read image \"" + path + "\": " + why + ".";
    getErrorString() = text;
    throw cString<std::string>(std::move(text));
}

Platform::Image cTextureFile::decode(const std::string& path, const void* data, size_t size)
{
    try
    {
        return Platform::decodeImage(static_cast<const uint8_t*>(data), size);
    }
    catch (const Platform::ImageError& error)
    {
        throwImageError(path, error.what());
    }
}

bool cTextureFile::readAlphaMask(const std::string& path, cAlphaMask& mask)
{
    // This reader's buffer lives for the whole run.
    static std::vector<char> buffer;
    size_t size = 0;
    if (!readImageFile(path, buffer, size))
        return false;
    const Platform::Image image = decode(path, buffer.data(), size);
    mask.resize(image.width, image.height);
    size_t index = 0;
    for (uint32_t y = 0; y < image.height; ++y)
    {
        const uint8_t* row = image.row(y);
        for (uint32_t x = 0; x < image.width; ++x, ++index)
            mask.set(index, row[x * 4 + 3] / 255.0f > 0.001f);
    }
    return true;
}

bool cTextureFile::readImagePixels(const std::string& path, std::vector<cColor>& pixels, uint32_t& width,
                                   uint32_t& height)
{
    static std::vector<char> buffer;
    size_t size = 0;
    if (!readImageFile(path, buffer, size))
        return false;
    const Platform::Image image = decode(path, buffer.data(), size);
    width = image.width;
    height = image.height;
    pixels.assign(static_cast<size_t>(width) * height, cColor(0.0f, 0.0f, 0.0f, 0.0f));
    for (size_t i = 0; i < pixels.size(); ++i)
    {
        const uint8_t* p = image.pixels.data() + i * 4;
        pixels[i] = cColor(p[2] / 255.0f, p[1] / 255.0f, p[0] / 255.0f, p[3] / 255.0f);
    }
    return true;
}

} // namespace Engine
