#include "engine/devices/cRenderConfig.h"

#include "engine/core/cConstants.h"
#include "engine/core/cSettings.h"
#include "engine/devices/cBatchRenderer.h"

#include <algorithm>

namespace Engine
{

// --- The engine's source ---------------------------------------------------------------------

namespace
{

// The engine's settings and constants stores when they exist; the texts in memory otherwise
// (tools and tests that run the device alone).
class cEngineRenderConfigSource final
    : public cTypedRenderConfigSource<cEngineRenderConfigSource, cMemoryRenderConfigSource>
{
private:
    friend class cTypedRenderConfigSource<cEngineRenderConfigSource, cMemoryRenderConfigSource>;

    template <class T> bool readSetting(const wchar_t* group, const wchar_t* key, T& value)
    {
        if (cSettings* stored = cSettings::instance())
            return stored->get(group, key, value);
        return cMemoryRenderConfigSource::readSetting(group, key, value);
    }

    template <class T> void writeSetting(const wchar_t* group, const wchar_t* key, T value)
    {
        if (cSettings* stored = cSettings::instance())
            stored->set(group, key, value);
        else
            cMemoryRenderConfigSource::writeSetting(group, key, value);
    }

    template <class T> bool readConstant(const wchar_t* group, const wchar_t* key, T& value)
    {
        if (cConstants* table = cConstants::instance())
            return table->get(group, key, value);
        return cMemoryRenderConfigSource::readConstant(group, key, value);
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
    if (source.getSetting(L"graphics", L"reserve_sprite_count", config.reserveSpriteCount))
        config.reserveSpriteCount = std::clamp(config.reserveSpriteCount, 1u, cBatchRenderer::MaxReserve);
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
