#include "engine/devices/cPyroTexture.h"

#include "platform/gfx/GfxTexture.h"

namespace Engine
{

cPyroTexture::cPyroTexture(std::shared_ptr<Platform::GfxTexture> texture) : m_texture(std::move(texture)) {}

cPyroTexture::~cPyroTexture() = default;

} // namespace Engine
