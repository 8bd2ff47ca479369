#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "platform/input/ScriptedInput.h"
#include "platform/system/FakeClock.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace UiTest
{

// The bytes of a font file (see cFont) with one glyph per character: each glyph is `width`
// texels wide and `height` high in a texture of `side` x `side`, advances by its width, and
// has a cell of its own in rows of cells from the texture's bottom up, left to right in the
// order of `characters`.
inline std::string fontBytes(const std::wstring& characters, float width, float height, float side)
{
    std::string bytes;
    const auto put = [&bytes](const void* data, size_t size)
    { bytes.append(static_cast<const char*>(data), size); };
    const auto put32 = [&put](uint32_t v) { put(&v, 4); };
    const auto put16 = [&put](uint16_t v) { put(&v, 2); };
    const auto putFloat = [&put](float f) { put(&f, 4); };
    put32(0x666F6E74u);
    put32(static_cast<uint32_t>(characters.size()));
    for (size_t i = 0; i < characters.size(); ++i)
    {
        put16(static_cast<uint16_t>(characters[i]));
        put16(static_cast<uint16_t>(characters[i]));
        put16(static_cast<uint16_t>(i));
    }
    put32(static_cast<uint32_t>(characters.size()));
    // The picture holds every cell, as a font's picture must.
    const size_t columns = std::max<size_t>(1, static_cast<size_t>(side / width));
    for (size_t i = 0; i < characters.size(); ++i)
    {
        const float left = static_cast<float>(i % columns) * width / side;
        const float bottom = static_cast<float>(i / columns) * height / side;
        putFloat(left);
        putFloat(bottom + height / side);
        putFloat(left + width / side);
        putFloat(bottom);
        putFloat(width / side);
    }
    return bytes;
}

// The engine's own frame devices, except that the desktop's pointer is where the test puts it
// (`cursor`, in virtual units): it stands for the pointer as long as no mouse event has placed
// it, and may be stale, as a poll of the desktop can be.
class cPointerDevices final : public Engine::cFrameDevices
{
public:
    cPointerDevices() : m_engine(Engine::makeEngineFrameDevices()) {}

    void pollInput() override { m_engine->pollInput(); }
    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        return m_engine->connectKey(code, slot);
    }
    boost::signals2::connection
    connectPointer(const boost::function<void(const Engine::cVector2&)>& slot) override
    {
        return m_engine->connectPointer(slot);
    }
    Engine::cVector2 cursorInWindow() override
    {
        Engine::cVector2 placed;
        const Engine::cInput* input = Engine::cInput::instance();
        return input && input->getPointer(placed) ? m_engine->cursorInWindow() : cursor;
    }
    void screenToVirtual(Engine::cVector2&) override {}
    void beginFrame() override { m_engine->beginFrame(); }
    void present() override { m_engine->present(); }
    void drawView(Engine::cView& view) override { m_engine->drawView(view); }
    void endFrame() override { m_engine->endFrame(); }
    void takeScreenshot(const std::wstring& fileName) override { m_engine->takeScreenshot(fileName); }

    Engine::cVector2 cursor{-1000.0f, -1000.0f};

private:
    std::unique_ptr<Engine::cFrameDevices> m_engine;
};

// A running frame: a fake clock, the frame timer, scripted input and the frame driver, so a
// test moves and clicks the mouse through input events and runs whole frames.
class cFrames
{
public:
    cFrames()
    {
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        input = std::make_unique<Engine::cInput>(std::move(backend));
        auto devices = std::make_unique<cPointerDevices>();
        pointer = devices.get();
        logic = std::make_unique<Engine::cLogic>(std::move(devices));
        // The first poll acquires the devices.
        frame();
    }
    ~cFrames()
    {
        Engine::cControl::deletePending();
        logic.reset();
        input.reset();
    }
    cFrames(const cFrames&) = delete;
    cFrames& operator=(const cFrames&) = delete;

    // One frame of `ms` milliseconds.
    void frame(uint32_t ms = 20)
    {
        clock.advance(ms);
        logic->update();
    }
    // Puts the pointer at (x, y) with a movement event, and runs a frame.
    void moveTo(float x, float y)
    {
        const Engine::cVector2 from = pointer->cursor;
        pointer->cursor = Engine::cVector2(x, y);
        const int dx = static_cast<int>(x - from.x);
        script->mouseMove(dx == 0 ? 1 : dx, static_cast<int>(y - from.y));
        frame();
    }
    // Presses or releases the primary button, and runs a frame.
    void press()
    {
        script->mouseButton(0, true);
        frame();
    }
    void release()
    {
        script->mouseButton(0, false);
        frame();
    }
    void click()
    {
        press();
        release();
    }

    Platform::FakeClock clock{1000};
    Engine::cTimer timer;
    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    cPointerDevices* pointer = nullptr;
    std::unique_ptr<Engine::cLogic> logic;
};

} // namespace UiTest
