#include "platform/gfx/GlCallError.h"
#include "platform/gfx/GlGfxSystem.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>

using namespace Platform;

// A driver error stops the program at the GL call that found it, naming the call and the error,
// instead of turning up later as wrong pixels; once reported, the device goes on working.
TEST(GlCallCheck, ADriverErrorStopsTheDeviceNamingTheCallAndTheError)
{
    if (!GlCallsChecked)
        GTEST_SKIP() << "release builds check no GL call";
    std::string error;
    std::unique_ptr<GlGfxSystem> system = GlGfxSystem::surfaceless(1920, 1080, error);
    if (!system)
        GTEST_SKIP() << "no OpenGL without a display here: " << error;
    PresentParams params;
    params.backBufferWidth = 16;
    params.backBufferHeight = 16;
    std::unique_ptr<GfxDevice> device;
    ASSERT_EQ(system->createDevice(params, device), GfxError::Ok) << system->lastError();

    glEnable(0x7FFF); // no such capability
    try
    {
        checkGlCall("glEnable(0x7FFF)");
        FAIL() << "the error went unnoticed";
    }
    catch (const GlCallError& e)
    {
        EXPECT_EQ(std::string(e.what()), "OpenGL call glEnable failed: GL_INVALID_ENUM (0x0500)");
    }

    // An error left by a call outside the device stops the device's next call.
    glDepthFunc(0x7FFF);
    try
    {
        device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
        FAIL() << "the device drew on after a GL error";
    }
    catch (const GlCallError& e)
    {
        EXPECT_EQ(std::string(e.what()), "OpenGL call glClearColor failed: GL_INVALID_ENUM (0x0500)");
    }
    EXPECT_EQ(device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0), GfxError::Ok);
}
