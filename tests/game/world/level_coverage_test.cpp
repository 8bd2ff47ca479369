// The shipped levels together make the player meet all of the game: every unit category, every
// kind of goal and every kind of work the heroes and the level's scripted effects do. Read from
// the level files as leveltool writes them, with the unit types of "Units/Units.xml".
#include "engine/core/StringUtils.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

using Attributes = std::map<std::string, std::string>;

Attributes attributesOf(const std::string& tag)
{
    Attributes attributes;
    const std::regex pair(R"re((\w+)="([^"]*)")re");
    for (auto it = std::sregex_iterator(tag.begin(), tag.end(), pair); it != std::sregex_iterator(); ++it)
        attributes[(*it)[1]] = (*it)[2];
    return attributes;
}

// The start tags of the units in the level's "Buildings".
std::vector<Attributes> unitsOf(const std::string& xml)
{
    std::vector<Attributes> units;
    const size_t begin = xml.find("<Buildings>");
    const size_t end = xml.find("</Buildings>");
    if (begin == std::string::npos || end == std::string::npos)
        return units;
    const std::string buildings = xml.substr(begin, end - begin);
    const std::regex unit(R"(<Unit\s([^>]*)>)");
    for (auto it = std::sregex_iterator(buildings.begin(), buildings.end(), unit);
         it != std::sregex_iterator(); ++it)
        units.push_back(attributesOf((*it)[1]));
    return units;
}

std::string value(const Attributes& attributes, const std::string& name, const std::string& otherwise = "")
{
    const auto found = attributes.find(name);
    return found == attributes.end() ? otherwise : found->second;
}

std::string categoryOf(const std::string& type)
{
    GameConfig& config = GameConfig::instance();
    const int id = typeId(Engine::fromUtf8(type).c_str());
    const boost::shared_ptr<UnitTypeInfo> info = id == -1 ? nullptr : config.getTypeInfo(id);
    return info ? Engine::toUtf8(config.categoryNames().nameOf(info->categoryId)) : "";
}

// What one level asks of the player, in the words the table below checks.
std::set<std::string> featuresOf(const std::string& xml)
{
    std::set<std::string> features;
    const std::vector<Attributes> units = unitsOf(xml);
    bool openHospital = false;
    bool pumpingStation = false;
    for (const Attributes& unit : units)
    {
        const std::string type = value(unit, "Type");
        openHospital |= type == "Hospital" && value(unit, "Level", "0") != "0";
        pumpingStation |= type == "PipeStation" && value(unit, "TargetType") == "1";
    }
    for (const Attributes& unit : units)
    {
        const std::string type = value(unit, "Type");
        const std::string category = categoryOf(type);
        const std::string target = value(unit, "TargetType", "0");
        const std::string level = value(unit, "Level", "0");
        features.insert("category " + category);
        if (category == "base")
            features.insert("category hero"); // the base houses the crew
        if (target == "1")
            features.insert(value(unit, "TargetLevel") == "1" ? "goal level 1" : "goal higher level");
        if (target == "2" && category == "barrier")
            features.insert("goal clear");
        if (target == "3")
            features.insert("goal fulfil");
        if (target == "4" && value(unit, "InFire") == "1")
            features.insert("goal put out");

        if (category == "resource")
            features.insert("collect resources");
        if (target == "1" || std::stoi(value(unit, "MaxLevel", "-1")) > std::stoi(level))
            features.insert("upgrade");
        if (category == "barrier" && target == "2")
            features.insert("destroy barrier");
        if (category == "plant" && (level != "0" || target == "1"))
            features.insert("plant production");
        if (category == "mill" && (level != "0" || target == "1"))
            features.insert("mill production");
        if (type == "Road" && target == "1")
            features.insert("road");
        if (type == "Bridge" && target == "1")
            features.insert("bridge");
        if (type == "BarrierFire" && target == "1")
            features.insert("fire on a road");
        if (value(unit, "InFire") == "1")
            features.insert("fire");
        if (value(unit, "IsDamaged") == "1")
            features.insert("repair");
        if (category == "animal" && target == "3" && openHospital)
            features.insert("animal to the hospital");
        if (type == "BarrierFlood" && pumpingStation)
            features.insert("flood");
        if (category == "quest" && target == "1")
            features.insert("quest");
        if (category == "bonus")
            features.insert("bonus " + type);
        if (value(unit, "FallingTime", "-1") != "-1" && category != "base")
            features.insert("falling units");
        if (value(unit, "AppearOnCataclysm", "-1") != "-1" && xml.find("<Quake ") != std::string::npos)
            features.insert("quake");
        if (value(unit, "TriggerCataclysm", "-1") != "-1")
            features.insert("quake started by work");
    }
    return features;
}

} // namespace

TEST(LevelCoverage, TheShippedLevelsTogetherUseEveryCategoryGoalAndAction)
{
    GameFixture fixture;
    const int count = GameConfig::instance().getConstants().LevelsCount;
    ASSERT_GE(count, 12);
    std::set<std::string> used;
    for (int level = 0; level < count; ++level)
    {
        const std::string path = QUILL_SOURCE_DIR "/data/Levels/n" + std::to_string(level) + ".xml";
        const std::string xml = ::Test::readFile(path);
        ASSERT_FALSE(xml.empty()) << path;
        const std::set<std::string> features = featuresOf(xml);
        ASSERT_TRUE(features.count("category base")) << path;
        used.insert(features.begin(), features.end());

        // The base's briefing opens the level with the reporters speaking.
        std::string start;
        for (const Attributes& unit : unitsOf(xml))
            if (categoryOf(value(unit, "Type")) == "base")
                start = value(unit, "BreafId");
        const size_t brief = xml.find("<Brief id=\"" + start + "\">");
        ASSERT_NE(brief, std::string::npos) << path;
        EXPECT_NE(xml.find("<Action type=\"1\"", brief), std::string::npos) << path << ": nobody speaks";
    }

    std::vector<std::string> expected;
    for (const wchar_t* category : UnitCategory::all)
        if (std::wstring(category) != UnitCategory::attach) // tools come with work on their units
            expected.push_back("category " + Engine::toUtf8(category));
    for (const char* goal :
         {"goal level 1", "goal higher level", "goal clear", "goal fulfil", "goal put out"})
        expected.push_back(goal);
    for (const char* work : {"collect resources",
                             "upgrade",
                             "destroy barrier",
                             "plant production",
                             "mill production",
                             "road",
                             "bridge",
                             "fire on a road",
                             "fire",
                             "repair",
                             "animal to the hospital",
                             "flood",
                             "quest",
                             "bonus BonusSpeedHero",
                             "bonus BonusSpeedMan",
                             "bonus BonusSpeedMills",
                             "bonus BonusSpeedUpgrades",
                             "falling units",
                             "quake",
                             "quake started by work"})
        expected.push_back(work);
    for (const std::string& feature : expected)
        EXPECT_TRUE(used.count(feature)) << "no level has " << feature;
}
