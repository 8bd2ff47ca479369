#pragma once

#include "game/screens/CGameState.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include <cstdint>

class cMap;

// The level map as a state: the player picks a level on `cMap`, is asked whether to begin it
// (or, when the player's unfinished game is of that level, whether to continue it), and the
// state changes to the play state. A level given on the command line was played before: the
// map forgets it, and from here on every level is the one the player chooses. Entered from the
// main menu with an unfinished game, it asks about continuing at once; a No keeps the game until
// a level begins. The map's back button returns to the main menu.
//
// The player's unfinished game is read through `readSavedLevel`, also before a level given on
// the command line (`beforeGivenLevel`), which asks the map's own question about it. When the
// player's values could not be read (Engine::cProfileManager::takeValuesLoss), or the best times
// were damaged (BestTimes::takeKeptAside), the map, or the level given on the command line, tells
// the player so first.
class CMapState : public CGameState
{
public:
    static CMapState& instance();

    void Init() override;
    // The map is queued for deletion.
    void Cleanup() override;
    // The map is disabled under a question.
    void Pause() override;
    // Resources nobody holds any more are let go; the map is shown, and enabled unless a
    // message about the unfinished game stands over it.
    void Resume() override;
    void Update(CGameEngine* engine) override;
    Engine::cControl* getView() const override;

    void onBack();
    // The continue question when the player's unfinished game is of that level, else the begin
    // question about it.
    void onLevelChosen(int32_t level);
    void askBeginLevel();
    // The chosen level becomes "CurrentLevel", the unfinished game goes, and the level starts.
    void onBeginYes();
    // Asks about the level the unfinished game holds.
    void askContinueLevel();
    // Continues the unfinished game (continueSavedLevel).
    void onContinueYes();
    // The player stays on the map and the unfinished game stays on disk: choosing its level asks
    // the begin question until the map is entered again, and it is deleted when a level begins.
    void onContinueNo();

    // The level of the current player's unfinished game; -1 when there is none. A save that
    // cannot be used is a damaged one (SavedLevelFile): it is kept (its bytes aside, or where it
    // is when it cannot be opened or moved) and logged, and the first time in the run that it
    // is met, `overMap` and `overLevel` are the messages (cSystemMessage's layouts) that tell
    // the player what became of it, over the map and over a level about to start; else null.
    static int readSavedLevel(const char*& overMap, const char*& overLevel);
    // Asks the map's continue question about `level` over the top state (or alone).
    static void askContinue(int level, const boost::function<void()>& yes, const boost::function<void()>& no);
    // The play state restores the saved level, which then becomes "CurrentLevel"; should the
    // save not restore after all, the saved level starts afresh when the player has reached it
    // (Game::isLevelOpened), else the player's "CurrentLevel".
    static void continueSavedLevel(int level);
    // Deletes the player's unfinished game: one that reads and, with a level given, is of that
    // level. A save that cannot be read is never deleted.
    static void dropSavedLevel(int ofLevel = -1);
    // Before a level given on the command line starts (`begin`): with an unfinished game of the
    // player, the map's continue question about it, whose Yes continues it and whose No deletes it
    // and begins; without one, `begin` at once. A loss of the player's values and a save found
    // damaged are told over the level.
    static void beforeGivenLevel(const boost::function<void()>& begin);

    cMap* getMap() const { return m_map.get(); }

private:
    CMapState() = default;

    // Reads the unfinished game, telling the player over the map when it is damaged.
    int savedLevel();
    // With `offer`, the question about the unfinished game when there is one; the map then.
    void offerSavedLevel(bool offer);

    boost::shared_ptr<cMap> m_map;
    // The level last chosen on the map, asked about.
    int32_t m_chosenLevel = 0;
    // The level of the unfinished game asked about; -1 when none.
    int m_savedLevel = -1;
    // The player answered No to continuing it on this visit of the map.
    bool m_continueDeclined = false;
    // A message about the unfinished game stands over the map: the map stays disabled until
    // its OK.
    bool m_messageOverMap = false;
};
