#pragma once

#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxStateShadow.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxTypes.h"

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

namespace Platform
{

// The graphics device the engine's renderer draws through.
//
// It keeps every state in a shadow (`GfxStateShadow`): `get*` reads the shadow, `set*` writes it
// and the back end applies what changed right before the next clear or draw. Buffers live in
// plain memory and draws read them from there; textures keep their pixels in plain memory as
// well and the back end mirrors them. A lost device (only the recording back end can lose one)
// fails `present` until it is reset; a reset needs every default-pool buffer and texture
// released first, and it puts all states back to their defaults.
//
// The OpenGL back end is `GlGfxDevice`, the recording one for tests `RecordingGfxDevice`. Both
// run on the thread that created them.
class GfxDevice
{
public:
    explicit GfxDevice(const PresentParams& params);
    virtual ~GfxDevice();
    GfxDevice(const GfxDevice&) = delete;
    GfxDevice& operator=(const GfxDevice&) = delete;

    const PresentParams& presentParams() const { return m_params; }

    // --- Life cycle --------------------------------------------------------------------------
    // Ok, or DeviceLost while the device cannot be reset, or DeviceNotReset once it can.
    virtual GfxResult testCooperativeLevel();
    // Presents the back buffer; DeviceLost when the device is lost.
    virtual GfxResult present() = 0;
    // Applies new present parameters. InvalidCall while a default-pool buffer or texture lives;
    // on success every state is back at its default and nothing is bound.
    GfxResult reset(const PresentParams& params);
    virtual GfxResult beginScene();
    virtual GfxResult endScene();
    bool isInScene() const { return m_inScene; }
    // Clears the back buffer (only the clip rectangle while one is set): colour (0xAARRGGBB),
    // depth and stencil as `flags` say. The write masks do not limit it.
    virtual GfxResult clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) = 0;
    // Whether the back buffer still holds its pixels after `present`, so that the next frame may
    // draw over the last one only where they differ. A reset loses them.
    virtual bool keepsFrame() const { return false; }

    // --- Clipping ----------------------------------------------------------------------------
    // Limits every clear and draw to a rectangle of the back buffer (pixels, rows top-down,
    // right and bottom excluded); null lifts the limit. It is no state of the shadow: state
    // blocks leave it alone, a reset lifts it. InvalidCall for an empty or inverted rectangle.
    virtual GfxResult setClipRect(const PixelRect* rect);
    bool isClipped() const { return m_clipped; }
    const PixelRect& clipRect() const { return m_clip; }

    // --- States ------------------------------------------------------------------------------
    virtual GfxResult setRenderState(RenderState state, uint32_t value);
    template <class E> GfxResult setRenderState(RenderState state, E value)
    {
        return setRenderState(state, static_cast<uint32_t>(value));
    }
    GfxResult getRenderState(RenderState state, uint32_t& value) const;
    uint32_t renderState(RenderState state) const { return m_state[state]; }

    virtual GfxResult setTextureStageState(unsigned stage, StageState state, uint32_t value);
    template <class E> GfxResult setTextureStageState(unsigned stage, StageState state, E value)
    {
        return setTextureStageState(stage, state, static_cast<uint32_t>(value));
    }
    GfxResult getTextureStageState(unsigned stage, StageState state, uint32_t& value) const;

    // Read the state back and set it only when it differs: how the engine sets every state, so
    // that a redundant change never reaches the device.
    GfxResult changeRenderState(RenderState state, uint32_t value);
    template <class E> GfxResult changeRenderState(RenderState state, E value)
    {
        return changeRenderState(state, static_cast<uint32_t>(value));
    }
    GfxResult changeTextureStageState(unsigned stage, StageState state, uint32_t value);
    template <class E> GfxResult changeTextureStageState(unsigned stage, StageState state, E value)
    {
        return changeTextureStageState(stage, state, static_cast<uint32_t>(value));
    }

    virtual GfxResult setTexture(unsigned stage, const std::shared_ptr<GfxTexture>& texture);
    const std::shared_ptr<GfxTexture>& getTexture(unsigned stage) const;

    virtual GfxResult setTransform(TransformType type, const Matrix4& matrix);
    GfxResult getTransform(TransformType type, Matrix4& matrix) const;
    // World matrix `index` of vertex blending; index 0 is the world transform.
    virtual GfxResult setWorldMatrix(unsigned index, const Matrix4& matrix);
    GfxResult getWorldMatrix(unsigned index, Matrix4& matrix) const;

    virtual GfxResult setMaterial(const Material& material);
    GfxResult getMaterial(Material& material) const;
    virtual GfxResult setLight(unsigned index, const Light& light);
    GfxResult getLight(unsigned index, Light& light) const;
    virtual GfxResult lightEnable(unsigned index, bool enable);
    GfxResult getLightEnable(unsigned index, bool& enable) const;

    // Stream 0 only.
    virtual GfxResult setStreamSource(unsigned stream, const std::shared_ptr<GfxVertexBuffer>& buffer,
                                      uint32_t stride);
    // Index i of a draw addresses vertex baseVertex + i.
    virtual GfxResult setIndices(const std::shared_ptr<GfxIndexBuffer>& buffer, uint32_t baseVertex);
    // A vertex format (`Fvf`) or a handle from `createVertexShader`.
    virtual GfxResult setVertexShader(uint32_t shaderOrFvf);
    uint32_t getVertexShader() const { return m_state.vertexShader; }
    // `count` registers of four floats from `first`.
    virtual GfxResult setVertexShaderConstant(unsigned first, const float* data, unsigned count);

    const GfxStateShadow& state() const { return m_state; }

    // --- Resources ---------------------------------------------------------------------------
    virtual GfxResult createVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, Pool pool,
                                         std::shared_ptr<GfxVertexBuffer>& out);
    // Only 16-bit indices.
    virtual GfxResult createIndexBuffer(uint32_t size, uint32_t usage, Format format, Pool pool,
                                        std::shared_ptr<GfxIndexBuffer>& out);
    // One level (`levels` 0 or 1) of A8R8G8B8 or X8R8G8B8, at most `maxTextureSize` a side;
    // power-of-two sides only while `powerOfTwoOnly` is set.
    virtual GfxResult createTexture(int width, int height, unsigned levels, uint32_t usage, Format format,
                                    Pool pool, std::shared_ptr<GfxTexture>& out);
    // A vertex shader from the program `code` for vertices laid out as `declaration` says. The
    // handle is odd, so it never equals a vertex format.
    virtual GfxResult createVertexShader(const std::vector<VertexElement>& declaration, const void* code,
                                         size_t size, uint32_t& handle, uint32_t usage);
    virtual GfxResult deleteVertexShader(uint32_t handle);

    // Whether pictures loaded into textures are decoded at once. By default they are not: a
    // texture takes the picture's size from the file's header and decodes it when it is first
    // drawn (a device that shows nothing never draws it) or its pixels are read. Tests of the
    // decoding ask for it at once.
    bool decodesPicturesOnLoad() const { return m_decodeOnLoad; }
    void setPicturesDecodedOnLoad(bool decode) { m_decodeOnLoad = decode; }
    // Whether a texture's picture file is read only when the picture is decoded, its header
    // alone (for the size) read at load. Off by default: a picture is read whole as it loads,
    // so a damaged pack member is found while loading. A device that shows nothing and is used
    // where files do not change (levelplay's) turns it on and reads nearly no picture at all.
    bool readsPicturesWhenDecoded() const { return m_readOnDecode; }
    void setPicturesReadWhenDecoded(bool read) { m_readOnDecode = read; }

    int maxTextureSize() const { return m_maxTextureSize; }
    bool powerOfTwoOnly() const { return m_powerOfTwoOnly; }
    // Makes the device refuse textures whose sides are not powers of two, as older cards do.
    void setPowerOfTwoOnly(bool only) { m_powerOfTwoOnly = only; }

    // --- Drawing -----------------------------------------------------------------------------
    // Non-indexed primitives from `startVertex` of stream 0.
    virtual GfxResult drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    // Indexed primitives: indices from `startIndex` of the index buffer, each one added to its
    // base vertex. `minIndex` and `vertexCount` describe the vertices used and are only a hint.
    virtual GfxResult drawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                           uint32_t startIndex, uint32_t primitiveCount) = 0;

    // --- State blocks ------------------------------------------------------------------------
    // A block that holds every state, captured now.
    GfxResult createStateBlock(uint32_t& handle);
    GfxResult captureStateBlock(uint32_t handle);
    GfxResult applyStateBlock(uint32_t handle);
    GfxResult deleteStateBlock(uint32_t handle);

    // --- Reading back ------------------------------------------------------------------------
    // The pixels of a rectangle of the back buffer as 0xAARRGGBB, rows top-down.
    virtual GfxResult readBackBuffer(const PixelRect& rect, std::vector<uint32_t>& pixels);

    static uint32_t primitiveVertexCount(PrimitiveType type, uint32_t primitiveCount);

protected:
    struct ShaderRecord
    {
        std::vector<VertexElement> declaration;
        std::vector<uint8_t> code;
    };

    // The back end's part of `reset`, called with the new parameters once the checks passed and
    // the shadow holds the defaults.
    virtual GfxResult onReset(const PresentParams& params) = 0;
    // Makes the texture object of the back end.
    virtual std::shared_ptr<GfxTexture> makeTexture(int width, int height, Format format, Pool pool,
                                                    uint32_t usage);
    // Prepares a shader of the back end; a failure refuses the shader.
    virtual GfxResult onCreateVertexShader(uint32_t handle, const ShaderRecord& shader);
    virtual void onDeleteVertexShader(uint32_t handle);

    // Checks a draw against what is bound: InvalidCall when nothing is bound, a buffer is still
    // locked, the stride does not match the format or an index reaches past the vertices.
    GfxResult checkDraw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) const;
    GfxResult checkIndexedDraw(PrimitiveType type, uint32_t startIndex, uint32_t primitiveCount) const;
    // The stride of the bound stream, the shader's declared size for a shader.
    uint32_t vertexStride() const;
    const ShaderRecord* findShader(uint32_t handle) const;
    bool hasLiveDefaultPoolResources();

    GfxStateShadow m_state;
    PresentParams m_params;
    bool m_inScene = false;
    bool m_clipped = false;
    PixelRect m_clip;
    int m_maxTextureSize = 16384;
    bool m_powerOfTwoOnly = false;
    bool m_decodeOnLoad = false;
    bool m_readOnDecode = false;

private:
    void trackDefaultPool(const std::shared_ptr<void>& resource);

    std::vector<std::weak_ptr<void>> m_defaultPool;
    std::map<uint32_t, GfxStateShadow> m_stateBlocks;
    uint32_t m_nextStateBlock = 1;
    std::map<uint32_t, ShaderRecord> m_shaders;
    uint32_t m_nextShader = 1;
};

} // namespace Platform
