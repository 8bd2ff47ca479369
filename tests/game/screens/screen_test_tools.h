#pragma once

// The particle effect files the game's layouts name, entered as silent effects: the views that
// play them load and run without a render device (and its particle library). Make the object
// before the views that play effects and let it go after them.

#include "engine/ui/cPyro.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"

#include <memory>
#include <string>
#include <vector>

namespace GameTest
{

// An emitter that draws nothing and counts what it is asked to do.
class SilentEmitter final : public PyroParticles::IPyroEmitter
{
public:
    const char* getName() const override { return "silent"; }
    void move(float, float) override {}
    void emit(float, float, float, float, float, bool) override { ++emits; }
    void setScale(float) override {}
    void setPosition(float, float, float) override {}
    void draw() override {}
    void setSeed(uint32_t) override {}
    void reset() override {}
    uint32_t getParticleCount() const override { return 0; }
    bool isPlaying() const override { return true; }

    int emits = 0;
};

// An effect file of silent emitters; it owns them.
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
        made.push_back(std::make_unique<SilentEmitter>());
        return made.back().get();
    }
    const char* getFileName() const override { return m_name.c_str(); }

    std::vector<std::unique_ptr<SilentEmitter>> made;

private:
    std::string m_name;
    SilentEmitter m_first;
};

class SilentEffects
{
public:
    SilentEffects()
    {
        for (const char* name : {"Effects/Sparkle.pyro", "Effects/Smoke.pyro"})
        {
            effects.push_back(std::make_unique<SilentEffect>(name));
            Engine::cPyro::addEffectFile(name, effects.back().get());
        }
    }
    ~SilentEffects() { Engine::cPyro::clearEffectFiles(); }
    SilentEffects(const SilentEffects&) = delete;
    SilentEffects& operator=(const SilentEffects&) = delete;

    std::vector<std::unique_ptr<SilentEffect>> effects;
};

} // namespace GameTest
