#include "engine/ui/cPyro.h"

#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"
#include "engine/core/cString.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cPyroFileAdapter.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/particles/IPyroParticleLibrary.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace Engine
{

namespace
{

// A loaded effect file and the library that loaded it (null for one entered from elsewhere).
struct tEffectFile
{
    PyroParticles::IPyroEffect* effect = nullptr;
    PyroParticles::IPyroParticleLibrary* library = nullptr;
};

std::map<std::string, tEffectFile>& effectFiles()
{
    static std::map<std::string, tEffectFile> files;
    return files;
}

PyroParticles::IPyroParticleLibrary* currentLibrary()
{
    const cRender* render = cRender::instance();
    return render ? render->getParticleLibrary() : nullptr;
}

const tEffectFile* findEffectFile(const std::string& name)
{
    const auto& files = effectFiles();
    const auto it = files.find(name);
    // A file of a library that is no longer the device's went with it.
    if (it == files.end() || (it->second.library && it->second.library != currentLibrary()))
        return nullptr;
    return &it->second;
}

float frameTime()
{
    const cTimer* timer = cTimer::instance();
    return timer ? timer->getFrameTime() : 0.0f;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The effect file cache

namespace
{

const tEffectFile& loadEffectFile(const std::string& name)
{
    if (const tEffectFile* file = findEffectFile(name))
        return *file;
    PyroParticles::IPyroParticleLibrary* library = currentLibrary();
    if (!library)
        throw cStringA("Effect file \"" + name + "\": no particle library to load it");
    const cFileSystem* files = cFileSystem::instance();
    if (!files)
        throw cStringA("Effect file \"" + name + "\": no file system to read it");
    cPyroFileAdapter file(files->openFile(name));
    PyroParticles::IPyroEffect* effect = library->loadEffect(file, name.c_str());
    effect->prepare();
    return effectFiles()[name] = {effect, library};
}

} // namespace

PyroParticles::IPyroEffect* cPyro::getEffectFile(const std::string& name)
{
    return loadEffectFile(name).effect;
}

void cPyro::addEffectFile(const std::string& name, PyroParticles::IPyroEffect* effect)
{
    effectFiles()[name] = {effect, nullptr};
}

void cPyro::clearEffectFiles()
{
    effectFiles().clear();
}

// ---------------------------------------------------------------------------------------------
// Life

cPyro::cPyro(cControl* parent, const std::string& name) : cView(parent)
{
    if (name.empty())
        return;
    cResourceManager* manager = cResourceManager::instance();
    if (!manager)
        throw cStringA("Effect \"" + name + "\": no resource manager to read it");
    loadXML(manager->getXml(name, true));
}

cPyro::cPyro(const cPyro& other)
    : cView(other), m_pyroFile(other.m_pyroFile), m_liveTime(other.m_liveTime),
      m_timeDelta(other.m_timeDelta), m_loop(other.m_loop), m_startDelay(other.m_startDelay),
      m_recreate(other.m_recreate)
{
    m_info.useOffset = other.m_info.useOffset;
    if (other.m_emitter)
        createEmitter();
    m_info.positionX = other.m_info.positionX;
    m_info.positionY = other.m_info.positionY;
    m_info.positionZ = other.m_info.positionZ;
    m_info.offsetX = other.m_info.offsetX;
    m_info.offsetY = other.m_info.offsetY;
    m_info.offsetZ = other.m_info.offsetZ;
    m_info.scale = other.m_info.scale;
    m_info.changed = true;
    if (other.isShown())
        show();
    else
        hide();
}

cPyro::~cPyro()
{
    releaseEmitter();
}

void cPyro::createEmitter()
{
    releaseEmitter();
    if (m_pyroFile.empty())
        return;
    const tEffectFile& file = loadEffectFile(m_pyroFile);
    if (!file.effect || file.effect->getEmitterCount() == 0)
        return;
    m_emitter = file.effect->createEmitter(file.effect->getEmitter(0)->getName());
    m_library = file.library;
}

void cPyro::releaseEmitter()
{
    m_info.emitter = nullptr;
    // An emitter goes back to the library that made it while that library lives; a library
    // that is gone took its emitters along.
    if (m_emitter && m_library && m_library == currentLibrary())
        m_library->releaseEmitter(m_emitter);
    m_emitter = nullptr;
    m_library = nullptr;
    m_running = false;
}

// ---------------------------------------------------------------------------------------------
// Layout

void cPyro::loadXML(const tPropertiesPtr& node)
{
    cView::loadXML(node);
    if (!node)
        return;
    std::string file;
    readKey(node, L"pyro_file", file);
    releaseEmitter();
    m_pyroFile = file;
    createEmitter();
    if (!m_emitter)
        return;
    m_info.positionX = getPosition().x;
    m_info.positionY = getPosition().y;
    m_info.changed = true;
    readKey(node, L"LiveTime", m_liveTime);
    readKey(node, L"TimeDelta", m_timeDelta);
    readKey(node, L"Loop", m_loop);
    readKey(node, L"StartDelay", m_startDelay);
    readKey(node, L"Recreate", m_recreate);
    float scale = m_info.scale;
    if (readKey(node, L"PyroScale", scale))
        setPyroScale(scale);
    readKey(node, L"UseOffset", m_info.useOffset);
    m_info.emitter = m_emitter;
}

// ---------------------------------------------------------------------------------------------
// Playing

void cPyro::play(bool deleteWhenDone, float time, const tFinishCallback& callback, uint32_t context)
{
    m_playTime = time;
    m_deleteWhenDone = deleteWhenDone;
    m_startDelayLeft = m_startDelay;
    if (m_emitter)
    {
        m_running = true;
        m_lifeLeft = time > 0.0f ? time : (m_liveTime > 0.0f ? m_liveTime : 0.0f);
        m_info.time = 0.0f;
        m_gathered = 0.0f;
        m_info.changed = true;
        m_info.emitter = m_emitter;
    }
    if (deleteWhenDone && m_lifeLeft > 0.0f)
    {
        m_callback = callback;
        m_context = context;
    }
}

void cPyro::playAsPart(const tPropertiesPtr& element)
{
    play(false, 0.0f);
    bool useOffset = false;
    readKey(element, L"UseOffset", useOffset);
    if (useOffset)
    {
        setEmitterPosition(getPosition());
        setPosition(cVector2(0.0f, 0.0f));
    }
}

void cPyro::stop()
{
    m_running = false;
}

void cPyro::step(float gained, bool forced)
{
    m_gathered += gained;
    if (!forced && m_timeDelta > m_gathered)
        return;
    if (m_emitter && std::isfinite(m_gathered))
    {
        float time = m_info.time;
        for (float rest = m_gathered; rest > 0.0f;)
        {
            const float slice = std::min(rest, MaxStep);
            m_emitter->move(time, slice);
            m_emitter->emit(time, slice, m_info.positionX, m_info.positionY, m_info.positionZ, true);
            time += slice;
            rest -= slice;
        }
        m_info.time += m_gathered;
    }
    m_gathered = 0.0f;
}

void cPyro::update()
{
    cView::update();
    if (!m_running)
        return;
    const float dt = frameTime();
    if (m_startDelayLeft > 0.0f)
    {
        m_startDelayLeft -= dt;
        return;
    }
    step(dt, false);
    if (m_lifeLeft > 0.0f)
    {
        m_lifeLeft -= dt;
        if (m_lifeLeft <= 0.0f)
            finish();
    }
}

void cPyro::finish()
{
    // Time held back by "TimeDelta" is stepped through once, not counted twice.
    if (m_gathered > 0.0f)
        step(0.0f, true);
    const tFinishCallback callback = m_callback;
    const uint32_t context = m_context;
    if (callback)
        callback(context);
    m_running = false;
    if (m_loop)
    {
        play(false, m_playTime, callback, context);
    }
    else if (m_recreate)
    {
        // A fresh copy takes this effect's place, also among its owner's particle children.
        auto* copy = new cPyro(*this);
        copy->play(false, m_playTime, callback, context);
        cControl* parent = getParent();
        cView* owner = dynamic_cast<cView*>(parent);
        const bool ownersEffect =
            owner && std::find(owner->getParticleChildren().begin(), owner->getParticleChildren().end(),
                               this) != owner->getParticleChildren().end();
        copy->setParent(parent);
        if (ownersEffect)
            owner->addParticleChild(copy);
        // Out of the tree now, so the owner never holds this effect once it is queued.
        hide();
        setParent(nullptr);
        deleteLater(this);
    }
    else if (m_deleteWhenDone)
    {
        deleteLater(this);
    }
}

void cPyro::setPosition(const cVector2& position)
{
    cView::setPosition(position);
    m_info.positionX = position.x;
    m_info.positionY = position.y;
    m_info.changed = true;
}

void cPyro::setPyroScale(float scale)
{
    m_info.scale = scale;
    m_info.changed = true;
}

void cPyro::setEmitterPosition(const cVector2& offset)
{
    m_info.offsetX = offset.x;
    m_info.offsetY = offset.y;
    m_info.changed = true;
}

cParticleDrawInfo* cPyro::getParticleDrawInfo()
{
    return m_running && m_info.emitter ? &m_info : nullptr;
}

namespace
{

const cControlFactory::cRegistration names({L"pyro"},
                                           [](cView* parent) -> cControl* { return new cPyro(parent, {}); });

} // namespace

} // namespace Engine
