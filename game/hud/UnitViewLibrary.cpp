#include "game/hud/UnitViewLibrary.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/devices/cResourceManager.h"
#include "game/hud/UnitViewDescription.h"
#include "game/world/GameConfig.h"

#include <boost/make_shared.hpp>

UnitViewLibrary& UnitViewLibrary::instance()
{
    static UnitViewLibrary library;
    return library;
}

boost::shared_ptr<UnitViewDescription> UnitViewLibrary::findOrLoad(int typeId)
{
    const auto found = m_descriptions.find(typeId);
    if (found != m_descriptions.end())
        return found->second;
    const std::wstring& name = GameConfig::instance().unitNames().nameOf(typeId);
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (name.empty() || !files || !resources)
        return {};
    const std::string path = "Units/" + Engine::toUtf8(name) + ".xml";
    if (!files->isKnown(path))
        return {};
    auto description = boost::make_shared<UnitViewDescription>(typeId);
    description->load(resources->getXml(path, true));
    m_descriptions[typeId] = description;
    return description;
}
