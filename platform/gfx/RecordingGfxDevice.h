#pragma once

#include "platform/gfx/GfxDevice.h"

#include <array>
#include <vector>

namespace Platform
{

// A device that draws nothing and remembers what it was asked: every state set, clear and draw
// (with the states in force), so tests can count draw calls and redundant state changes
// without a display. It can also play a lost device and a card out of video memory.
class RecordingGfxDevice final : public GfxDevice
{
public:
    struct DrawRecord
    {
        bool indexed = false;
        PrimitiveType type = PrimitiveType::TriangleList;
        uint32_t startVertex = 0;
        uint32_t minIndex = 0;
        uint32_t vertexCount = 0;
        uint32_t startIndex = 0;
        uint32_t primitiveCount = 0;
        uint32_t baseVertex = 0;
        uint32_t stride = 0;
        uint32_t vertexShader = 0;
        const GfxTexture* texture = nullptr;
        const GfxVertexBuffer* stream = nullptr;
        const GfxIndexBuffer* indices = nullptr;
        std::array<uint32_t, RenderStateCount> render{};
        std::array<uint32_t, StageStateCount> stage0{};
        // The clip rectangle in force, if any.
        bool clipped = false;
        PixelRect clip;
        // The 16-bit indices an indexed draw read, as they were then.
        std::vector<uint16_t> drawnIndices;

        uint32_t state(RenderState s) const { return render[static_cast<unsigned>(s)]; }
        uint32_t stageState(StageState s) const { return stage0[static_cast<unsigned>(s)]; }
    };

    struct ClearRecord
    {
        uint32_t flags = 0;
        uint32_t color = 0;
        float z = 0.0f;
        uint32_t stencil = 0;
        // The write masks in force; a clear ignores them.
        uint32_t stencilWriteMask = 0;
        bool zWriteEnable = false;
        // The clip rectangle in force, if any: the clear is limited to it.
        bool clipped = false;
        PixelRect clip;
    };

    explicit RecordingGfxDevice(const PresentParams& params) : GfxDevice(params) {}

    using GfxDevice::setRenderState;
    using GfxDevice::setTextureStageState;

    GfxResult testCooperativeLevel() override;
    GfxResult present() override;
    GfxResult beginScene() override;
    GfxResult clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) override;
    // Like the OpenGL device, by default; `setKeepsFrame(false)` plays a device whose back buffer
    // holds nothing reliable after a present.
    bool keepsFrame() const override { return m_keepsFrame; }
    void setKeepsFrame(bool keeps) { m_keepsFrame = keeps; }
    GfxResult setRenderState(RenderState state, uint32_t value) override;
    GfxResult setTextureStageState(unsigned stage, StageState state, uint32_t value) override;
    GfxResult setTexture(unsigned stage, const std::shared_ptr<GfxTexture>& texture) override;
    GfxResult createVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, Pool pool,
                                 std::shared_ptr<GfxVertexBuffer>& out) override;
    GfxResult createIndexBuffer(uint32_t size, uint32_t usage, Format format, Pool pool,
                                std::shared_ptr<GfxIndexBuffer>& out) override;
    GfxResult createTexture(int width, int height, unsigned levels, uint32_t usage, Format format, Pool pool,
                            std::shared_ptr<GfxTexture>& out) override;
    GfxResult drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
    GfxResult drawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                   uint32_t startIndex, uint32_t primitiveCount) override;

    // --- What was recorded -------------------------------------------------------------------
    const std::vector<DrawRecord>& draws() const { return m_draws; }
    const std::vector<ClearRecord>& clears() const { return m_clears; }
    unsigned drawCallCount() const { return m_drawCalls; }
    unsigned renderStateSetCount() const { return m_renderStateSets; }
    unsigned renderStateSetCount(RenderState state) const { return m_perState[static_cast<unsigned>(state)]; }
    unsigned stageStateSetCount() const { return m_stageStateSets; }
    unsigned textureSetCount() const { return m_textureSets; }
    unsigned presentCount() const { return m_presents; }
    unsigned beginSceneCount() const { return m_beginScenes; }
    unsigned resetCount() const { return m_resets; }
    // Calls refused because of what was bound or asked (a bug in the caller).
    unsigned invalidCallCount() const { return m_invalidCalls; }
    unsigned failedCreationCount() const { return m_failedCreations; }
    // Forgets everything recorded (not the device's states).
    void clearRecords();
    // Keeps only the counts, not every draw and clear (benchmarks).
    void setKeepRecords(bool keep) { m_keepRecords = keep; }

    // --- Simulated failures ------------------------------------------------------------------
    // The device is lost: `present` answers DeviceLost and `testCooperativeLevel` DeviceLost
    // until `allowReset`, then DeviceNotReset until a reset succeeds.
    void loseDevice();
    void allowReset() { m_resetAllowed = true; }
    bool isLost() const { return m_lost; }
    // Creations in the default pool (or in the managed pool) fail with OutOfVideoMemory.
    void setDefaultPoolExhausted(bool exhausted) { m_defaultExhausted = exhausted; }
    void setManagedPoolExhausted(bool exhausted) { m_managedExhausted = exhausted; }

protected:
    GfxResult onReset(const PresentParams& params) override;

private:
    bool exhausted(Pool pool);
    GfxResult refuse(GfxResult result);
    void record(bool indexed, PrimitiveType type, uint32_t startVertex, uint32_t minIndex,
                uint32_t vertexCount, uint32_t startIndex, uint32_t primitiveCount);

    std::vector<DrawRecord> m_draws;
    std::vector<ClearRecord> m_clears;
    std::array<unsigned, RenderStateCount> m_perState{};
    unsigned m_drawCalls = 0;
    unsigned m_renderStateSets = 0;
    unsigned m_stageStateSets = 0;
    unsigned m_textureSets = 0;
    unsigned m_presents = 0;
    unsigned m_beginScenes = 0;
    unsigned m_resets = 0;
    unsigned m_invalidCalls = 0;
    unsigned m_failedCreations = 0;
    bool m_keepRecords = true;
    bool m_keepsFrame = true;
    bool m_lost = false;
    bool m_resetAllowed = false;
    bool m_defaultExhausted = false;
    bool m_managedExhausted = false;
};

} // namespace Platform
