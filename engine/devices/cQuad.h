#pragma once

#include "engine/core/cVector2.h"
#include "engine/devices/cBatchShader.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <vector>

namespace Engine
{

// One corner of a quad: a position in virtual screen units and a 0xAARRGGBB colour.
struct cQuadCorner
{
    float x = 0.0f;
    float y = 0.0f;
    uint32_t color = 0xFFFFFFFFu;
};

// Constants loaded into a quad's vertex shader before its batch is drawn: `registerCount`
// registers of four floats from `firstRegister`.
struct cShaderConstant
{
    uint32_t firstRegister = 0;
    const float* data = nullptr;
    uint32_t registerCount = 0;
};

using tShaderConstants = std::vector<cShaderConstant>;

// The four-corner drawable every two-dimensional view hands to `cRender::drawQuad`. Corner 0 sits
// at grid coordinates (0, 0), corner 1 at (1, 0), corner 2 at (0, 1) and corner 3 at (1, 1);
// `grid` subdivides each side, so the quad becomes (grid + 1)^2 vertices and 2 grid^2
// triangles whose positions, colours and texture coordinates are interpolated bilinearly.
// Quads are copied by value.
struct cQuad
{
    cQuadCorner corners[4];
    uint32_t grid = 1;
    // Draws the quad through this shader; batches are keyed by its handle.
    boost::shared_ptr<cBatchShader> vertexShader;
    // Texture coordinates (u, v) at corner 0 and at corner 3.
    cVector2 uvFrom{0.0f, 0.0f};
    cVector2 uvTo{1.0f, 1.0f};
    // Constants of the shader, owned by the view; batches are keyed by this address.
    const tShaderConstants* shaderConstants = nullptr;

    // Places the corners on the rectangle: 0 top left, 1 top right, 2 bottom left, 3 bottom
    // right.
    void setRect(float left, float top, float right, float bottom);
    // Gives every corner the same colour.
    void setColor(uint32_t argb);
};

} // namespace Engine
