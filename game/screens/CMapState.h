#pragma once

#include "game/screens/CGameState.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

class cMap;

// The level map as a state: the player picks a level on `cMap`, is asked whether to begin it
// (or, when the player's unfinished game is of that level, whether to continue it), and the
// state changes to the play state. A level given on the command line was played before: the
// map forgets it, and from here on every level is the one the player chooses. Entered from the main menu with
// an unfinished game, it asks about continuing at once. The map's back button returns to the main menu.
class CMapState : public CGameState
{
public:
    static CMapState& instance();

    void Init() override;
    // The map is queued for deletion.
    void Cleanup() override;
    // The map is disabled under a question.
    void Pause() override;
    // Resources nobody holds any more are let go; the map is enabled and shown.
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
    // "CurrentLevel" becomes the saved level, which the play state restores.
    void onContinueYes();
    // The unfinished game is deleted; the player stays on the map.
    void onContinueNo();

    cMap* getMap() const { return m_map.get(); }

private:
    CMapState() = default;

    boost::shared_ptr<cMap> m_map;
    // The level last chosen on the map, asked about.
    int32_t m_chosenLevel = 0;
};
