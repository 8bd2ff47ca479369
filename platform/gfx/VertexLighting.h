#pragma once

#include "platform/gfx/GfxStateShadow.h"
#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <vector>

namespace Platform
{

// Lights vertices as the classic device's fixed pipeline does, so that what the constants file
// says of a light is what the player sees; OpenGL's own lighting has no range and no inner cone
// and would not do. For every vertex, in the space after `worldView` (the view is where the
// lights are placed too):
//
//   colour = emissive + ambient x (global ambient + sum of a x s x light ambient)
//          + sum of a x s x max(N.L, 0) x diffuse x light diffuse
//          (+ sum of a x s x max(N.H, 0)^power x specular x light specular, with specular on)
//
// clamped to 0..1, alpha from the diffuse. The diffuse is the vertex's own colour when the
// format has one, else the material's. L points from the vertex to the light (against the
// direction of a directional light); H is halfway between L and the way to the eye at the
// origin. N is the normal through the inverse transpose of `worldView`, made unit length only
// while NormalizeNormals is on; a format without normals has none, so only ambient and emissive
// light such a vertex.
// - a (attenuation): 1 for a directional light; for a point or spot light at distance d,
//   1 / (attenuation0 + attenuation1 d + attenuation2 d^2) within its range and 0 beyond it.
// - s (spot): 1 except for a spot light: with rho the cosine between its direction and the way
//   from it to the vertex, 1 inside the inner cone (rho > cos(theta / 2)), 0 outside the outer
//   one (rho <= cos(phi / 2)), and between them ((rho - cos(phi / 2)) / (cos(theta / 2) -
//   cos(phi / 2)))^falloff.
//
// `count` vertices of format `fvf`, `stride` bytes apart, from `base`; `out` gets their R, G, B,
// A bytes, four per vertex.
void lightVertices(const GfxStateShadow& state, const Matrix4& worldView, uint32_t fvf, const uint8_t* base,
                   uint32_t stride, uint32_t count, std::vector<uint8_t>& out);

} // namespace Platform
