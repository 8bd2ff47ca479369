#include "game/screens/CPlayState.h"

#include "engine/core/cApplication.h"
#include "engine/core/cControl.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cView.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CMapState.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/PlayViews.h"
#include "game/screens/cBriefing.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/screens/cLoadScreen.h"
#include "game/screens/cSystemMessage.h"
#include "game/screens/cTutorial.h"
#include "game/screens/selectNextLevel.h"
#include "game/world/BestTimes.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelLocation.h"
#include "game/world/cGameSounds.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t EscapeKey = 1;

// The problem a click on the unit would meet now, as the level's planner sees it.
int unitProblemNow(const cUnit::Ptr& unit)
{
    cGameResources cost;
    Engine::cPoint blocked = kNoCell;
    Game* game = Game::instance();
    return game ? static_cast<int>(game->getController().getUnitProblem(unit, cost, blocked)) : -1;
}

} // namespace

CPlayState& CPlayState::instance()
{
    static CPlayState state;
    return state;
}

// The object tree may be gone by the time function-local statics go at process exit: the
// game's shutdown takes the level down before that (Cleanup, `releasePlayView`), and nothing
// of the tree is touched here.
CPlayState::~CPlayState() = default;

Engine::cControl* CPlayState::getView() const
{
    return m_playView;
}

void CPlayState::Init()
{
    CGameEngine::trace(L"CPlayState Init\n");
    if (Engine::cResourceManager* resources = Engine::cResourceManager::instance())
        resources->releaseUnused();
    releasePlayView();
    // The level is set up under the loading screen, which covers the whole screen: it stays
    // hidden, so that no frame draws it unseen, until the screen is done (`Resume` shows it).
    getPlayView()->hide();
    m_running = false;
    new cLoadScreen(
        "res_log.xml", [this] { onLoaded(); }, 3);
}

void CPlayState::startLevel()
{
    // The level of an earlier start goes first: there is one game at a time.
    m_game.reset();
    m_game.reset(new Game(PlayViews::instance()));
    cTutorial::instance().reset();
    // Polled tips wait for their unit to be served: the level's planner tells.
    cTutorial::instance().setProblemQuery(&unitProblemNow);
    m_statusPanel = new cStatusPanel(getPlayView());
    Engine::requiredControl<Engine::cButtonPrototype>(*m_statusPanel, L"MenuButton", "UI/PanelStatus.xml",
                                                      "button")
        .connectClickAction([this] { showGameMenu(); });
    // The briefing and the modal tutorial message are made once per run.
    if (!m_briefState)
    {
        m_briefState = &BriefState::instance();
        m_briefState->Create();
    }
    if (!m_modalTutorState)
    {
        m_modalTutorState = &ModalTutorState::instance();
        m_modalTutorState->Create();
    }
    m_statusPanel->enable();
    m_levelOver = false;
    m_tracedSecond = -1;
    m_winRecorded = false;
    m_game->connectLevelFinished([this] { onLevelFinished(); });
    int level = LevelLocation::playedNumber();
    CGameEngine& engine = CGameEngine::instance();
    if (engine.continueSavedLevel())
    {
        engine.setContinueSavedLevel(false);
        m_briefingPending = false;
        if (m_game->restoreLevel())
            return;
        // The save could not be read (it is reported, and set aside unless it could not be
        // moved): a level of the map starts afresh in a new model, without what the failed
        // restore left on the field, and the player is told before it starts.
        if (!m_game->getRestoreError().empty())
            tellFirst(GameConfig::instance().hasSavedLevel() ? cSystemMessage::SaveLeftLevelStartsLayout
                                                             : cSystemMessage::SaveKeptLevelStartsLayout,
                      L"damaged save");
        level = std::max(level, 0);
        m_game.reset();
        for (Engine::cControl* child : std::vector<Engine::cControl*>(m_playView->getChildren().begin(),
                                                                      m_playView->getChildren().end()))
            if (child != m_statusPanel)
                Engine::cControl::deleteLater(child);
        m_game.reset(new Game(PlayViews::instance()));
        m_game->connectLevelFinished([this] { onLevelFinished(); });
    }
    m_game->loadLevel(level);
    m_briefingPending = true;
}

void CPlayState::tellFirst(const char* layout, const std::wstring& trace)
{
    m_tellFirst.emplace_back(layout, trace);
}

void CPlayState::onLoaded()
{
    if (!m_tellFirst.empty())
    {
        tellNext();
        return;
    }
    Resume();
    if (m_game)
        if (const cUnit::Ptr flood = m_game->getFloodBarrier())
        {
            flood->setState(eUnitState::idle, -1);
            flood->refresh();
        }
    m_running = true;
}

void CPlayState::tellNext()
{
    // The level shows under the message and waits: its clock, its briefing and its input start
    // when the player has read every one. The message is told as every other over the screens
    // is, after any that stands already, so that one stands at a time.
    getPlayView()->show();
    m_playView->disable();
    const auto [layout, trace] = m_tellFirst.front();
    m_tellFirst.erase(m_tellFirst.begin());
    CGameEngine::tell(layout, (L"CPlayState " + trace + L" told\n").c_str(),
                      [this]
                      {
                          if (m_game && !m_running)
                              onLoaded();
                      });
}

void CPlayState::Update(CGameEngine*)
{
    if (!m_running || !m_game)
        return;
    m_game->update();
    // The level clock in whole seconds, once each, for those who watch the level from outside.
    if (!m_game)
        return;
    const int second = static_cast<int>(m_game->getLevelTime());
    if (second != m_tracedSecond)
    {
        m_tracedSecond = second;
        CGameEngine::trace((L"Level clock " + std::to_wstring(second) + L"\n").c_str());
    }
}

void CPlayState::Pause()
{
    CGameEngine::trace(L"CPlayState Pause\n");
    cTutorial::instance().setCovered(true);
    if (m_playView)
        m_playView->disable();
    m_escape.disconnect();
    m_escapePress.disconnect();
    m_focus.disconnect();
}

void CPlayState::Resume()
{
    CGameEngine::trace(L"CPlayState Resume\n");
    if (m_levelOver)
    {
        leaveLevel();
        return;
    }
    getPlayView()->show();
    m_playView->enable();
    // On top again: the tips that stepped aside for a screen over the level come back.
    cTutorial::instance().setCovered(false);
    if (m_briefingPending && m_game)
    {
        m_briefingPending = false;
        // A fresh level starts its play once: after its opening briefing ("BreafId" of the
        // base), or at once when it has none.
        const cUnit::Ptr base = m_game->getBase();
        if (base && !base->breafId.empty() && getBriefing().hasBriefing(base->breafId))
        {
            showBriefing(base->breafId, [this] { beginPlay(); });
            return;
        }
        if (base && !base->breafId.empty())
            getBriefing().start(base->breafId);
        m_game->getController().init();
    }
    if (m_statusPanel)
        m_statusPanel->updateGoals();
    m_escape.disconnect();
    m_escapePress.disconnect();
    m_escapePressed = false;
    if (Engine::cInput* input = Engine::cInput::instance())
    {
        m_escapePress = input->connectKey(Engine::keyPressed(EscapeKey), [this] { m_escapePressed = true; });
        m_escape = input->connectKey(Engine::keyReleased(EscapeKey),
                                     [this]
                                     {
                                         if (m_escapePressed)
                                             onEscape();
                                     });
    }
    // While the window is at the back the frame driver runs no frame of the level, and the
    // sound is paused; both go on where they stood when it comes to the front. Nothing opens:
    // the two moments are only traced.
    m_focus.disconnect();
    if (Engine::cApplication* application = CGameEngine::instance().getApplication())
        m_focus = application->activationSignal.connect(
            [](bool active)
            {
                CGameEngine::trace(active ? L"CPlayState goes on: the window came to the front\n"
                                          : L"CPlayState stands: the window went to the back\n");
            });
    // A won level's music stopped with its win: a menu opened over its finish gives back the
    // win's own music, not the level's.
    if (!m_game || !m_game->isLevelOver())
        playLevelMusic();
}

void CPlayState::playLevelMusic()
{
    cGameSounds* sounds = cGameSounds::instance();
    if (!sounds)
        return;
    switch (Engine::cProps::get<int>(L"CurrentMap"))
    {
    case 0:
    case 3:
        sounds->playMusic("winter_music", false);
        break;
    case 1:
    case 4:
        sounds->playMusic("town_music", false);
        break;
    case 2:
    case 5:
        sounds->playMusic("village_music", false);
        break;
    default:
        break;
    }
}

void CPlayState::onEscape()
{
    showGameMenu();
}

void CPlayState::showGameMenu()
{
    TooltipManager::instance().reset();
    auto& menu = CDialogState<cGameMenu>::instance();
    menu.setHideWhenPaused(false);
    menu.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&menu);
}

void CPlayState::onLevelFinished()
{
    m_levelOver = true;
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->stopMusic();
    showLevelResults();
}

void CPlayState::showLevelResults()
{
    auto& results = CDialogState<cLevelFinishPanel>::instance();
    results.setHideWhenPaused(false);
    results.setPopOnPanelClose(true);
    results.setCloseOnEscape(true);
    CGameEngine::instance().PushState(&results);
    if (const boost::shared_ptr<cLevelFinishPanel> panel = results.getPanel())
        panel->showResults();
}

void CPlayState::leaveLevel()
{
    // Leaving records the win and moves the map's selection on; the player picks the next
    // level on the map.
    CGameEngine::instance().ChangeState(&CMapState::instance());
}

void CPlayState::showBriefing(const std::string& id, const boost::function<void()>& then)
{
    cBriefing& briefing = getBriefing();
    CGameEngine& engine = CGameEngine::instance();
    // A level driven without the state machine (a tool, a test of the level model) has no
    // screen to show a briefing over: it is over at once.
    if (briefing.hasBriefing(id) && engine.topState() != this)
    {
        briefing.pass(id, then);
        return;
    }
    if (briefing.hasBriefing(id))
        engine.PushState(&BriefState::instance());
    briefing.start(id, then);
}

cBriefing& CPlayState::getBriefing()
{
    return BriefState::instance().getBriefing();
}

void CPlayState::beginPlay()
{
    if (!m_game)
        return;
    m_game->getController().init();
    if (m_statusPanel)
        m_statusPanel->updateGoals();
}

void CPlayState::showModalTutor(const UnitTip& tip)
{
    ModalTutorState& modal = ModalTutorState::instance();
    CGameEngine::instance().PushState(&modal);
    modal.showTip(tip);
}

void CPlayState::Cleanup()
{
    CGameEngine::trace(L"CPlayState Cleanup\n");
    Pause();
    m_running = false;
    removeUnitViews();
    if (m_game)
        m_game->leavePlay();
    m_game.reset();
    cTutorial::instance().reset();
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->stopMusic();
    TooltipManager::instance().reset();
    m_tellFirst.clear();
    releaseStatusPanel();
    releasePlayView();
    UnitViewLibrary::instance().clear();
}

void CPlayState::removeUnitViews()
{
    if (!m_game)
        return;
    // The views of a unit type's states are shared by its units' views: they leave the unit
    // views before those are deleted with the play view, and wait hidden for the next level.
    for (const auto& entry : m_game->getUnits())
        if (const cUnitView* view = entry.second->getView())
            if (const auto description = view->getDescription())
            {
                description->detachStates();
                description->hideStates();
            }
}

bool CPlayState::onLevelWon()
{
    Game* game = Game::instance();
    if (!game)
        return false;
    const int level = Engine::cProps::get<int>(L"CurrentLevel");
    const uint32_t time = static_cast<uint32_t>(game->getLevelTime());
    BestTimes& bestTimes = BestTimes::instance();
    const BestTimeRecord stored = bestTimes.getBestTime(level);
    std::wstring player;
    if (Engine::cProfileManager* profiles = Engine::cProfileManager::instance())
        player = profiles->currentUserName();
    // A record carries the name of the player who set it: without a player the stored record
    // stays.
    const bool newBest = !player.empty() && (!stored.isSet() || time < stored.time);
    if (newBest)
        bestTimes.setBestTime(level, BestTimeRecord(player, time));

    const std::wstring key = L"Level" + std::to_wstring(level);
    int medal = -1;
    if (!Engine::cProps::getIfPresent<int>(key, medal))
        medal = -1;
    if (medal < 0)
        CGameEngine::instance().setNewLevelIndex(level);
    // Judged on the clock the level stopped at, as the results show it: the status panel's
    // medal was judged before the win's frame moved the clock.
    const int won = cStatusPanel::medalFor(game->getLevelTime(), game->getGoldTime(), game->getSilverTime());
    if (!(medal > -1 && medal <= won))
        Engine::cProps::set<int>(key, won);
    return newBest;
}

void CPlayState::advanceLevel()
{
    const int next = Engine::cProps::get<int>(L"CurrentLevel") + 1;
    if (next == GameConfig::instance().getConstants().LevelsCount)
        return;
    Engine::cProps::set<int>(L"CurrentLevel", next);
}

void CPlayState::recordWin()
{
    if (!Game::instance())
        return;
    CGameEngine::trace(L"win recorded\n");
    const int levelWon = Engine::cProps::get<int>(L"CurrentLevel");
    m_bestBeforeWin = BestTimes::instance().getBestTime(levelWon);
    m_winRecorded = true;
    m_levelWon = levelWon;
    const bool newBest = onLevelWon();
    advanceLevel();
    selectNextLevel(levelWon);
    Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    if (!profiles || profiles->currentUserName().empty())
        return;
    // The player's own progress first, then the best time: a run killed between the two never
    // shows a time that the player's medal does not follow.
    if (!profiles->save())
    {
        // The results show the new best all the same: the player is told it is not saved.
        if (newBest)
            BestTimes::instance().reportUnsaved(levelWon);
        return;
    }
    BestTimes::instance().saveIfChanged();
    CMapState::dropSavedLevel(levelWon);
}

void CPlayState::selectPlayedLevel()
{
    // The selected file, or the number's own, stays as it was: only the number moved on.
    if (m_winRecorded)
        Engine::cProps::set<int>(L"CurrentLevel", m_levelWon);
}

BestTimeRecord CPlayState::bestTimeBeforeWin() const
{
    if (m_winRecorded)
        return m_bestBeforeWin;
    return BestTimes::instance().getBestTime(LevelLocation::playedNumber());
}

Engine::cView* CPlayState::getPlayView()
{
    if (!m_playView)
    {
        m_playView = new Engine::cView();
        m_playView->show();
        m_playView->enable();
    }
    return m_playView;
}

void CPlayState::releaseStatusPanel()
{
    if (!m_statusPanel)
        return;
    Engine::cControl::deleteLater(m_statusPanel);
    m_statusPanel = nullptr;
}

void CPlayState::releasePlayView(bool now)
{
    // The panel is a child of the play view and goes with it.
    m_statusPanel = nullptr;
    if (!m_playView)
        return;
    if (now)
        delete m_playView;
    else
        Engine::cControl::deleteLater(m_playView);
    m_playView = nullptr;
}
