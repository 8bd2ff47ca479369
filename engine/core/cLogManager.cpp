#include "engine/core/cLogManager.h"

namespace Engine
{

namespace
{

// The one manager; see the class comment.
cLogManager s_logManager;

} // namespace

cLogManager::cLogManager() = default;

cLogManager::~cLogManager()
{
    m_logs.clear();
}

cLogFile* cLogManager::getLog(const std::wstring& name, bool truncate)
{
    const auto found = m_logs.find(name);
    if (found != m_logs.end())
        return found->second.get();
    auto log = std::make_unique<cLogFile>(name, truncate);
    cLogFile* result = log.get();
    m_logs.emplace(name, std::move(log));
    return result;
}

} // namespace Engine
