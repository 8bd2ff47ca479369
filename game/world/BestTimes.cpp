#include "game/world/BestTimes.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/FromString.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/XmlSalvage.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogFile.h"
#include "engine/core/cLogManager.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/core/xml/XmlDocument.h"
#include "engine/devices/cResourceManager.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace
{

const char* const FileName = "besttimes.xml";

} // namespace

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
    m_levelTimePending.assign(m_records.size(), false);
    m_changed = false;
    m_keptAside = false;
    load();
    logAll();
}

BestTimeRecord BestTimes::getBestTime(int level) const
{
    if (level < 0 || static_cast<size_t>(level) >= m_records.size())
        return {};
    readLevelTime(static_cast<size_t>(level));
    return m_records[static_cast<size_t>(level)];
}

void BestTimes::setBestTime(int level, const BestTimeRecord& record)
{
    if (level < 0)
        return;
    if (static_cast<size_t>(level) >= m_records.size())
        m_records.resize(static_cast<size_t>(level) + 1);
    if (static_cast<size_t>(level) < m_levelTimePending.size())
        m_levelTimePending[static_cast<size_t>(level)] = false;
    m_records[static_cast<size_t>(level)] = record;
    m_changed = true;
}

bool BestTimes::isChanged() const
{
    if (!m_changed)
        readLevelTimesLeft();
    return m_changed;
}

void BestTimes::saveIfChanged()
{
    if (isChanged() && save())
        m_changed = false;
}

void BestTimes::load()
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!files || !resources)
        return;
    m_keepFile = false;
    readLevelTimes(*resources);
    if (files->isKnown(FileName))
        readFile();
    else if (const std::string irregular = Engine::irregularSharedFile(FileName); !irregular.empty())
    {
        // Never opened (a named pipe would block, a device never ends), never replaced.
        m_keepFile = true;
        Engine::reportSaveFailure(
            Engine::eSavedFile::bestTimes,
            "The best times in \"" + std::string(FileName) + "\" cannot be read (" + irregular +
                " is in its place, not a regular file); it is left as it is and not written "
                "in this run.");
    }
}

void BestTimes::readLevelTimes(Engine::cResourceManager& /*resources*/)
{
    // A level's own time is read from its file when its record is first wanted: a won level
    // asks for its own record only, and reading every level file would cost more than the rest
    // of the win.
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    m_levelTimePending.assign(m_records.size(), false);
    for (size_t i = 0; i < m_records.size(); ++i)
        m_levelTimePending[i] = files->isKnown(Engine::toUtf8(Game::levelPath(static_cast<int>(i))));
}

void BestTimes::readLevelTime(size_t level) const
{
    if (level >= m_levelTimePending.size() || level >= m_records.size() || !m_levelTimePending[level])
        return;
    m_levelTimePending[level] = false;
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources || !Engine::cFileSystem::instance())
        return;
    const std::string path = Engine::toUtf8(Game::levelPath(static_cast<int>(level)));
    // Only the "MetaData" element is wanted: the level is read whole (and kept) only when
    // a quick look cannot tell what a whole read would give.
    std::wstring bestTime;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    switch (Engine::xml::scanDocumentTop(path, "MetaData", attributes))
    {
    case Engine::xml::eScan::Missing:
        return;
    case Engine::xml::eScan::Found:
        for (const auto& attribute : attributes)
            if (attribute.first == L"BestTime")
                bestTime = attribute.second;
        break;
    case Engine::xml::eScan::Undecided:
    {
        Engine::tPropertiesPtr metaData;
        if (!resources->getXml(path, true)->getChild(L"MetaData", metaData))
            return;
        bestTime = metaData->getAttribute(L"BestTime");
        break;
    }
    }
    m_records[level].name = L" ";
    Engine::fromString(m_records[level].time, bestTime);
    m_changed = true;
}

void BestTimes::readLevelTimesLeft() const
{
    for (size_t i = 0; i < m_levelTimePending.size(); ++i)
        readLevelTime(i);
}

void BestTimes::readFile()
{
    Engine::cFileSystem& files = *Engine::cFileSystem::instance();
    std::string bytes;
    try
    {
        std::vector<char> data;
        files.readFile(FileName, data);
        bytes.assign(data.begin(), data.end());
    }
    catch (...)
    {
        m_keepFile = true;
        Engine::reportSaveFailure(Engine::eSavedFile::bestTimes,
                                  "The best times in \"" + std::string(FileName) + "\" cannot be read (" +
                                      Engine::currentExceptionText() +
                                      "); the file is left as it is and not written in this run.");
        return;
    }

    // The records in file order: the i-th "level" element is level i.
    std::vector<std::pair<std::wstring, std::wstring>> levels;
    std::string problem;
    try
    {
        const Engine::tPropertiesPtr root =
            Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), FileName);
        Engine::tPropertiesList children;
        root->getChildren(children);
        for (const Engine::tPropertiesPtr& child : children)
            levels.emplace_back(child->getAttribute(L"name"), child->getAttribute(L"time"));
    }
    catch (...)
    {
        problem = Engine::currentExceptionText();
        levels.clear();
        for (const Engine::sSalvagedTag& tag : Engine::salvageTags(Engine::decodeTextFile(bytes)))
            if (tag.name == L"level" && tag.complete)
                levels.emplace_back(tag.attribute(L"name"), tag.attribute(L"time"));
    }

    size_t refused = 0;
    for (size_t i = 0; i < std::min(levels.size(), m_records.size()); ++i)
    {
        uint32_t time = 0;
        if (!Engine::fromStringExact(time, levels[i].second))
        {
            ++refused;
            continue;
        }
        m_records[i] = BestTimeRecord(levels[i].first, time);
        m_levelTimePending[i] = false;
    }
    m_changed = true;
    if (problem.empty() && refused == 0)
        return;

    // A damaged table costs the player no time that can still be read, never the game.
    std::string text = "The best times in \"" + std::string(FileName) + "\" are damaged";
    if (!problem.empty())
        text += " (" + problem + ")";
    if (refused != 0)
        text += "; " + std::to_string(refused) + " times are no numbers of seconds";
    text += "; the levels' own times stand in for what cannot be read.";
    Game::reportError(text);
    try
    {
        const std::string kept = files.setAside(FileName);
        m_keptAside = true;
        Game::reportError("The damaged \"" + std::string(FileName) + "\" is kept as \"" + kept + "\".");
    }
    catch (...)
    {
        m_keepFile = true;
        Engine::reportSaveFailure(Engine::eSavedFile::bestTimes,
                                  "The damaged \"" + std::string(FileName) + "\" could not be set aside (" +
                                      Engine::currentExceptionText() +
                                      "); it is not written over in this run.");
    }
}

void BestTimes::reportUnsaved(int level)
{
    if (m_keepFile)
        return;
    Engine::reportSaveFailure(Engine::eSavedFile::bestTimes,
                              "The best time of level " + std::to_string(level) +
                                  " is not saved: the progress it belongs to could not be saved.");
}

bool BestTimes::takeKeptAside()
{
    return std::exchange(m_keptAside, false);
}

void BestTimes::logAll() const
{
    bool logging = false;
    if (Engine::cConstants* constants = Engine::cConstants::instance())
        constants->get(L"game", L"LogReadingBestTimes", logging);
    Engine::cLogManager* logs = Engine::cLogManager::instance();
    if (!logging || !logs)
        return;
    readLevelTimesLeft();
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
    readLevelTimesLeft();
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

bool BestTimes::save()
{
    if (m_keepFile)
        return false;
    try
    {
        Engine::writeUnicodeFile(FileName, fileText());
        return true;
    }
    catch (...)
    {
        Engine::reportSaveFailure(Engine::eSavedFile::bestTimes,
                                  "The best times were not saved: " + Engine::currentExceptionText());
        return false;
    }
}
