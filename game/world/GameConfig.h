#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"
#include "game/world/GameConstants.h"
#include "game/world/NameIdTable.h"
#include "game/world/WalkSpeeds.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include <array>
#include <map>
#include <string>
#include <vector>

class UnitTypeInfo;

namespace Engine
{
class cProperties;
}

// The static rules of the game: the constants of "Game/Game.xml", the hero parking points of
// "Units/StartPoint.xml", the resource names of "Resources/Resources.xml" and the unit types of
// "Units/Units.xml". It turns names into the int ids the game stores and back, gives the depth
// layer of a unit's view, and knows the current player's saved-level file.
//
// One instance serves the whole run (`instance`); apart from its name tables, which grow when
// a name they lack is looked up, nothing changes it after construction.
class GameConfig
{
public:
    // The four documents and the window size (pixels) a configuration is built from.
    struct Sources
    {
        boost::shared_ptr<Engine::cProperties> game;       // "Game/Game.xml"
        boost::shared_ptr<Engine::cProperties> startPoint; // "Units/StartPoint.xml"
        boost::shared_ptr<Engine::cProperties> resources;  // "Resources/Resources.xml"
        boost::shared_ptr<Engine::cProperties> units;      // "Units/Units.xml"
        int windowWidth = 800;
        int windowHeight = 600;
    };
    // Four parking points, "pos1" to "pos4", for a base at one upgrade level.
    using ParkingEntry = std::array<Engine::cVector2, 4>;
    using ProfileIdSource = boost::function<std::string()>;

    // Built on the first call from the data files (through the resource manager) and the
    // window size of the settings ("graphics"/"width", "height"; 800 by 600 when missing).
    static GameConfig& instance();
    // Reads the four files and the settings as `instance` does.
    static Sources loadSources();

    explicit GameConfig(const Sources& sources);
    GameConfig(const GameConfig&) = delete;
    GameConfig& operator=(const GameConfig&) = delete;
    ~GameConfig();

    const GameConstants& getConstants() const { return m_constants; }
    WalkSpeeds getWalkSpeeds() const;
    // The grid size in cells for a window: ceil(size / cellWidth) + 1 in each direction.
    static Engine::cPoint mapSizeFor(int windowWidth, int windowHeight, int cellWidth);

    NameIdTable& unitNames() { return m_unitNames; }
    NameIdTable& categoryNames() { return m_categoryNames; }
    NameIdTable& resourceNames() { return m_resourceNames; }
    const NameIdTable& unitNames() const { return m_unitNames; }
    const NameIdTable& categoryNames() const { return m_categoryNames; }
    const NameIdTable& resourceNames() const { return m_resourceNames; }

    int getTypeId(const std::wstring& name) { return m_unitNames.idOf(name); }
    int getCategoryId(const std::wstring& name) { return m_categoryNames.idOf(name); }
    int getResourceId(const std::wstring& name) { return m_resourceNames.idOf(name); }
    // The record of a type id; empty for an id that no type of "Units/Units.xml" defines.
    boost::shared_ptr<UnitTypeInfo> getTypeInfo(int typeId) const;
    const std::map<int, boost::shared_ptr<UnitTypeInfo>>& getTypes() const { return m_types; }
    // True when the type's category is the named one.
    bool isOfCategory(int typeId, const std::wstring& category);

    // The records of "FakeFireBarrier" and "FakeDamagedUnit", looked up by name; throw a C
    // string naming the type when "Units/Units.xml" does not define it.
    boost::shared_ptr<UnitTypeInfo> getFakeFireBarrier();
    boost::shared_ptr<UnitTypeInfo> getFakeDamagedUnit();

    // Where a parked hero stands, from the base's cell: entry `upgrade` (the base's level),
    // point `position` (0 to 3). Throws the C string
    // "GameConfig::getParkingOffset(): bad upgrade number" for an upgrade outside the table
    // and "GameConfig::getParkingOffset(): bad position" for a position outside 0 to 3.
    Engine::cVector2 getParkingOffset(int upgrade, int position) const;
    int getParkingCount() const { return static_cast<int>(m_parking.size()); }

    // 4 for the categories "road" and "barrierroad", 5 for the other categories, 0 for any
    // other id; by category id, category name, unit type id or unit type name.
    int getDepthLayer(int categoryId);
    int getDepthLayerOfCategory(const std::wstring& category);
    int getDepthLayerOfType(int typeId);
    int getDepthLayerOfType(const std::wstring& typeName);

    // The current player's saved unfinished level: the constant "game"/"profiles", "/", the
    // profile ID text and ".save", lower-cased. The ID text is the current profile's, or what
    // a source set here gives; with neither, savePath throws the C string "ProfileID error.".
    void setProfileIdSource(const ProfileIdSource& source) { m_profileIdSource = source; }
    std::string savePath() const;
    static std::string savePathFor(const std::string& profilesFolder, const std::string& profileIdText);
    // The ID in decimal, padded with "0" to 8 characters.
    static std::string profileIdText(int profileId);
    bool hasSavedLevel() const;
    // The level number at the start of the file; -1 for a file too short to hold one.
    int savedLevelNumber() const;
    void deleteSavedLevel() const;

    // Reads "Units/Units.xml" into the type table.
    void loadUnits(const boost::shared_ptr<Engine::cProperties>& root);

private:
    void loadGame(const boost::shared_ptr<Engine::cProperties>& root, int windowWidth, int windowHeight);
    void loadStartPoint(const boost::shared_ptr<Engine::cProperties>& root);
    void loadResources(const boost::shared_ptr<Engine::cProperties>& root);
    boost::shared_ptr<UnitTypeInfo> requireType(const wchar_t* name, const char* message);

    GameConstants m_constants;
    NameIdTable m_unitNames;
    NameIdTable m_categoryNames;
    NameIdTable m_resourceNames;
    std::map<int, boost::shared_ptr<UnitTypeInfo>> m_types;
    std::vector<ParkingEntry> m_parking;
    // Built on the first depth-layer request.
    std::map<int, int> m_depthLayers;
    bool m_depthLayersBuilt = false;
    ProfileIdSource m_profileIdSource;
};
