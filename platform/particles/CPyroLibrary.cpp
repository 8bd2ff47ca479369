#include "platform/particles/CPyroLibrary.h"

#include "platform/particles/CEffectReader.h"
#include "platform/particles/CPyroEffect.h"
#include "platform/particles/CPyroEmitter.h"
#include "platform/particles/CPyroException.h"

namespace PyroParticles
{

CPyroLibrary::CPyroLibrary(uint32_t quadCount) : m_quadCount(quadCount) {}

CPyroLibrary::~CPyroLibrary()
{
    shutdown();
}

IPyroEffect* CPyroLibrary::loadEffect(IPyroFile& file, const char* fileName)
{
    CEffectReader reader(fileName ? fileName : "");
    m_effects.push_back(std::make_unique<CPyroEffect>(*this, reader.read(file)));
    return m_effects.back().get();
}

bool CPyroLibrary::releaseEmitter(IPyroEmitter* emitter)
{
    return m_emitters.erase(emitter) != 0;
}

void CPyroLibrary::setDevice(IPyroGraphicsDevice* device)
{
    if (device == m_device)
        return;
    releaseDeviceObjects();
    m_device = device;
}

void CPyroLibrary::shutdown()
{
    releaseDeviceObjects();
    // Emitters point into their effects: they go first.
    m_emitters.clear();
    m_effects.clear();
    m_device = nullptr;
}

IPyroEmitter* CPyroLibrary::adoptEmitter(std::unique_ptr<CPyroEmitter> emitter)
{
    CPyroEmitter* raw = emitter.get();
    m_emitters[raw] = std::move(emitter);
    return raw;
}

void CPyroLibrary::releaseDeviceObjects()
{
    for (auto& emitter : m_emitters)
        emitter.second->releaseDeviceObjects();
    for (auto& effect : m_effects)
        effect->releaseDeviceObjects();
}

} // namespace PyroParticles

PyroParticles::IPyroParticleLibrary* CreateParticleLibrary(unsigned version)
{
    if (version != PyroParticles::kPyroVersion)
        throw PyroParticles::CPyroException("Particle library version " + std::to_string(version) +
                                            " is not supported (" +
                                            std::to_string(PyroParticles::kPyroVersion) + " is)");
    return new PyroParticles::CPyroLibrary();
}

void DestroyParticleLibrary(PyroParticles::IPyroParticleLibrary* library)
{
    // Only libraries made by CreateParticleLibrary come here.
    delete static_cast<PyroParticles::CPyroLibrary*>(library);
}
