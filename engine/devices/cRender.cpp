#include "engine/devices/cRender.h"

#include "engine/core/cAppParams.h"
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/Screenshot.h"
#include "engine/devices/cDebugFont.h"
#include "engine/devices/cPyroDevice.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTextureFile.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/gfx/SdlDisplayWindow.h"
#include "platform/particles/IPyroParticleLibrary.h"
#include "platform/particles/PyroTypes.h"
#include "platform/system/Clock.h"
#include "platform/system/SystemInfo.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

namespace Engine
{

using Platform::Blend;
using Platform::BlendOp;
using Platform::Compare;
using Platform::CullMode;
using Platform::Format;
namespace GfxError = Platform::GfxError;
using Platform::GfxResult;
using Platform::RenderState;
using Platform::StageState;
using Platform::TextureAddress;
using Platform::TextureArg;
using Platform::TextureFilter;
using Platform::TextureOp;

namespace
{

constexpr uint32_t QuadFvf = cBatchRenderer::QuadFvf;
// Decoded picture bytes after which a presented frame hands the free heap back to the system:
// more than a loading screen decodes (5 MB), less than the first frame of a level or the main
// menu (8 to 10 MB).
constexpr uint64_t kReturnMemoryAfterDecodedBytes = 6u << 20;

cRenderPlatform windowPlatform(cAppParams& params)
{
    // Without a window there is nothing to draw into; the construction fails like a missing
    // graphics system.
    if (!params.window)
        return cRenderPlatform();
    return makeWindowRenderPlatform(*params.window);
}

} // namespace

cRenderPlatform makeWindowRenderPlatform(Platform::Window& window)
{
    cRenderPlatform platform;
    platform.system = Platform::GlGfxSystem::forWindow(window);
    platform.window = std::make_unique<Platform::SdlDisplayWindow>(window);
    return platform;
}

cRender::cRender(cAppParams& params) : cRender(windowPlatform(params), makeEngineRenderConfigSource()) {}

cRender::cRender(cRenderPlatform platform, std::unique_ptr<cRenderConfigSource> config)
    : m_system(std::move(platform.system)), m_window(std::move(platform.window)),
      m_configSource(config ? std::move(config) : makeEngineRenderConfigSource())
{
    if (!m_system || !m_window)
        throw "Can't create Direct3D.";

    m_workArea = m_window->workArea();
    const GfxResult mode = m_system->getDisplayMode(m_desktop);
    if (Platform::gfxFailed(mode))
        throwD3DError(mode, "GetAdapterDisplayMode(...)");

    // The largest 4:3 area of the desktop.
    m_letterbox.fitWidth = std::min(m_desktop.width, m_desktop.height * 4 / 3);
    m_letterbox.fitHeight = std::min(m_desktop.height, m_desktop.width * 3 / 4);
    m_letterbox.offsetX = static_cast<float>(m_desktop.width - m_letterbox.fitWidth) * 0.5f;
    m_letterbox.offsetY = static_cast<float>(m_desktop.height - m_letterbox.fitHeight) * 0.5f;

    m_fullscreenDepth = chooseDepthFormat(m_desktop.format);
    m_windowDepth = m_fullscreenDepth;

    m_presentParams = Platform::PresentParams();
    applyVideoMode();
    m_window->show();

    const GfxResult created = m_system->createDevice(m_presentParams, m_device);
    // Without a device every later call would fail: report it at once.
    if (Platform::gfxFailed(created) || !m_device)
        throwD3DError(Platform::gfxFailed(created) ? created : GfxError::Fail, "CreateDevice(...)");
    m_batches.setDevice(m_device.get());
    m_batches.setLightConfigs(&m_config.lights);

    m_batches.reserve(m_config.reserveSpriteCount);
    m_config.reserveSpriteCount = m_batches.getReserve();
    const Platform::ColorValue white{1.0f, 1.0f, 1.0f, 1.0f};
    m_material.diffuse = white;
    m_material.ambient = white;
    m_material.specular = white;
    m_material.emissive = white;
    m_material.power = 7.0f;
    m_batches.setMaterial(m_material);
    applyDeviceStates();

    m_screenshotWriter = &writeScreenshot;
    m_debugTextDrawer = [this](const std::wstring& text, uint32_t argb)
    {
        if (!m_debugFont)
            m_debugFont = std::make_unique<cDebugFont>(*m_device);
        m_debugFont->draw(text, argb);
    };
}

cRender::~cRender()
{
    m_particles.reset();
    m_pyroDevice.reset();
    saveSettings();
    m_borders.reset();
    m_batches.release();
    m_batches.setDevice(nullptr);
    m_device.reset();
    m_system.reset();
}

Format cRender::chooseDepthFormat(Format display)
{
    if (m_system->supportsDepthStencil(display, Format::D24S8))
        return Format::D24S8;
    if (m_system->supportsDepthStencil(display, Format::D15S1))
        return Format::D15S1;
    throw "Default video card dosn't support stensil buffer.";
}

void cRender::saveSettings()
{
    cRenderConfig written = m_config;
    written.fullscreen = m_fullscreen;
    writeRenderSettings(*m_configSource, written);
}

// --- Window modes --------------------------------------------------------------------------------

bool cRender::fitsWorkArea()
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    m_window->frameSize(left, top, right, bottom);
    const int width = m_config.width + left + right;
    const int height = m_config.height + top + bottom;
    return width <= m_workArea.width() && height <= m_workArea.height();
}

void cRender::applyVideoMode()
{
    readRenderSettings(*m_configSource, m_config);
    readRenderConstants(*m_configSource, m_config);
    m_workArea = m_window->workArea();
    // A window the player may have moved is left for full screen: where its client area stands
    // is where it comes back.
    Platform::WindowRect client;
    if (m_windowPlaced && !m_fullscreen && m_config.fullscreen && m_window->getRect(false, client))
        m_windowedClient = client;
    m_fullscreen = m_config.fullscreen;
    if (!m_fullscreen && !fitsWorkArea())
    {
        m_fullscreen = true;
        m_config.fullscreen = true;
        m_configSource->setSetting(L"graphics", L"fullscreen", true);
    }

    m_letterbox.scaleX = static_cast<float>(m_letterbox.fitWidth) / static_cast<float>(m_config.width);
    m_letterbox.scaleY = static_cast<float>(m_letterbox.fitHeight) / static_cast<float>(m_config.height);

    Platform::PresentParams& p = m_presentParams;
    if (m_fullscreen)
    {
        m_window->enterFullscreen(m_desktop.width, m_desktop.height);
        p.backBufferWidth = m_desktop.width;
        p.backBufferHeight = m_desktop.height;
        p.backBufferFormat = m_desktop.format;
        m_windowDepth = m_fullscreenDepth;
        p.windowed = false;
        p.interval = Platform::PresentInterval::Immediate;
    }
    else
    {
        Platform::DisplayMode mode = m_desktop;
        const GfxResult read = m_system->getDisplayMode(mode);
        if (Platform::gfxFailed(read))
            throwD3DError(read, "GetAdapterDisplayMode(...)");
        m_windowDepth = chooseDepthFormat(mode.format);

        // The client area where it stood before full screen, or centred in the work area the
        // first time; moved down and right when its frame would start above or left of the work
        // area, and up and left (where it fits) when it would end past it.
        int frameLeft = 0;
        int frameTop = 0;
        int frameRight = 0;
        int frameBottom = 0;
        m_window->frameSize(frameLeft, frameTop, frameRight, frameBottom);
        int left = m_workArea.left +
                   static_cast<int>(static_cast<float>(m_workArea.width() - m_config.width) * 0.5f) -
                   frameLeft;
        int top = m_workArea.top +
                  static_cast<int>(static_cast<float>(m_workArea.height() - m_config.height) * 0.5f) -
                  frameTop;
        if (m_windowedClient)
        {
            left = std::min(m_windowedClient->left - frameLeft,
                            m_workArea.right - m_config.width - frameLeft - frameRight);
            top = std::min(m_windowedClient->top - frameTop,
                           m_workArea.bottom - m_config.height - frameTop - frameBottom);
        }
        left = std::max(left, m_workArea.left);
        top = std::max(top, m_workArea.top);
        m_window->placeWindow(left + frameLeft, top + frameTop, m_config.width, m_config.height);
        m_windowPlaced = true;
        m_placedFrame = {frameLeft, frameTop, frameRight, frameBottom};
        p.backBufferWidth = m_config.width;
        p.backBufferHeight = m_config.height;
        p.backBufferFormat = mode.format;
        p.windowed = true;
        p.interval = Platform::PresentInterval::Default;
    }
    p.autoDepthStencil = true;
    p.depthStencilFormat = m_windowDepth;

    cBatchRenderer::tPlacement placement;
    placement.fullscreen = m_fullscreen;
    placement.scaleX = m_letterbox.scaleX;
    placement.scaleY = m_letterbox.scaleY;
    placement.offsetX = m_letterbox.offsetX;
    placement.offsetY = m_letterbox.offsetY;
    m_batches.setPlacement(placement);
}

void cRender::applyDeviceStates()
{
    Platform::GfxDevice& d = *m_device;
    d.changeRenderState(RenderState::AlphaBlendEnable, 1u);
    d.changeRenderState(RenderState::AlphaTestEnable, 1u);
    d.changeRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    d.changeRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
    d.changeRenderState(RenderState::AlphaFunc, Compare::Greater);
    d.changeRenderState(RenderState::BlendOp, BlendOp::Add);
    d.changeRenderState(RenderState::AlphaRef, 0u);
    d.changeRenderState(RenderState::Lighting, 0u);
    d.changeRenderState(RenderState::CullMode, CullMode::None);
    d.changeRenderState(RenderState::ZEnable, 0u);
    d.changeRenderState(RenderState::ZWriteEnable, 0u);

    d.changeTextureStageState(0, StageState::AlphaOp, TextureOp::Modulate);
    d.changeTextureStageState(0, StageState::AlphaArg1, TextureArg::Diffuse);
    d.changeTextureStageState(0, StageState::AlphaArg2, TextureArg::Texture);
    d.changeTextureStageState(0, StageState::ColorOp, TextureOp::Modulate);
    d.changeTextureStageState(0, StageState::ColorArg1, TextureArg::Diffuse);
    d.changeTextureStageState(0, StageState::ColorArg2, TextureArg::Texture);
    d.changeTextureStageState(0, StageState::TexCoordIndex, 0u);
    d.changeTextureStageState(0, StageState::AddressU, TextureAddress::Clamp);
    d.changeTextureStageState(0, StageState::AddressV, TextureAddress::Clamp);

    const float backWidth = static_cast<float>(m_presentParams.backBufferWidth);
    const float backHeight = static_cast<float>(m_presentParams.backBufferHeight);
    // y grows downwards.
    m_projection = cMatrix::orthoOffCenterLH(0.0f, backWidth, backHeight, 0.0f, -8000.0f, 8000.0f);
    if (m_fullscreen)
    {
        m_screenMatrix = cMatrix::scaling(m_letterbox.scaleX, m_letterbox.scaleY, 1.0f) *
                         cMatrix::translation(m_letterbox.offsetX, m_letterbox.offsetY, 0.0f);
        createBorderQuads();
    }
    else
        m_screenMatrix.identity();
    m_view.identity();
    d.setMaterial(m_material);
    d.setTransform(Platform::TransformType::Projection, m_projection.toDevice());
    d.setTransform(Platform::TransformType::View, m_view.toDevice());
    d.setTransform(Platform::TransformType::World, m_view.toDevice());
    m_viewProjectionT = m_view * m_projection;
    m_viewProjectionT.transpose();
    m_batches.setScreenMatrix(m_screenMatrix);
    if (!m_particles)
        createParticleLibrary();
    // The particle batches of the next drawn frame place their emitters again.
    m_deviceRecreated = true;
}

void cRender::createParticleLibrary()
{
    m_particles.reset(CreateParticleLibrary(PyroParticles::kPyroVersion));
    m_pyroDevice = std::make_unique<cPyroDevice>(*m_device, m_particles->getQuadCount());
    m_particles->setDevice(m_pyroDevice.get());
}

void cRender::tParticleLibraryDeleter::operator()(PyroParticles::IPyroParticleLibrary* library) const
{
    library->shutdown();
    DestroyParticleLibrary(library);
}

void cRender::createBorderQuads()
{
    m_borders.reset();
    const uint32_t usage = Platform::Usage::WriteOnly | Platform::Usage::Dynamic;
    const uint32_t size = 12 * sizeof(cQuadVertex);
    if (Platform::gfxFailed(
            m_device->createVertexBuffer(size, usage, QuadFvf, Platform::Pool::Default, m_borders)) &&
        Platform::gfxFailed(
            m_device->createVertexBuffer(size, usage, QuadFvf, Platform::Pool::Managed, m_borders)))
    {
        // Without the bars the picture is still right; the outside keeps the clear colour.
        m_borders.reset();
        return;
    }
    void* locked = nullptr;
    if (Platform::gfxFailed(m_borders->lock(0, size, &locked, Platform::Lock::Discard)))
    {
        m_borders.reset();
        return;
    }
    cQuadVertex* v = static_cast<cQuadVertex*>(locked);
    for (int i = 0; i < 12; ++i)
        v[i] = cQuadVertex{0.0f, 0.0f, 0.0f, 0u, 0.0f, 0.0f};
    if (!m_config.noBorders)
    {
        const float w = static_cast<float>(m_desktop.width);
        const float h = static_cast<float>(m_desktop.height);
        const float ox = m_letterbox.offsetX;
        const float oy = m_letterbox.offsetY;
        auto set = [v](int i, float x, float y) { v[i] = cQuadVertex{x, y, 0.0f, 0xFF000000u, 0.0f, 0.0f}; };
        if (ox > 0.0f)
        {
            // Bars left and right.
            const float shift = static_cast<float>(m_letterbox.fitWidth) + ox;
            const float points[6][2] = {{0, 0}, {ox, oy}, {ox, h}, {0, 0}, {ox, h}, {0, h}};
            for (int i = 0; i < 6; ++i)
            {
                set(i, points[i][0], points[i][1]);
                set(i + 6, points[i][0] + shift, points[i][1]);
            }
        }
        else
        {
            // Bars above and below.
            const float shift = static_cast<float>(m_letterbox.fitHeight) + oy;
            const float points[6][2] = {{0, 0}, {w, 0}, {w, oy}, {0, 0}, {w, oy}, {0, oy}};
            for (int i = 0; i < 6; ++i)
            {
                set(i, points[i][0], points[i][1]);
                set(i + 6, points[i][0], points[i][1] + shift);
            }
        }
    }
    m_borders->unlock();
}

void cRender::reserveSprites(unsigned count)
{
    const bool open = m_batches.isFrameOpen();
    m_batches.reserve(count);
    m_config.reserveSpriteCount = m_batches.getReserve();
    if (open)
        m_batches.beginFrame();
}

void cRender::resetDevice()
{
    m_deviceRecreated = true;
    m_backBufferHoldsFrame = false;
    m_renderedFrame.forget();
    m_borders.reset();
    m_batches.release();
    applyVideoMode();
    GfxResult result = m_device->reset(m_presentParams);
    // A device that is still lost comes back after a while, so that is waited for. Any other
    // failure (a default-pool object still alive, a back buffer that cannot be made) fails
    // again at every try: waiting would freeze the game without a word, so it is thrown to the
    // fatal error path instead.
    while (result == GfxError::DeviceLost)
    {
        Platform::sleepMs(100);
        applyVideoMode();
        result = m_device->reset(m_presentParams);
    }
    if (Platform::gfxFailed(result))
        throwD3DError(result, "Reset(...)");
    applyDeviceStates();
    m_batches.reserve(m_config.reserveSpriteCount);
    m_resetPending = false;
    m_window->restoreAndActivate();
}

// --- The frame -----------------------------------------------------------------------------------

void cRender::beginFrame()
{
    if (m_deviceLost)
    {
        if (m_device->testCooperativeLevel() != GfxError::DeviceNotReset)
        {
            // Skip the frame until the device can be reset.
            Platform::sleepMs(10);
            return;
        }
        resetDevice();
        m_deviceLost = false;
    }
    // A window's frame is known only once the window manager has framed it: a window placed
    // for another frame is placed again, and one whose frame does not fit goes full screen.
    if (!m_fullscreen && !m_resetPending)
    {
        Platform::WindowRect frame;
        m_window->frameSize(frame.left, frame.top, frame.right, frame.bottom);
        m_resetPending = frame.left != m_placedFrame.left || frame.top != m_placedFrame.top ||
                         frame.right != m_placedFrame.right || frame.bottom != m_placedFrame.bottom;
    }
    // A switch to a window that does not fit is not left pending: the reset keeps full screen
    // and writes it back to the settings, so that the settings say what the screen shows.
    if (m_resetPending)
        resetDevice();
    m_batches.beginFrame();
    m_sceneOpen = true;
    updateFramesPerSecond();
}

void cRender::present()
{
    if (m_presented)
        return;
    m_presented = true;
    // What a swap leaves in the back buffer is undefined, unless the device keeps the frame.
    m_backBufferHoldsFrame = m_backBufferHoldsFrame && m_device->keepsFrame();
    if (m_device->present() == GfxError::DeviceLost)
        m_deviceLost = true;
    // Decoding many pictures (a new screen or level) has let their decoding buffers go again,
    // and the pictures of the screen before were released as it opened: the free memory goes
    // back to the system, so that the program's size follows what it holds rather than what its
    // busiest start once needed.
    const uint64_t decoded = Platform::GfxTexture::decodedBytes();
    if (decoded - m_decodedAtMemoryReturn >= kReturnMemoryAfterDecodedBytes)
    {
        m_decodedAtMemoryReturn = decoded;
        Platform::returnFreeMemory();
    }
}

void cRender::updateFramesPerSecond()
{
    const cTimer* timer = cTimer::instance();
    if (!timer)
        return;
    const float now = timer->getTime();
    const float elapsed = now - m_lastFpsTime;
    if (elapsed <= 0.2f)
    {
        ++m_fpsFrames;
        return;
    }
    m_lastFpsTime = now;
    m_fps = static_cast<float>(m_fpsFrames) / elapsed;
    m_fpsFrames = 0;
}

void cRender::endFrame()
{
    if (!m_sceneOpen)
        return;
    m_batches.endFrame();
    m_sceneOpen = false;
    // Only what changed since the last drawn frame is drawn, over that frame as the device kept
    // it; a frame that would draw the picture already drawn is not drawn again, and not shown
    // again once shown. With a software rasteriser every pixel drawn costs, and most of a
    // level's screen stands still from frame to frame.
    // A new or reset device and a window whose picture the window system lost (an exposure,
    // a new size) draw it whole all the same; so does a frame with debug text.
    const bool damaged = m_window->takeDamage();
    if (m_deviceRecreated || damaged)
        m_renderedFrame.forget();
    const bool comparable =
        m_debugText.empty() && !m_config.showFps && !m_config.showTriangles && !m_config.showCursorPos;
    if (!comparable)
        m_renderedFrame.forget();
    cRenderedFrame::tSettings settings;
    settings.clearColor = clearColor();
    settings.wireframe = m_wireframe;
    settings.width = m_presentParams.backBufferWidth;
    settings.height = m_presentParams.backBufferHeight;
    const bool partial = m_device->keepsFrame() && m_backBufferHoldsFrame && !m_fullRedraw;
    const cRenderedFrame::tChange& change =
        m_renderedFrame.compare(m_batches, settings, partial, m_deviceRecreated);
    if (!comparable)
        m_renderedFrame.forget();
    if (change.none)
    {
        ++m_repeatedFrames;
        return;
    }
    drawFrame(change.whole ? nullptr : &change.rects);
    m_presented = false;
}

uint32_t cRender::clearColor() const
{
    return m_config.showTriangles ? 0xFF000000u : m_config.backColor;
}

void cRender::drawFrame(const std::vector<Platform::PixelRect>* clip)
{
    Platform::GfxDevice& d = *m_device;
    const uint32_t clearFlags =
        Platform::ClearFlag::Target | Platform::ClearFlag::ZBuffer | Platform::ClearFlag::Stencil;
    if (!clip)
        d.clear(clearFlags, clearColor(), 0.0f, 0);
    else
        for (const Platform::PixelRect& rect : *clip)
        {
            d.setClipRect(&rect);
            d.clear(clearFlags, clearColor(), 0.0f, 0);
        }
    d.setClipRect(nullptr);
    d.beginScene();
    m_triangles += m_batches.drawBatches(m_viewProjectionT, m_deviceRecreated, clip);
    m_deviceRecreated = false;
    d.changeRenderState(RenderState::StencilEnable, 0u);
    ++m_drawnFrames;
    if (clip)
    {
        ++m_partFrames;
        for (const Platform::PixelRect& rect : *clip)
            m_partPixels += static_cast<uint64_t>(rect.right - rect.left) * (rect.bottom - rect.top);
    }

    if (m_fullscreen && m_borders)
    {
        d.changeRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
        d.changeRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
        d.setVertexShader(QuadFvf);
        d.setTexture(0, nullptr);
        d.setStreamSource(0, m_borders, sizeof(cQuadVertex));
        if (!clip)
            d.drawPrimitive(Platform::PrimitiveType::TriangleList, 0, 4);
        else
            for (const Platform::PixelRect& rect : *clip)
            {
                d.setClipRect(&rect);
                d.drawPrimitive(Platform::PrimitiveType::TriangleList, 0, 4);
            }
        d.setClipRect(nullptr);
    }

    const std::wstring statistics = statisticsText();
    if (!statistics.empty())
        addDebugText(statistics);
    m_triangles = 0;
    if (!m_debugText.empty() && m_debugTextDrawer)
        m_debugTextDrawer(m_debugText, 0xFFFF0000u);
    m_debugText.clear();

    d.endScene();
    m_backBufferHoldsFrame = true;
}

void cRender::redrawNextFrame()
{
    m_renderedFrame.forget();
}

void cRender::setFullRedraw(bool full)
{
    m_fullRedraw = full;
}

std::wstring cRender::statisticsText() const
{
    std::wostringstream text;
    text.imbue(std::locale::classic());
    const cLogic* logic = cLogic::instance();
    if (m_config.showFps)
    {
        const cTimer* timer = cTimer::instance();
        text << L"FPS: " << m_fps << L"\n";
        text << L"PPS: " << (logic ? logic->getFps() : 0.0f) << L"\n";
        text << L"TPS: " << (timer ? timer->getFps() : 0.0f) << L"\n";
    }
    if (m_config.showTriangles)
        text << L"Triangles: " << m_triangles << L"\n";
    if (m_config.showCursorPos && logic)
    {
        const cVector2& mouse = logic->getMousePosition();
        text << L"X: " << mouse.x << L"\nY: " << mouse.y << L"\n";
    }
    return text.str();
}

void cRender::addDebugText(const std::wstring& text)
{
    m_debugText += text;
    m_debugText += L"\n";
}

// --- Batches -------------------------------------------------------------------------------------

void cRender::openParticleBatch(cParticleDrawInfo* particle)
{
    m_batches.openParticleBatch(particle);
}

void cRender::openMeshBatch(cMeshRenderData* mesh, int renderType)
{
    m_batches.openMeshBatch(mesh, static_cast<uint32_t>(renderType));
}

void cRender::drawQuad(const cQuad& quad, const boost::shared_ptr<cBatchTexture>& texture, int renderType)
{
    m_batches.drawQuad(quad, texture.get(), static_cast<uint32_t>(renderType));
}

void cRender::drawQuad(const cQuad& quad, const std::string& texturePath, int renderType)
{
    if (texturePath.empty())
    {
        m_batches.drawQuad(quad, nullptr, static_cast<uint32_t>(renderType));
        return;
    }
    cResourceManager* resources = cResourceManager::instance();
    const boost::shared_ptr<cResource> resource =
        resources ? resources->getTextureResource(texturePath) : boost::shared_ptr<cResource>();
    const boost::shared_ptr<cBatchTexture> texture = boost::dynamic_pointer_cast<cBatchTexture>(resource);
    m_batches.drawQuad(quad, texture.get(), static_cast<uint32_t>(renderType));
}

bool cRender::loadAlphaMask(const std::string& path, cAlphaMask& mask)
{
    return cTextureFile::readAlphaMask(path, mask);
}

bool cRender::loadImagePixels(const std::string& path, std::vector<cColor>& pixels, uint32_t& width,
                              uint32_t& height)
{
    return cTextureFile::readImagePixels(path, pixels, width, height);
}

void cRender::ignore(int) {}

void cRender::setWireframe(bool wireframe)
{
    m_device->changeRenderState(RenderState::FillMode,
                                wireframe ? Platform::FillMode::Wireframe : Platform::FillMode::Solid);
    m_wireframe = wireframe;
    m_batches.setWireframe(wireframe);
}

// --- Coordinates ---------------------------------------------------------------------------------

bool cRender::getWindowRect(float rect[4])
{
    Platform::WindowRect window;
    if (!m_window->getRect(m_fullscreen, window))
        return false;
    rect[0] = static_cast<float>(window.left);
    rect[1] = static_cast<float>(window.top);
    rect[2] = static_cast<float>(window.right);
    rect[3] = static_cast<float>(window.bottom);
    return true;
}

void cRender::screenToVirtual(const cVector2& in, cVector2& out)
{
    out = in;
    if (m_fullscreen)
    {
        out.x = (out.x - m_letterbox.offsetX) / m_letterbox.scaleX;
        out.y = (out.y - m_letterbox.offsetY) / m_letterbox.scaleY;
    }
}

void cRender::virtualToScreen(const cVector2& in, cVector2& out)
{
    float rect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (!getWindowRect(rect))
        rect[0] = rect[1] = 0.0f;
    out = cVector2(in.x + rect[0], in.y + rect[1]);
    if (m_fullscreen)
    {
        out.x = out.x * m_letterbox.scaleX + m_letterbox.offsetX;
        out.y = out.y * m_letterbox.scaleY + m_letterbox.offsetY;
    }
}

// --- Screenshots ---------------------------------------------------------------------------------

bool cRender::captureScreen(float left, float top, float right, float bottom, int& width, int& height,
                            std::vector<uint32_t>& pixels)
{
    width = height = 0;
    pixels.clear();
    if (left == 0.0f && top == 0.0f && right == 0.0f && bottom == 0.0f)
    {
        right = static_cast<float>(m_config.width);
        bottom = static_cast<float>(m_config.height);
    }
    cVector2 from(left, top);
    cVector2 to(right, bottom);
    if (m_fullscreen)
    {
        from = cVector2(from.x * m_letterbox.scaleX + m_letterbox.offsetX,
                        from.y * m_letterbox.scaleY + m_letterbox.offsetY);
        to = cVector2(to.x * m_letterbox.scaleX + m_letterbox.offsetX,
                      to.y * m_letterbox.scaleY + m_letterbox.offsetY);
    }
    Platform::PixelRect rect;
    rect.left = std::max(0, static_cast<int>(std::lround(from.x)));
    rect.top = std::max(0, static_cast<int>(std::lround(from.y)));
    rect.right = std::min(m_presentParams.backBufferWidth, static_cast<int>(std::lround(to.x)));
    rect.bottom = std::min(m_presentParams.backBufferHeight, static_cast<int>(std::lround(to.y)));
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return false;
    // A frame that was not drawn because it repeated the last one is drawn now: the back
    // buffer may hold nothing since that one was shown.
    if (!m_backBufferHoldsFrame && !m_sceneOpen && !m_deviceLost && m_renderedFrame.isRecorded())
        drawFrame(nullptr);
    if (Platform::gfxFailed(m_device->readBackBuffer(rect, pixels)))
        return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    return true;
}

void cRender::takeScreenshot(const std::wstring& path, float left, float top, float right, float bottom)
{
    if (path.empty() || !m_screenshotWriter)
        return;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    if (captureScreen(left, top, right, bottom, width, height, pixels))
        m_screenshotWriter(path, width, height, pixels);
}

} // namespace Engine
