#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cSingleton.h"
#include "engine/core/cVector2.h"
#include "engine/devices/cBatchRenderer.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cDeviceFactory.h"
#include "engine/devices/cMatrix.h"
#include "engine/devices/cQuad.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cRenderedFrame.h"
#include "platform/gfx/DisplayWindow.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxSystem.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Platform
{
class Window;
}

namespace PyroParticles
{
class IPyroParticleLibrary;
}

namespace Engine
{

struct cAppParams;
class cAlphaMask;
class cDebugFont;
class cPyroDevice;
struct cMeshRenderData;
struct cParticleDrawInfo;

// The graphics system and the window side the render device works with.
struct cRenderPlatform
{
    std::unique_ptr<Platform::GfxSystem> system;
    std::unique_ptr<Platform::DisplayWindow> window;
};

// OpenGL on the game window.
cRenderPlatform makeWindowRenderPlatform(Platform::Window& window);

// The engine's one graphics device and its window modes.
//
// The virtual screen is the configured size (settings "graphics"/"width" x "height", 800 x 600
// by default); views draw in its units. In a window the back buffer has exactly that size; in
// full screen the back buffer has the desktop's size (the video mode never changes) and the
// virtual screen is scaled into the largest centred 4:3 area, with black bars beside it.
//
// The particle library is made with the device, on a `cPyroDevice` of its own; everything the
// library makes lives in the managed pool, so a device reset leaves it alone.
//
// Each drawn frame runs `beginFrame` (recovers a lost device, applies a pending mode change and
// opens the frame), then the render pass hands over quads, meshes and particle effects, then
// `endFrame` clears, draws the batches in submission order, the letterbox bars and the
// statistics overlay, and closes the frame, and `present` shows it at once: the picture on the
// screen is the frame just drawn, never the one before it.
//
// The device keeps the last drawn frame in its back buffer (an offscreen target the window is
// shown from), so a frame is drawn only where it differs from that one (see `cRenderedFrame`):
// those rectangles are cleared and everything that reaches them is drawn again, in the usual
// order, clipped to them. A frame that would draw exactly the picture of the last drawn one is
// neither drawn nor presented (a still screen costs next to nothing). A new or reset device
// (a lost device, a new mode or size), an exposure of the window, a frame with debug text and a
// device that does not keep its frame draw it whole. A screenshot reads the kept frame.
//
// Its second face, `cDeviceFactory`, makes the device objects of resources.
class cRender : public cSingleton<cRender>, public cDeviceFactory
{
public:
    // Draws the debug text (the statistics overlay and `addDebugText`) in the back buffer; set
    // once the debug font exists. Without one the text is collected and dropped.
    using tDebugTextDrawer = std::function<void(const std::wstring& text, uint32_t argb)>;
    // Writes a screenshot: the file, the width, the height and the pixels (0xAARRGGBB, rows
    // top-down). Set by the image layer.
    using tScreenshotWriter = std::function<bool(const std::wstring& path, int width, int height,
                                                 const std::vector<uint32_t>& pixels)>;

    // The letterbox: where the virtual screen lies in a full-screen back buffer.
    struct tLetterbox
    {
        int fitWidth = 0;
        int fitHeight = 0;
        float scaleX = 1.0f;
        float scaleY = 1.0f;
        float offsetX = 0.0f;
        float offsetY = 0.0f;
    };

    // The render device (the factory face has an `instance` of its own).
    using cSingleton<cRender>::instance;

    // On the main window of the start-up record, with the engine's settings and constants.
    explicit cRender(cAppParams& params);
    cRender(cRenderPlatform platform, std::unique_ptr<cRenderConfigSource> config);
    ~cRender() override;

    // The particle library the particle views load their effects through.
    virtual PyroParticles::IPyroParticleLibrary* getParticleLibrary() const { return m_particles.get(); }
    // Recovers a lost device when it can be reset (else the frame is skipped), applies a
    // pending mode change and opens the frame. A window is placed again once the window
    // manager's frame around it is known, and goes full screen when that frame does not fit
    // the work area; a switch to a window that does not fit keeps full screen and writes
    // "fullscreen" back to the settings. Back from full screen the window stands where it stood
    // before (centred the first time).
    virtual void beginFrame();
    // Closes the frame and draws it, unless it would draw the picture the last drawn frame
    // left (see `cRenderedFrame`): then nothing is drawn and nothing is presented, since the
    // screen shows that picture already.
    virtual void endFrame();
    // Draws the next frame whole whatever it holds (the picture on the screen was lost or must
    // be drawn anew).
    virtual void redrawNextFrame();
    // Draws every changed frame whole, as frames were drawn before only their changes were:
    // for comparing the two ways.
    void setFullRedraw(bool full);
    // Shows the frame `endFrame` closed; nothing when there is none. A device lost on the way
    // is recovered by the next `beginFrame`.
    virtual void present();
    virtual int getHeight() const { return m_config.height; }
    virtual int getWidth() const { return m_config.width; }
    // Asks for the video mode to be applied again from the settings at the next `beginFrame`.
    virtual void setResetPending(bool pending) { m_resetPending = pending; }
    virtual bool isResetPending() const { return m_resetPending; }
    virtual unsigned getSpriteReserve() const { return m_batches.getReserve(); }
    // Makes the quad buffers again for `count` quads per buffer.
    virtual void reserveSprites(unsigned count);
    // Writes the part (left, top, right, bottom in virtual units; all 0: the whole virtual screen)
    // of the last finished frame to a file of the shared folder. Nothing for an empty path.
    virtual void takeScreenshot(const std::wstring& path, float left, float top, float right, float bottom);
    virtual void openParticleBatch(cParticleDrawInfo* particle);
    virtual void openMeshBatch(cMeshRenderData* mesh, int renderType);
    virtual void drawQuad(const cQuad& quad, const boost::shared_ptr<cBatchTexture>& texture, int renderType);
    // An empty path draws the quad without texture; otherwise the texture comes from the
    // resource manager.
    virtual void drawQuad(const cQuad& quad, const std::string& texturePath, int renderType);
    // Appends the text and "\n" to the debug text of this frame.
    virtual void addDebugText(const std::wstring& text);
    // Full screen: the window's rectangle; a window: the client area's (left, top, right,
    // bottom in screen pixels). False when the window cannot tell.
    virtual bool getWindowRect(float rect[4]);
    virtual void setWireframe(bool wireframe);
    // A slot kept in the device's interface for callers that hand it a value: it does nothing.
    virtual void ignore(int value);
    // A flag of the device's interface that nothing sets: always false.
    virtual bool getReservedFlag() const { return false; }
    // The alpha mask and the pixels of an image file (see cTextureFile).
    virtual bool loadAlphaMask(const std::string& path, cAlphaMask& mask);
    virtual bool loadImagePixels(const std::string& path, std::vector<cColor>& pixels, uint32_t& width,
                                 uint32_t& height);
    // Whether a window of the configured size with its frame fits the desktop's work area.
    virtual bool fitsWorkArea();
    // A point relative to the window (see `getWindowRect`) to virtual units; in and out may be one
    // object.
    virtual void screenToVirtual(const cVector2& in, cVector2& out);
    // A virtual point to screen pixels.
    virtual void virtualToScreen(const cVector2& in, cVector2& out);
    // Virtual units to the back buffer: identity in a window, the letterbox scale and offset in
    // full screen.
    virtual const cMatrix& getScreenMatrix() const { return m_screenMatrix; }
    virtual const cMatrix& getProjection() const { return m_projection; }
    virtual const cMatrix& getViewMatrix() const { return m_view; }

    Platform::GfxDevice* getDevice() const override { return m_device.get(); }
    // The graphics device the particle library draws through.
    cPyroDevice* getPyroDevice() const { return m_pyroDevice.get(); }
    bool isFullscreen() const { return m_fullscreen; }
    const tLetterbox& getLetterbox() const { return m_letterbox; }
    const Platform::DisplayMode& getDesktopMode() const { return m_desktop; }
    // The settings and constants the device reads; the application writes "graphics"/
    // "fullscreen" here before it asks for a reset.
    cRenderConfigSource& getConfigSource() { return *m_configSource; }
    const cRenderConfig& getConfig() const { return m_config; }
    const std::vector<cLightConfig>& getLightConfigs() const { return m_config.lights; }
    // Writes "graphics"/"width", "height", "fullscreen" and "reserve_sprite_count".
    void saveSettings();
    // Gives up the device objects, applies the video mode and resets the device.
    void resetDevice();
    // Frames drawn into the back buffer, and frames not drawn because they repeated the last
    // drawn one, since the device was made.
    uint64_t getDrawnFrameCount() const { return m_drawnFrames; }
    uint64_t getRepeatedFrameCount() const { return m_repeatedFrames; }
    // Of the drawn frames, those drawn only in part, and the pixels they drew over.
    uint64_t getPartFrameCount() const { return m_partFrames; }
    uint64_t getPartPixelCount() const { return m_partPixels; }
    // Set when the device was made or reset, cleared at the end of the next drawn frame.
    bool isDeviceRecreated() const { return m_deviceRecreated; }
    float getFps() const { return m_fps; }
    // The triangles drawn in the frame so far (cleared by the statistics overlay).
    uint32_t getTriangleCount() const { return m_triangles; }
    const cBatchRenderer& getBatchRenderer() const { return m_batches; }
    const cMatrix& getViewProjectionTransposed() const { return m_viewProjectionT; }
    const Platform::Material& getMaterial() const { return m_material; }
    void setDebugTextDrawer(tDebugTextDrawer drawer) { m_debugTextDrawer = std::move(drawer); }
    void setScreenshotWriter(tScreenshotWriter writer) { m_screenshotWriter = std::move(writer); }
    // Reads the back buffer under a virtual rectangle (all 0: the whole virtual screen).
    bool captureScreen(float left, float top, float right, float bottom, int& width, int& height,
                       std::vector<uint32_t>& pixels);

private:
    // Shuts the library down (releasing what it made on the device) and destroys it.
    struct tParticleLibraryDeleter
    {
        void operator()(PyroParticles::IPyroParticleLibrary* library) const;
    };

    Platform::Format chooseDepthFormat(Platform::Format display);
    void applyVideoMode();
    void applyDeviceStates();
    void createParticleLibrary();
    void createBorderQuads();
    // Clears the back buffer and draws the closed frame's batches, the letterbox bars and the
    // debug text into it; with `clip`, only inside those rectangles (not overlapping).
    void drawFrame(const std::vector<Platform::PixelRect>* clip);
    uint32_t clearColor() const;
    std::wstring statisticsText() const;
    void updateFramesPerSecond();

    // Platform.
    std::unique_ptr<Platform::GfxSystem> m_system;
    std::unique_ptr<Platform::DisplayWindow> m_window;
    std::unique_ptr<cRenderConfigSource> m_configSource;
    std::unique_ptr<Platform::GfxDevice> m_device;

    // Mode.
    bool m_fullscreen = false;
    bool m_resetPending = false;
    // True when the last scene has been presented (nothing to present).
    bool m_presented = true;
    // Set when a present found the device lost; the next frame waits for its reset.
    bool m_deviceLost = false;
    bool m_sceneOpen = false;
    bool m_deviceRecreated = true;
    bool m_wireframe = false;
    // The back buffer holds the picture of the last drawn frame (false after a reset, and after
    // a present of a device that does not keep its frame).
    bool m_backBufferHoldsFrame = false;
    // `Platform::GfxTexture::decodedBytes()` when the free memory last went back to the system.
    uint64_t m_decodedAtMemoryReturn = 0;

    cRenderConfig m_config;

    // Desktop.
    Platform::DisplayMode m_desktop;
    Platform::WindowRect m_workArea;
    // The frame (by side) the window was last placed for.
    Platform::WindowRect m_placedFrame;
    // Whether the window has been placed in a window at all, and where its client area stood
    // when it last went full screen from one.
    bool m_windowPlaced = false;
    std::optional<Platform::WindowRect> m_windowedClient;
    Platform::Format m_fullscreenDepth = Platform::Format::D24S8;
    Platform::Format m_windowDepth = Platform::Format::D24S8;
    tLetterbox m_letterbox;

    cMatrix m_projection;
    cMatrix m_view;
    cMatrix m_viewProjectionT;
    cMatrix m_screenMatrix;
    Platform::PresentParams m_presentParams;
    Platform::Material m_material;

    cBatchRenderer m_batches;
    cRenderedFrame m_renderedFrame;
    uint64_t m_drawnFrames = 0;
    uint64_t m_repeatedFrames = 0;
    uint64_t m_partFrames = 0;
    uint64_t m_partPixels = 0;
    bool m_fullRedraw = false;
    std::shared_ptr<Platform::GfxVertexBuffer> m_borders;

    // Statistics.
    uint32_t m_triangles = 0;
    float m_lastFpsTime = 0.0f;
    float m_fps = 0.0f;
    uint32_t m_fpsFrames = 0;

    std::wstring m_debugText;
    tDebugTextDrawer m_debugTextDrawer;
    // Made on the first debug text, so a device that never shows any needs no font.
    std::unique_ptr<cDebugFont> m_debugFont;
    tScreenshotWriter m_screenshotWriter;

    // Particles. The library is declared last, so that it goes first, then its device, and both
    // before the graphics device.
    std::unique_ptr<cPyroDevice> m_pyroDevice;
    std::unique_ptr<PyroParticles::IPyroParticleLibrary, tParticleLibraryDeleter> m_particles;
};

} // namespace Engine
