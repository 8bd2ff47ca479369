#include "game/screens/CMapState.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cString.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cButtonPrototype.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cMap.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <algorithm>
#include <string>

namespace
{

// The unfinished game belongs to the current player: without one (a store made for no name)
// there is none.
bool playerHasProfile()
{
    const Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    return profiles && !profiles->currentUserName().empty();
}

bool hasSavedLevel()
{
    return playerHasProfile() && GameConfig::instance().hasSavedLevel();
}

void deleteSavedLevel()
{
    if (playerHasProfile())
        GameConfig::instance().deleteSavedLevel();
}

// A question about a level, with the level named in it: "{number}" becomes its number as the
// player counts (from 1), "{name}" its name, the display text of its level file.
std::wstring aboutLevel(std::wstring question, int level)
{
    std::wstring name = Game::levelPath(level);
    if (Engine::cStrings* strings = Engine::cStrings::instance())
        name = strings->translate(name);
    Engine::replaceAll(question, L"{number}", std::to_wstring(level + 1));
    Engine::replaceAll(question, L"{name}", name);
    return question;
}

// Pushes the yes/no question about a level and fills it.
boost::shared_ptr<cYesNoPanel> askQuestion(const std::wstring& question, int level)
{
    auto& dialog = CDialogState<cYesNoPanel>::instance();
    dialog.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&dialog);
    const boost::shared_ptr<cYesNoPanel> panel = dialog.getPanel();
    if (panel)
        panel->setText(aboutLevel(question, level));
    return panel;
}

// The level of the player's unfinished game, when it is one of the game's levels; -1 otherwise.
int savedLevel()
{
    if (!hasSavedLevel())
        return -1;
    const int level = GameConfig::instance().savedLevelNumber();
    return level >= 0 && level < GameConfig::instance().getConstants().LevelsCount ? level : -1;
}

} // namespace

CMapState& CMapState::instance()
{
    static CMapState state;
    return state;
}

Engine::cControl* CMapState::getView() const
{
    return m_map.get();
}

void CMapState::Init()
{
    CGameEngine::trace(L"CMapState Init\n");
    // A level named on the command line was the first level played: from the map on, the
    // player chooses.
    CGameEngine::instance().setLevelPath(L"");
    m_map.reset(new cMap(nullptr), [](cMap* map) { Engine::deleteLater(map); });
    Engine::requiredControl<Engine::cButtonPrototype>(*m_map, L"MainMenuButton", cMap::Layout, "button")
        .connectClickAction([this] { onBack(); });
    m_map->levelChosenSignal.connect([this](int32_t level) { onLevelChosen(level); });
    if (CGameEngine::instance().enteredFromMainMenu() && hasSavedLevel())
    {
        m_map->show();
        askContinueLevel();
        return;
    }
    Resume();
}

void CMapState::Cleanup()
{
    CGameEngine::trace(L"CMapState Cleanup\n");
    m_map.reset();
}

void CMapState::Pause()
{
    CGameEngine::trace(L"CMapState Pause\n");
    if (m_map)
        m_map->disable();
}

void CMapState::Resume()
{
    CGameEngine::trace(L"CMapState Resume\n");
    if (Engine::cResourceManager* resources = Engine::cResourceManager::instance())
        resources->releaseUnused();
    if (m_map)
    {
        m_map->enable();
        m_map->show();
    }
}

void CMapState::Update(CGameEngine*) {}

void CMapState::onBack()
{
    CGameEngine::instance().ChangeState(&CMenuState::instance());
}

void CMapState::onLevelChosen(int32_t level)
{
    // The choice becomes the player's "CurrentLevel" only with a Yes: a No leaves the profile
    // as it was.
    m_chosenLevel = level;
    if (hasSavedLevel() && GameConfig::instance().savedLevelNumber() == level)
        askContinueLevel();
    else
        askBeginLevel();
}

void CMapState::askBeginLevel()
{
    if (const boost::shared_ptr<cYesNoPanel> panel =
            askQuestion(m_map ? m_map->getBeginQuestion() : L"", m_chosenLevel))
        panel->setYesAction([this] { onBeginYes(); });
}

void CMapState::onBeginYes()
{
    Engine::cProps::set<int>(L"CurrentLevel", m_chosenLevel);
    deleteSavedLevel();
    if (m_map)
        m_map->disable();
    CGameEngine::instance().ChangeState(&CPlayState::instance());
}

void CMapState::askContinueLevel()
{
    // The question names the level the save holds, whichever node was clicked.
    if (const boost::shared_ptr<cYesNoPanel> panel =
            askQuestion(m_map ? m_map->getContinueQuestion() : L"", std::max(savedLevel(), 0)))
    {
        panel->setYesAction([this] { onContinueYes(); });
        panel->setNoAction([this] { onContinueNo(); });
    }
}

void CMapState::onContinueYes()
{
    // The level continued is the saved one; should it not read, that level starts afresh.
    if (const int level = savedLevel(); level >= 0)
        Engine::cProps::set<int>(L"CurrentLevel", level);
    CGameEngine::instance().setContinueSavedLevel(true);
    if (m_map)
        m_map->disable();
    CGameEngine::instance().ChangeState(&CPlayState::instance());
}

void CMapState::onContinueNo()
{
    deleteSavedLevel();
}
