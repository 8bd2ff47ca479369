#include "game/screens/BestTimes.h"

#include "engine/core/FileUtils.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogFile.h"
#include "engine/core/cLogManager.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
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
    reload();
}

void BestTimes::reload()
{
    m_records.assign(static_cast<size_t>(std::max(GameConfig::instance().getConstants().LevelsCount, 0)),
                     BestTimeRecord());
    m_changed = false;
    load();
    logAll();
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
            if (readFile(*resources))
            {
                m_changed = true;
                return;
            }
        }
        else
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

bool BestTimes::readFile(Engine::cResourceManager& resources)
{
    std::string failure;
    try
    {
        const Engine::tPropertiesPtr root = resources.getXml("besttimes.xml", true);
        Engine::tPropertiesList levels;
        root->getChildren(levels);
        std::vector<BestTimeRecord> records(m_records.size());
        for (size_t i = 0; i < std::min(levels.size(), records.size()); ++i)
        {
            records[i].name = levels[i]->getAttribute(L"name");
            Engine::fromString(records[i].time, levels[i]->getAttribute(L"time"));
        }
        m_records.swap(records);
        return true;
    }
    catch (const Engine::cStringA& text)
    {
        failure = text;
    }
    catch (const std::string& text)
    {
        failure = text;
    }
    catch (const char* text)
    {
        failure = text ? text : "";
    }
    // A damaged table costs the player the times it held, never the game: the levels' own
    // best times stand in, and the next save writes a sound file.
    Game::reportError("The best times in \"besttimes.xml\" cannot be read; the levels' own times are used. " +
                      failure);
    return false;
}

void BestTimes::logAll() const
{
    bool logging = false;
    if (Engine::cConstants* constants = Engine::cConstants::instance())
        constants->get(L"game", L"LogReadingBestTimes", logging);
    Engine::cLogManager* logs = Engine::cLogManager::instance();
    if (!logging || !logs)
        return;
    const size_t count =
        std::min(m_records.size(),
                 static_cast<size_t>(std::max(GameConfig::instance().getConstants().LevelsCount, 0)));
    for (size_t i = 0; i < count; ++i)
    {
        const BestTimeRecord& record = m_records[i];
        if (record.isSet())
            logs->getLog(L"BestTimes", false)
                ->printf("level %zu: %s %s\n", i,
                         Engine::toUtf8(Engine::timeToString(static_cast<float>(record.time))).c_str(),
                         Engine::toUtf8(record.name).c_str());
        else
            logs->getLog(L"BestTimes", false)->printf("level %zu: no best time\n", i);
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
                Engine::xmlAttributeText(record.name) + L"\" />";
    }
    text += L"</BestTimes>";
    return text;
}

void BestTimes::save()
{
    Engine::writeUnicodeFile("BestTimes.xml", fileText());
}
