#include "platform/particles/CPyroEffect.h"

#include "platform/particles/CPyroEmitter.h"
#include "platform/particles/CPyroException.h"
#include "platform/particles/CPyroGraphicsException.h"
#include "platform/particles/CPyroLibrary.h"
#include "platform/particles/IPyroGraphicsDevice.h"
#include "platform/particles/IPyroTexture.h"

#include <cstring>

namespace PyroParticles
{

CPyroEffect::CPyroEffect(CPyroLibrary& library, sEffectDesc desc)
    : m_library(library), m_desc(std::move(desc))
{
    for (const sEmitterDesc& emitter : m_desc.emitters)
        m_emitters.push_back(std::make_unique<CPyroEmitter>(*this, emitter, emitter.seed));
}

CPyroEffect::~CPyroEffect() = default;

void CPyroEffect::prepare()
{
    if (m_prepared)
        return;
    IPyroGraphicsDevice* device = m_library.getDevice();
    if (!device)
        throw CPyroException("Effect file \"" + m_desc.fileName +
                             "\": no graphics device to create textures on");
    std::vector<std::unique_ptr<IPyroTexture>> textures;
    for (const sTextureDesc& desc : m_desc.textures)
    {
        sPyroImage image;
        image.pixels = desc.rgba.data();
        image.width = desc.width;
        image.height = desc.height;
        IPyroTexture* texture = nullptr;
        const int32_t result = device->createTexture(&texture, image, 0);
        if (pyroFailed(result) || !texture)
            throw PyroGraphics::CPyroGraphicsException("Can't create texture \"" + desc.name +
                                                           "\" of effect file \"" + m_desc.fileName + "\"",
                                                       pyroFailed(result) ? result : -1);
        textures.emplace_back(texture);
    }
    m_textures = std::move(textures);
    m_prepared = true;
}

void CPyroEffect::unprepare()
{
    releaseDeviceObjects();
}

uint32_t CPyroEffect::getEmitterCount() const
{
    return static_cast<uint32_t>(m_emitters.size());
}

IPyroEmitter* CPyroEffect::getEmitter(uint32_t index)
{
    if (index >= m_emitters.size())
        throw CPyroException("Effect file \"" + m_desc.fileName + "\": no emitter number " +
                             std::to_string(index) + " (it has " + std::to_string(m_emitters.size()) + ")");
    return m_emitters[index].get();
}

IPyroEmitter* CPyroEffect::createEmitter(const char* name)
{
    const std::string wanted = name ? name : "";
    for (const sEmitterDesc& desc : m_desc.emitters)
    {
        if (desc.name == wanted)
        {
            // The first copy plays like the file's own emitter; later ones differ from it.
            const uint32_t seed = desc.seed ^ (m_created++ * 0x9E3779B9u);
            return m_library.adoptEmitter(std::make_unique<CPyroEmitter>(*this, desc, seed));
        }
    }
    throw CPyroException("Effect file \"" + m_desc.fileName + "\": no emitter named \"" + wanted + "\"");
}

const char* CPyroEffect::getFileName() const
{
    return m_desc.fileName.c_str();
}

IPyroTexture* CPyroEffect::getTexture(uint32_t index) const
{
    return index < m_textures.size() ? m_textures[index].get() : nullptr;
}

void CPyroEffect::releaseDeviceObjects()
{
    for (auto& emitter : m_emitters)
        emitter->releaseDeviceObjects();
    m_textures.clear();
    m_prepared = false;
}

} // namespace PyroParticles
