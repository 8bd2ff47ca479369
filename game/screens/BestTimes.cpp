#include "game/screens/BestTimes.h"

#include "engine/core/FileUtils.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProperties.h"
#include "engine/devices/cResourceManager.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <algorithm>
#include <vector>

BestTimes& BestTimes::instance()
{
    static BestTimes table;
    return table;
}

BestTimes::BestTimes()
{
    m_records.resize(static_cast<size_t>(std::max(GameConfig::instance().getConstants().LevelsCount, 0)));
    load();
}

BestTimeRecord BestTimes::getBestTime(int level) const
{
    if (level < 0 || static_cast<size_t>(level) >= m_records.size())
        return {};
    return m_records[static_cast<size_t>(level)];
}

void BestTimes::setBestTime(int level, const BestTimeRecord& record)
{
    if (level < 0)
        return;
    if (static_cast<size_t>(level) >= m_records.size())
        m_records.resize(static_cast<size_t>(level) + 1);
    m_records[static_cast<size_t>(level)] = record;
    m_changed = true;
}

void BestTimes::saveIfChanged()
{
    if (!m_changed)
        return;
    save();
    m_changed = false;
}

void BestTimes::load()
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!files || !resources)
        return;
    if (files->isKnown("besttimes.xml"))
    {
        std::vector<char> bytes;
        files->readFile("besttimes.xml", bytes);
        if (!bytes.empty())
        {
            const Engine::tPropertiesPtr root = resources->getXml("besttimes.xml", true);
            Engine::tPropertiesList levels;
            root->getChildren(levels);
            for (size_t i = 0; i < std::min(levels.size(), m_records.size()); ++i)
            {
                m_records[i].name = levels[i]->getAttribute(L"name");
                Engine::fromString(m_records[i].time, levels[i]->getAttribute(L"time"));
            }
            m_changed = true;
            return;
        }
        files->removeFile("besttimes.xml");
    }
    for (size_t i = 0; i < m_records.size(); ++i)
    {
        const std::string path = Engine::toUtf8(Game::levelPath(static_cast<int>(i)));
        if (!files->isKnown(path))
            continue;
        Engine::tPropertiesPtr metaData;
        if (!resources->getXml(path, true)->getChild(L"MetaData", metaData))
            continue;
        m_records[i].name = L" ";
        Engine::fromString(m_records[i].time, metaData->getAttribute(L"BestTime"));
        m_changed = true;
    }
}

std::wstring BestTimes::fileText() const
{
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><BestTimes>";
    for (const BestTimeRecord& record : m_records)
    {
        // Names are escaped: a quote or an angle bracket in a player's name would make the
        // file unreadable.
        text += L"<level time=\"" + std::to_wstring(record.time) + L"\" name=\"" +
                Engine::escapeXml(record.name) + L"\" />";
    }
    text += L"</BestTimes>";
    return text;
}

void BestTimes::save()
{
    Engine::writeUnicodeFile("BestTimes.xml", fileText());
}
