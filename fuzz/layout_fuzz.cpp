// Layout files turned into controls: any bytes either load into a form (every class of the
// factory, nested forms and composites, buttons, texts, bars, borders, particle views) or give
// an error; the loaded views are then built, stepped and copied. The data folder holds one
// picture, one font and one effect file that the starting inputs name.
#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cTimer.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cForm.h"
#include "engine/ui/cPyro.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "platform/image/PngCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

void write(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path("data/" + path).parent_path());
    std::ofstream("data/" + path, std::ios::binary) << bytes;
}

// A font of the letters A to Z, each a tenth of the texture wide.
std::string fontBytes()
{
    std::string bytes;
    const auto put = [&bytes](const void* data, size_t size)
    { bytes.append(static_cast<const char*>(data), size); };
    const uint32_t tag = 0x666F6E74u;
    const uint32_t one = 1;
    const uint16_t range[3] = {'A', 'Z', 0};
    const uint32_t count = 26;
    put(&tag, 4);
    put(&one, 4);
    put(range, 6);
    put(&count, 4);
    for (uint32_t i = 0; i < count; ++i)
    {
        const float glyph[5] = {static_cast<float>(i % 10) / 10.0f, 0.2f,
                                static_cast<float>(i % 10 + 1) / 10.0f, 0.0f, 0.1f};
        put(glyph, sizeof glyph);
    }
    return bytes;
}

// The data folder, the file system, the recording render device with its particle library, the
// resource manager and the timer, made once.
void startEngine()
{
    static std::unique_ptr<Engine::cFileSystem> files;
    static std::unique_ptr<Engine::cRender> render;
    static std::unique_ptr<Engine::cResourceManager> manager;
    static std::unique_ptr<Engine::cTimer> timer;
    if (files)
        return;
    write("sys/constants.xml", "<constants><game app_directory=\"Layout Fuzz\"/></constants>");
    Platform::Image image;
    image.width = 16;
    image.height = 16;
    image.pixels.assign(16 * 16 * 4, 0xFF);
    const std::vector<uint8_t> png = Platform::encodePng(image);
    write("ui/a.png", std::string(png.begin(), png.end()));
    write("fonts/f.fnt", fontBytes());
    write("effects/e.xml",
          "<PyroEffect><Emitter Name=\"E\" Rate=\"30\" Burst=\"5\" Life=\"0.5\"/></PyroEffect>");
    files =
        std::make_unique<Engine::cFileSystem>(Engine::fromUtf8(std::filesystem::absolute("data").string()));
    Engine::cRenderPlatform platform;
    platform.system = std::make_unique<Platform::RecordingGfxSystem>();
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    render = std::make_unique<Engine::cRender>(std::move(platform),
                                               std::make_unique<Engine::cMemoryRenderConfigSource>());
    manager = std::make_unique<Engine::cResourceManager>();
    timer = std::make_unique<Engine::cTimer>();
}

// Builds the geometry of every view below `control` and copies the views that can be copied.
void exercise(Engine::cControl& control, int& budget)
{
    for (Engine::cControl* child :
         std::vector<Engine::cControl*>(control.getChildren().begin(), control.getChildren().end()))
    {
        if (--budget < 0)
            return;
        if (auto* view = dynamic_cast<Engine::cView*>(child))
        {
            for (const Engine::cQuad& quad : view->getSprites())
                (void)quad.corners[3].x;
            (void)view->hitTest({0.0f, 0.0f});
            delete new Engine::cView(*view);
        }
        exercise(*child, budget);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    startEngine();
    {
        Engine::cForm form;
        try
        {
            form.loadXML(
                Engine::cXmlProperties::fromBuffer(reinterpret_cast<const char*>(data), size, "ui/fuzz.xml"));
        }
        catch (...)
        {
            // A layout that does not load is an error for its loader to report; what was made
            // stays valid.
        }
        int budget = 2000;
        exercise(form, budget);
        Engine::cTimer::instance()->step();
        Engine::cControl::enabledPass();
        form.hide();
    }
    Engine::cControl::deletePending();
    Engine::cPyro::clearEffectFiles();
    return 0;
}
