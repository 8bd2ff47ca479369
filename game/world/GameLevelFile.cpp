// Game: reading a level file (its settings, free cells, views, times, cataclysms and
// briefings) and the two steps of the level start.
#include "game/world/Game.h"
#include "game/world/GameTrace.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileStream.h"
#include "engine/core/cProperties.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextureAnimation.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelFileReader.h"
#include "game/world/LevelLocation.h"
#include "game/world/LevelViews.h"
#include "game/world/cCheats.h"

#include <vector>

namespace
{

Engine::cResourceManager& resourceManager()
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        throw "Game: levels are read through the resource manager, which does not exist.";
    return *resources;
}

std::string element(const char* list, size_t index)
{
    return std::string(list) + " element " + std::to_string(index + 1);
}

// A level file outside the game's files, read from the disk as it is spelt there (the resource
// manager would take its path for one of the data folder, in lower case).
Engine::tPropertiesPtr readDiskLevel(const std::wstring& path)
{
    const std::string name = Engine::toUtf8(path);
    Engine::cFileStream stream(name, Engine::cFileStream::AccessRead, Engine::cFileStream::OpenExisting);
    std::vector<char> bytes(stream.size());
    unsigned int done = 0;
    while (done < bytes.size())
    {
        const int got = stream.read(bytes.data() + done, static_cast<unsigned int>(bytes.size()) - done);
        if (got <= 0)
            throw std::string("Can't read file \"") + name + "\".";
        done += static_cast<unsigned int>(got);
    }
    return Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), name);
}

} // namespace

void CataclysmInfo::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    Type = 0;
    Engine::fromString(Type, node->getAttribute(L"Type"));
    Engine::fromString(StartTime, node->getAttribute(L"StartTime"));
    Engine::fromString(Duration, node->getAttribute(L"Duration"));
    Engine::fromString(RichterPoints, node->getAttribute(L"RichterPoints"));
    Engine::cPoint cell;
    Engine::fromString(cell, node->getAttribute(L"TopLeft"));
    topLeft = Engine::cVector2(cell);
    cell = Engine::cPoint();
    Engine::fromString(cell, node->getAttribute(L"BottomRight"));
    bottomRight = Engine::cVector2(cell);
}

void Game::loadLevel(int level)
{
    std::wstring path = LevelLocation::selectedPath();
    if (path.empty())
        path = levelPath(level);
    const Engine::tPropertiesPtr root = LevelLocation::isOnDisk(path)
                                            ? readDiskLevel(path)
                                            : resourceManager().getXml(Engine::toUtf8(path), true);
    m_levelPath = path;
    loadLevelSettings(root);
    m_levelTypes.clear();
    registerUnitType(0);
    loadBuildings(root);
    if (!m_base)
        logLevelNote("Level file \"" + Engine::toUtf8(m_levelPath) +
                     "\" has no unit of the category \"base\": no hero will come to this level.");
    m_ground.reset();

    cGameResources initial;
    Engine::tPropertiesPtr list;
    if (root->getChild(L"InitialResources", list))
        initial.loadXML(list);
    addResources(initial);
    m_finishCountdown = 0.0f;
    m_finishStarted = false;
    GameTrace::write((L"Level " + std::to_wstring(level) + L" loaded from " + m_levelPath + L"\n").c_str());
}

void Game::loadLevelSettings(const boost::shared_ptr<Engine::cProperties>& root)
{
    Engine::fromString(m_fieldOffset, root->getAttribute(L"FieldOffset"));
    Engine::fromString(m_autoProduceTime, root->getAttribute(L"AutoProduceTime"));
    Engine::fromString(m_automaticWater, root->getAttribute(L"AutomaticWater"));
    m_floodViewId = root->getAttribute(L"FloodId");

    loadFreeCells(root);
    loadWaves(root);

    Engine::tPropertiesPtr metaData;
    if (root->getChild(L"MetaData", metaData))
    {
        Engine::fromString(m_goldTime, metaData->getAttribute(L"GoldTime"));
        Engine::fromString(m_silverTime, metaData->getAttribute(L"SilverTime"));
        // The silver time lies at least the share p above the gold time, measured against the
        // silver time. A share of 1 or more would make it infinite or negative: only a share
        // in [0, 1) applies.
        const float p = GameConfig::instance().getConstants().GoldSilverDeltaParam;
        if (p >= 0.0f && p < 1.0f && p > (m_silverTime - m_goldTime) / m_silverTime)
            m_silverTime = m_goldTime / (1.0f - p);
    }
    m_views.showTime();
    loadCataclysms(root);
    loadBriefingData(root);
}

void Game::loadFreeCells(const boost::shared_ptr<Engine::cProperties>& root)
{
    const LevelFileReader reader(m_levelPath);
    Engine::tPropertiesPtr list;
    if (root->getChild(L"FreeCells", list))
    {
        Engine::tPropertiesList cells;
        list->getChildren(cells);
        for (size_t i = 0; i < cells.size(); ++i)
        {
            const std::string where = element("FreeCells", i);
            const Engine::cPoint cell = reader.readCell(cells[i], L"Pos", m_occupancy, where);
            Engine::cPoint offset;
            Engine::fromString(offset, cells[i]->getAttribute(L"Offset"));
            m_freeCellOffsets.emplace(cell.x * 1000 + cell.y, offset);
            m_occupancy.setCellFlags(cell, 0);
            m_ground.setCellFlags(cell, 0);
        }
    }
    occupancyChanged();

    m_cheatPoints.clear();
    if (root->getChild(L"CheatPoints", list))
    {
        Engine::tPropertiesList cells;
        list->getChildren(cells);
        for (size_t i = 0; i < cells.size(); ++i)
            m_cheatPoints.push_back(
                reader.readCell(cells[i], L"Pos", m_occupancy, element("CheatPoints", i)));
    }
}

void Game::loadWaves(const boost::shared_ptr<Engine::cProperties>& root)
{
    m_background = new Engine::cView(getPlayView());
    m_background->show();

    const std::pair<const wchar_t*, std::vector<Engine::cTextureAnimation*>*> lists[] = {
        {L"Waves", &m_waveViews}, {L"FloodWaves", &m_floodWaveViews}};
    for (const auto& [name, views] : lists)
    {
        Engine::tPropertiesPtr list;
        if (!root->getChild(name, list))
            continue;
        const unsigned count = list->getChildCount();
        views->assign(count, nullptr);
        for (unsigned i = 0; i < count; ++i)
        {
            Engine::tPropertiesPtr child;
            if (!list->getChildAt(i, child))
                continue;
            auto* wave = new Engine::cTextureAnimation(getPlayView());
            wave->loadXML(child);
            (*views)[i] = wave;
        }
    }

    Engine::tPropertiesPtr background;
    if (!root->getChild(L"BackGround", background))
        return;
    Engine::tPropertiesList layers;
    background->getChildren(layers);
    for (size_t layer = 0; layer < layers.size(); ++layer)
    {
        float deep = 0.0f;
        Engine::fromString(deep, layers[layer]->getAttribute(L"deep"));
        Engine::tPropertiesList pictures;
        layers[layer]->getChildren(pictures);
        for (const auto& picture : pictures)
            addBackgroundPicture(picture, static_cast<int>(layer), deep);
    }
}

void Game::addBackgroundPicture(const boost::shared_ptr<Engine::cProperties>& node, int layer, float deep)
{
    auto* picture = new Engine::cPicture(m_background);
    picture->loadXML(node);
    picture->setBackground(true);
    if (deep == 0.0f)
    {
        const float y = picture->getPosition().y;
        switch (layer)
        {
        case 0:
            deep = y;
            break;
        case 1:
            deep = y + 1000.0f;
            break;
        case 2:
        case 3:
            deep = y + 7000.0f;
            break;
        default:
            break;
        }
    }
    picture->setDeep(deep);
}

void Game::loadCataclysms(const boost::shared_ptr<Engine::cProperties>& root)
{
    Engine::tPropertiesPtr list;
    if (!root->getChild(L"Cataclysmes", list))
        return;
    Engine::tPropertiesList records;
    list->getChildren(records);
    m_cataclysms.assign(records.size(), CataclysmInfo());
    for (size_t i = 0; i < records.size(); ++i)
        m_cataclysms[i].loadXML(records[i]);
}

void Game::loadBriefingData(const boost::shared_ptr<Engine::cProperties>& root)
{
    Engine::tPropertiesPtr data;
    if (root->getChild(L"BreafData", data))
        m_views.loadBriefings(data);
}

void Game::addHero()
{
    const cUnit::Ptr base = m_base;
    if (!base)
        return;
    const int heroType = GameConfig::instance().getTypeId(L"hero");
    for (int i = 0; i <= base->getLevel(); ++i)
    {
        const cUnit::Ptr hero =
            addUnit(heroType, 0, -1, eUnitState::hidden, 0.0f, Engine::cVector2(), {}, L"");
        parkUnit(hero);
    }
}

void Game::loadResourceTexts()
{
    // The free-cell overlay is a hidden aid of a picture per free cell: it is built when first
    // asked for, not with every level.
    m_overlayWanted = true;
    m_overlayStale = true;
    cCheats::instance();

    auto* first = new Engine::cTextLine(getPlayView());
    first->loadXML(resourceManager().getXml("Resources/ResText.xml", true));
    first->setDeep(first->getPosition().y + 8000.0f);
    first->hide();
    // The second text takes every text setting of the first.
    auto* second = new Engine::cTextLine(*first);
    second->setParent(getPlayView());
    second->setPosition(Engine::cVector2(512.0f, 688.0f));
    second->setSize(Engine::cVector2(1024.0f, 60.0f));
    second->show();
    m_resourceTexts[0] = first;
    m_resourceTexts[1] = second;

    onResourcesChanged(&m_levelResources);
    m_resourcesConnection =
        m_levelResources.changed.connect([this](cGameResources* set) { onResourcesChanged(set); });
    m_views.showGoals();

    // The handler reaches the level through its instance: a press after the level has gone
    // does nothing (the connection goes with the level model too).
    if (Engine::cInput* input = Engine::cInput::instance())
        m_cancelConnection = input->connectKey(static_cast<Engine::eControl>(521),
                                               []
                                               {
                                                   if (Game* game = Game::instance())
                                                       game->onCancelClick();
                                               });
}
