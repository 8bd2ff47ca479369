#include "game/screens/CPlayState.h"

#include "engine/core/cControl.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/ui/cView.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/BestTimes.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <string>

CPlayState& CPlayState::instance()
{
    static CPlayState state;
    return state;
}

// The object tree may be gone by the time function-local statics go at process exit: the
// game's shutdown releases the play view before that (`releasePlayView`), and nothing of the
// tree is touched here.
CPlayState::~CPlayState() = default;

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

void CPlayState::releasePlayView(bool now)
{
    if (!m_playView)
        return;
    if (now)
        delete m_playView;
    else
        Engine::cControl::deleteLater(m_playView);
    m_playView = nullptr;
}

void CPlayState::showBriefing(const std::string& id)
{
    m_briefing.start(id);
}

void CPlayState::onLevelWon()
{
    Game* game = Game::instance();
    if (!game)
        return;
    const int level = Engine::cProps::get<int>(L"CurrentLevel");
    const uint32_t time = static_cast<uint32_t>(game->getLevelTime());
    BestTimes& bestTimes = BestTimes::instance();
    const BestTimeRecord stored = bestTimes.getBestTime(level);
    if (!stored.isSet() || time < stored.time)
    {
        std::wstring player;
        if (Engine::cProfileManager* profiles = Engine::cProfileManager::instance())
            player = profiles->currentUserName();
        bestTimes.setBestTime(level, BestTimeRecord(player, time));
    }
    bestTimes.saveIfChanged();

    const std::wstring key = L"Level" + std::to_wstring(level);
    int medal = -1;
    if (!Engine::cProps::getIfPresent<int>(key, medal))
        medal = -1;
    if (medal < 0)
        CGameEngine::instance().setNewLevelIndex(level);
    const int won = cStatusPanel::medalFor(game->getLevelTime(), game->getGoldTime(), game->getSilverTime());
    if (!(medal > -1 && medal <= won))
        Engine::cProps::set<int>(key, won);
}

void CPlayState::advanceLevel()
{
    const int next = Engine::cProps::get<int>(L"CurrentLevel") + 1;
    if (next == GameConfig::instance().getConstants().LevelsCount)
        return;
    Engine::cProps::set<int>(L"CurrentLevel", next);
    if (Engine::cProfileManager* profiles = Engine::cProfileManager::instance())
        profiles->save();
    cTutorial::instance().reset();
}

Engine::cView* getPlayView()
{
    return CPlayState::instance().getPlayView();
}
