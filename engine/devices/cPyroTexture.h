#pragma once

#include "platform/particles/IPyroTexture.h"

#include <memory>

namespace Platform
{
class GfxTexture;
}

namespace Engine
{

// A texture the particle library made through the particle device.
class cPyroTexture final : public PyroParticles::IPyroTexture
{
public:
    explicit cPyroTexture(std::shared_ptr<Platform::GfxTexture> texture);
    ~cPyroTexture() override;

    int32_t onDeviceLost() override { return 0; }
    int32_t onDeviceRestored() override { return 0; }

    const std::shared_ptr<Platform::GfxTexture>& texture() const { return m_texture; }

private:
    std::shared_ptr<Platform::GfxTexture> m_texture;
};

} // namespace Engine
