#pragma once

#include "engine/ui/cPyro.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"

#include <initializer_list>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace Test
{

// An emitter that plays without particles, for a level run on the recording render device,
// which has no particle library.
class SilentEmitter final : public PyroParticles::IPyroEmitter
{
public:
    const char* getName() const override { return "silent"; }
    void move(float, float) override {}
    void emit(float, float, float, float, float, bool) override {}
    void setScale(float) override {}
    void setPosition(float, float, float) override {}
    void draw() override {}
    void setSeed(uint32_t) override {}
    void reset() override {}
    uint32_t getParticleCount() const override { return 0; }
    bool isPlaying() const override { return true; }
};

class SilentEffect final : public PyroParticles::IPyroEffect
{
public:
    explicit SilentEffect(std::string name) : m_name(std::move(name)) {}
    void prepare() override {}
    void unprepare() override {}
    bool isPrepared() const override { return true; }
    uint32_t getEmitterCount() const override { return 1; }
    PyroParticles::IPyroEmitter* getEmitter(uint32_t) override { return &m_first; }
    PyroParticles::IPyroEmitter* createEmitter(const char*) override
    {
        m_made.push_back(std::make_unique<SilentEmitter>());
        return m_made.back().get();
    }
    const char* getFileName() const override { return m_name.c_str(); }

private:
    std::string m_name;
    SilentEmitter m_first;
    std::vector<std::unique_ptr<SilentEmitter>> m_made;
};

// Silent effects entered under the given effect file names for as long as this lives; it must
// outlive every view that may hold their emitters.
class SilentParticles
{
public:
    template <class Names> explicit SilentParticles(const Names& names)
    {
        for (const std::string& name : names)
        {
            m_effects.push_back(std::make_unique<SilentEffect>(name));
            Engine::cPyro::addEffectFile(name, m_effects.back().get());
        }
    }
    SilentParticles(std::initializer_list<std::string> names)
        : SilentParticles(std::vector<std::string>(names))
    {
    }
    ~SilentParticles() { Engine::cPyro::clearEffectFiles(); }
    SilentParticles(const SilentParticles&) = delete;
    SilentParticles& operator=(const SilentParticles&) = delete;

private:
    std::vector<std::unique_ptr<SilentEffect>> m_effects;
};

} // namespace Test
