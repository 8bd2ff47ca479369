// The particle effect reader and the emitters it describes: any bytes either load as an effect
// or give a CPyroException; a loaded effect's emitters are run and drawn on a device that only
// checks what it is given, so a described particle can never write past a buffer.
#include "platform/particles/CPyroException.h"
#include "platform/particles/CPyroLibrary.h"
#include "platform/particles/CPyroMemoryFile.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/particles/IPyroGraphicsDevice.h"
#include "platform/particles/IPyroTexture.h"
#include "platform/particles/IPyroVertexBuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

class cCheckingBuffer final : public PyroParticles::IPyroVertexBuffer
{
public:
    explicit cCheckingBuffer(uint32_t size) : bytes(size) {}
    int32_t onDeviceLost() override { return 0; }
    int32_t onDeviceRestored() override { return 0; }
    int32_t write(const void* data, uint32_t offset, uint32_t count, uint32_t) override
    {
        if (offset + static_cast<uint64_t>(count) > bytes.size())
            std::abort();
        std::memcpy(bytes.data() + offset, data, count);
        return 0;
    }
    std::vector<uint8_t> bytes;
};

class cCheckingTexture final : public PyroParticles::IPyroTexture
{
public:
    int32_t onDeviceLost() override { return 0; }
    int32_t onDeviceRestored() override { return 0; }
};

class cCheckingDevice final : public PyroParticles::IPyroGraphicsDevice
{
public:
    int32_t setRenderState(uint32_t, uint32_t) override { return 0; }
    int32_t setBlendFunc(uint32_t, uint32_t) override { return 0; }
    int32_t setStageState(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override { return 1; }
    int32_t createVertexBuffer(PyroParticles::IPyroVertexBuffer** out, uint32_t count, uint32_t stride,
                               uint32_t, uint32_t) override
    {
        *out = new cCheckingBuffer(count * stride);
        return 0;
    }
    int32_t createIndexBuffer(PyroParticles::IPyroIndexBuffer** out, uint32_t, uint32_t, uint32_t) override
    {
        *out = nullptr;
        return -1;
    }
    int32_t createTexture(PyroParticles::IPyroTexture** out, const PyroParticles::sPyroImage& image,
                          uint32_t) override
    {
        // Touch every pixel the picture claims to have.
        volatile uint32_t sum = 0;
        for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height * 4; ++i)
            sum = sum + image.pixels[i];
        *out = new cCheckingTexture();
        return 0;
    }
    int32_t createParamRecord(PyroParticles::IPyroParamRecord** out, uint32_t, uint32_t, uint32_t,
                              uint32_t) override
    {
        *out = nullptr;
        return 0;
    }
    int32_t beginDraw(uint32_t) override { return 0; }
    int32_t setTexture(uint32_t, PyroParticles::IPyroTexture*) override { return 0; }
    int32_t drawPrimitives(uint32_t, uint32_t, uint32_t, uint32_t) override { return 1; }
    int32_t drawQuads(PyroParticles::IPyroVertexBuffer* buffer, uint32_t first, uint32_t count,
                      uint32_t) override
    {
        const auto& bytes = static_cast<cCheckingBuffer*>(buffer)->bytes;
        if ((static_cast<uint64_t>(first) + count) * 96 > bytes.size())
            std::abort();
        return 0;
    }
    int32_t endDraw() override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    cCheckingDevice device;
    PyroParticles::CPyroLibrary library(64);
    library.setDevice(&device);
    PyroParticles::CPyroMemoryFile file(std::string(reinterpret_cast<const char*>(data), size));
    try
    {
        PyroParticles::IPyroEffect* effect = library.loadEffect(file, "effects/fuzz.xml");
        for (uint32_t i = 0; i < effect->getEmitterCount() && i < 4; ++i)
        {
            PyroParticles::IPyroEmitter* emitter = effect->createEmitter(effect->getEmitter(i)->getName());
            emitter->setScale(1.5f);
            float time = 0.0f;
            for (int step = 0; step < 8; ++step, time += 0.05f)
            {
                emitter->move(time, 0.05f);
                emitter->emit(time, 0.05f, 100.0f, 100.0f, 0.0f, true);
            }
            emitter->draw();
            emitter->isPlaying();
            library.releaseEmitter(emitter);
        }
    }
    catch (const PyroParticles::CPyroException&)
    {
    }
    library.shutdown();
    return 0;
}
