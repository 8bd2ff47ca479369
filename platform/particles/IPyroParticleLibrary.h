#pragma once

#include <cstdint>

namespace PyroParticles
{

class IPyroEffect;
class IPyroEmitter;
class IPyroFile;
class IPyroGraphicsDevice;

// The particle library. The engine creates one with `CreateParticleLibrary`, asks it for its
// quad count, gives it a graphics device, loads effect files through it and at the end shuts it
// down and destroys it.
//
// The order of the operations is the order the engine knows them by; keep it.
class IPyroParticleLibrary
{
public:
    // Reads an effect file through `file` (the library never opens files itself); `fileName`
    // names it in error messages. The effect belongs to the library. Throws CPyroException.
    virtual IPyroEffect* loadEffect(IPyroFile& file, const char* fileName) = 0;
    // Deletes an emitter made by `IPyroEffect::createEmitter`; false (nothing done) for any
    // other pointer.
    virtual bool releaseEmitter(IPyroEmitter* emitter) = 0;
    // The device every effect creates its textures and buffers on and draws through; null
    // detaches it. Objects made on the previous device are released first.
    virtual void setDevice(IPyroGraphicsDevice* device) = 0;
    // Releases every object made on the device and deletes every effect and emitter.
    virtual void shutdown() = 0;
    // The most quads one draw call draws: the size of the device's shared quad indices.
    virtual uint32_t getQuadCount() const = 0;

protected:
    virtual ~IPyroParticleLibrary() = default;
};

} // namespace PyroParticles

// Creates the library; `version` must be `PyroParticles::kPyroVersion`, else throws
// CPyroException.
PyroParticles::IPyroParticleLibrary* CreateParticleLibrary(unsigned version);
// Shuts the library down (if it was not) and deletes it; null is ignored.
void DestroyParticleLibrary(PyroParticles::IPyroParticleLibrary* library);
