#include "game/hud/UnitViewLibrary.h"

#include "engine/core/ErrorText.h"
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
    if (!files || !resources)
        return {};
    const std::string path = "Units/" + Engine::toUtf8(name) + ".xml";
    if (name.empty() || !files->isKnown(path))
    {
        // The unit is shown by nothing and cannot be clicked: worth a line in the log.
        if (m_reported.insert(typeId).second)
            Engine::reportProblem(L"error", "\"" + path + "\": the unit type \"" + Engine::toUtf8(name) +
                                                "\" (" + std::to_string(typeId) +
                                                ") has no view description");
        return {};
    }
    auto description = boost::make_shared<UnitViewDescription>(typeId, path);
    description->load(resources->getXml(path, true));
    m_descriptions[typeId] = description;
    return description;
}

void UnitViewLibrary::clear()
{
    for (const auto& entry : m_descriptions)
        entry.second->release();
    m_descriptions.clear();
    m_reported.clear();
}
