#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What an effect file describes, as `CEffectReader` reads it and checked against its limits.
namespace PyroParticles
{

struct sTextureDesc
{
    std::string name;
    uint32_t width = 0;
    uint32_t height = 0;
    // Red, green, blue, alpha; width × height × 4 bytes.
    std::vector<uint8_t> rgba;
    // The picture is a grid of equal cells that particles pick or animate through.
    uint32_t columns = 1;
    uint32_t rows = 1;
};

enum class eBlendMode
{
    // Drawn over what is there by the particle's alpha.
    Alpha,
    // Added to what is there (fire, sparks, glow).
    Add
};

// One layer of an emitter: a stream of particles that share a texture and a behaviour.
struct sLayerDesc
{
    uint32_t texture = 0;
    eBlendMode blend = eBlendMode::Alpha;
    uint32_t maxParticles = 100;
    // Particles per second while emitting.
    float rate = 0.0f;
    // Particles emitted at once when the layer starts.
    uint32_t burst = 0;
    // Seconds after the start before the layer emits.
    float delay = 0.0f;
    // Seconds the layer emits; 0 = as long as it is asked to.
    float emitTime = 0.0f;
    float life = 1.0f;
    float lifeVar = 0.0f;
    float speed = 0.0f;
    float speedVar = 0.0f;
    // Degrees on the screen, y pointing down: 0 right, 90 down, 270 up.
    float angle = 270.0f;
    // Full width of the cone of directions, degrees.
    float spread = 0.0f;
    float gravityX = 0.0f;
    float gravityY = 0.0f;
    // The part of its speed a particle loses per second.
    float drag = 0.0f;
    float sizeStart = 8.0f;
    float sizeEnd = 8.0f;
    // The size of each particle is scaled by 1 ± this fraction.
    float sizeVar = 0.0f;
    // Degrees; spin in degrees per second.
    float rotation = 0.0f;
    float rotationVar = 0.0f;
    float spin = 0.0f;
    float spinVar = 0.0f;
    // 0xAARRGGBB at birth and at death, blended over the life.
    uint32_t colorStart = 0xFFFFFFFFu;
    uint32_t colorEnd = 0xFFFFFFFFu;
    // Particles are born anywhere within ± these distances of the emitting point.
    float areaX = 0.0f;
    float areaY = 0.0f;
    // The first texture cell, and the number of cells a particle steps through over its life.
    uint32_t frame = 0;
    uint32_t frameCount = 1;
};

struct sEmitterDesc
{
    std::string name;
    uint32_t seed = 0;
    std::vector<sLayerDesc> layers;
};

struct sEffectDesc
{
    std::string fileName;
    std::vector<sTextureDesc> textures;
    std::vector<sEmitterDesc> emitters;
};

} // namespace PyroParticles
