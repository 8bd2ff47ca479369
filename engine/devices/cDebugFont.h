#pragma once

#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/GfxTexture.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Platform
{
class GfxDevice;
class FontRaster;
} // namespace Platform

namespace Engine
{

// The render device's debug font: the frame's debug text (the statistics overlay and what
// `cRender::addDebugText` collected) drawn in one colour from the top-left corner of the back
// buffer, line by line, in a bold face of 16-pixel lines. It is the drawer that
// `cRender::setDebugTextDrawer` takes.
//
// The text is drawn into a texture that is kept while the text stays the same; texture and
// vertices live in the managed pool, so a device reset never has to wait for them. Every state
// the drawing changes is put back afterwards.
class cDebugFont
{
public:
    // Throws the engine's failure when the default face cannot be opened.
    explicit cDebugFont(Platform::GfxDevice& device);
    ~cDebugFont();
    cDebugFont(const cDebugFont&) = delete;
    cDebugFont& operator=(const cDebugFont&) = delete;

    // Draws inside an open scene; an empty text draws nothing.
    void draw(const std::wstring& text, uint32_t argb);

    // The size of the picture of the last text drawn (0 × 0 before any).
    int getTextWidth() const { return m_width; }
    int getTextHeight() const { return m_height; }

private:
    // Draws the text into a new texture; false when there is nothing to show.
    bool render(const std::wstring& text);

    Platform::GfxDevice& m_device;
    std::unique_ptr<Platform::FontRaster> m_raster;
    std::wstring m_text;
    std::shared_ptr<Platform::GfxTexture> m_texture;
    std::shared_ptr<Platform::GfxVertexBuffer> m_vertices;
    int m_width = 0;
    int m_height = 0;
};

} // namespace Engine
