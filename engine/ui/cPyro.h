#pragma once

#include "engine/devices/cParticleDrawInfo.h"
#include "engine/ui/cView.h"

#include <boost/function.hpp>

#include <cstdint>
#include <string>

namespace PyroParticles
{
class IPyroEffect;
class IPyroEmitter;
class IPyroParticleLibrary;
} // namespace PyroParticles

namespace Engine
{

// A view that plays one particle effect: the emitter number 0 of the effect file "pyro_file",
// stepped every frame in slices of at most 0.05 s and drawn by the renderer as a particle batch
// while the view is shown, enabled and playing. Layouts create it as "pyro", as a child of any
// view in "PyroEffects" and in a composite's "SubPyro".
//
// `play` starts it for a life (its argument, else "LiveTime", else without end), after
// "StartDelay". At the end of its life it calls back, then loops ("Loop"), is replaced by a
// fresh copy under the same parent ("Recreate"), or deletes itself when told so. With
// "TimeDelta" the emitter is stepped only once that much time has gathered.
//
// Effect files are loaded once for the whole program through the render device's particle
// library and kept by name.
class cPyro : public cView
{
public:
    using tFinishCallback = boost::function<void(uint32_t context)>;

    // The longest step the emitter is given at once.
    static constexpr float MaxStep = 0.05f;
    static constexpr int Kind = 5;

    // With a name, loads the layout document of that path (the view's and the effect's keys).
    explicit cPyro(cControl* parent = nullptr, const std::string& name = std::string());
    // A stopped copy with its own emitter of the same effect, placed and scaled as `other`;
    // shown when `other` is shown.
    cPyro(const cPyro& other);
    ~cPyro() override;

    int getKind() const override { return Kind; }
    // The view's step, the start delay, the emitter's steps and the end of the life.
    void update() override;
    // The view's keys, then "pyro_file" (no emitter: no more keys are read), "LiveTime",
    // "TimeDelta", "Loop", "StartDelay", "Recreate", "PyroScale" and "UseOffset". The emitter
    // starts where the view is.
    void loadXML(const tPropertiesPtr& node) override;
    // Moves the view and the emitter.
    void setPosition(const cVector2& position) override;
    // The draw record while the effect plays; null otherwise.
    cParticleDrawInfo* getParticleDrawInfo() override;

    // Starts the effect (nothing runs without an emitter). The callback is kept only for an
    // effect that deletes itself when done and has a finite life.
    void play(bool deleteWhenDone, float time, const tFinishCallback& callback = tFinishCallback(),
              uint32_t context = 0);
    // Starts an effect that a view or a dialog made from a layout element as one of its parts;
    // with the element's "UseOffset" 1 its loaded position becomes the emitter's offset and the
    // view stands at (0, 0).
    void playAsPart(const tPropertiesPtr& element);
    // Stops the effect where it is: no more steps, no callback, no deletion; the particles stay
    // as they are until the next `play`.
    void stop();
    bool isRunning() const { return m_running; }

    float getPyroScale() const { return m_info.scale; }
    void setPyroScale(float scale);
    // The emitter's offset from the view's position.
    cVector2 getEmitterPosition() const { return {m_info.offsetX, m_info.offsetY}; }
    void setEmitterPosition(const cVector2& offset);

    const std::string& getPyroFile() const { return m_pyroFile; }
    PyroParticles::IPyroEmitter* getEmitter() const { return m_emitter; }
    // Seconds of life left; 0 or less: no end.
    float getLifeLeft() const { return m_lifeLeft; }
    // Seconds the effect has been stepped since it started.
    float getEffectTime() const { return m_info.time; }
    float getLiveTime() const { return m_liveTime; }
    void setLiveTime(float seconds) { m_liveTime = seconds; }
    float getTimeDelta() const { return m_timeDelta; }
    void setTimeDelta(float seconds) { m_timeDelta = seconds; }
    float getStartDelay() const { return m_startDelay; }
    void setStartDelay(float seconds) { m_startDelay = seconds; }
    bool getLoop() const { return m_loop; }
    void setLoop(bool loop) { m_loop = loop; }
    bool getRecreate() const { return m_recreate; }
    void setRecreate(bool recreate) { m_recreate = recreate; }
    bool getUseOffset() const { return m_info.useOffset; }

    // The loaded effect file of a name, loading it through the render device's particle library
    // on first use. Throws the file system's error for a missing file and the library's for a
    // file it cannot read; both name the file.
    static PyroParticles::IPyroEffect* getEffectFile(const std::string& name);
    // Enters an effect made elsewhere under a name; it stays until `clearEffectFiles`.
    static void addEffectFile(const std::string& name, PyroParticles::IPyroEffect* effect);
    // Forgets every loaded file. Whoever destroys the particle library calls it first.
    static void clearEffectFiles();

private:
    // Makes the emitter of the current file: a new one named as the file's emitter 0.
    void createEmitter();
    void releaseEmitter();
    // Gathers `gained` seconds and, once "TimeDelta" is reached (or when forced), steps the
    // emitter through them in slices of at most `MaxStep`.
    void step(float gained, bool forced);
    // The end of a finite life.
    void finish();

    std::string m_pyroFile;
    PyroParticles::IPyroEmitter* m_emitter = nullptr;
    // The library that made the emitter (null for effects entered from elsewhere).
    PyroParticles::IPyroParticleLibrary* m_library = nullptr;
    tFinishCallback m_callback;
    uint32_t m_context = 0;
    bool m_running = false;
    float m_lifeLeft = 0.0f;
    float m_liveTime = 0.0f;
    float m_timeDelta = 0.0f;
    float m_gathered = 0.0f;
    bool m_loop = false;
    float m_startDelay = 0.0f;
    bool m_recreate = false;
    bool m_deleteWhenDone = false;
    float m_playTime = 0.0f;
    float m_startDelayLeft = 0.0f;
    cParticleDrawInfo m_info;
};

} // namespace Engine
