#include "game/screens/cMap.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProps.h"
#include "engine/core/cString.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cAnimButton.h"
#include "engine/ui/cFader.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/cClouds.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cMapButton.h"
#include "game/screens/cMapNodeButton.h"
#include "game/screens/selectNextLevel.h"
#include "game/world/Game.h"
#include "game/world/MapPages.h"
#include "game/world/cGameSounds.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <string>

namespace
{

const wchar_t* const PictureKeys[cMap::PictureCount] = {L"PictureGold",      L"PictureSilver",
                                                        L"PictureCompleted", L"PictureNew",
                                                        L"PictureSelected",  L"PictureDisabled"};

[[noreturn]] void fail(const std::string& text)
{
    throw Engine::cStringA(text);
}

// A child the map cannot do without.
Engine::tPropertiesPtr requiredChild(const Engine::tPropertiesPtr& node, const std::wstring& name)
{
    Engine::tPropertiesPtr child;
    if (!node->getChild(name.c_str(), child) || !child)
        fail("the child \"" + Engine::toUtf8(name) + "\" is missing");
    return child;
}

float requiredFloat(const Engine::tPropertiesPtr& node, const wchar_t* key)
{
    float value = 0.0f;
    if (!Engine::readKey(node, key, value))
        fail("the attribute \"" + Engine::toUtf8(key) + "\" is missing");
    return value;
}

// True when the level's file is shipped (or written to the shared folder). Without a file
// system nothing can be looked up, and every place counts as a level.
bool levelFileExists(int level)
{
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    return !files || files->isKnown(Engine::toUtf8(Game::levelPath(level)));
}

// The numbers of the level files "Levels/n<number>.xml" the game has.
std::vector<int> levelFileNumbers()
{
    std::vector<int> numbers;
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files)
        return numbers;
    const std::string prefix = "levels/n";
    const std::string suffix = ".xml";
    std::list<std::string> names;
    files->listKnown(prefix, names, true);
    for (const std::string& name : names)
    {
        if (name.size() <= prefix.size() + suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        // At most nine digits: a number that fits, and no level the map could ever place is longer.
        if (digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        numbers.push_back(std::stoi(digits));
    }
    return numbers;
}

void playMapMusic()
{
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playMusic("map_music", false);
}

} // namespace

cMap::cMap(Engine::cControl* parent)
    : Engine::cForm(parent), m_cloudHost(new Engine::cControl(parent)), m_clouds(new cClouds(m_cloudHost)),
      m_fader(new Engine::cFader(1.0f))
{
    m_cloudHost->show();
    m_cloudHost->enable();
    m_nodeLayer = new Engine::cPicture(this);
    m_nodeLayer->setPosition(Engine::cVector2(-1.0f, -1.0f));
    m_nodeLayer->enable();
    m_nodeLayer->show();
    m_next = new Engine::cAnimButton(m_nodeLayer);
    m_previous = new Engine::cAnimButton(m_nodeLayer);
    m_play = new Engine::cTextStyleButton(m_nodeLayer);
    for (int i = 0; i < PageCount; ++i)
        m_pageButtons[static_cast<size_t>(i)] = new cMapButton(i, this);

    try
    {
        Engine::loadLayout(*this, Layout);
        m_selection = new Engine::cPyro(this);
        Engine::loadLayout(*m_selection, SelectionEffect);
    }
    catch (...)
    {
        // The cloud host and the fader are no children of the map: a map that is not made
        // takes them along.
        delete m_cloudHost;
        delete m_fader;
        for (MapPageInfo& page : mapPages())
            page.view = nullptr;
        throw;
    }

    loadLevelStates();
    refresh();
    playMapMusic();
    m_next->connectClickAction([this] { onNextPage(); });
    m_previous->connectClickAction([this] { onPreviousPage(); });
    m_play->connectClickAction([this] { onPlay(); });
}

cMap::~cMap()
{
    for (MapPageInfo& page : mapPages())
        page.view = nullptr;
    // The cloud host and the fader are not children of the map: they go with it.
    if (Engine::cControl::isAlive(m_cloudHost))
        Engine::cControl::deleteLater(m_cloudHost);
    if (Engine::cControl::isAlive(m_fader))
        Engine::cControl::deleteLater(m_fader);
}

void cMap::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cForm::loadXML(node);
    m_effectTime = requiredFloat(node, L"EffectTime");
    // A slide of no length would place the pages at a division by zero.
    if (!(m_effectTime > 0.0f))
        fail("the attribute \"EffectTime\" must be above 0");
    m_leftX = requiredFloat(node, L"LeftXOffset");
    m_rightX = requiredFloat(node, L"RightXOffset");
    for (int i = 0; i < PageCount; ++i)
        Engine::loadChildPart(*m_pageButtons[static_cast<size_t>(i)], node,
                              (L"MapButton" + std::to_wstring(i)).c_str());
    for (int k = 0; k < PageCount; ++k)
    {
        const std::wstring name = L"Nodes" + std::to_wstring(k);
        m_pages[static_cast<size_t>(k)].readPlacements(requiredChild(node, name), name);
    }
    Engine::loadChildPart(*m_next, node, L"NextMap");
    Engine::loadChildPart(*m_previous, node, L"PrevMap");
    Engine::loadChildPart(*m_play, node, L"Play");
    loadPages(node);
    Engine::readKey(node, L"ContinueGameString", m_continueQuestion);
    Engine::readKey(node, L"BeginGameString", m_beginQuestion);
    Engine::tPropertiesPtr clouds;
    if (node->getChild(L"Clouds", clouds) && clouds)
    {
        Engine::loadChildPart(*m_clouds, node, L"Clouds");
        m_clouds->spawnInitial();
    }
    else
    {
        m_clouds->hide();
    }
    try
    {
        m_fader->loadXML(requiredChild(node, L"FadeEffect"));
    }
    catch (...)
    {
        Engine::rethrowInLayout("child \"FadeEffect\"");
    }
    loadPictures(node);
}

void cMap::loadPages(const Engine::tPropertiesPtr& node)
{
    const Engine::tPropertiesPtr nodeButton = requiredChild(node, L"NodeButton");
    const Engine::tPropertiesPtr maps = requiredChild(node, L"Maps");
    const int pages = std::min(static_cast<int>(maps->getChildCount()), PageCount);
    int level = 0;
    m_levelCount = 0;
    auto entry = maps->childrenBegin();
    for (int k = 0; k < PageCount; ++k)
    {
        cMapPage& page = m_pages[static_cast<size_t>(k)];
        if (k >= pages)
        {
            if (!page.placements.empty())
                fail("\"Maps\" has no page " + std::to_string(k) + " for the nodes of \"Nodes" +
                     std::to_string(k) + "\"");
            continue;
        }
        const Engine::tPropertiesPtr& record = entry->value();
        ++entry;
        MapPageInfo& info = mapPages()[static_cast<size_t>(k)];
        Engine::readKey(record, L"StartIndex", info.startIndex);
        Engine::readKey(record, L"EndIndex", info.endIndex);
        mapPagesFilled() = true;
        const int last = level + static_cast<int>(page.placements.size()) - 1;
        // The page table must name the levels the nodes get, or the map would look for a level
        // on the wrong page.
        if (!page.placements.empty() && (info.startIndex != level || info.endIndex != last))
            fail("page " + std::to_string(k) + " of \"Maps\" shows the levels " +
                 std::to_string(info.startIndex) + " to " + std::to_string(info.endIndex) +
                 ", but its nodes are the levels " + std::to_string(level) + " to " + std::to_string(last));
        auto* picture = new Engine::cPicture(this);
        try
        {
            Engine::loadChildPart(*picture, record, L"Back");
        }
        catch (...)
        {
            Engine::rethrowInLayout("\"Maps\" page " + std::to_string(k));
        }
        m_pagePictures[static_cast<size_t>(k)] = picture;
        info.view = picture;
        info.position = picture->getPosition();
        for (const cMapPage::tPlacement& placement : page.placements)
        {
            if (level >= kMapLevelLimit)
                fail("the map holds more than " + std::to_string(kMapLevelLimit) + " levels");
            auto* levelNode = new cMapNodeButton(m_nodeLayer, level);
            // A place whose level is not shipped (yet) shows a node that stays locked.
            levelNode->setShipped(levelFileExists(level));
            try
            {
                levelNode->loadXML(nodeButton);
            }
            catch (...)
            {
                Engine::rethrowInLayout("child \"NodeButton\"");
            }
            levelNode->setPosition(placement.position);
            levelNode->setDeep(placement.deep);
            levelNode->connectClickAction([this, levelNode] { onNodeClicked(levelNode); });
            page.nodes.push_back(levelNode);
            ++level;
            if (levelNode->isShipped())
                ++m_levelCount;
        }
    }
    reportUnplacedLevels(level);
}

void cMap::reportUnplacedLevels(int placeCount)
{
    std::vector<int> unplaced;
    for (int number : levelFileNumbers())
        if (number >= placeCount)
            unplaced.push_back(number);
    std::sort(unplaced.begin(), unplaced.end());
    for (int number : unplaced)
        Game::reportError("The level file \"" + Engine::toUtf8(Game::levelPath(number)) +
                          "\" has no place on the map \"" + Layout + "\": the map shows " +
                          std::to_string(placeCount) + " places; add one to a \"Nodes\" list there.");
}

void cMap::loadPictures(const Engine::tPropertiesPtr& node)
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    for (int i = 0; i < PictureCount; ++i)
    {
        std::string path;
        Engine::readKey(node, PictureKeys[i], path);
        if (path.empty() || !resources)
            continue;
        try
        {
            m_pictures[static_cast<size_t>(i)] = resources->getTexture(path);
        }
        catch (...)
        {
            Engine::rethrowInLayout("attribute \"" + Engine::toUtf8(PictureKeys[i]) + "\"");
        }
        if (!m_pictures[static_cast<size_t>(i)])
            fail("attribute \"" + Engine::toUtf8(PictureKeys[i]) + "\": the picture \"" + path +
                 "\" cannot be loaded");
    }
}

boost::shared_ptr<Engine::cTexture> cMap::getNodePicture(int picture) const
{
    if (picture < 0 || picture >= PictureCount)
        return boost::shared_ptr<Engine::cTexture>();
    return m_pictures[static_cast<size_t>(picture)];
}

Engine::cPicture* cMap::getPagePicture(int page) const
{
    return page >= 0 && page < PageCount ? m_pagePictures[static_cast<size_t>(page)] : nullptr;
}

cMapNodeButton* cMap::findNode(int level) const
{
    for (const cMapPage& page : m_pages)
        for (cMapNodeButton* node : page.nodes)
            if (node->getLevel() == level)
                return node;
    return nullptr;
}

int cMap::getPlaceCount() const
{
    int count = 0;
    for (const cMapPage& page : m_pages)
        count += static_cast<int>(page.nodes.size());
    return count;
}

int cMap::getCurrentPage() const
{
    int page = 0;
    Engine::cProps::getIfPresent<int>(L"CurrentMap", page);
    return page >= 0 && page < PageCount ? page : 0;
}

void cMap::loadLevelStates()
{
    for (const cMapPage& page : m_pages)
        for (cMapNodeButton* node : page.nodes)
        {
            int medal = 0;
            // A level the game does not ship shows locked, whatever medal the player's values
            // hold for it (a profile of another version of the game keeps it).
            if (node->isShipped() &&
                Engine::cProps::getIfPresent<int>(L"Level" + std::to_wstring(node->getLevel()), medal))
            {
                node->setCompleted(true);
                node->setMedal(medal);
            }
            node->disable();
        }
}

void cMap::refresh()
{
    updateNodes();
    m_pages[static_cast<size_t>(getCurrentPage())].refreshNodes();
    updateButtons();
}

void cMap::updateNodes()
{
    const int current = getCurrentPage();
    cMapPage& page = m_pages[static_cast<size_t>(current)];
    if (Engine::cPicture* picture = getPagePicture(current))
        picture->show();
    page.completedCount = 0;
    page.goldCount = 0;
    for (size_t j = 0; j < page.nodes.size(); ++j)
    {
        cMapNodeButton* node = page.nodes[j];
        node->show();
        if (node->isCompleted())
        {
            ++page.completedCount;
            node->setEnabled(true);
            if (node->getMedal() == cMapNodeButton::Gold)
                ++page.goldCount;
            continue;
        }
        const cMapPage* before = j == 0 ? pageBefore(current) : nullptr;
        const bool open = j == 0 ? !before || before->allCompleted() : page.nodes[j - 1]->isCompleted();
        if (open)
            node->setEnabled(true);
    }
    Engine::cProps::set<int>(L"LevelCompleteCount", page.completedCount);
    Engine::cProps::set<int>(L"LevelGoldCompleteCount", page.goldCount);
}

bool cMap::isPageAvailable(int page) const
{
    if (page < 0 || page >= PageCount)
        return false;
    const cMapPage& shown = m_pages[static_cast<size_t>(page)];
    // A page without places has nothing to show but the first page's picture.
    if (shown.nodes.empty())
        return page == 0;
    if (shown.hasAvailableOrCompleted())
        return true;
    const cMapPage* before = pageBefore(page);
    return !before || before->lastCompleted();
}

const cMapPage* cMap::pageBefore(int page) const
{
    for (int k = page - 1; k >= 0; --k)
        if (!m_pages[static_cast<size_t>(k)].nodes.empty())
            return &m_pages[static_cast<size_t>(k)];
    return nullptr;
}

void cMap::updateButtons()
{
    const int current = getCurrentPage();
    if (current != 0)
        m_previous->enable();
    else
        m_previous->disable();
    if (isPageAvailable(current + 1))
        m_next->enable();
    else
        m_next->disable();
    for (int i = 0; i < PageCount; ++i)
    {
        cMapButton* button = m_pageButtons[static_cast<size_t>(i)];
        if (i == current)
            button->select();
        else
            button->unselect();
        if (isPageAvailable(i))
        {
            button->enable();
            button->setLocked(false);
        }
        else
        {
            button->disable();
            button->setLocked(true);
            button->showState(button->getState());
        }
    }
}

void cMap::hidePageNodes()
{
    m_pages[static_cast<size_t>(getCurrentPage())].hideNodes();
}

void cMap::onNodeClicked(cMapNodeButton* node)
{
    if (!node->isShipped())
        return;
    if (node->getLevel() != getCurrentSelectedLevel())
    {
        setCurrentSelectedLevel(node->getLevel());
        refresh();
        return;
    }
    levelChosenSignal(getCurrentSelectedLevel());
}

void cMap::onPlay()
{
    // Only a level the player may play starts: a selection left on a level the map does not
    // show, on one still locked, or on one the game does not ship (never open), starts nothing.
    const cMapNodeButton* node = findNode(getCurrentSelectedLevel());
    if (!node || !node->isEnabled())
        return;
    levelChosenSignal(getCurrentSelectedLevel());
}

void cMap::goToPage(int page)
{
    const int from = getCurrentPage();
    hidePageNodes();
    setCurrentMap(page);
    updateButtons();
    startSlide(from, page);
}

void cMap::onNextPage()
{
    goToPage(getCurrentPage() + 1);
}

void cMap::onPreviousPage()
{
    goToPage(getCurrentPage() - 1);
}

void cMap::selectPage(int page)
{
    for (int i = 0; i < PageCount; ++i)
        if (i != page)
            m_pageButtons[static_cast<size_t>(i)]->unselect();
    if (page != getCurrentPage() && page >= 0 && page < PageCount)
        goToPage(page);
}

void cMap::startSlide(int from, int to)
{
    CGameEngine::trace((L"Map slides to page " + std::to_wstring(to) + L"\n").c_str());
    m_sliding = true;
    m_slideFrom = from;
    m_slideTo = to;
    m_timeLeft = m_effectTime;
    m_nodeLayer->disable();
    hidePageNodes();
    for (int page : {from, to})
        if (Engine::cPicture* picture = getPagePicture(page))
            picture->show();
}

void cMap::endSlide()
{
    CGameEngine::trace((L"Map shows page " + std::to_wstring(m_slideTo) + L"\n").c_str());
    m_sliding = false;
    m_nodeLayer->enable();
    refresh();
    if (Engine::cPicture* picture = getPagePicture(m_slideFrom))
        picture->hide();
    if (Engine::cPicture* picture = getPagePicture(m_slideTo))
        picture->setPosition(mapPages()[static_cast<size_t>(m_slideTo)].position);
}

void cMap::update()
{
    Engine::cForm::update();
    if (!m_sliding)
        return;
    const float dt = Engine::cTimer::instance() ? Engine::cTimer::instance()->getFrameTime() : 0.0f;
    m_timeLeft -= dt;
    if (m_timeLeft < 0.0f)
    {
        endSlide();
        return;
    }
    const float p = 1.0f - m_timeLeft / m_effectTime;
    const float e = std::sin(p * 3.1415927f * 0.5f);
    const bool backwards = m_slideFrom >= m_slideTo;
    const auto place =
        [e](Engine::cPicture* picture, const Engine::cVector2& start, const Engine::cVector2& end)
    {
        if (picture)
            picture->setPosition(start + (end - start) * e);
    };
    const Engine::cVector2 fromHome = mapPages()[static_cast<size_t>(m_slideFrom)].position;
    const Engine::cVector2 toHome = mapPages()[static_cast<size_t>(m_slideTo)].position;
    place(getPagePicture(m_slideFrom), fromHome,
          Engine::cVector2(backwards ? m_rightX : m_leftX, fromHome.y));
    place(getPagePicture(m_slideTo), Engine::cVector2(backwards ? m_leftX : m_rightX, toHome.y), toHome);
}

void cMap::onShow()
{
    m_pages[static_cast<size_t>(getCurrentPage())].refreshNodes();
    m_cloudHost->show();
    Engine::cForm::onShow();
}

void cMap::onHide()
{
    m_cloudHost->hide();
    Engine::cForm::onHide();
}

void cMap::onEnable()
{
    Engine::cForm::onEnable();
    playMapMusic();
}

void cMap::onDisable()
{
    Engine::cForm::onDisable();
}
