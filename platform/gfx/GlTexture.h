#pragma once

#include "platform/gfx/GfxTexture.h"

#include <memory>

namespace Platform
{

// What the GL device and its textures share: the texture bound to unit 0 (an upload binds its
// texture), and whether the context still lives.
struct GlSharedState
{
    unsigned boundTexture = 0;
    // Textures with alpha are stored as the unsized GL_RGBA, which keeps the upload's channel
    // order, rather than GL_RGBA8 (set where that keeps eight bits a channel, see
    // GlGfxDevice::chooseTextureStorage).
    bool unsizedAlphaStorage = false;
};

// A texture with a GL texture object (none in the system-memory pool): 8-bit RGBA storage, uploaded
// from the pixels as BGRA whenever a writing lock ends. The GL object is the copy that counts:
// the pixels in memory are let go after each upload (a read-only lock reads them back). The
// object gets its storage with the first upload, which passes the whole level (what the lock
// left untouched is transparent black as the texture was made): a picture that is never drawn
// takes no video memory.
class GlTexture final : public GfxTexture
{
public:
    // The sampler parameters last given to the GL object (sampler states belong to the stage, GL
    // keeps them in the texture object, so they are set again when they differ).
    struct Sampler
    {
        int magFilter = -1;
        int minFilter = -1;
        int wrapS = -1;
        int wrapT = -1;
        float anisotropy = -1.0f;
    };

    GlTexture(int width, int height, Format format, Pool pool, uint32_t usage,
              const std::shared_ptr<GlSharedState>& shared);
    ~GlTexture() override;

    unsigned name() const { return m_name; }
    Sampler& sampler() { return m_sampler; }

protected:
    void onUnlock(const PixelRect& changed) override;
    bool keepsPixels() const override { return m_name == 0; }
    bool readBack(uint32_t* pixels) const override;

private:
    void upload(const PixelRect& rect);

    // Expires with the device: a texture that outlives it has nothing left to delete.
    std::weak_ptr<GlSharedState> m_shared;
    unsigned m_name = 0;
    // Set by the first upload, which makes the storage from the whole level.
    bool m_filled = false;
    int m_internalFormat = 0;
    Sampler m_sampler;
};

} // namespace Platform
