#pragma once

#include "platform/particles/IPyroParticleLibrary.h"

#include <map>
#include <memory>
#include <vector>

namespace PyroParticles
{

class CPyroEffect;
class CPyroEmitter;

// The particle library: it owns the effects it loaded and the emitters made from them.
class CPyroLibrary final : public IPyroParticleLibrary
{
public:
    // The quad count the library asks the device's shared quad indices to hold; it keeps the
    // 16-bit indices of one draw below 65,536.
    static constexpr uint32_t kDefaultQuadCount = 4096;

    explicit CPyroLibrary(uint32_t quadCount = kDefaultQuadCount);
    ~CPyroLibrary() override;

    IPyroEffect* loadEffect(IPyroFile& file, const char* fileName) override;
    bool releaseEmitter(IPyroEmitter* emitter) override;
    void setDevice(IPyroGraphicsDevice* device) override;
    void shutdown() override;
    uint32_t getQuadCount() const override { return m_quadCount; }

    IPyroGraphicsDevice* getDevice() const { return m_device; }
    IPyroEmitter* adoptEmitter(std::unique_ptr<CPyroEmitter> emitter);
    size_t getEmitterCount() const { return m_emitters.size(); }

private:
    void releaseDeviceObjects();

    uint32_t m_quadCount;
    IPyroGraphicsDevice* m_device = nullptr;
    std::vector<std::unique_ptr<CPyroEffect>> m_effects;
    std::map<const IPyroEmitter*, std::unique_ptr<CPyroEmitter>> m_emitters;
};

} // namespace PyroParticles
