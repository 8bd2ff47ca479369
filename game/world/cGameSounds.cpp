#include "game/world/cGameSounds.h"

#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundChannel.h"
#include "engine/devices/cSoundSample.h"

cGameSounds::cGameSounds() : Engine::cControl(nullptr)
{
    loadXML(Engine::cResourceManager::instance()->getXml("GameSounds.xml", true));
    hide();
    disable();
    activate();
}

cGameSounds::~cGameSounds()
{
    m_cooling.clear();
    m_sounds.clear();
    stopMusic();
}

void cGameSounds::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    // The cooling list points into the records.
    m_cooling.clear();
    m_sounds.clear();
    Engine::tPropertiesList children;
    node->getChildren(children);
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    for (const auto& child : children)
    {
        const std::string id = Engine::toUtf8(child->getAttribute(L"id"));
        if (m_sounds.count(id))
            throw std::string("cGameSounds::loadXML(): duplicated sound id: ") + id;
        auto record = std::make_unique<SoundRecord>();
        record->sample = resources->getSound(Engine::toUtf8(child->getAttribute(L"path")));
        m_sounds.emplace(id, std::move(record));
    }
}

boost::shared_ptr<Engine::cSoundSample> cGameSounds::getSample(const std::string& id) const
{
    const auto found = m_sounds.find(id);
    if (found == m_sounds.end())
        throw std::string("Unknown sound id: ") + id;
    return found->second->sample;
}

float cGameSounds::getCooldown(const std::string& id) const
{
    const auto found = m_sounds.find(id);
    return found == m_sounds.end() ? 0.0f : found->second->cooldown;
}

void cGameSounds::play(const std::string& id)
{
    const auto sample = getSample(id);
    if (Engine::cSound* sound = Engine::cSound::instance())
        sound->playSound(sample);
}

boost::shared_ptr<Engine::cSoundChannel> cGameSounds::playLooped(const std::string& id)
{
    const auto sample = getSample(id);
    Engine::cSound* sound = Engine::cSound::instance();
    return sound ? sound->play(sample, true, true) : boost::shared_ptr<Engine::cSoundChannel>();
}

boost::shared_ptr<Engine::cSoundChannel> cGameSounds::playMusicLooped(const std::string& id)
{
    const auto sample = getSample(id);
    Engine::cSound* sound = Engine::cSound::instance();
    return sound ? sound->playMusic(sample, true, true) : boost::shared_ptr<Engine::cSoundChannel>();
}

void cGameSounds::playMusic(const std::string& id, bool force)
{
    startMusic(getSample(id), force);
}

void cGameSounds::playSingle(const std::string& id, float delay, float extra)
{
    const auto found = m_sounds.find(id);
    if (found == m_sounds.end())
        throw std::string("cGameSounds::playSingle(): unknown sound id: ") + id;
    SoundRecord& record = *found->second;
    if (record.cooldown > 0.0f)
        return;
    if (Engine::cSound* sound = Engine::cSound::instance())
        sound->playSound(record.sample);
    record.cooldown = delay + randomRange(0.0f, extra);
    m_cooling.push_back(&record);
}

void cGameSounds::startMusic(const boost::shared_ptr<Engine::cSoundSample>& sample, bool force)
{
    if (!force && m_music && m_music->getSample() == sample)
        return;
    m_music.reset();
    if (Engine::cSound* sound = Engine::cSound::instance())
        m_music = sound->playMusic(sample, true, true);
}

void cGameSounds::stopMusic()
{
    m_music.reset();
}

void cGameSounds::updateActive()
{
    updateCooldowns();
}

void cGameSounds::updateCooldowns()
{
    if (m_cooling.empty())
        return;
    const Engine::cTimer* timer = Engine::cTimer::instance();
    const float dt = timer ? timer->getFrameTime() : 0.0f;
    for (auto it = m_cooling.begin(); it != m_cooling.end();)
    {
        SoundRecord* record = *it;
        record->cooldown -= dt;
        if (record->cooldown <= 0.0f)
        {
            record->cooldown = 0.0f;
            it = m_cooling.erase(it);
        }
        else
            ++it;
    }
}
