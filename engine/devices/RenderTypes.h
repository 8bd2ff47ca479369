#pragma once

#include <cstdint>

namespace Engine
{

// The bits of a view's "RenderType": how the quads of a batch are blended, masked, filtered
// and addressed. The values are written in the layout files, so they never change.
namespace eRenderType
{
// Blend with the destination colour (SRCBLEND DESTCOLOR, DESTBLEND SRCALPHA); in full screen
// also keeps point magnification so that the picture is not blurred.
constexpr uint32_t DestColor = 0x001;
// No alpha blending and no alpha test: the quad replaces what is under it.
constexpr uint32_t Opaque = 0x002;
// Draws the batch into the stencil buffer first (value 1 where its alpha passes 136), then as
// usual.
constexpr uint32_t StencilMask = 0x004;
// Draws only where the stencil buffer holds 1.
constexpr uint32_t StencilMasked = 0x008;
// Linear filtering instead of point sampling.
constexpr uint32_t Linear = 0x020;
// The same blending as `DestColor`, without its full-screen filtering.
constexpr uint32_t DestColorBlend = 0x040;
// Anisotropic filtering.
constexpr uint32_t Anisotropic = 0x080;
// The alpha test passes only alpha above 160.
constexpr uint32_t AlphaRef160 = 0x100;
// Mirrored texture addressing (tiled pictures); clamped otherwise.
constexpr uint32_t Mirror = 0x200;
// Additive blending (SRCALPHA, ONE).
constexpr uint32_t Additive = 0x800;
// Multiplying blending (ZERO, SRCCOLOR).
constexpr uint32_t Multiply = 0x1000;
} // namespace eRenderType

} // namespace Engine
