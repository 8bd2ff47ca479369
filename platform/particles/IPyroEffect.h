#pragma once

#include <cstdint>

namespace PyroParticles
{

class IPyroEmitter;

// A loaded effect file. It belongs to the library, which deletes it at shutdown.
class IPyroEffect
{
public:
    // Creates the file's textures through the library's graphics device (once; later calls do
    // nothing).
    virtual void prepare() = 0;
    // Releases the textures (and the emitters' buffers); `prepare` makes them again.
    virtual void unprepare() = 0;
    virtual bool isPrepared() const = 0;
    virtual uint32_t getEmitterCount() const = 0;
    // The file's own emitter number `index`, in file order; throws for an index past the count.
    // It belongs to the file.
    virtual IPyroEmitter* getEmitter(uint32_t index) = 0;
    // A new emitter of that name; released through the library. Throws for an unknown name.
    virtual IPyroEmitter* createEmitter(const char* name) = 0;
    virtual const char* getFileName() const = 0;

protected:
    virtual ~IPyroEffect() = default;
};

} // namespace PyroParticles
