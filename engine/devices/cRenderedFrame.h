#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace Platform
{
class GfxTexture;
}

namespace Engine
{

class cBatchRenderer;

// What the last drawn frame put into the back buffer, kept so that `cRender` can tell a frame
// that would draw the same picture again: the same quad batches in the same order (texture,
// texture contents, render type, shader and the values of its constants), the same vertices and
// indices, the same clear colour and fill mode.
//
// A frame with a mesh or a particle effect is never taken for the last one: those draw from
// data of their own that moves every frame. A texture whose picture is still to be decoded is
// decoded first, as drawing it would. A texture counts as the same only while it is the same object (held
// weakly, so a released texture whose address is reused by another is no match) with the same version.
class cRenderedFrame
{
public:
    // Whether the frame just collected by `batches` (closed, not yet drawn) draws what the
    // recorded one drew. When it does not, it becomes the recorded frame: the caller draws it.
    bool repeats(const cBatchRenderer& batches, uint32_t clearColor, bool wireframe);
    // Forgets the recorded frame: the next one is drawn whatever it holds.
    void forget();
    bool isRecorded() const { return m_recorded; }

private:
    // Fills `key` and `textures` with the frame's description; false when the frame cannot be
    // compared (see above).
    static bool describe(const cBatchRenderer& batches, uint32_t clearColor, bool wireframe,
                         std::vector<uint8_t>& key,
                         std::vector<std::weak_ptr<Platform::GfxTexture>>& textures);

    bool m_recorded = false;
    std::vector<uint8_t> m_key;
    std::vector<std::weak_ptr<Platform::GfxTexture>> m_textures;
    // The description of the frame being looked at, kept to save the allocations.
    std::vector<uint8_t> m_scratch;
    std::vector<std::weak_ptr<Platform::GfxTexture>> m_scratchTextures;
};

} // namespace Engine
