#include "platform/gfx/GfxTypes.h"

#include <cstring>

namespace Platform
{

uint32_t Fvf::vertexSize(uint32_t fvf)
{
    uint32_t size = 0;
    switch (fvf & PositionMask)
    {
    case Xyz:
        size = 12;
        break;
    case XyzRhw:
        size = 16;
        break;
    case XyzB1:
    case XyzB2:
    case XyzB3:
    case XyzB4:
    case XyzB5:
        // Three floats and one to five blend weights of four bytes each.
        size = 12 + 4 * (((fvf & PositionMask) - XyzB1) / 2 + 1);
        break;
    default:
        return 0;
    }
    if (fvf & Normal)
        size += 12;
    if (fvf & PointSize)
        size += 4;
    if (fvf & Diffuse)
        size += 4;
    if (fvf & Specular)
        size += 4;
    size += 8 * ((fvf & TexCountMask) >> TexCountShift);
    return size;
}

uint32_t vertexElementSize(VertexElementType type)
{
    switch (type)
    {
    case VertexElementType::Float1:
    case VertexElementType::Color:
        return 4;
    case VertexElementType::Float2:
        return 8;
    case VertexElementType::Float3:
        return 12;
    case VertexElementType::Float4:
        return 16;
    }
    return 0;
}

bool Matrix4::operator==(const Matrix4& o) const
{
    return std::memcmp(m, o.m, sizeof(m)) == 0;
}

Matrix4 Matrix4::operator*(const Matrix4& o) const
{
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[row * 4 + k] * o.m[k * 4 + col];
            r.m[row * 4 + col] = sum;
        }
    return r;
}

bool Material::operator==(const Material& o) const
{
    return diffuse == o.diffuse && ambient == o.ambient && specular == o.specular && emissive == o.emissive &&
           power == o.power;
}

bool Light::operator==(const Light& o) const
{
    return type == o.type && diffuse == o.diffuse && specular == o.specular && ambient == o.ambient &&
           position == o.position && direction == o.direction && range == o.range && falloff == o.falloff &&
           attenuation0 == o.attenuation0 && attenuation1 == o.attenuation1 &&
           attenuation2 == o.attenuation2 && theta == o.theta && phi == o.phi;
}

} // namespace Platform
