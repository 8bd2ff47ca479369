#include "engine/devices/cDebugFont.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "engine/devices/cTextureLoader.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/text/FontRaster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Engine
{

namespace
{

using Platform::RenderState;
using Platform::StageState;

// A vertex already in back-buffer pixels: x, y, z, 1/w, colour, u, v.
struct sScreenVertex
{
    float x;
    float y;
    float z;
    float rhw;
    uint32_t color;
    float u;
    float v;
};

constexpr uint32_t kScreenFvf = Platform::Fvf::XyzRhw | Platform::Fvf::Diffuse | Platform::Fvf::Tex1;
// An em of 13 pixels gives lines of 16 pixels in the default face.
constexpr unsigned kPixelHeight = 13;

// Restores every state the drawing changed, however it ends.
class cStateGuard
{
public:
    explicit cStateGuard(Platform::GfxDevice& device) : m_device(device)
    {
        m_device.createStateBlock(m_block);
    }
    ~cStateGuard()
    {
        m_device.applyStateBlock(m_block);
        // The block holds the buffers and textures that were bound; it must not outlive the
        // drawing, or a reset would wait for them.
        m_device.deleteStateBlock(m_block);
    }
    cStateGuard(const cStateGuard&) = delete;
    cStateGuard& operator=(const cStateGuard&) = delete;

private:
    Platform::GfxDevice& m_device;
    uint32_t m_block = 0;
};

std::vector<std::wstring> splitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines(1);
    for (const wchar_t c : text)
    {
        if (c == L'\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    // The overlay ends every line with "\n": no empty line after the last one.
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

} // namespace

cDebugFont::cDebugFont(Platform::GfxDevice& device) : m_device(device)
{
    try
    {
        m_raster =
            std::make_unique<Platform::FontRaster>(Platform::FontRaster::defaultFontPath(), kPixelHeight);
    }
    catch (const Platform::FontError& error)
    {
        std::string text = error.what();
        getErrorString() = text;
        throw cString<std::string>(std::move(text));
    }
}

cDebugFont::~cDebugFont() = default;

bool cDebugFont::render(const std::wstring& text)
{
    m_texture.reset();
    m_width = m_height = 0;
    const std::vector<std::wstring> lines = splitLines(text);
    const uint32_t lineHeight = static_cast<uint32_t>(std::max(m_raster->lineHeight(), 1));
    uint32_t width = 0;
    for (const std::wstring& line : lines)
    {
        uint32_t w = 0;
        uint32_t h = 0;
        m_raster->measure(line, w, h);
        width = std::max(width, w);
    }
    // Never more than the back buffer shows.
    const Platform::PresentParams& params = m_device.presentParams();
    width = std::min<uint32_t>(width, static_cast<uint32_t>(std::max(params.backBufferWidth, 1)));
    const uint32_t height = std::min<uint32_t>(lineHeight * static_cast<uint32_t>(lines.size()),
                                               static_cast<uint32_t>(std::max(params.backBufferHeight, 1)));
    if (width == 0 || height == 0)
        return false;

    tGfxTexturePtr texture;
    createTexture(m_device, nullptr, nullptr, texture, Platform::Pool::Managed, nullptr,
                  static_cast<int>(width), static_cast<int>(height));
    Platform::LockedRect locked;
    if (Platform::gfxFailed(texture->lockRect(0, locked, nullptr, 0)))
        return false;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const uint32_t top = static_cast<uint32_t>(i) * lineHeight;
        if (top >= height)
            break;
        const uint32_t rows = std::min(lineHeight, height - top);
        const std::vector<uint8_t> coverage = m_raster->draw(lines[i], width, rows);
        for (uint32_t y = 0; y < rows; ++y)
        {
            uint8_t* out = static_cast<uint8_t*>(locked.bits) + static_cast<size_t>(top + y) * locked.pitch;
            for (uint32_t x = 0; x < width; ++x, out += 4)
            {
                // White with the coverage as alpha; the vertex colour tints it.
                out[0] = out[1] = out[2] = 255;
                out[3] = coverage[static_cast<size_t>(y) * width + x];
            }
        }
    }
    texture->unlockRect(0);
    m_texture = std::move(texture);
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
}

void cDebugFont::draw(const std::wstring& text, uint32_t argb)
{
    if (text.empty())
        return;
    if (text != m_text || !m_texture)
    {
        m_text = text;
        if (!render(text))
            return;
    }
    if (!m_texture)
        return;
    if (!m_vertices &&
        Platform::gfxFailed(m_device.createVertexBuffer(4 * sizeof(sScreenVertex), Platform::Usage::WriteOnly,
                                                        kScreenFvf, Platform::Pool::Managed, m_vertices)))
    {
        m_vertices.reset();
        return;
    }

    // Texel centres on pixel centres: the quad's edges lie half a pixel outside them.
    const float left = -0.5f;
    const float top = -0.5f;
    const float right = static_cast<float>(m_width) - 0.5f;
    const float bottom = static_cast<float>(m_height) - 0.5f;
    const sScreenVertex quad[4] = {
        {left, top, 0.0f, 1.0f, argb, 0.0f, 0.0f},
        {right, top, 0.0f, 1.0f, argb, 1.0f, 0.0f},
        {left, bottom, 0.0f, 1.0f, argb, 0.0f, 1.0f},
        {right, bottom, 0.0f, 1.0f, argb, 1.0f, 1.0f},
    };
    void* bytes = nullptr;
    if (Platform::gfxFailed(m_vertices->lock(0, 0, &bytes, Platform::Lock::Discard)))
        return;
    std::memcpy(bytes, quad, sizeof(quad));
    m_vertices->unlock();

    const cStateGuard restore(m_device);
    Platform::GfxDevice& d = m_device;
    d.changeRenderState(RenderState::AlphaBlendEnable, 1u);
    d.changeRenderState(RenderState::SrcBlend, Platform::Blend::SrcAlpha);
    d.changeRenderState(RenderState::DestBlend, Platform::Blend::InvSrcAlpha);
    d.changeRenderState(RenderState::BlendOp, Platform::BlendOp::Add);
    d.changeRenderState(RenderState::AlphaTestEnable, 0u);
    d.changeRenderState(RenderState::StencilEnable, 0u);
    d.changeRenderState(RenderState::ZEnable, 0u);
    d.changeRenderState(RenderState::ZWriteEnable, 0u);
    d.changeRenderState(RenderState::Lighting, 0u);
    d.changeRenderState(RenderState::CullMode, Platform::CullMode::None);
    d.changeRenderState(RenderState::FillMode, Platform::FillMode::Solid);
    d.changeTextureStageState(0, StageState::ColorOp, Platform::TextureOp::Modulate);
    d.changeTextureStageState(0, StageState::ColorArg1, Platform::TextureArg::Texture);
    d.changeTextureStageState(0, StageState::ColorArg2, Platform::TextureArg::Diffuse);
    d.changeTextureStageState(0, StageState::AlphaOp, Platform::TextureOp::Modulate);
    d.changeTextureStageState(0, StageState::AlphaArg1, Platform::TextureArg::Texture);
    d.changeTextureStageState(0, StageState::AlphaArg2, Platform::TextureArg::Diffuse);
    d.changeTextureStageState(0, StageState::TexCoordIndex, 0u);
    d.changeTextureStageState(0, StageState::MagFilter, Platform::TextureFilter::Point);
    d.changeTextureStageState(0, StageState::MinFilter, Platform::TextureFilter::Point);
    d.changeTextureStageState(0, StageState::MipFilter, Platform::TextureFilter::None);
    d.changeTextureStageState(0, StageState::AddressU, Platform::TextureAddress::Clamp);
    d.changeTextureStageState(0, StageState::AddressV, Platform::TextureAddress::Clamp);
    d.setTexture(0, m_texture);
    d.setVertexShader(kScreenFvf);
    d.setStreamSource(0, m_vertices, sizeof(sScreenVertex));
    d.drawPrimitive(Platform::PrimitiveType::TriangleStrip, 0, 2);
}

} // namespace Engine
