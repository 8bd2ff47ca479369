#pragma once

#include <cstdint>

// The vocabulary shared by the particle library and the graphics device it draws through.
namespace PyroParticles
{

// Results of device calls: 0 success, negative a failure (the device's own code), and
// `kUnsupported` for an operation the device does not offer.
constexpr int32_t kOk = 0;
constexpr int32_t kUnsupported = 1;

inline bool pyroFailed(int32_t result)
{
    return result < 0;
}

// The version number an engine passes to `CreateParticleLibrary`.
constexpr unsigned kPyroVersion = 65802;

// Render states the library sets through `setRenderState`.
enum ePyroRenderState : uint32_t
{
    PyroAlphaBlendEnable = 0
};

// Blend codes of `setBlendFunc`.
enum ePyroBlend : uint32_t
{
    PyroBlendZero = 0,
    PyroBlendOne = 1,
    PyroBlendDestColor = 2,
    PyroBlendInvDestColor = 3,
    PyroBlendSrcAlpha = 4,
    PyroBlendInvSrcAlpha = 5,
    PyroBlendDestAlpha = 6,
    PyroBlendInvDestAlpha = 7,
    PyroBlendSrcAlphaSat = 8
};

// Vertex format flags of the library's vertex buffers.
namespace PyroVertex
{
constexpr uint32_t Position = 0x1;
// Positions already in back-buffer pixels with 1/w.
constexpr uint32_t PositionRhw = 0x4;
constexpr uint32_t Diffuse = 0x8;
constexpr uint32_t Tex1 = 0x10000;
constexpr uint32_t Tex2 = 0x20000;
constexpr uint32_t Tex3 = 0x40000;
// One more texture coordinate set on top of the others.
constexpr uint32_t TexExtra = 0x80000;
} // namespace PyroVertex

// The vertex the library writes: position, packed 0xAARRGGBB colour, one texture coordinate
// pair; format `kPyroQuadFormat`, 24 bytes.
struct sPyroVertex
{
    float x;
    float y;
    float z;
    uint32_t color;
    float u;
    float v;
};
static_assert(sizeof(sPyroVertex) == 24, "particle vertices are 24 bytes");

constexpr uint32_t kPyroQuadFormat = PyroVertex::Position | PyroVertex::Diffuse | PyroVertex::Tex1;

// A picture handed to `createTexture`: 4 bytes a pixel in the order red, green, blue, alpha,
// rows from the top, packed without padding.
struct sPyroImage
{
    const uint8_t* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
};

} // namespace PyroParticles
