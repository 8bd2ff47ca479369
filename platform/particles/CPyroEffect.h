#pragma once

#include "platform/particles/EffectDesc.h"
#include "platform/particles/IPyroEffect.h"

#include <memory>
#include <vector>

namespace PyroParticles
{

class CPyroEmitter;
class CPyroLibrary;
class IPyroTexture;

// A loaded effect file: what it describes, its textures once prepared, and its own emitters.
class CPyroEffect final : public IPyroEffect
{
public:
    CPyroEffect(CPyroLibrary& library, sEffectDesc desc);
    ~CPyroEffect() override;

    void prepare() override;
    void unprepare() override;
    bool isPrepared() const override { return m_prepared; }
    uint32_t getEmitterCount() const override;
    IPyroEmitter* getEmitter(uint32_t index) override;
    IPyroEmitter* createEmitter(const char* name) override;
    const char* getFileName() const override;

    CPyroLibrary& getLibrary() { return m_library; }
    const sEffectDesc& getDesc() const { return m_desc; }
    const sTextureDesc& getTextureDesc(uint32_t index) const { return m_desc.textures.at(index); }
    // The device texture of a prepared file.
    IPyroTexture* getTexture(uint32_t index) const;
    // Deletes the textures and the own emitters' buffers.
    void releaseDeviceObjects();

private:
    CPyroLibrary& m_library;
    sEffectDesc m_desc;
    std::vector<std::unique_ptr<IPyroTexture>> m_textures;
    std::vector<std::unique_ptr<CPyroEmitter>> m_emitters;
    bool m_prepared = false;
    // Emitters made by `createEmitter`, so that each gets a seed of its own.
    uint32_t m_created = 0;
};

} // namespace PyroParticles
