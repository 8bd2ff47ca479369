#pragma once

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GlContext.h"
#include "platform/gfx/GlTexture.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Platform
{

// The device on OpenGL 2.1 with the fixed-function pipeline.
//
// States are applied from the shadow right before a clear or a draw, only those that differ
// from what GL holds. Three differences to the classic device are taken care of here:
// - pixel centres: the classic device puts them on whole numbers, GL half-way between, and its
//   clip depth runs 0..1 where GL's runs -1..1; the projection is multiplied by a fixed
//   correction (a shift of about half a pixel right and down, `PixelShift`, and z' = 2z - w),
//   so vertex data stay as the engine writes them;
// - `clear` ignores the colour, depth and stencil write masks, as the classic clear does;
// - sampler states belong to the stage, GL keeps them in the texture object: they are given to
//   the bound texture whenever they differ from what it has;
// - GL's lights have no range and no inner spot cone: lit vertices are coloured on the CPU as
//   the classic pipeline lights them (`lightVertices`), and GL's own lighting stays off.
// Vertex colours are 0xAARRGGBB in memory (bytes B, G, R, A) and are read as BGRA. Vertex shaders
// are ARB vertex programs.
//
// The back buffer keeps the frame after a present (`keepsFrame`), so that the next frame need
// only draw what changed, and a screenshot reads exactly what was drawn. Where the window's
// own back buffer keeps its pixels across a swap (as a software rasteriser's does, which
// copies it to the window), the device draws straight into it and `present` swaps; this is
// found out when the device is made and at every reset. Otherwise, and with `offscreen` (or a
// context without a window), the back buffer is a framebuffer object of its size: with a
// window `present` copies it into the window's buffer and swaps, offscreen it only waits for
// the drawing, so that pixel tests read back exactly what was drawn.
class GlGfxDevice final : public GfxDevice
{
public:
    // How far the picture moves right and down, in pixels, to put the classic pixel centres on
    // GL's. A little less than half a pixel: a vertex exactly on a pixel centre then lies just
    // above and left of it, so the pixel belongs to the triangle whose top or left edge it is,
    // as with the classic device, however GL breaks such ties (its y axis is upside down
    // to the engine's, so its own rule would give the bottom edge the pixel). The 1/64 pixel is
    // finer than the classic devices' own snapping and coarser than GL's.
    static constexpr float PixelShift = 0.5f - 1.0f / 64.0f;

    // Makes the context current and sets the device up; on failure `error` says why.
    static GfxResult create(const PresentParams& params, std::unique_ptr<GlContext> context, bool offscreen,
                            std::unique_ptr<GfxDevice>& device, std::string& error);
    ~GlGfxDevice() override;

    GfxResult present() override;
    GfxResult clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) override;
    GfxResult drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
    GfxResult drawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                   uint32_t startIndex, uint32_t primitiveCount) override;
    GfxResult readBackBuffer(const PixelRect& rect, std::vector<uint32_t>& pixels) override;
    bool keepsFrame() const override { return true; }
    GfxResult setClipRect(const PixelRect* rect) override;

    bool isOffscreen() const { return m_offscreen; }
    // Whether it draws straight into the window's back buffer (see above).
    bool drawsIntoWindow() const { return m_direct; }
    // The GL name of the program behind a shader handle (0 for none).
    unsigned programName(uint32_t handle) const;

protected:
    GfxResult onReset(const PresentParams& params) override;
    std::shared_ptr<GfxTexture> makeTexture(int width, int height, Format format, Pool pool,
                                            uint32_t usage) override;
    GfxResult onCreateVertexShader(uint32_t handle, const ShaderRecord& shader) override;
    void onDeleteVertexShader(uint32_t handle) override;

private:
    GlGfxDevice(const PresentParams& params, std::unique_ptr<GlContext> context, bool offscreen);

    bool initialise(std::string& error);
    void chooseTextureStorage();
    // Draws into the window's back buffer when it keeps its pixels across a swap, else makes
    // the framebuffer object.
    bool chooseBackBuffer(std::string& error);
    bool windowKeepsBackBuffer();
    bool makeFramebuffer(int width, int height, std::string& error);
    void releaseFramebuffer();
    void setViewport();
    // Puts the clip rectangle into GL's scissor test.
    void applyClip();

    // --- States (GlGfxDeviceStates.cpp) ------------------------------------------------------
    void flushStates();
    void applyBlendAndTests(bool all);
    void applyRasterStates(bool all);
    void applyCombiner(bool all);
    void applyTexture();
    void applySampler(GlTexture& texture);
    // Projection and model-view for the next draw; pretransformed vertices are in pixels.
    void applyTransforms(bool pretransformed);

    // --- Drawing -----------------------------------------------------------------------------
    // Points the arrays at the vertices of the bound stream from `base`; false when the format
    // cannot be drawn.
    bool setupArrays(const uint8_t* base, uint32_t stride, uint32_t vertexCount);
    bool setupShaderArrays(const uint8_t* base, uint32_t stride);
    // Applies the states and transforms of a draw and points the arrays at the vertices from
    // `base` (`available` of them in the stream); false when the vertex shader cannot draw.
    bool prepareDraw(const uint8_t* base, uint32_t available);
    // Carries out the depth and stencil clear asked for since the last one, once a draw tests
    // either buffer.
    void clearDepthStencilWhenTested();
    void finishArrays();

    // The vertex program functions, an extension the GL library does not export.
    struct ProgramFunctions;
    std::unique_ptr<ProgramFunctions> m_arb;

    std::unique_ptr<GlContext> m_context;
    std::shared_ptr<GlSharedState> m_shared;
    bool m_offscreen = false;
    bool m_direct = false;
    unsigned m_framebuffer = 0;
    unsigned m_colorBuffer = 0;
    unsigned m_depthBuffer = 0;
    // The depth and stencil clear waiting for a draw that tests them (GL clear bits).
    struct PendingClear
    {
        unsigned bits = 0;
        float z = 0.0f;
        uint32_t stencil = 0;
    };
    PendingClear m_pendingClear;

    // Extensions.
    bool m_bgraArrays = false;
    bool m_anisotropic = false;
    bool m_vertexPrograms = false;

    // What GL holds; invalid after creation and reset, so that everything is applied once.
    bool m_appliedValid = false;
    GfxStateShadow m_applied;
    bool m_textureEnabled = false;
    Matrix4 m_loadedProjection;
    Matrix4 m_loadedModelView;
    bool m_transformsValid = false;
    bool m_pretransformedLoaded = false;
    std::vector<float> m_loadedConstants;
    unsigned m_boundProgram = 0;
    unsigned m_enabledAttributes = 0;
    std::map<uint32_t, unsigned> m_programs;
    // Colours turned from BGRA to RGBA when GL cannot read BGRA arrays.
    std::vector<uint8_t> m_colorScratch;
};

} // namespace Platform
