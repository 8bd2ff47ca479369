#pragma once

#include <cstdint>

namespace PyroParticles
{

// One running particle emitter. Times are seconds; positions are the engine's units.
//
// A particle emitted at p with size s is drawn at position + k·p with size k·s, where position
// and k are what `setPosition` and `setScale` last set: the engine scales an effect about its
// own point by placing the emitter at that point minus k times it.
class IPyroEmitter
{
public:
    virtual const char* getName() const = 0;
    // Ages and moves the living particles by `step`; `time` is the effect's time at the start
    // of the step.
    virtual void move(float time, float step) = 0;
    // Emits the particles due in `step` at (x, y, z) when `emit` is set. A `time` smaller than
    // the last one starts the emission over (burst and emitting time).
    virtual void emit(float time, float step, float x, float y, float z, bool emit) = 0;
    virtual void setScale(float scale) = 0;
    virtual void setPosition(float x, float y, float z) = 0;
    // Draws the living particles through the library's graphics device.
    virtual void draw() = 0;
    // A rectangle (left, top, right, bottom) that holds every particle `draw` would draw now;
    // false when no particle lives. An emitter that cannot tell gives the whole plane.
    virtual bool getBounds(float bounds[4]) const
    {
        const float far = 1e30f;
        bounds[0] = bounds[1] = -far;
        bounds[2] = bounds[3] = far;
        return true;
    }

    // Restarts the random sequence; an emitter starts with the seed of its effect file.
    virtual void setSeed(uint32_t seed) = 0;
    // Drops every particle and starts the emission over.
    virtual void reset() = 0;
    virtual uint32_t getParticleCount() const = 0;
    // True while particles live or the emitter will still emit some.
    virtual bool isPlaying() const = 0;

protected:
    virtual ~IPyroEmitter() = default;
};

} // namespace PyroParticles
