// viewgen: writes the view description of every unit type ("Units/<TypeName>.xml") from the
// art manifest, so that the descriptions always name the pictures the art pack holds, with
// their sizes, frames, speeds and anchors.
//
//   viewgen <manifest.txt> <Units.xml> <folder>            writes <folder>/<TypeName>.xml
//   viewgen --check <manifest.txt> <Units.xml> <folder>    lists the files that differ; exit 1
//
// From the manifest (tools/art/README.md) each unit type gets, per upgrade level of its
// pictures, one view state per look:
//   - a still or animated picture: a plain state, the picture centred so that its anchor
//     falls on the unit's position;
//   - eight pictures of one look, one per facing angle: a directional state ("FirstStateAngle"
//     90, the angles falling by 45 degrees);
//   - fewer angles (a bridge along or across): a by-angles state, each picture standing for
//     its angle and the opposite one;
//   - several looks of one level for the same unit states (trees): a by-id state whose "Id" is
//     the look, the first look standing in as "default".
// The "UpStatesMatrix" row of a level names, for every unit state the manifest lists, the
// state of the look that suits it. The state of level 0 that shows "idle" is named "idle", the
// look every unit falls back on.
//
// The tables below add what the manifest does not say: each type's name in the tooltips and
// the game sound of each look.

#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cXmlProperties.h"
#include "tools/DataFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

// The names of the unit states, in the order of the matrix's attributes.
const char* const kStates[] = {"idle",       "upgrade",     "produce",  "move",        "carry",
                               "harvest",    "destroy",     "falling",  "hidden",      "prepare",
                               "moveTo",     "moveBack",    "fireIdle", "fireDestroy", "afterFire",
                               "damageIdle", "damageRepair"};

// The directions of a directional state, in order of falling angle from its first one.
const int kDirections[] = {90, 45, 0, -45, -90, -135, 180, 135};

// The name of each type in the tooltips.
const std::map<std::string, std::string> kDisplayNames = {
    {"hero", "Crew member"},
    {"TownHall", "Town hall"},
    {"Money", "Coins"},
    {"Steel", "Steel"},
    {"Accum", "Batteries"},
    {"Cement", "Cement"},
    {"Hardware", "Hardware"},
    {"Brick", "Bricks"},
    {"Market", "Market"},
    {"BrickKiln", "Brick kiln"},
    {"CementMill", "Cement mill"},
    {"SteelWorks", "Steel works"},
    {"PowerStation", "Power station"},
    {"Workshop", "Workshop"},
    {"Hospital", "Animal hospital"},
    {"PipeStation", "Pumping station"},
    {"Rubble", "Rubble"},
    {"FallenTree", "Fallen tree"},
    {"JunkPile", "Junk pile"},
    {"BarrierFlood", "Flood"},
    {"FakeFireBarrier", "Fire"},
    {"FakeDamagedUnit", "Damage"},
    {"BrokenRoad", "Broken road"},
    {"BarrierFire", "Fire on the road"},
    {"Road", "Road"},
    {"Bridge", "Bridge"},
    {"Puppy", "Puppy"},
    {"Kitten", "Kitten"},
    {"Duckling", "Duckling"},
    {"Well", "Well"},
    {"Statue", "Statue"},
    {"BonusSpeedHero", "Quick feet"},
    {"BonusSpeedMan", "Strong backs"},
    {"BonusSpeedMills", "Busy mills"},
    {"BonusSpeedUpgrades", "Quick builders"},
    {"Mason", "Mason"},
    {"Postman", "Postman"},
    {"Cart", "Cart"},
    {"Truck", "Truck"},
    {"Pigeons", "Pigeons"},
    {"ChimneySmoke", "Chimney smoke"},
    {"BackGroundTree", "Tree"},
    {"Shovel", "Shovel"},
    {"Saw", "Saw"},
    {"Hammer", "Hammer"},
    {"Pump", "Pump"},
    {"Extinguisher", "Extinguisher"},
    {"Toolbox", "Toolbox"},
    {"BarrierFireAttach", "Flames"},
};

// The sound of a type's own looks (idle, work, trapped ...): ids of "GameSounds.xml", by the
// type's category, or by the type where its category has none or its own.
const std::map<std::string, std::string> kCategorySounds = {
    {"base", "hall_bell"},    {"resource", "resource_pile"}, {"mill", "mill_work"},
    {"plant", "plant_work"},  {"service", "service_call"},   {"quest", "quest"},
    {"bonus", "bonus_start"}, {"worker", "worker"},          {"transport", "transport"},
};
const std::map<std::string, std::string> kTypeSounds = {
    {"Rubble", "rubble"},        {"FallenTree", "fallen_tree"},
    {"JunkPile", "junk"},        {"BarrierFlood", "flood_water"},
    {"FakeFireBarrier", "fire"}, {"FakeDamagedUnit", "damaged"},
    {"BrokenRoad", "rubble"},    {"BarrierFire", "fire"},
    {"Puppy", "puppy"},          {"Kitten", "kitten"},
    {"Duckling", "duckling"},    {"Pigeons", "birds"},
};

// Looks that sound the same whatever the type; an empty id is silent (walking crews would
// ring at every step).
const std::map<std::string, std::string> kLookSounds = {
    {"build", "upgrade_work"},
    {"fire", "fire"},
    {"damaged", "damaged"},
    {"ruin", "collapse"},
    {"walk", ""},
    {"carry", ""},
    {"cheer", ""},
    {"plan", ""},
    {"move", ""},
};

// Types drawn nearer the viewer than their position says: chimney smoke, placed at the top of a
// chimney, drifts over the roof of the house below it.
const std::map<std::string, int> kDeepOffsets = {{"ChimneySmoke", 100}};

// Categories whose units get an upgrade button and an upgrade indicator.
const std::set<std::string> kUpgradeCategories = {"mill", "plant", "base"};

// The running speed bonuses' place on the screen, one row per kind down the right edge: the
// bonus's "Icon" and, under it, its countdown bar ("Progress").
const std::map<std::string, int> kBonusRows = {
    {"BonusSpeedHero", 0}, {"BonusSpeedMan", 1}, {"BonusSpeedMills", 2}, {"BonusSpeedUpgrades", 3}};

struct Sheet
{
    std::string path;
    int frameWidth = 0;
    int frameHeight = 0;
    int columns = 1;
    int rows = 1;
    int frames = 1;
    float fps = 0.0f;
    int anchorX = 0;
    int anchorY = 0;
    std::string unit;
    std::vector<int> levels;
    std::string look;
    std::vector<std::string> states;
    bool directional = false;
    int angle = 0;
};

struct UnitType
{
    std::string name;
    std::string category;
};

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

bool pair(const std::string& text, char separator, int& a, int& b)
{
    return std::sscanf(text.c_str(), separator == 'x' ? "%dx%d" : "%d,%d", &a, &b) == 2;
}

// The manifest's lines, or a message naming the line that cannot be read.
bool readManifest(const std::string& path, std::vector<Sheet>& sheets, std::string& error)
{
    std::string text;
    if (!Tools::readWholeFile(path, text))
    {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    std::stringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::stringstream words(line);
        std::vector<std::string> column;
        for (std::string word; words >> word;)
            column.push_back(word);
        Sheet sheet;
        int width = 0;
        int height = 0;
        if (column.size() < 12 || !pair(column[1], 'x', width, height) ||
            !pair(column[2], 'x', sheet.frameWidth, sheet.frameHeight) ||
            !pair(column[3], 'x', sheet.columns, sheet.rows) ||
            !pair(column[6], ',', sheet.anchorX, sheet.anchorY))
        {
            error = path + ":" + std::to_string(number) + ": a line of the manifest needs twelve columns";
            return false;
        }
        sheet.path = column[0];
        sheet.frames = std::atoi(column[4].c_str());
        sheet.fps = static_cast<float>(std::atof(column[5].c_str()));
        sheet.unit = column[7];
        for (const std::string& level : split(column[8], ','))
            if (level != "-")
                sheet.levels.push_back(std::atoi(level.c_str()));
        sheet.look = column[9];
        sheet.states = split(column[10], ',');
        sheet.directional = column[11] != "-";
        sheet.angle = std::atoi(column[11].c_str());
        if (sheet.unit != "-" && sheet.look != "icon" && !sheet.levels.empty())
            sheets.push_back(sheet);
    }
    return true;
}

bool readUnitTypes(const std::string& path, std::vector<UnitType>& types, std::string& error)
{
    std::string text;
    if (!Tools::readWholeFile(path, text))
    {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    try
    {
        const auto root = Engine::cXmlProperties::fromBuffer(text.data(), text.size(), path);
        Engine::tPropertiesList entries;
        root->getChildren(L"Unit", entries);
        for (const auto& entry : entries)
            types.push_back({Engine::toUtf8(entry->getAttribute(L"Name")),
                             Engine::toUtf8(entry->getAttribute(L"Category"))});
    }
    catch (...)
    {
        error = "cannot parse \"" + path + "\"";
        return false;
    }
    return true;
}

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string vec(float x, float y)
{
    return number(x) + ";" + number(y);
}

// Where the picture's centre lies from the unit's position.
std::string offsetOf(const Sheet& sheet)
{
    return vec(static_cast<float>(sheet.frameWidth) / 2.0f - static_cast<float>(sheet.anchorX),
               static_cast<float>(sheet.frameHeight) / 2.0f - static_cast<float>(sheet.anchorY));
}

// The button keys of one picture. Scenery does not compete for the pointer, so it never takes
// a click from the unit behind it.
std::string pictureKeys(const Sheet& sheet, const std::string& category)
{
    std::string keys = "Picture=\"" + sheet.path + "\" size=\"" + std::to_string(sheet.frameWidth) + ";" +
                       std::to_string(sheet.frameHeight) + "\"";
    if (sheet.frames > 1)
    {
        const float length = sheet.fps > 0.0f ? static_cast<float>(sheet.frames) / sheet.fps : 1.0f;
        keys += " frames_count=\"" + std::to_string(sheet.frames) + "\" anim_columns=\"" +
                std::to_string(sheet.columns) + "\" anim_rows=\"" + std::to_string(sheet.rows) +
                "\" anim_length=\"" + number(length) + "\" anim_loop=\"1\" PlayAnimation=\"1\"";
    }
    return keys + (category == "ambient" ? std::string() : std::string(" IsDeepProcessing=\"1\""));
}

std::string soundOf(const UnitType& type, const std::string& look)
{
    const auto byLook = kLookSounds.find(look);
    if (byLook != kLookSounds.end())
        return byLook->second;
    const auto byType = kTypeSounds.find(type.name);
    if (byType != kTypeSounds.end())
        return byType->second;
    const auto byCategory = kCategorySounds.find(type.category);
    return byCategory == kCategorySounds.end() ? std::string() : byCategory->second;
}

// One look of one level: the sheets that draw it (several for directions or by-id looks).
struct Look
{
    std::string name;
    std::string stateName;
    std::vector<const Sheet*> sheets;
    std::vector<std::string> states;
    bool byId = false;
};

std::string stateElement(const UnitType& unit, const Look& look)
{
    const Sheet& first = *look.sheets.front();
    const std::string& category = unit.category;
    std::string head = "\t\t<State Name=\"" + look.stateName + "\"";
    const std::string sound = soundOf(unit, look.name);
    if (!sound.empty())
        head += " sound_id=\"" + sound + "\"";
    const auto deepOffset = kDeepOffsets.find(unit.name);
    if (deepOffset != kDeepOffsets.end())
        head += " deep_offset=\"" + std::to_string(deepOffset->second) + "\"";
    if (look.byId)
    {
        std::string xml = head + " ById=\"1\">\n";
        // A by-id look stands centred on the unit: such a state takes no offset.
        xml += "\t\t\t<Look Id=\"default\" " + pictureKeys(first, category) + "/>\n";
        for (const Sheet* sheet : look.sheets)
            xml += "\t\t\t<Look Id=\"" + sheet->look + "\" " + pictureKeys(*sheet, category) + "/>\n";
        return xml + "\t\t</State>\n";
    }
    if (!first.directional)
    {
        return head + " " + pictureKeys(first, category) + " posoffset=\"" + offsetOf(first) + "\"/>\n";
    }
    std::map<int, const Sheet*> byAngle;
    for (const Sheet* sheet : look.sheets)
        byAngle[sheet->angle] = sheet;
    if (byAngle.size() == std::size(kDirections))
    {
        std::string xml = head + " FirstStateAngle=\"90\">\n";
        for (int angle : kDirections)
            xml += "\t\t\t<Dir " + pictureKeys(*byAngle[angle], category) + " posoffset=\"" +
                   offsetOf(*byAngle[angle]) + "\"/>\n";
        return xml + "\t\t</State>\n";
    }
    // Each picture stands for its angle and for the opposite one.
    std::map<int, const Sheet*> angles = byAngle;
    for (const auto& [angle, sheet] : byAngle)
    {
        const int opposite = angle > 0 ? angle - 180 : angle + 180;
        angles.emplace(opposite, sheet);
    }
    std::string xml = head + " ByAngles=\"1\">\n";
    for (const auto& [angle, sheet] : angles)
        xml += "\t\t\t<Facing Angle=\"" + std::to_string(angle) + "\" " + pictureKeys(*sheet, category) +
               " posoffset=\"" + offsetOf(*sheet) + "\"/>\n";
    return xml + "\t\t</State>\n";
}

std::string describe(const UnitType& type, const std::vector<Sheet>& all)
{
    std::vector<const Sheet*> sheets;
    for (const Sheet& sheet : all)
        if (sheet.unit == type.name)
            sheets.push_back(&sheet);
    if (sheets.empty())
        return std::string();

    // The looks of every level, in manifest order.
    std::map<int, std::vector<Look>> levels;
    for (const Sheet* sheet : sheets)
    {
        for (int level : sheet->levels)
        {
            std::vector<Look>& looks = levels[level];
            auto same = std::find_if(looks.begin(), looks.end(),
                                     [&](const Look& l) { return l.name == sheet->look; });
            if (same == looks.end())
            {
                // A look of its own for the same unit states: one more face of a by-id look.
                same = std::find_if(looks.begin(), looks.end(),
                                    [&](const Look& l)
                                    { return !sheet->directional && l.states == sheet->states; });
                if (same != looks.end())
                {
                    same->byId = true;
                    same->sheets.push_back(sheet);
                    continue;
                }
                looks.push_back({sheet->look, std::string(), {}, sheet->states, false});
                same = looks.end() - 1;
            }
            same->sheets.push_back(sheet);
        }
    }
    const bool oneLevel = levels.size() == 1;
    bool idleNamed = false;
    for (auto& [level, looks] : levels)
    {
        for (Look& look : looks)
        {
            look.stateName = oneLevel ? look.name : look.name + "_l" + std::to_string(level);
            const bool showsIdle =
                std::find(look.states.begin(), look.states.end(), "idle") != look.states.end();
            if (!idleNamed && showsIdle)
            {
                look.stateName = "idle";
                idleNamed = true;
            }
        }
    }

    const Sheet& model = *sheets.front();
    const float width = static_cast<float>(model.frameWidth);
    const float height = static_cast<float>(model.frameHeight);
    // Offsets from the view's centre: the picture's top, and the ground under the unit.
    const float top = -height / 2.0f;
    const float ground = static_cast<float>(model.anchorY) - height / 2.0f;
    const auto name = kDisplayNames.find(type.name);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!-- How a " +
                      type.name +
                      " looks on the field. Written by tools/viewgen from tools/art/manifest.txt: "
                      "edit the tool or the art, not this file. -->\n";
    xml += "<View name=\"" + (name == kDisplayNames.end() ? type.name : name->second) +
           "\" goalTickOffset=\"" + vec(std::round(width * 0.3f), top + 10.0f) + "\" progressOffset=\"" +
           vec(0.0f, top - 2.0f) + "\"";
    if (kUpgradeCategories.count(type.category))
        xml += " upgradeButtonOffset=\"" + vec(std::round(width * 0.3f), ground - 12.0f) +
               "\" upgradeIndicatorOffset=\"" + vec(-std::round(width * 0.3f), ground - 12.0f) + "\"";
    else
        xml += " upgradeButtonOffset=\"-1000;-1000\"";
    xml += ">\n";
    xml += "\t<Selection>\n\t\t<Select number=\"1\" pos=\"" + vec(0.0f, ground) + "\"/>\n\t</Selection>\n";
    xml += "\t<ViewStates>\n";
    for (const auto& entry : levels)
        for (const Look& look : entry.second)
            xml += stateElement(type, look);
    xml += "\t</ViewStates>\n\t<UpStatesMatrix>\n";
    const int lastLevel = levels.rbegin()->first;
    for (int level = 0; level <= lastLevel; ++level)
    {
        xml += "\t\t<Level";
        for (const char* state : kStates)
        {
            const auto looks = levels.find(level);
            if (looks == levels.end())
                continue;
            for (const Look& look : looks->second)
            {
                if (std::find(look.states.begin(), look.states.end(), state) == look.states.end())
                    continue;
                xml += std::string(" ") + state + "=\"" + look.stateName + "\"";
                break;
            }
        }
        xml += "/>\n";
    }
    xml += "\t</UpStatesMatrix>\n";
    if (const auto row = kBonusRows.find(type.name); row != kBonusRows.end())
    {
        const float y = 60.0f + 84.0f * static_cast<float>(row->second);
        // The icon stands on the screen, over the field: its depth is its own, not its place's.
        std::string keys = pictureKeys(model, type.category);
        const std::string byPlace = " IsDeepProcessing=\"1\"";
        if (const size_t at = keys.find(byPlace); at != std::string::npos)
            keys.erase(at, byPlace.size());
        xml += "\t<Icon Visible=\"1\" " + keys + " position=\"" + vec(984.0f, y) + "\" deep=\"7500\"/>\n";
        xml +=
            "\t<Progress Visible=\"1\" Picture=\"ui/progress_fill.png\" size=\"48;8\" position=\"" +
            vec(984.0f, y + 38.0f) +
            "\" deep=\"7501\" Side=\"1\" ProgressMaxValue=\"100\" ProgressCurrentValue=\"0\">\n"
            "\t\t<Substrate Visible=\"1\" Picture=\"ui/progress_frame.png\" size=\"50;14\" deep=\"7500\"/>\n"
            "\t</Progress>\n";
    }
    xml += "</View>\n";
    return xml;
}

} // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 5 && std::string(argv[1]) == "--check";
    if (argc != 4 && !check)
    {
        std::cerr << "usage: viewgen [--check] <manifest.txt> <Units.xml> <folder>\n";
        return 2;
    }
    const int first = check ? 2 : 1;
    std::vector<Sheet> sheets;
    std::vector<UnitType> types;
    std::string error;
    if (!readManifest(argv[first], sheets, error) || !readUnitTypes(argv[first + 1], types, error))
    {
        std::cerr << "viewgen: " << error << "\n";
        return 1;
    }
    const std::string folder = argv[first + 2];
    int problems = 0;
    for (const UnitType& type : types)
    {
        const std::string xml = describe(type, sheets);
        const std::string path = folder + "/" + type.name + ".xml";
        if (xml.empty())
        {
            std::cerr << "viewgen: the manifest has no picture of the unit type \"" << type.name << "\"\n";
            ++problems;
            continue;
        }
        if (check)
        {
            std::string old;
            if (!Tools::readWholeFile(path, old) || old != xml)
            {
                std::cerr << "viewgen: \"" << path << "\" differs from what the manifest gives\n";
                ++problems;
            }
        }
        else if (!Tools::writeWholeFile("viewgen", path, xml))
        {
            ++problems;
        }
    }
    return problems == 0 ? 0 : 1;
}
