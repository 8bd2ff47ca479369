#pragma once

#include "engine/core/FromString.h"
#include "engine/core/cColor.h"
#include "engine/core/cVector3.h"
#include "engine/devices/LightConfig.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace Engine
{

// What the render device reads of the settings ("graphics") and the constants ("graphics",
// "lightConfig" and the light groups) at every change of the video mode.
struct cRenderConfig
{
    // Settings "graphics".
    int width = 800;
    int height = 600;
    bool fullscreen = false;
    unsigned reserveSpriteCount = 1024;
    // Constants "graphics"; colours packed 0xAARRGGBB.
    uint32_t sysFontColor = 0xFFFFFFFFu;
    bool showTriangles = false;
    bool showFps = false;
    bool showCursorPos = false;
    uint32_t backColor = 0xFF000000u;
    bool noBorders = false;
    std::vector<cLightConfig> lights;
};

// Where the render device's settings and constants come from, with the typed getters of the
// settings store and the constants: a getter answers false and leaves the value alone when the
// key is missing.
class cRenderConfigSource
{
public:
    virtual ~cRenderConfigSource() = default;

    virtual bool getSetting(const wchar_t* group, const wchar_t* key, int& value) = 0;
    virtual bool getSetting(const wchar_t* group, const wchar_t* key, unsigned& value) = 0;
    virtual bool getSetting(const wchar_t* group, const wchar_t* key, bool& value) = 0;
    virtual void setSetting(const wchar_t* group, const wchar_t* key, int value) = 0;
    virtual void setSetting(const wchar_t* group, const wchar_t* key, unsigned value) = 0;
    virtual void setSetting(const wchar_t* group, const wchar_t* key, bool value) = 0;

    virtual bool getConstant(const wchar_t* group, const wchar_t* key, int& value) = 0;
    virtual bool getConstant(const wchar_t* group, const wchar_t* key, unsigned& value) = 0;
    virtual bool getConstant(const wchar_t* group, const wchar_t* key, bool& value) = 0;
    virtual bool getConstant(const wchar_t* group, const wchar_t* key, float& value) = 0;
    virtual bool getConstant(const wchar_t* group, const wchar_t* key, cColor& value) = 0;
    virtual bool getConstant(const wchar_t* group, const wchar_t* key, cVector3& value) = 0;
};

// Implements every typed getter and setter of `Base` with the member templates of `Derived`,
// `readSetting`, `writeSetting` and `readConstant`, which serve all types alike.
template <class Derived, class Base = cRenderConfigSource> class cTypedRenderConfigSource : public Base
{
public:
    bool getSetting(const wchar_t* group, const wchar_t* key, int& value) override
    {
        return self().readSetting(group, key, value);
    }
    bool getSetting(const wchar_t* group, const wchar_t* key, unsigned& value) override
    {
        return self().readSetting(group, key, value);
    }
    bool getSetting(const wchar_t* group, const wchar_t* key, bool& value) override
    {
        return self().readSetting(group, key, value);
    }
    void setSetting(const wchar_t* group, const wchar_t* key, int value) override
    {
        self().writeSetting(group, key, value);
    }
    void setSetting(const wchar_t* group, const wchar_t* key, unsigned value) override
    {
        self().writeSetting(group, key, value);
    }
    void setSetting(const wchar_t* group, const wchar_t* key, bool value) override
    {
        self().writeSetting(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, int& value) override
    {
        return self().readConstant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, unsigned& value) override
    {
        return self().readConstant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, bool& value) override
    {
        return self().readConstant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, float& value) override
    {
        return self().readConstant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, cColor& value) override
    {
        return self().readConstant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, cVector3& value) override
    {
        return self().readConstant(group, key, value);
    }

private:
    Derived& self() { return static_cast<Derived&>(*this); }
};

// Settings and constants held as texts in memory, read with the engine's `fromString`. Tests
// fill it.
class cMemoryRenderConfigSource : public cTypedRenderConfigSource<cMemoryRenderConfigSource>
{
public:
    using tKey = std::pair<std::wstring, std::wstring>;

    std::map<tKey, std::wstring> settings;
    std::map<tKey, std::wstring> constants;

protected:
    friend class cTypedRenderConfigSource<cMemoryRenderConfigSource>;

    template <class T> bool readSetting(const wchar_t* group, const wchar_t* key, T& value)
    {
        return readText(settings, group, key, value);
    }
    // Numbers as decimal text, a bool as "1" or "0".
    template <class T> void writeSetting(const wchar_t* group, const wchar_t* key, T value)
    {
        settings[{group, key}] = std::to_wstring(value);
    }
    template <class T> bool readConstant(const wchar_t* group, const wchar_t* key, T& value)
    {
        return readText(constants, group, key, value);
    }

private:
    // As the settings store reads: an unsigned number is brought into its range, never wrapped.
    template <class T>
    static bool readText(const std::map<tKey, std::wstring>& texts, const wchar_t* group, const wchar_t* key,
                         T& value)
    {
        const auto found = texts.find({group, key});
        if (found == texts.end())
            return false;
        if constexpr (std::is_same_v<T, unsigned>)
            fromStringClamped(value, found->second);
        else
            fromString(value, found->second);
        return true;
    }
};

// The source of the running engine: `cSettings` and `cConstants`, each while it exists; texts
// in memory in place of a store that does not exist (a device run alone).
std::unique_ptr<cRenderConfigSource> makeEngineRenderConfigSource();

// Fills the settings part of `config` ("graphics": "width", "height", "fullscreen",
// "reserve_sprite_count"); a width or height below 1 is taken as missing, a sprite count is
// brought into the batch renderer's 1 to `cBatchRenderer::MaxReserve` (so that it is saved so).
void readRenderSettings(cRenderConfigSource& source, cRenderConfig& config);
// Fills the constants part, the light configurations included.
void readRenderConstants(cRenderConfigSource& source, cRenderConfig& config);
// Writes "width", "height" (int), "fullscreen" (bool) and "reserve_sprite_count" (unsigned).
void writeRenderSettings(cRenderConfigSource& source, const cRenderConfig& config);

} // namespace Engine
