#pragma once

#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <memory>
#include <string>
#include <vector>

namespace RenderTest
{

// A texture resource as the batches see it: a device texture and its coordinate scale.
class cTestTexture final : public Engine::cBatchTexture
{
public:
    cTestTexture(Platform::GfxDevice& device, int width = 4, int height = 4)
    {
        device.createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8, Platform::Pool::Managed,
                             m_texture);
    }
    std::shared_ptr<Platform::GfxTexture> getDeviceTexture() const override { return m_texture; }
    Engine::cVector2 getCoordinateScale() const override { return m_scale; }
    void setScale(float u, float v) { m_scale = Engine::cVector2(u, v); }

private:
    std::shared_ptr<Platform::GfxTexture> m_texture;
    Engine::cVector2 m_scale{1.0f, 1.0f};
};

// The parts a render device under test is made of, kept reachable after they are handed over.
struct cRenderParts
{
    std::unique_ptr<Platform::RecordingGfxSystem> system = std::make_unique<Platform::RecordingGfxSystem>();
    std::unique_ptr<Platform::FakeDisplayWindow> window = std::make_unique<Platform::FakeDisplayWindow>();
    std::unique_ptr<Engine::cMemoryRenderConfigSource> config =
        std::make_unique<Engine::cMemoryRenderConfigSource>();

    Platform::RecordingGfxSystem* systemView = system.get();
    Platform::FakeDisplayWindow* windowView = window.get();
    Engine::cMemoryRenderConfigSource* configView = config.get();

    void setting(const wchar_t* key, const std::wstring& value)
    {
        config->settings[{L"graphics", key}] = value;
    }
    void constant(const wchar_t* group, const wchar_t* key, const std::wstring& value)
    {
        config->constants[{group, key}] = value;
    }
    void desktop(int width, int height)
    {
        system->mode.width = width;
        system->mode.height = height;
        window->work = {0, 0, width, height};
    }

    // Hands the parts to a new render device.
    std::unique_ptr<Engine::cRender> make()
    {
        Engine::cRenderPlatform platform;
        platform.system = std::move(system);
        platform.window = std::move(window);
        return std::make_unique<Engine::cRender>(std::move(platform), std::move(config));
    }
};

inline Platform::RecordingGfxDevice& recording(Engine::cRender& render)
{
    return static_cast<Platform::RecordingGfxDevice&>(*render.getDevice());
}

inline Engine::cQuad quadAt(float left, float top, float right, float bottom, uint32_t color = 0xFFFFFFFFu)
{
    Engine::cQuad quad;
    quad.setRect(left, top, right, bottom);
    quad.setColor(color);
    return quad;
}

// The back buffer of the render device's last frame, `width` pixels wide.
inline std::vector<uint32_t> readBack(Engine::cRender& render, int& width)
{
    const auto& params = render.getDevice()->presentParams();
    width = params.backBufferWidth;
    std::vector<uint32_t> pixels;
    EXPECT_EQ(render.getDevice()->readBackBuffer({0, 0, width, params.backBufferHeight}, pixels),
              Platform::GfxError::Ok);
    return pixels;
}

} // namespace RenderTest
