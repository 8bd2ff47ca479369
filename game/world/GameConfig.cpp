#include "game/world/GameConfig.h"

#include "engine/core/FromString.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProperties.h"
#include "engine/core/cSettings.h"
#include "engine/core/cStream.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"

#include <boost/make_shared.hpp>

#include <cmath>
#include <cstdio>

namespace
{

using Engine::tPropertiesPtr;

// The text of the root's child element of that name into `target`; a missing element, an
// empty text or one that holds no value of the type keeps the default.
template <class T> void readConstant(const tPropertiesPtr& root, const wchar_t* name, T& target)
{
    tPropertiesPtr child;
    if (root && root->getChild(name, child))
        Engine::fromString(target, child->asWString());
}

void requirePositive(const char* key, float value)
{
    if (!(value > 0.0f))
        throw Engine::cStringA(std::string("\"Game/Game.xml\": ") + key + " must be above 0.");
}

Engine::cFileSystem& fileSystem()
{
    Engine::cFileSystem* fs = Engine::cFileSystem::instance();
    if (!fs)
        throw "GameConfig: the saved level needs the file system.";
    return *fs;
}

} // namespace

GameConfig::GameConfig(const Sources& sources)
{
    loadGame(sources.game, sources.windowWidth, sources.windowHeight);
    loadStartPoint(sources.startPoint);
    loadResources(sources.resources);
    loadUnits(sources.units);

    m_constants.heroSlowSpeed = m_constants.HeroSpeed * m_constants.kSlowCellSpeed;
    m_constants.heroFastSpeed = m_constants.HeroSpeed * m_constants.kFastCellSpeed;
    m_constants.manSlowSpeed = m_constants.HeroSpeedMan * m_constants.kSlowCellSpeed;
    m_constants.manFastSpeed = m_constants.HeroSpeedMan * m_constants.kFastCellSpeed;
}

GameConfig::~GameConfig() = default;

Engine::cPoint GameConfig::mapSizeFor(int windowWidth, int windowHeight, int cellWidth)
{
    const float cell = static_cast<float>(cellWidth);
    const auto cells = [cell](int pixels)
    { return static_cast<int>(std::ceil(static_cast<double>(static_cast<float>(pixels) / cell)) + 1.0); };
    return Engine::cPoint(cells(windowWidth), cells(windowHeight));
}

void GameConfig::loadGame(const tPropertiesPtr& root, int windowWidth, int windowHeight)
{
    GameConstants& c = m_constants;
    readConstant(root, L"CellWidth", c.CellWidth);
    readConstant(root, L"MapSize", c.MapSize);
    readConstant(root, L"LevelsCount", c.LevelsCount);
    if (c.CellWidth < 1)
        throw Engine::cStringA("\"Game/Game.xml\": CellWidth must be at least 1.");
    // The grid covers the window; the file's "MapSize" has no effect.
    if (windowWidth <= 0 || windowHeight <= 0)
    {
        windowWidth = Engine::cSettings::DefaultWindowWidth;
        windowHeight = Engine::cSettings::DefaultWindowHeight;
    }
    c.MapSize = mapSizeFor(windowWidth, windowHeight, c.CellWidth);

    readConstant(root, L"HeroSpeed", c.HeroSpeed);
    readConstant(root, L"HeroSpeedMan", c.HeroSpeedMan);
    readConstant(root, L"kSlowCellSpeed", c.kSlowCellSpeed);
    readConstant(root, L"kFastCellSpeed", c.kFastCellSpeed);
    readConstant(root, L"kHeroBonusSpeed", c.kHeroBonusSpeed);
    readConstant(root, L"kManBonusSpeed", c.kManBonusSpeed);
    readConstant(root, L"kMillBonusSpeed", c.kMillBonusSpeed);
    readConstant(root, L"kUpgradeBonusSpeed", c.kUpgradeBonusSpeed);
    readConstant(root, L"HeroAttachDelay", c.HeroAttachDelay);
    readConstant(root, L"GoalsListLimit", c.GoalsListLimit);
    readConstant(root, L"FinishLevelTime", c.FinishLevelTime);
    readConstant(root, L"CheatResourcesPartsNumber", c.CheatResourcesPartsNumber);
    readConstant(root, L"CheatResourcesDelay", c.CheatResourcesDelay);
    readConstant(root, L"TutorialClicksNumber", c.TutorialClicksNumber);
    readConstant(root, L"UnitSoundDelay", c.UnitSoundDelay);
    readConstant(root, L"GarbageDisapperSpeed", c.GarbageDisapperSpeed);
    readConstant(root, L"ObstacleShowTime", c.ObstacleShowTime);
    readConstant(root, L"GoldSilverDeltaParam", c.GoldSilverDeltaParam);
    readConstant(root, L"FunHeroesOffset", c.FunHeroesOffset);

    // Every walking time and route estimate divides by these.
    requirePositive("HeroSpeed", c.HeroSpeed);
    requirePositive("HeroSpeedMan", c.HeroSpeedMan);
    requirePositive("kSlowCellSpeed", c.kSlowCellSpeed);
    requirePositive("kFastCellSpeed", c.kFastCellSpeed);
    requirePositive("kHeroBonusSpeed", c.kHeroBonusSpeed);
    requirePositive("kManBonusSpeed", c.kManBonusSpeed);
}

void GameConfig::loadStartPoint(const tPropertiesPtr& root)
{
    // Without a "Parking" element the table stays empty, and every parking request fails
    // with its own message.
    tPropertiesPtr parking;
    if (!root || !root->getChild(L"Parking", parking))
        return;
    Engine::tPropertiesList entries;
    parking->getChildren(entries);
    static const wchar_t* const keys[4] = {L"pos1", L"pos2", L"pos3", L"pos4"};
    for (const tPropertiesPtr& node : entries)
    {
        ParkingEntry entry;
        for (size_t i = 0; i < 4; ++i)
            Engine::fromString(entry[i], node->getAttribute(keys[i]));
        m_parking.push_back(entry);
    }
}

void GameConfig::loadResources(const tPropertiesPtr& root)
{
    if (!root)
        return;
    Engine::tPropertiesList entries;
    root->getChildren(entries);
    for (const tPropertiesPtr& node : entries)
    {
        const std::wstring& name = node->getAttribute(L"Name");
        if (!name.empty())
            m_resourceNames.idOf(name);
    }
}

void GameConfig::loadUnits(const tPropertiesPtr& root)
{
    if (!root)
        return;
    Engine::tPropertiesList entries;
    root->getChildren(entries);
    for (const tPropertiesPtr& entry : entries)
    {
        const std::wstring& name = entry->getAttribute(L"Name");
        if (name.empty())
            continue;
        auto info = boost::make_shared<UnitTypeInfo>();
        info->typeId = m_unitNames.idOf(name);
        info->categoryId = m_categoryNames.idOf(entry->getAttribute(L"Category"));
        // A repeated name keeps the first record; the later one is still read, so the names
        // it mentions get their ids.
        m_types.emplace(info->typeId, info);
        info->loadXML(entry, *this);
    }
}

WalkSpeeds GameConfig::getWalkSpeeds() const
{
    WalkSpeeds speeds;
    speeds.hero = m_constants.HeroSpeed;
    speeds.man = m_constants.HeroSpeedMan;
    speeds.heroSlow = m_constants.heroSlowSpeed;
    speeds.heroFast = m_constants.heroFastSpeed;
    speeds.manSlow = m_constants.manSlowSpeed;
    speeds.manFast = m_constants.manFastSpeed;
    speeds.heroBonus = m_constants.kHeroBonusSpeed;
    speeds.manBonus = m_constants.kManBonusSpeed;
    return speeds;
}

boost::shared_ptr<UnitTypeInfo> GameConfig::getTypeInfo(int typeId) const
{
    const auto found = m_types.find(typeId);
    return found == m_types.end() ? boost::shared_ptr<UnitTypeInfo>() : found->second;
}

bool GameConfig::isOfCategory(int typeId, const std::wstring& category)
{
    const auto info = getTypeInfo(typeId);
    return info && info->categoryId == m_categoryNames.idOf(category);
}

boost::shared_ptr<UnitTypeInfo> GameConfig::requireType(const wchar_t* name, const char* message)
{
    auto info = getTypeInfo(m_unitNames.idOf(name));
    if (!info)
        throw message;
    return info;
}

boost::shared_ptr<UnitTypeInfo> GameConfig::getFakeFireBarrier()
{
    return requireType(
        L"FakeFireBarrier",
        "GameConfig::getFakeFireBarrier(): \"Units/Units.xml\" has no unit type FakeFireBarrier");
}

boost::shared_ptr<UnitTypeInfo> GameConfig::getFakeDamagedUnit()
{
    return requireType(
        L"FakeDamagedUnit",
        "GameConfig::getFakeDamagedUnit(): \"Units/Units.xml\" has no unit type FakeDamagedUnit");
}

Engine::cVector2 GameConfig::getParkingOffset(int upgrade, int position) const
{
    if (upgrade < 0 || upgrade >= getParkingCount())
        throw "GameConfig::getParkingOffset(): bad upgrade number";
    if (position < 0 || position > 3)
        throw "GameConfig::getParkingOffset(): bad position";
    return m_parking[static_cast<size_t>(upgrade)][static_cast<size_t>(position)];
}

int GameConfig::getDepthLayer(int categoryId)
{
    if (!m_depthLayersBuilt)
    {
        for (const wchar_t* category : UnitCategory::all)
        {
            const std::wstring name = category;
            const bool underneath = name == UnitCategory::road || name == UnitCategory::barrierroad;
            m_depthLayers[m_categoryNames.idOf(name)] = underneath ? 4 : 5;
        }
        m_depthLayersBuilt = true;
    }
    const auto found = m_depthLayers.find(categoryId);
    return found == m_depthLayers.end() ? 0 : found->second;
}

int GameConfig::getDepthLayerOfCategory(const std::wstring& category)
{
    return getDepthLayer(m_categoryNames.idOf(category));
}

int GameConfig::getDepthLayerOfType(int typeId)
{
    const auto info = getTypeInfo(typeId);
    return info ? getDepthLayer(info->categoryId) : 0;
}

int GameConfig::getDepthLayerOfType(const std::wstring& typeName)
{
    return getDepthLayerOfType(m_unitNames.idOf(typeName));
}

std::string GameConfig::profileIdText(int profileId)
{
    char text[32];
    std::snprintf(text, sizeof text, "%08d", profileId);
    return text;
}

std::string GameConfig::savePathFor(const std::string& profilesFolder, const std::string& profileIdText)
{
    std::string path = profilesFolder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += profileIdText;
    path += ".save";
    for (char& c : path)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return path;
}

bool GameConfig::hasSavedLevel() const
{
    return fileSystem().isKnown(savePath());
}

int GameConfig::savedLevelNumber() const
{
    const std::unique_ptr<Engine::cStream> stream = fileSystem().openFile(savePath());
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (stream->read(bytes, 4) != 4)
        return -1;
    return static_cast<int>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

void GameConfig::deleteSavedLevel() const
{
    fileSystem().removeFile(savePath());
}

GameConfig& GameConfig::instance()
{
    static GameConfig config(loadSources());
    return config;
}

GameConfig::Sources GameConfig::loadSources()
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        throw "GameConfig: the game data is read through the resource manager, which does not exist.";
    Sources sources;
    sources.game = resources->getProperties("Game/Game.xml", true);
    sources.startPoint = resources->getProperties("Units/StartPoint.xml", true);
    sources.resources = resources->getProperties("Resources/Resources.xml", true);
    sources.units = resources->getProperties("Units/Units.xml", true);
    // The grid covers the window: its size in pixels is in the settings.
    if (Engine::cSettings* settings = Engine::cSettings::instance())
    {
        settings->get(L"graphics", L"width", sources.windowWidth);
        settings->get(L"graphics", L"height", sources.windowHeight);
    }
    return sources;
}

std::string GameConfig::savePath() const
{
    std::string id;
    if (m_profileIdSource)
        id = m_profileIdSource();
    else if (Engine::cProfileManager* profiles = Engine::cProfileManager::instance())
        profiles->getCurrentProfileId(id);
    else
        throw "ProfileID error.";
    std::string folder;
    if (Engine::cConstants* constants = Engine::cConstants::instance())
        constants->get(L"game", L"profiles", folder);
    return savePathFor(folder, id);
}
