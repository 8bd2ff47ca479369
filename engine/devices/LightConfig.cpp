#include "engine/devices/LightConfig.h"

#include "engine/devices/cMatrix.h"
#include "engine/devices/cRenderConfig.h"

#include <algorithm>
#include <string>

namespace Engine
{

namespace
{

Platform::ColorValue toColorValue(const cColor& c)
{
    return {c.r, c.g, c.b, c.a};
}

Platform::Vector3f toVector(const cVector3& v)
{
    return {v.x, v.y, v.z};
}

void readLight(cRenderConfigSource& source, const std::wstring& group, unsigned index, Platform::Light& light)
{
    const std::wstring prefix = L"light_" + std::to_wstring(index) + L"_";
    auto key = [&prefix](const wchar_t* name) { return prefix + name; };

    unsigned type = static_cast<unsigned>(light.type);
    source.getConstant(group.c_str(), key(L"type").c_str(), type);
    light.type = static_cast<Platform::LightType>(type);

    // A colour of six digits keeps the field's alpha.
    auto readColor = [&](const wchar_t* name, Platform::ColorValue& field)
    {
        cColor color(field.r, field.g, field.b, field.a);
        if (source.getConstant(group.c_str(), key(name).c_str(), color))
            field = toColorValue(color);
    };
    readColor(L"diffuse", light.diffuse);
    readColor(L"specular", light.specular);
    readColor(L"ambient", light.ambient);

    cVector3 vector;
    if (source.getConstant(group.c_str(), key(L"position").c_str(), vector))
        light.position = toVector(vector);
    vector = cVector3();
    source.getConstant(group.c_str(), key(L"direction").c_str(), vector);
    // Into screen space: z negated, then the axes (1, 0, 0), (0, -1, 0), (0, 0, -1).
    vector.z = -vector.z;
    const cMatrix axes =
        cMatrix::fromAxes(cVector3(1, 0, 0), cVector3(0, -1, 0), cVector3(0, 0, -1), cVector3());
    vector = axes.transformPoint(vector);
    normalize(vector);
    light.direction = toVector(vector);

    source.getConstant(group.c_str(), key(L"range").c_str(), light.range);
    source.getConstant(group.c_str(), key(L"falloff").c_str(), light.falloff);
    source.getConstant(group.c_str(), key(L"attenuation0").c_str(), light.attenuation0);
    source.getConstant(group.c_str(), key(L"attenuation1").c_str(), light.attenuation1);
    source.getConstant(group.c_str(), key(L"attenuation2").c_str(), light.attenuation2);
    source.getConstant(group.c_str(), key(L"theta").c_str(), light.theta);
    source.getConstant(group.c_str(), key(L"phi").c_str(), light.phi);
}

} // namespace

void readLightConfigs(cRenderConfigSource& source, std::vector<cLightConfig>& configs)
{
    int count = static_cast<int>(configs.size());
    source.getConstant(L"lightConfig", L"count", count);
    configs.resize(static_cast<size_t>(std::clamp(count, 0, static_cast<int>(MaxLightConfigs))));
    for (unsigned i = 0; i < configs.size(); ++i)
    {
        cLightConfig& config = configs[i];
        const std::wstring group = L"lights" + std::to_wstring(i);
        unsigned lights = static_cast<unsigned>(config.lights.size());
        source.getConstant(group.c_str(), L"count", lights);
        source.getConstant(group.c_str(), L"ambient", config.ambient);
        config.lights.assign(std::min(lights, MaxLightsPerConfig), Platform::Light());
        for (unsigned j = 0; j < config.lights.size(); ++j)
        {
            // New records are all zero.
            config.lights[j].type = static_cast<Platform::LightType>(0);
            readLight(source, group, j, config.lights[j]);
        }
    }
}

} // namespace Engine
