#include "platform/gfx/VertexLighting.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Platform
{

namespace
{

struct Vec
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Vec operator+(Vec a, Vec b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator-(Vec a, Vec b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec unit(Vec v)
{
    const float length = std::sqrt(dot(v, v));
    return length > 0.0f ? Vec{v.x / length, v.y / length, v.z / length} : v;
}

// Points are row vectors: p x m.
Vec transformPoint(const Matrix4& m, Vec p)
{
    return {p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12],
            p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13],
            p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14]};
}
Vec transformDirection(const Matrix4& m, Vec v)
{
    return {v.x * m.m[0] + v.y * m.m[4] + v.z * m.m[8], v.x * m.m[1] + v.y * m.m[5] + v.z * m.m[9],
            v.x * m.m[2] + v.y * m.m[6] + v.z * m.m[10]};
}

// The matrix that moves normals as `m` moves points: the inverse transpose of its 3 x 3 part
// (the part itself when that has no inverse).
Matrix4 normalMatrix(const Matrix4& m)
{
    const float a = m.m[0], b = m.m[1], c = m.m[2];
    const float d = m.m[4], e = m.m[5], f = m.m[6];
    const float g = m.m[8], h = m.m[9], i = m.m[10];
    const float cofactors[9] = {e * i - f * h, f * g - d * i, d * h - e * g, c * h - b * i, a * i - c * g,
                                b * g - a * h, b * f - c * e, c * d - a * f, a * e - b * d};
    const float determinant = a * cofactors[0] + b * cofactors[1] + c * cofactors[2];
    Matrix4 out;
    if (determinant == 0.0f)
    {
        out = m;
        out.m[12] = out.m[13] = out.m[14] = 0.0f;
        return out;
    }
    // The inverse is the transposed cofactors over the determinant; its transpose is the
    // cofactors themselves.
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            out.m[r * 4 + col] = cofactors[r * 3 + col] / determinant;
    return out;
}

struct Colour
{
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

Colour toColour(const ColorValue& c)
{
    return {c.r, c.g, c.b, c.a};
}

Colour fromArgb(uint32_t argb)
{
    const float k = 1.0f / 255.0f;
    return {static_cast<float>((argb >> 16) & 255) * k, static_cast<float>((argb >> 8) & 255) * k,
            static_cast<float>(argb & 255) * k, static_cast<float>(argb >> 24) * k};
}

// A light moved into the space the vertices are lit in, with what every vertex needs of it.
struct PreparedLight
{
    LightType type = LightType::Directional;
    Colour diffuse, specular, ambient;
    Vec position;
    // Towards the light for a directional light; the spot's own direction for a spot light.
    Vec direction;
    float range = 0.0f;
    float attenuation[3] = {0.0f, 0.0f, 0.0f};
    float cosInner = 1.0f;
    float cosOuter = 1.0f;
    float falloff = 0.0f;
};

PreparedLight prepare(const Light& light, const Matrix4& view)
{
    PreparedLight p;
    p.type = light.type;
    p.diffuse = toColour(light.diffuse);
    p.specular = toColour(light.specular);
    p.ambient = toColour(light.ambient);
    p.position = transformPoint(view, {light.position.x, light.position.y, light.position.z});
    const Vec direction =
        unit(transformDirection(view, {light.direction.x, light.direction.y, light.direction.z}));
    p.direction =
        light.type == LightType::Directional ? Vec{-direction.x, -direction.y, -direction.z} : direction;
    p.range = light.range;
    p.attenuation[0] = light.attenuation0;
    p.attenuation[1] = light.attenuation1;
    p.attenuation[2] = light.attenuation2;
    p.cosInner = std::cos(light.theta * 0.5f);
    p.cosOuter = std::cos(light.phi * 0.5f);
    p.falloff = light.falloff;
    return p;
}

// How much of the light reaches the vertex (attenuation times spot factor), and the unit
// vector from the vertex to the light.
float reach(const PreparedLight& light, Vec vertex, Vec& toLight)
{
    if (light.type == LightType::Directional)
    {
        toLight = light.direction;
        return 1.0f;
    }
    const Vec offset = light.position - vertex;
    const float distance = std::sqrt(dot(offset, offset));
    if (distance > light.range)
        return 0.0f;
    toLight = unit(offset);
    const float divisor =
        light.attenuation[0] + light.attenuation[1] * distance + light.attenuation[2] * distance * distance;
    // No attenuation at all is taken as none rather than as an endless light.
    float amount = divisor > 0.0f ? 1.0f / divisor : 1.0f;
    if (light.type == LightType::Spot)
    {
        const float rho = -dot(toLight, light.direction);
        if (rho <= light.cosOuter)
            return 0.0f;
        if (rho <= light.cosInner)
        {
            const float between = (rho - light.cosOuter) / (light.cosInner - light.cosOuter);
            amount *= light.falloff == 1.0f ? between : std::pow(between, light.falloff);
        }
    }
    return amount;
}

uint8_t toByte(float value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

Vec readVec(const uint8_t* at)
{
    Vec v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

} // namespace

void lightVertices(const GfxStateShadow& state, const Matrix4& worldView, uint32_t fvf, const uint8_t* base,
                   uint32_t stride, uint32_t count, std::vector<uint8_t>& out)
{
    out.resize(static_cast<size_t>(count) * 4);
    std::vector<PreparedLight> lights;
    for (const GfxLightSlot& slot : state.lights)
        if (slot.enabled)
            lights.push_back(prepare(slot.light, state.view));
    const Material& material = state.material;
    const bool specularOn = state[RenderState::SpecularEnable] != 0;
    const bool normalize = state[RenderState::NormalizeNormals] != 0;
    const Colour global = fromArgb(state[RenderState::Ambient]);
    const Matrix4 normals = normalMatrix(worldView);

    // Where the normal and the colour lie in a vertex.
    const uint32_t position = fvf & Fvf::PositionMask;
    uint32_t offset = position == Fvf::Xyz || position == Fvf::XyzRhw
                          ? 12 + (position == Fvf::XyzRhw ? 4 : 0)
                          : 12 + 4 * ((position - Fvf::XyzB1) / 2 + 1);
    const bool hasNormal = (fvf & Fvf::Normal) != 0;
    const uint32_t normalOffset = offset;
    offset += hasNormal ? 12 : 0;
    offset += (fvf & Fvf::PointSize) ? 4 : 0;
    const bool hasColour = (fvf & Fvf::Diffuse) != 0;
    const uint32_t colourOffset = offset;

    for (uint32_t v = 0; v < count; ++v)
    {
        const uint8_t* vertex = base + static_cast<size_t>(v) * stride;
        const Vec point = transformPoint(worldView, readVec(vertex));
        Vec normal;
        if (hasNormal)
        {
            normal = transformDirection(normals, readVec(vertex + normalOffset));
            if (normalize)
                normal = unit(normal);
        }
        Colour diffuse = toColour(material.diffuse);
        if (hasColour)
        {
            uint32_t argb = 0;
            std::memcpy(&argb, vertex + colourOffset, 4);
            diffuse = fromArgb(argb);
        }
        const ColorValue& ambient = material.ambient;
        Colour sum{material.emissive.r + ambient.r * global.r, material.emissive.g + ambient.g * global.g,
                   material.emissive.b + ambient.b * global.b, 0.0f};
        for (const PreparedLight& light : lights)
        {
            Vec toLight;
            const float amount = reach(light, point, toLight);
            if (amount <= 0.0f)
                continue;
            sum.r += amount * ambient.r * light.ambient.r;
            sum.g += amount * ambient.g * light.ambient.g;
            sum.b += amount * ambient.b * light.ambient.b;
            const float facing = dot(normal, toLight);
            if (facing <= 0.0f)
                continue;
            const float d = amount * facing;
            sum.r += d * diffuse.r * light.diffuse.r;
            sum.g += d * diffuse.g * light.diffuse.g;
            sum.b += d * diffuse.b * light.diffuse.b;
            if (specularOn)
            {
                const Vec half = unit(toLight + unit(Vec{-point.x, -point.y, -point.z}));
                const float s = amount * std::pow(std::max(dot(normal, half), 0.0f), material.power);
                sum.r += s * material.specular.r * light.specular.r;
                sum.g += s * material.specular.g * light.specular.g;
                sum.b += s * material.specular.b * light.specular.b;
            }
        }
        uint8_t* to = out.data() + static_cast<size_t>(v) * 4;
        to[0] = toByte(sum.r);
        to[1] = toByte(sum.g);
        to[2] = toByte(sum.b);
        to[3] = toByte(diffuse.a);
    }
}

} // namespace Platform
