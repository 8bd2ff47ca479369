#pragma once

#include "platform/particles/CPyroRandom.h"
#include "platform/particles/EffectDesc.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/particles/PyroTypes.h"

#include <memory>
#include <vector>

namespace PyroParticles
{

class CPyroEffect;
class IPyroVertexBuffer;

// An emitter of an effect file: its layers' particles, moved, emitted and drawn as
// `IPyroEmitter` describes.
class CPyroEmitter final : public IPyroEmitter
{
public:
    // One particle; positions are where it was emitted plus its travel, before the emitter's
    // position and scale are applied.
    struct sParticle
    {
        float x;
        float y;
        float vx;
        float vy;
        float age;
        float life;
        float sizeStart;
        float sizeEnd;
        float angle;
        float spin;
    };

    CPyroEmitter(CPyroEffect& effect, const sEmitterDesc& desc, uint32_t seed);
    ~CPyroEmitter() override;

    const char* getName() const override;
    void move(float time, float step) override;
    void emit(float time, float step, float x, float y, float z, bool emit) override;
    void setScale(float scale) override;
    void setPosition(float x, float y, float z) override;
    void draw() override;
    bool getBounds(float bounds[4]) const override;
    void setSeed(uint32_t seed) override;
    void reset() override;
    uint32_t getParticleCount() const override;
    bool isPlaying() const override;

    // The particles of one layer, oldest first.
    const std::vector<sParticle>& getParticles(size_t layer) const { return m_layers.at(layer).particles; }
    size_t getLayerCount() const { return m_layers.size(); }
    // Deletes the vertex buffers made on the graphics device.
    void releaseDeviceObjects();

private:
    struct sLayer
    {
        const sLayerDesc* desc;
        std::vector<sParticle> particles;
        std::unique_ptr<IPyroVertexBuffer> buffer;
        // Fractions of a particle owed by the rate, carried from step to step.
        float owed = 0.0f;
        bool burstDone = false;
    };

    void restartEmission();
    void spawn(sLayer& layer, uint32_t count, float x, float y);
    void drawLayer(sLayer& layer);
    void writeVertices(const sLayer& layer);

    CPyroEffect& m_effect;
    const sEmitterDesc& m_desc;
    CPyroRandom m_random;
    std::vector<sLayer> m_layers;
    float m_scale = 1.0f;
    float m_x = 0.0f;
    float m_y = 0.0f;
    float m_z = 0.0f;
    // The time of the last emit call and the end of its step; negative before the first.
    float m_lastTime = -1.0f;
    float m_lastEnd = 0.0f;
    std::vector<sPyroVertex> m_vertices;
};

} // namespace PyroParticles
