#pragma once

namespace PyroParticles
{
class IPyroEmitter;
}

namespace Engine
{

// What a particle view hands to `cRender::openParticleBatch`: where its effect is and how large,
// and the emitter to draw. The view sets `changed` whenever the position, the offset or the
// scale change; the renderer places the emitter again then and clears it.
struct cParticleDrawInfo
{
    // The view's position, in virtual units (the point the effect is scaled about).
    float positionX = 0.0f;
    float positionY = 0.0f;
    float positionZ = 0.0f;
    // The emitter's offset from that point.
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float offsetZ = 0.0f;
    // The view's "PyroScale".
    float scale = 1.0f;
    // Seconds the effect has run.
    float time = 0.0f;
    bool changed = true;
    PyroParticles::IPyroEmitter* emitter = nullptr;
    // The view's "UseOffset".
    bool useOffset = false;
};

} // namespace Engine
