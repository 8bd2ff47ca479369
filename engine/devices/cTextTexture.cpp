#include "engine/devices/cTextTexture.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "engine/devices/D3DError.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/text/FontRaster.h"

#include <memory>

namespace Engine
{

cTextTexture::cTextTexture(const std::wstring& text, const std::string& face) : m_text(text), m_face(face)
{
    redraw();
}

cTextTexture::~cTextTexture() = default;

eResourceType cTextTexture::getType() const
{
    return eResourceType::TextTexture;
}

void cTextTexture::reload()
{
    redraw();
}

void cTextTexture::setText(const std::wstring& text)
{
    m_text = text;
    redraw();
}

void cTextTexture::redraw()
{
    m_texture.reset();

    std::unique_ptr<Platform::FontRaster> raster;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!m_text.empty())
    {
        try
        {
            const std::string face = m_face.empty() ? Platform::FontRaster::defaultFontPath() : m_face;
            raster = std::make_unique<Platform::FontRaster>(face, PixelHeight);
        }
        catch (const Platform::FontError& error)
        {
            std::string text = error.what();
            getErrorString() = text;
            throw cString<std::string>(std::move(text));
        }
        raster->measure(m_text, width, height);
    }
    if (width == 0 || height == 0)
    {
        // Nothing to draw: no device texture; the u and v scales stay as they were.
        m_textureWidth = m_textureHeight = 1;
        m_imageWidth = m_imageHeight = 1;
        m_halfTexelU = m_halfTexelV = 0.5f;
        return;
    }

    const std::vector<uint8_t> coverage = raster->draw(m_text, width, height);
    tGfxTexturePtr texture;
    createTexture(factoryDevice("text texture"), nullptr, nullptr, texture, Platform::Pool::Managed, nullptr,
                  static_cast<int>(width), static_cast<int>(height));
    Platform::SurfaceDesc desc;
    texture->getLevelDesc(0, desc);
    m_uScale = static_cast<float>(width) / static_cast<float>(desc.width);
    m_vScale = static_cast<float>(height) / static_cast<float>(desc.height);

    Platform::LockedRect locked;
    const Platform::GfxResult result = texture->lockRect(0, locked, nullptr, 0);
    if (Platform::gfxFailed(result))
        throwD3DError(result, "LockRect(...)");
    uint8_t* row = static_cast<uint8_t*>(locked.bits);
    for (uint32_t y = 0; y < height; ++y, row += locked.pitch)
    {
        const uint8_t* in = coverage.data() + static_cast<size_t>(y) * width;
        for (uint32_t x = 0; x < width; ++x)
        {
            // White text drawn on black: blue, green and red are the coverage, and so is alpha.
            uint8_t* out = row + static_cast<size_t>(x) * 4;
            out[0] = out[1] = out[2] = out[3] = in[x];
        }
    }
    texture->unlockRect(0);
    m_texture = std::move(texture);

    // The text's own size, whatever size the device gave the texture.
    m_textureWidth = m_imageWidth = static_cast<int>(width);
    m_textureHeight = m_imageHeight = static_cast<int>(height);
    m_halfTexelU = 0.5f / static_cast<float>(width);
    m_halfTexelV = 0.5f / static_cast<float>(height);
}

} // namespace Engine
