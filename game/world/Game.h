#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cSingleton.h"
#include "engine/core/cVector2.h"
#include "game/heroes/GameController.h"
#include "game/world/CataclysmInfo.h"
#include "game/world/GridPathFinder.h"
#include "game/world/LevelArchive.h"
#include "game/world/LevelGoal.h"
#include "game/world/RoutePlan.h"
#include "game/world/cGameResources.h"
#include "game/world/cUnit.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace Engine
{
class cControl;
class cPicture;
class cProperties;
class cTextLine;
class cTextureAnimation;
class cView;
} // namespace Engine

class LevelViews;
class LevelFileReader;

// The model of the one level being played: its units (by type and by category), the two
// walkability grids of its cells, the settings of its level file, the level clock with the
// gold and silver times, the resources the player holds, the goal planner, and the views
// that belong to the level as a whole (background, waves, the garbage pattern, the obstacle
// arrow, the resource texts). One exists while a level is played; everything in the level
// reaches it through `instance`.
//
// The level's views are children of the play view (getPlayView), which owns them; the level
// makes and tells them through its LevelViews.
//
// The class is large; its operations live in several source files by theme: Game.cpp (life,
// accessors, services), GameLevelFile.cpp (the level file), GameBuildings.cpp (its buildings),
// GameUnits.cpp (units, cells and occupancy), GameRoutes.cpp (routes and parking),
// GamePlay.cpp (the frame, goals, help and finish), GameSave.cpp (the saved level).
class Game : public Engine::cSingleton<Game>
{
public:
    using UnitMap = std::multimap<int, cUnit::Ptr>;
    using CellOffsets = std::map<int, Engine::cPoint>;
    using Slot = boost::function<void()>;

    // Throws "Object already exist." while another level model lives. The level's views are
    // made and told through `views` (LevelViews::standard() when none is given); they outlive
    // the level.
    Game();
    explicit Game(LevelViews& views);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;
    virtual ~Game();

    // "Levels/n" + the number + ".xml".
    static std::wstring levelPath(int level);

    // --- Speed bonuses: switched by the bonus actions, read by the walking and work speeds ---
    virtual bool& bonusSpeedHero() { return m_bonusSpeedHero; }
    virtual void setBonusSpeedHero(const bool& on) { m_bonusSpeedHero = on; }
    virtual bool& bonusSpeedMan() { return m_bonusSpeedMan; }
    virtual void setBonusSpeedMan(const bool& on) { m_bonusSpeedMan = on; }
    virtual bool& bonusSpeedMills() { return m_bonusSpeedMills; }
    virtual void setBonusSpeedMills(const bool& on) { m_bonusSpeedMills = on; }
    virtual bool& bonusSpeedUpgrades() { return m_bonusSpeedUpgrades; }
    virtual void setBonusSpeedUpgrades(const bool& on) { m_bonusSpeedUpgrades = on; }

    // --- Plain accessors ---
    GameController& getController() { return m_controller; }
    UnitMap& getUnits() { return m_unitsByType; }
    UnitMap& getUnitsByCategory() { return m_unitsByCategory; }
    cUnit::Ptr getBase() const { return m_base; }
    cUnit::Ptr getFloodBarrier() const { return m_floodBarrier; }
    float getAutoProduceTime() const { return m_autoProduceTime; }
    bool getAutomaticWater() const { return m_automaticWater; }
    bool isLevelOver() const { return m_levelOver; }
    bool isFinishPending() const { return m_finishPending; }
    Engine::cVector2& getBasePoint() { return m_basePoint; }
    std::vector<CataclysmInfo>& getCataclysms() { return m_cataclysms; }
    float getLevelTime() const { return m_levelTime; }
    float getGoldTime() const { return m_goldTime; }
    float getSilverTime() const { return m_silverTime; }
    const std::vector<LevelGoal>& getLevelGoals() const { return m_levelGoals; }
    const std::vector<Engine::cPoint>& getCheatPoints() const { return m_cheatPoints; }
    bool isHelpGiven() const { return m_helpGiven; }
    const cGameResources& getHelpResources() const { return m_helpResources; }
    const Engine::cVector2& getFieldOffset() const { return m_fieldOffset; }
    const CellOffsets& getFreeCellOffsets() const { return m_freeCellOffsets; }
    const std::set<int>& getLevelTypes() const { return m_levelTypes; }
    GridPathFinder& getOccupancy() { return m_occupancy; }
    GridPathFinder& getGround() { return m_ground; }
    // The views and screens above the level (see LevelViews).
    LevelViews& views() const { return m_views; }
    Engine::cControl* getObstacleArrow() const { return m_obstacleArrow; }
    // The hidden picture the garbage around buildings is copied from ("Effects/garbage.xml").
    const Engine::cPicture* getGarbagePattern() const { return m_garbageView; }
    const std::vector<Engine::cTextureAnimation*>& getWaveViews() const { return m_waveViews; }
    const std::vector<Engine::cTextureAnimation*>& getFloodWaveViews() const { return m_floodWaveViews; }
    Engine::cView* getBackgroundContainer() const { return m_background; }
    Engine::cTextLine* getResourceText() const { return m_resourceTexts[1]; }

    // Inserts a type id into the level's set of types, with its "Attach" type and that type's
    // "Attach" type (two levels deep).
    void registerUnitType(int typeId);

    // Connects to the level-finished signal, raised once when the finish countdown of a won
    // level ends.
    boost::signals2::connection connectLevelFinished(const Slot& slot);
    using ResourcesSlot = boost::function<void(const cGameResources&)>;
    // Connects to the signal raised when the level gains resources, as their flying texts rise
    // (the head-up counts flash with them).
    boost::signals2::connection connectResourcesGained(const ResourcesSlot& slot);

    // --- The level file (GameLevelFile.cpp, GameBuildings.cpp) ---
    // Loads "Levels/n<level>.xml", or the level file the program was started with. A file
    // that breaks the rules of a level file throws an Engine::cStringA naming the file and
    // the element.
    void loadLevel(int level);
    // Everything of a level file but its buildings and initial resources.
    void loadLevelSettings(const boost::shared_ptr<Engine::cProperties>& root);
    void loadFreeCells(const boost::shared_ptr<Engine::cProperties>& root);
    void loadWaves(const boost::shared_ptr<Engine::cProperties>& root);
    void addBackgroundPicture(const boost::shared_ptr<Engine::cProperties>& node, int layer, float deep);
    void loadCataclysms(const boost::shared_ptr<Engine::cProperties>& root);
    void loadBriefingData(const boost::shared_ptr<Engine::cProperties>& root);
    void loadBuildings(const boost::shared_ptr<Engine::cProperties>& root);
    // A second unit with the settings of an existing one.
    cUnit::Ptr cloneUnit(const cUnit::Ptr& source);
    // Level start: base level + 1 heroes, parked in the base.
    void addHero();
    // Level start: the free-cell overlay, the cheat listener, the resource texts, the status
    // panel's resource and goal rows, and the cancel click (mouse button 1).
    void loadResourceTexts();
    const std::wstring& getLevelPath() const { return m_levelPath; }

    // --- Units and cells (GameUnits.cpp) ---
    // The only way a unit enters the level: creates it, files it in both tables, makes its
    // view and connects its signals. Throws a C string for a type id without a record.
    cUnit::Ptr addUnit(int typeId, int level, int maxLevel, eUnitState state, float angle,
                       const Engine::cVector2& position, const boost::shared_ptr<cUnit::CellMap>& freeCells,
                       const std::wstring& viewStateId);
    void onUnitLevelChanged(const cUnit::Ptr& unit);
    void onUnitStateChanged(const cUnit::Ptr& unit, eUnitState oldState, eUnitState newState);
    void onUnitRemoved(const cUnit::Ptr& unit);
    void onResourcesChanged(cGameResources* resources);
    // Drops the level's input connection and every slot of its level-finished signal.
    void stopInput(const cUnit::Ptr& unit);

    Engine::cVector2 cellToPos(const Engine::cPoint& cell) const;
    Engine::cPoint posToCell(const Engine::cVector2& position) const;
    void posToCellAndOffset(const Engine::cVector2& position, Engine::cPoint& cell,
                            Engine::cVector2& offset) const;
    Engine::cVector2 cellOffsetToPos(const Engine::cPoint& cell, const Engine::cVector2& offset) const;
    Engine::cVector2 unitPos(const cUnit& unit) const;
    Engine::cVector2 unitPos(const cUnit::Ptr& unit) const { return unitPos(*unit); }
    Engine::cVector2 getUnitFieldPos(const cUnit::Ptr& unit) const;
    Engine::cVector2 freeCellPos(const Engine::cPoint& cell) const;
    // Writes the unit's cells into the occupancy grid by its level's "FreeCell" rule (free
    // when `forceFree`). Only a change of a cell's value resets the route search.
    void updateUnitCells(const cUnit::Ptr& unit, bool forceFree);
    // The hidden overlay of the occupancy grid's free cells, rebuilt from the grid now.
    void buildFreeCellOverlay();
    // The overlay, built on the first call and rebuilt when the grid changed since; null before
    // the level's resource texts are loaded.
    Engine::cControl* getFreeCellOverlay();

    // --- Routes and parking (GameRoutes.cpp) ---
    RoutePlan planRoute(const cUnit::Ptr& target, const Engine::cPoint& start, Engine::cPoint& closest);
    RoutePlan findRoute(const cUnit::Ptr& walker, const cUnit::Ptr& target);
    cUnit::Ptr chooseRouteForGoal(const cUnit::Ptr& target, Engine::cPoint& closest, RoutePlan& plan);
    cUnit::Ptr routeToUnitOfType(int typeId, const Engine::cPoint& start, bool idleOnly,
                                 boost::shared_ptr<CellPath>& path, Engine::cVector2& endOffset);
    Engine::cVector2 findObstacle(const cUnit::Ptr& target);
    // The cells a hero walks to for work on the unit, one per approach route ("CameOffsetPoints";
    // the unit's own cell without any), in the order `planRoute` tries them.
    std::vector<Engine::cPoint> approachCells(const cUnit::Ptr& target) const;
    cUnit::Ptr attachTool(const cUnit::Ptr& hero, const cUnit::Ptr& target);
    void placeParkedHeroes();
    static float pathLength(const boost::shared_ptr<CellPath>& route);

    // --- The frame, goals and services (GamePlay.cpp) ---
    void update();
    cGameResources getNeededResources();
    void showObstacleArrow(const Engine::cVector2& position);
    void updateObstacleArrow(float dt);
    void gatherHeroesForFinish();
    void resetHeroAnimations();

    // The goal list, built at the level's start (or from a saved level).
    void buildLevelGoals();
    // Ticks the goals met since the last look (their briefings shown, the goal rows again) and
    // counts those still open. The one place a goal becomes met, and so where the level is won:
    // once the goal list is built and none of its goals is left open. The level's frame asks
    // every frame.
    int countOpenGoals();
    // countOpenGoals with the goal rows shown, asked as a hero's work ends; a level without goals
    // is won by it. Whether the level is won.
    bool checkLevelGoals();
    void onCancelClick();
    cGameResources& getResources() { return m_levelResources; }
    void addResources(const cGameResources& resources);
    void subtractResources(cGameResources resources);
    void giveUnitResources(const cUnit::Ptr& unit);
    void showFlyingIconText(const Engine::cVector2& position, const cGameResources& resources);
    static bool isResourceName(const std::wstring& name);
    void parkUnit(cUnit::Ptr unit);
    bool isParked(cUnit::Ptr unit) const;
    void playUnitStateSound(cUnit::Ptr unit);
    bool mentionsLevelUnitType(std::string text) const;
    // A won level records the win and moves on; an unfinished one is saved.
    void leavePlay();
    // Records the win of this level once (CPlayState::recordWin): when its goals are done.
    void recordWin();

    // --- The saved unfinished level (GameSave.cpp) ---
    // Writes the current profile's ".save" file; nothing without a profile manager. False when
    // it could not be written: the failure is reported and the old file stays.
    bool saveLevel();
    // The saved level's bytes, as saveLevel writes them.
    std::vector<uint8_t> saveLevelBytes();
    // Reads the current profile's ".save" back into this fresh level model. False when there
    // is none, and false when it cannot be used: a file that cannot be opened is left as it is,
    // one whose bytes are refused is set aside as "<name>.damaged". Then the profile's
    // "CurrentLevel" is left as it was, the reason is in `getRestoreError` and written to the
    // log "error", and this model must be dropped (the level starts afresh in a new one). A
    // fault of the game's data met on the way is no fault of the save: it is thrown on, and
    // the save stays where it is.
    bool restoreLevel();
    // Restores from bytes (the ".save" file's content); throws the archive's error
    // (SavedLevelDamage) for bytes it refuses, and the data's own for a fault of the data.
    void restoreLevelBytes(const std::vector<uint8_t>& bytes, const std::string& name);
    // The longest level clock a save holds (seconds): far beyond any play, and exact in the
    // clock's float.
    static constexpr uint32_t MaxSavedClock = 0xFFFFFF;
    // True when the current player may play the level: one up to "CurrentLevel" (the level
    // the map let the player choose, or the one after a win), a level won before or the one
    // after a level won.
    static bool isLevelOpened(int level);
    const std::string& getRestoreError() const { return m_restoreError; }
    void saveUnit(LevelArchive& archive, const cUnit::Ptr& unit, const UnitNumbering& numbering);
    int restoreUnit(LevelArchive& archive, cUnit::Ptr& unit);
    // The goals' section at the end of the saved level (GameGoalsSave.cpp): every goal with its
    // unit's number (-1 for a unit that has left the field) and its done flag. Read back, the
    // goals are built from the restored units as at a level start, keep the done flags saved,
    // and the goals whose units had gone come back as they were. A save without the section
    // (written before it existed) builds the goals from the units alone.
    void writeLevelGoals(LevelArchive& archive, const UnitNumbering& numbering) const;
    void readLevelGoals(LevelArchive& archive, const std::vector<cUnit::Ptr>& units);
    // Frees the cells of every building of the level file before the saved units come back.
    void freeBuildingCells(const boost::shared_ptr<Engine::cProperties>& root);

    // Writes a failure that cannot be passed on to the standard error stream and the log
    // "error".
    static void reportError(const std::string& text);
    // Writes what a level file leaves out, where that is allowed, to the log "level".
    static void logLevelNote(const std::string& text);

private:
    LevelViews& m_views;

    // Drops the goal and the walk home of the unit and of the units attached to it.
    static void releaseUnitLinks(const cUnit::Ptr& unit);
    void setLevelFile(const std::wstring& path) { m_levelPath = path; }
    void readBuilding(LevelFileReader& reader, const boost::shared_ptr<Engine::cProperties>& node, int index);
    void writeLevel(LevelArchive& archive);
    void giveHelpResources();
    // The level is won: its finish starts and the win is recorded, once.
    void winLevel();
    void finishStep(float dt);
    // The occupancy grid changed: a new route search, and the overlay is out of date.
    void occupancyChanged();
    // A copy of the units of a table, for walks during which units may come or go.
    static std::vector<cUnit::Ptr> unitsOf(const UnitMap& table);
    std::vector<cUnit::Ptr> unitsOfCategory(const wchar_t* category) const;
    bool isOfCategory(const cUnit::Ptr& unit, const wchar_t* category) const;

    boost::signals2::signal<void()> m_levelFinished;
    boost::signals2::signal<void(const cGameResources&)> m_resourcesGained;
    bool m_helpGiven = false;
    cGameResources m_helpResources;
    Engine::cPicture* m_garbageView = nullptr;
    // Disconnected with the level model too: a level left unfinished must not leave its
    // handler on the input.
    boost::signals2::scoped_connection m_cancelConnection;
    boost::signals2::scoped_connection m_resourcesConnection;
    std::vector<LevelGoal> m_levelGoals;
    std::vector<CataclysmInfo> m_cataclysms;
    UnitMap m_unitsByType;
    UnitMap m_unitsByCategory;
    std::set<int> m_levelTypes;
    Engine::cControl* m_overlay = nullptr;
    bool m_overlayStale = false;
    // The level's resource texts are loaded: the overlay may be built.
    bool m_overlayWanted = false;
    Engine::cView* m_background = nullptr;
    Engine::cTextLine* m_resourceTexts[2] = {nullptr, nullptr};
    std::vector<Engine::cTextureAnimation*> m_waveViews;
    std::vector<Engine::cTextureAnimation*> m_floodWaveViews;
    Engine::cVector2 m_fieldOffset;
    float m_autoProduceTime = 0.0f;
    bool m_automaticWater = false;
    std::wstring m_floodViewId;
    CellOffsets m_freeCellOffsets;
    GridPathFinder m_occupancy;
    GridPathFinder m_ground;
    cUnit::Ptr m_base;
    cGameResources m_levelResources;
    GameController m_controller;
    float m_levelTime = 0.0f;
    float m_goldTime = 60.0f;
    float m_silverTime = 120.0f;
    bool m_levelOver = false;
    // The goal list is built: a level is won only from then on.
    bool m_goalsBuilt = false;
    bool m_winRecorded = false;
    std::wstring m_levelPath;
    bool m_bonusSpeedHero = false;
    bool m_bonusSpeedMan = false;
    bool m_bonusSpeedMills = false;
    bool m_bonusSpeedUpgrades = false;
    cUnit::Ptr m_floodBarrier;
    Engine::cVector2 m_basePoint;
    std::vector<Engine::cPoint> m_cheatPoints;
    bool m_finishPending = false;
    bool m_finishStarted = false;
    float m_finishCountdown = 0.0f;
    Engine::cControl* m_obstacleArrow = nullptr;
    float m_obstacleArrowTimer = 0.0f;
    std::string m_restoreError;
    // The handlers this model and its planner connected to units and their views.
    std::vector<boost::signals2::connection> m_unitConnections;
};

// The direction sector (0 to n - 1) of an angle in degrees for a view with n directions:
// sectors 360 / n wide, sector 0 centred on 90 degrees, numbered towards falling angles.
int angleToDirection(float angle, int directions);
