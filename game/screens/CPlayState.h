#pragma once

#include "game/screens/CGameState.h"
#include "game/screens/cBriefing.h"
#include "game/world/BestTimes.h"
#include "game/world/LevelViews.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>

#include <string>
#include <utility>
#include <vector>

class BriefState;
class Game;
class ModalTutorState;
class UnitTip;
class cStatusPanel;

namespace Engine
{
class cControl;
class cView;
} // namespace Engine

// The state in which a level is played.
//
// Init prepares an empty play view (the root of every view of the level) and starts the
// loading screen, which creates the level (`startLevel`) on its fifth frame and calls back
// (`onLoaded`) once it has preloaded the level's resources. From then on `Update` drives the
// level once per frame while this is the top state, so the level stands still under the
// in-game menu, the results or any other state above it. When the level has ended and the
// results are closed, the state leaves the level; Cleanup takes the level down (a level left
// unfinished is saved, a won one recorded).
class CPlayState : public CGameState
{
public:
    static CPlayState& instance();

    ~CPlayState() override;

    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void Update(CGameEngine* engine) override;
    Engine::cControl* getView() const override;

    // The loading screen's fifth frame: the level model, the status panel and the level file
    // (or the player's saved level when the map chose to continue it).
    void startLevel();
    // The loading screen is done: the level's first Resume, then the clock runs. When the
    // player is to be told something first (the saved level could not be continued), the level
    // waits under each message until its OK.
    void onLoaded();
    // The next level started tells first, as above, the message of `layout` (one of
    // cSystemMessage's), tracing "CPlayState <trace> told" when it shows: what was found before
    // the level was chosen.
    void tellFirst(const char* layout, const std::wstring& trace);
    // Escape and the status panel's menu button: the in-game menu above the level.
    void onEscape();
    void showGameMenu();
    // The level model's level-finished signal: the results above the level.
    void onLevelFinished();
    void showLevelResults();
    // Takes the shared views of the unit types' states off the level's unit views.
    void removeUnitViews();
    // A briefing the level asks for by id, above the level; `then` runs when it is over (the
    // level's opening briefing starts the level's play). An id the level's briefings lack is
    // logged and over at once.
    void showBriefing(const std::string& id, const boost::function<void()>& then = {});
    // The briefing state's view, which holds the level's briefings.
    cBriefing& getBriefing();
    // A modal tutorial message above the level.
    void showModalTutor(const UnitTip& tip);
    // The won level's best time and medal, in memory: the best time (whole seconds, the
    // player's name) when there is none or it is shorter; the medal under "Level" + the level
    // number unless an equal or better one is stored; the first win of a level is the engine's
    // new level. True when the win set a new best time.
    bool onLevelWon();
    // "CurrentLevel" + 1 unless that reaches the configuration's level count.
    void advanceLevel();
    // Makes the win of the running level the player's as soon as its goals are done: best
    // time and medal (onLevelWon), the next level (advanceLevel, the map's selection); the
    // profile is written, then the best times, and only then is the level's save removed, so
    // that a crash at any moment leaves the win or the save, and a best time only beside its
    // medal. Neither the best times nor the save are touched when the profile could not be
    // written (a new best time is then reported unsaved, BestTimes::reportUnsaved), and a save
    // of another level or one that cannot be read is kept.
    void recordWin();
    // Restart's level, selected again before the state starts afresh: the level being played,
    // by its number and its file. Its win moved "CurrentLevel" on at once (recordWin): the level
    // won is replayed as itself, its win, medal and best time kept.
    void selectPlayedLevel();
    // The best time of the level as it was before its win was recorded, which the results
    // show; the stored best time of "CurrentLevel" when no win was recorded since the level
    // started.
    BestTimeRecord bestTimeBeforeWin() const;

    // The play view: made on first use, a view without parent that draws nothing itself.
    Engine::cView* getPlayView();
    // Queues the play view and everything on it for deletion at the end of the frame (or now,
    // outside a frame, with `now`).
    void releasePlayView(bool now = false);
    Game* getGame() const { return m_game.get(); }
    cStatusPanel* getStatusPanel() const { return m_statusPanel; }
    bool isRunning() const { return m_running; }
    bool isLevelOver() const { return m_levelOver; }
    bool isBriefingPending() const { return m_briefingPending; }

private:
    CPlayState() = default;

    // The level is over and its results closed: the state leaves the level.
    void leaveLevel();
    // The level's play starts, once per fresh level: the heroes come, the goals are listed.
    void beginPlay();
    void playLevelMusic();
    // The first message to tell, over the waiting level.
    void tellNext();
    void releaseStatusPanel();

    // Escape opens the menu on its release, when its press came while the level listened: the
    // release of an Escape pressed under a briefing or a panel (whose press closed it) is not
    // a second Escape.
    boost::signals2::connection m_escape;
    boost::signals2::connection m_escapePress;
    bool m_escapePressed = false;
    // While the level listens: the window going to the back and coming to the front, traced.
    boost::signals2::connection m_focus;
    // Owned: deleted through the tree's deferred deletion.
    Engine::cView* m_playView = nullptr;
    boost::shared_ptr<Game> m_game;
    // A child of the play view.
    cStatusPanel* m_statusPanel = nullptr;
    bool m_running = false;
    // The level clock's whole seconds last traced; -1 before the level's first.
    int m_tracedSecond = -1;
    bool m_levelOver = false;
    bool m_briefingPending = true;
    bool m_winRecorded = false;
    // The level whose win was recorded: "CurrentLevel" before the win moved it on.
    int m_levelWon = 0;
    // What the player is told once the level has loaded, in order: the layouts of the messages
    // and their traces.
    std::vector<std::pair<const char*, std::wstring>> m_tellFirst;
    BestTimeRecord m_bestBeforeWin;
    // Taken at the first level start of the run, when they make their views.
    BriefState* m_briefState = nullptr;
    ModalTutorState* m_modalTutorState = nullptr;
};
