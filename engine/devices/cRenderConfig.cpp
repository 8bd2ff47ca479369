#include "engine/devices/cRenderConfig.h"

#include "engine/core/FromString.h"
#include "engine/core/cConstants.h"
#include "engine/core/cSettings.h"

namespace Engine
{

// --- Texts in memory -------------------------------------------------------------------------

template <class T>
bool cMemoryRenderConfigSource::readSetting(const wchar_t* group, const wchar_t* key, T& value)
{
    const auto found = settings.find({group, key});
    if (found == settings.end())
        return false;
    fromString(value, found->second);
    return true;
}

template <class T>
bool cMemoryRenderConfigSource::readConstant(const wchar_t* group, const wchar_t* key, T& value)
{
    std::wstring text;
    if (!constantText(group, key, text))
        return false;
    fromString(value, text);
    return true;
}

bool cMemoryRenderConfigSource::constantText(const wchar_t* group, const wchar_t* key, std::wstring& text)
{
    const auto found = constants.find({group, key});
    if (found == constants.end())
        return false;
    text = found->second;
    return true;
}

bool cMemoryRenderConfigSource::getSetting(const wchar_t* group, const wchar_t* key, int& value)
{
    return readSetting(group, key, value);
}

bool cMemoryRenderConfigSource::getSetting(const wchar_t* group, const wchar_t* key, unsigned& value)
{
    return readSetting(group, key, value);
}

bool cMemoryRenderConfigSource::getSetting(const wchar_t* group, const wchar_t* key, bool& value)
{
    return readSetting(group, key, value);
}

void cMemoryRenderConfigSource::setSetting(const wchar_t* group, const wchar_t* key, int value)
{
    settings[{group, key}] = std::to_wstring(value);
}

void cMemoryRenderConfigSource::setSetting(const wchar_t* group, const wchar_t* key, unsigned value)
{
    settings[{group, key}] = std::to_wstring(value);
}

void cMemoryRenderConfigSource::setSetting(const wchar_t* group, const wchar_t* key, bool value)
{
    settings[{group, key}] = value ? L"1" : L"0";
}

bool cMemoryRenderConfigSource::getConstant(const wchar_t* group, const wchar_t* key, int& value)
{
    return readConstant(group, key, value);
}

bool cMemoryRenderConfigSource::getConstant(const wchar_t* group, const wchar_t* key, unsigned& value)
{
    return readConstant(group, key, value);
}

bool cMemoryRenderConfigSource::getConstant(const wchar_t* group, const wchar_t* key, bool& value)
{
    return readConstant(group, key, value);
}

bool cMemoryRenderConfigSource::getConstant(const wchar_t* group, const wchar_t* key, float& value)
{
    return readConstant(group, key, value);
}

bool cMemoryRenderConfigSource::getConstant(const wchar_t* group, const wchar_t* key, cColor& value)
{
    return readConstant(group, key, value);
}

bool cMemoryRenderConfigSource::getConstant(const wchar_t* group, const wchar_t* key, cVector3& value)
{
    return readConstant(group, key, value);
}

// --- The engine's source ---------------------------------------------------------------------

namespace
{

// The engine's settings and constants stores when they exist; the texts in memory otherwise
// (tools and tests that run the device alone).
class cEngineRenderConfigSource final : public cMemoryRenderConfigSource
{
public:
    bool getSetting(const wchar_t* group, const wchar_t* key, int& value) override
    {
        return setting(group, key, value);
    }
    bool getSetting(const wchar_t* group, const wchar_t* key, unsigned& value) override
    {
        return setting(group, key, value);
    }
    bool getSetting(const wchar_t* group, const wchar_t* key, bool& value) override
    {
        return setting(group, key, value);
    }
    void setSetting(const wchar_t* group, const wchar_t* key, int value) override
    {
        store(group, key, value);
    }
    void setSetting(const wchar_t* group, const wchar_t* key, unsigned value) override
    {
        store(group, key, value);
    }
    void setSetting(const wchar_t* group, const wchar_t* key, bool value) override
    {
        store(group, key, value);
    }

    bool getConstant(const wchar_t* group, const wchar_t* key, int& value) override
    {
        return constant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, unsigned& value) override
    {
        return constant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, bool& value) override
    {
        return constant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, float& value) override
    {
        return constant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, cColor& value) override
    {
        return constant(group, key, value);
    }
    bool getConstant(const wchar_t* group, const wchar_t* key, cVector3& value) override
    {
        return constant(group, key, value);
    }

private:
    template <class T> bool setting(const wchar_t* group, const wchar_t* key, T& value)
    {
        if (cSettings* settings = cSettings::instance())
            return settings->get(group, key, value);
        return cMemoryRenderConfigSource::getSetting(group, key, value);
    }

    template <class T> void store(const wchar_t* group, const wchar_t* key, T value)
    {
        if (cSettings* settings = cSettings::instance())
            settings->set(group, key, value);
        else
            cMemoryRenderConfigSource::setSetting(group, key, value);
    }

    template <class T> bool constant(const wchar_t* group, const wchar_t* key, T& value)
    {
        if (cConstants* constants = cConstants::instance())
            return constants->get(group, key, value);
        return cMemoryRenderConfigSource::getConstant(group, key, value);
    }
};

} // namespace

std::unique_ptr<cRenderConfigSource> makeEngineRenderConfigSource()
{
    return std::make_unique<cEngineRenderConfigSource>();
}

// --- Reading and writing ---------------------------------------------------------------------

void readRenderSettings(cRenderConfigSource& source, cRenderConfig& config)
{
    int width = config.width;
    int height = config.height;
    if (source.getSetting(L"graphics", L"width", width) && width > 0)
        config.width = width;
    if (source.getSetting(L"graphics", L"height", height) && height > 0)
        config.height = height;
    source.getSetting(L"graphics", L"fullscreen", config.fullscreen);
    source.getSetting(L"graphics", L"reserve_sprite_count", config.reserveSpriteCount);
}

void readRenderConstants(cRenderConfigSource& source, cRenderConfig& config)
{
    cColor color = cColor::fromARGB(config.sysFontColor);
    if (source.getConstant(L"graphics", L"sys_font_color", color))
        config.sysFontColor = color.toARGB();
    source.getConstant(L"graphics", L"show_triangles", config.showTriangles);
    source.getConstant(L"graphics", L"show_fps", config.showFps);
    source.getConstant(L"graphics", L"show_cursor_pos", config.showCursorPos);
    color = cColor::fromARGB(config.backColor);
    if (source.getConstant(L"graphics", L"back_color", color))
        config.backColor = color.toARGB();
    source.getConstant(L"graphics", L"no_borders", config.noBorders);
    readLightConfigs(source, config.lights);
}

void writeRenderSettings(cRenderConfigSource& source, const cRenderConfig& config)
{
    source.setSetting(L"graphics", L"width", config.width);
    source.setSetting(L"graphics", L"height", config.height);
    source.setSetting(L"graphics", L"fullscreen", config.fullscreen);
    source.setSetting(L"graphics", L"reserve_sprite_count", config.reserveSpriteCount);
}

} // namespace Engine
