#pragma once

#include "engine/devices/LightConfig.h"
#include "engine/devices/cBatch.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cMatrix.h"
#include "engine/devices/cQuad.h"
#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/GfxDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Engine
{

class cMeshRenderer;

// The vertex of the quads, the letterbox bars and the particle quads (vertex format 0x142:
// position, diffuse colour, one texture coordinate pair): 24 bytes.
struct cQuadVertex
{
    float x;
    float y;
    float z;
    uint32_t color;
    float u;
    float v;
};
static_assert(sizeof(cQuadVertex) == 24, "the quad vertex is 24 bytes");

// The batched quad renderer of `cRender`: during the render pass it writes every quad straight
// into the frame's locked quad buffers and groups consecutive quads with the same texture,
// render type, shader and constants into one batch; at the end of the frame it draws the batches
// in submission order, one draw call each, with the states their render types ask for. Mesh
// batches are drawn by `cMeshRenderer` and particle batches by `cPyroBatch` at their place in
// that order; both leave the two-dimensional states and the quad buffers bound behind them.
//
// A frame may hold more quads than one buffer: when the buffer is full the batch ends and the
// frame goes on in a further buffer pair (made once and kept), so nothing is ever written past a
// buffer and the 16-bit indices always address their own buffer.
//
// Each quad's place in its batch and the back-buffer pixels it may touch are kept as well
// (`tQuadSpan`), so that a frame can be drawn inside a few rectangles only: every batch sets
// its states as in a whole frame, and draws just its quads that reach a rectangle, clipped to
// it (cBatchRendererClip.cpp).
class cBatchRenderer
{
public:
    // 16-bit indices address 65,536 vertices: four per quad.
    static constexpr unsigned MaxReserve = 16384;
    // The finest subdivision whose (grid + 1)^2 vertices fit one buffer of 16-bit indices.
    static constexpr unsigned MaxGrid = 255;
    static constexpr uint32_t QuadFvf = 0x142;

    // Where virtual screen units go in the back buffer.
    struct tPlacement
    {
        bool fullscreen = false;
        float scaleX = 1.0f;
        float scaleY = 1.0f;
        float offsetX = 0.0f;
        float offsetY = 0.0f;
    };

    // One quad of the frame with triangles: its batch (a position in `getBatches`), where its
    // vertices and indices lie in that batch's buffer, and the pixels of the back buffer it may
    // touch (its vertices' extent with a pixel to spare, or `wholePlane` when a vertex shader
    // places it).
    struct tQuadSpan
    {
        uint32_t batch = 0;
        uint32_t firstVertex = 0;
        uint32_t vertexCount = 0;
        uint32_t firstIndex = 0;
        uint32_t indexCount = 0;
        Platform::PixelRect bounds;
    };

    // A rectangle that holds every back buffer.
    static Platform::PixelRect wholePlane();
    // The pixels a shape whose vertices span [left, right] x [top, bottom] of the back buffer may
    // touch: what GL's pixel centres and a one-pixel line reach, with a pixel to spare.
    static Platform::PixelRect pixelBounds(float left, float top, float right, float bottom);
    static bool overlaps(const Platform::PixelRect& a, const Platform::PixelRect& b);

    cBatchRenderer();
    ~cBatchRenderer();
    cBatchRenderer(const cBatchRenderer&) = delete;
    cBatchRenderer& operator=(const cBatchRenderer&) = delete;

    void setDevice(Platform::GfxDevice* device);
    void setPlacement(const tPlacement& placement) { m_placement = placement; }
    const tPlacement& getPlacement() const { return m_placement; }
    void setWireframe(bool wireframe) { m_wireframe = wireframe; }
    // The material the quads are drawn with.
    void setMaterial(const Platform::Material& material) { m_material = material; }
    // Virtual units to the back buffer, for meshes (the quads are placed by `tPlacement`).
    void setScreenMatrix(const cMatrix& screen) { m_screen = screen; }
    // The light configurations meshes are lit by; the owner keeps them alive.
    void setLightConfigs(const std::vector<cLightConfig>* lights) { m_lights = lights; }

    // Makes the first quad buffers, for `quads` quads (1 to `MaxReserve`): the default pool,
    // once more in the managed pool when that fails. Throws the device error when both fail.
    void reserve(unsigned quads);
    unsigned getReserve() const { return m_reserve; }
    // Lets go of every buffer (before a device reset).
    void release();

    // Locks the first buffers and starts an empty frame. Without buffers nothing is collected.
    void beginFrame();
    // Unlocks the buffers and closes the current batch. Quads handed in outside a frame are
    // ignored.
    void endFrame();
    bool isFrameOpen() const { return m_frameOpen; }

    // Adds one quad. `texture` may be null (an untextured quad).
    void drawQuad(const cQuad& quad, const cBatchTexture* texture, uint32_t renderType);
    // Close the current batch and make the mesh or the particle effect the current batch.
    void openMeshBatch(cMeshRenderData* mesh, uint32_t renderType);
    void openParticleBatch(cParticleDrawInfo* particle);

    // Draws the closed batches; `viewProjectionT` is loaded into the first four constant
    // registers of a shader. `deviceRecreated` (the device was made or reset since the last drawn
    // frame) places every particle emitter again. With `clip`, only inside those rectangles
    // (which must not overlap): each batch draws its quads, its particles or its mesh that reach
    // a rectangle, clipped to it. Returns the triangles drawn: quads and meshes, mask passes
    // included; particles are not counted.
    uint32_t drawBatches(const cMatrix& viewProjectionT, bool deviceRecreated = false,
                         const std::vector<Platform::PixelRect>* clip = nullptr);

    // The pixels a mesh or particle batch may touch: the emitter's particles, placed as the draw
    // will place them (`deviceRecreated` as for `drawBatches`); `wholePlane` for a mesh. False
    // when it draws nothing.
    bool batchBounds(const cBatch& batch, bool deviceRecreated, Platform::PixelRect& bounds) const;
    // The alpha reference the device holds now: what a batch that keeps it (a masked batch
    // without its own mask) draws with when it comes first.
    uint32_t getDeviceAlphaRef() const;
    // The sampling states the device holds now as the first batch's mask pass would find them.
    void appendDeviceSampling(std::vector<uint8_t>& bytes) const;

    // --- The frame's contents, for tests -------------------------------------------------------
    const std::vector<cBatch>& getBatches() const { return m_batches; }
    const cBatch& getCurrentBatch() const { return m_current; }
    // Vertices and indices written since the frame began, over all buffers.
    uint32_t getVertexTotal() const { return m_vertexTotal; }
    uint32_t getIndexTotal() const { return m_indexTotal; }
    unsigned getBufferCount() const { return static_cast<unsigned>(m_buffers.size()); }
    const cQuadVertex* getVertices(unsigned buffer) const;
    const uint16_t* getIndices(unsigned buffer) const;
    // The frame's quads in submission order.
    const std::vector<tQuadSpan>& getQuadSpans() const { return m_spans; }

private:
    struct tBuffers
    {
        std::shared_ptr<Platform::GfxVertexBuffer> vertices;
        std::shared_ptr<Platform::GfxIndexBuffer> indices;
        uint32_t vertexCapacity = 0;
        uint32_t indexCapacity = 0;
        // Written this frame.
        uint32_t vertexCount = 0;
        uint32_t indexCount = 0;
        cQuadVertex* lockedVertices = nullptr;
        uint16_t* lockedIndices = nullptr;
    };

    tBuffers makeBuffers(unsigned quads);
    bool lockBuffers(tBuffers& buffers);
    void unlockBuffers(tBuffers& buffers);
    // Moves on to the next buffer pair that holds `vertices` and `indices` more.
    bool nextBuffers(uint32_t vertices, uint32_t indices);
    void closeCurrent();
    void startQuadBatch(const std::shared_ptr<Platform::GfxTexture>& texture, uint32_t renderType,
                        uint32_t shader, const tShaderConstants* constants);
    void writeQuad(const cQuad& quad, unsigned grid, const cVector2& uvScale);
    // The two-dimensional states every frame's batches start from.
    void setQuadStates();
    void bindBuffers(unsigned buffer);
    void setStencilAndAlphaRef(size_t index, const cBatch& batch, uint32_t& triangles, bool deviceRecreated);
    // The mask pass's drawing of one batch (at `index` of the batches) of any kind.
    void drawMask(size_t index, const cBatch& batch, uint32_t& triangles, bool deviceRecreated);
    void drawParticleBatch(const cBatch& batch, bool deviceRecreated);
    void setBlend(uint32_t renderType);
    void setSampling(const cBatch& batch);
    // Whether the batch's quads cover what lies under them (see the definition).
    bool coversWhatIsUnder(const cBatch& batch) const;
    void setShader(const cBatch& batch, const cMatrix& viewProjectionT);
    void drawQuadBatch(const cBatch& batch);

    // --- Drawing inside rectangles (cBatchRendererClip.cpp) ----------------------------------
    // Where each batch's quads begin in `m_spans` (one more entry than batches).
    void findBatchSpans();
    // The quads of the batch (all of them, or those that reach a clip rectangle); returns the
    // triangles drawn.
    uint32_t drawQuadsOf(size_t batchIndex, const cBatch& batch);
    // A particle or mesh batch's drawing, once, or once per clip rectangle it reaches.
    void drawClipped(const cBatch& batch, bool deviceRecreated, const std::function<void()>& draw);
    // Draws the given quads of one batch from the selection buffer.
    void drawSelection(const cBatch& batch, const std::vector<uint16_t>& indices);
    // The texture a batch is drawn with (see the definition).
    std::shared_ptr<Platform::GfxTexture> textureFor(const cBatch& batch);

    Platform::GfxDevice* m_device = nullptr;
    tPlacement m_placement;
    bool m_wireframe = false;
    Platform::Material m_material;
    cMatrix m_screen;
    const std::vector<cLightConfig>* m_lights = nullptr;
    // Made with the device.
    std::unique_ptr<cMeshRenderer> m_meshes;
    // One opaque white pixel, made when a quad batch without a picture is first drawn.
    std::shared_ptr<Platform::GfxTexture> m_white;
    unsigned m_reserve = 0;
    std::vector<tBuffers> m_buffers;
    unsigned m_active = 0;
    bool m_frameOpen = false;
    cBatch m_current;
    std::vector<cBatch> m_batches;
    uint32_t m_vertexTotal = 0;
    uint32_t m_indexTotal = 0;
    std::vector<tQuadSpan> m_spans;

    // The drawing inside rectangles: the rectangles of this drawing (null: everything), where
    // each batch's quads begin, the indices of the quads chosen and the buffer they are drawn
    // from.
    const std::vector<Platform::PixelRect>* m_clip = nullptr;
    std::vector<size_t> m_batchSpans;
    std::vector<uint16_t> m_chosen;
    std::shared_ptr<Platform::GfxIndexBuffer> m_selection;
    uint32_t m_selectionCapacity = 0;
};

} // namespace Engine
