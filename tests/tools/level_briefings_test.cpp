// The briefings of the shipped levels say what the screen shows, and leave time to read it.
//
// Every camera cut and pointer move of a level's "BreafData" says what it means: a unit
// ("unit", its type and its number among the units of that type as the level holds them, as a
// script names it: "BarrierFire#2") or a place ("place", a word its speech says: "quay"); the
// game reads neither. A move that means a unit is a pointer move, and the pointer's fingertip,
// drawn where the briefing draws it for the move's target, lies on the unit's picture as the
// game places it; the speeches told while a move stands name what it means; every speech stands
// under a move of its own briefing that has arrived when it begins, and a speech that names a
// kind of unit the level has stands under a unit. A unit moved without its pointer, or a pointer
// put on the wrong unit, fails.
//
// Each speech stays on the screen, from its first letter until the next speech or camera cut
// replaces it, a second for every 15 letters and at least 1.5 s after its last letter, unless
// the briefing waits for the player once it is whole (a wait, or the end of the briefing).
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/ui/cView.h"
#include "game/screens/cBriefing.h"
#include "game/world/UnitView.h"
#include "platform/image/ImageDecoder.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// One action as the level file writes it, with what its move means.
struct Written
{
    uint32_t type = 0;
    float start = 0.0f;
    float duration = 0.0f;
    std::string text;
    Engine::cVector2 target;
    std::string unit;
    std::string place;
};

struct WrittenBriefing
{
    std::string id;
    std::vector<Written> actions;
};

// The words that name a kind of unit in a speech, each the start of a word ("fire" names
// "fires" too).
const std::map<std::string, std::vector<std::string>>& unitWords()
{
    static const std::map<std::string, std::vector<std::string>> words = {
        {"TownHall", {"town hall", "hall"}},
        {"Market", {"market"}},
        {"BrickKiln", {"kiln"}},
        {"CementMill", {"cement mill"}},
        {"SteelWorks", {"steel works", "the works"}},
        {"PowerStation", {"power station"}},
        {"Workshop", {"workshop"}},
        {"Hospital", {"hospital", "vet"}},
        {"PipeStation", {"pumping station", "pump"}},
        {"Well", {"new well", "the well", "its well", "village well", "fresh water"}},
        {"Statue", {"statue"}},
        {"Rubble", {"rubble", "rocks", "cliff"}},
        {"FallenTree", {"tree", "pine"}},
        {"JunkPile", {"junk"}},
        {"BarrierFlood", {"flood", "water", "tide", "the sea"}},
        {"BrokenRoad", {"broken", "bend", "steps", "road", "lane"}},
        {"BarrierFire", {"fire", "flame", "burn", "alight"}},
        {"Road", {"road", "lane", "path", "steps"}},
        {"Bridge", {"bridge"}},
        {"Puppy", {"pupp"}},
        {"Kitten", {"kitten"}},
        {"Duckling", {"duck"}},
        {"Money", {"money", "coins"}},
        {"Brick", {"brick"}},
        {"Cement", {"cement"}},
        {"Steel", {"steel"}},
        {"Accum", {"batter", "accumulator"}},
        {"Hardware", {"hardware", "fitting"}},
        {"BonusSpeedHero", {"bonus"}},
        {"BonusSpeedMan", {"bonus", "boots"}},
        {"BonusSpeedMills", {"bonus"}},
        {"BonusSpeedUpgrades", {"bonus"}},
    };
    return words;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Whether a word or phrase starts a word of the text.
bool says(const std::string& text, const std::string& word)
{
    const std::string all = lower(text);
    for (size_t at = all.find(word); at != std::string::npos; at = all.find(word, at + 1))
        if (at == 0 || !std::isalpha(static_cast<unsigned char>(all[at - 1])))
            return true;
    return false;
}

bool names(const std::string& text, const std::string& type)
{
    const auto found = unitWords().find(type);
    return found != unitWords().end() &&
           std::any_of(found->second.begin(), found->second.end(),
                       [&](const std::string& word) { return says(text, word); });
}

// The type of a unit name ("BarrierFire#2" -> "BarrierFire") and its number (1 without one).
std::string typeOf(const std::string& unit)
{
    return unit.substr(0, unit.find('#'));
}

int numberOf(const std::string& unit)
{
    const size_t hash = unit.find('#');
    return hash == std::string::npos ? 1 : std::atoi(unit.c_str() + hash + 1);
}

Engine::tPropertiesPtr readXml(Engine::cFileSystem& files, const std::string& path)
{
    std::vector<char> bytes;
    files.readFile(path, bytes);
    if (bytes.empty())
        throw std::runtime_error(path + ": cannot be read");
    return Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), path);
}

std::vector<WrittenBriefing> writtenBriefings(Engine::cFileSystem& files, int level)
{
    std::vector<WrittenBriefing> briefings;
    Engine::tPropertiesPtr data;
    if (!readXml(files, "Levels/n" + std::to_string(level) + ".xml")->getChild(L"BreafData", data))
        return briefings;
    Engine::tPropertiesList list;
    data->getChildren(list);
    for (const Engine::tPropertiesPtr& node : list)
    {
        WrittenBriefing briefing;
        briefing.id = Engine::toUtf8(node->getAttribute(L"id"));
        Engine::tPropertiesList items;
        node->getChildren(items);
        for (const Engine::tPropertiesPtr& item : items)
        {
            Written action;
            Engine::fromString(action.type, item->getAttribute(L"type"));
            Engine::fromString(action.start, item->getAttribute(L"start"));
            Engine::fromString(action.duration, item->getAttribute(L"duration"));
            action.text = Engine::toUtf8(item->getAttribute(L"text"));
            Engine::fromString(action.target, item->getAttribute(L"target"));
            action.unit = Engine::toUtf8(item->getAttribute(L"unit"));
            action.place = Engine::toUtf8(item->getAttribute(L"place"));
            briefing.actions.push_back(action);
        }
        briefings.push_back(briefing);
    }
    return briefings;
}

std::string where(const Engine::cVector2& point)
{
    std::ostringstream text;
    text << std::lround(point.x) << ";" << std::lround(point.y);
    return text.str();
}

// A picture's solid pixels (alpha above half) on the screen, as a view's sprite draws it.
struct SolidBounds
{
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    // The middle of the lowest row.
    float bottom = 0.0f;

    bool contains(const Engine::cVector2& point) const
    {
        return point.x >= x0 && point.x <= x1 && point.y >= y0 && point.y <= y1;
    }
    std::string text() const { return where({x0, y0}) + " to " + where({x1, y1}); }
};

SolidBounds solidBounds(Engine::cView& view, Engine::cFileSystem& files,
                        std::map<std::string, Platform::Image>& pictures)
{
    const std::string path = view.getTextureName();
    if (!pictures.count(path))
    {
        std::vector<char> bytes;
        if (!path.empty() && files.isKnown(path))
            files.readFile(path, bytes);
        pictures[path] = bytes.empty() ? Platform::Image()
                                       : Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                               bytes.size());
    }
    const Platform::Image& picture = pictures[path];
    const Engine::cQuad& quad = view.getSprite();
    const Engine::cQuadCorner* c = quad.corners;
    SolidBounds bounds;
    std::vector<float> lowest;
    if (picture.width == 0)
        return bounds;
    // The sprite's axes run from corner 0 to corners 1 and 2; a texel per step of either.
    const int columns =
        std::max(1, static_cast<int>(std::lround(std::hypot(c[1].x - c[0].x, c[1].y - c[0].y))));
    const int rows = std::max(1, static_cast<int>(std::lround(std::hypot(c[2].x - c[0].x, c[2].y - c[0].y))));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
        {
            const float s = (static_cast<float>(column) + 0.5f) / static_cast<float>(columns);
            const float t = (static_cast<float>(row) + 0.5f) / static_cast<float>(rows);
            const float u = std::clamp(quad.uvFrom.x + s * (quad.uvTo.x - quad.uvFrom.x), 0.0f, 0.9999f);
            const float v = std::clamp(quad.uvFrom.y + t * (quad.uvTo.y - quad.uvFrom.y), 0.0f, 0.9999f);
            if (picture.row(static_cast<uint32_t>(v * static_cast<float>(picture.height)))
                    [static_cast<uint32_t>(u * static_cast<float>(picture.width)) * 4 + 3] <= 128)
                continue;
            const float x = c[0].x + s * (c[1].x - c[0].x) + t * (c[2].x - c[0].x);
            const float y = c[0].y + s * (c[1].y - c[0].y) + t * (c[2].y - c[0].y);
            bounds.x0 = std::min(bounds.x0, x), bounds.x1 = std::max(bounds.x1, x);
            bounds.y0 = std::min(bounds.y0, y);
            if (y > bounds.y1 + 0.5f)
                lowest.clear();
            bounds.y1 = std::max(bounds.y1, y);
            if (y >= bounds.y1 - 0.5f)
                lowest.push_back(x);
        }
    if (!lowest.empty())
        bounds.bottom = (*std::min_element(lowest.begin(), lowest.end()) +
                         *std::max_element(lowest.begin(), lowest.end())) *
                        0.5f;
    return bounds;
}

// The faults of a level's moves: what each means, where its pointer points, what its speeches
// name.
std::vector<std::string> pointerFaults(int level, std::map<std::string, Platform::Image>& pictures)
{
    std::vector<std::string> faults;
    GameFixture fixture;
    Game& game = fixture.newGame();
    game.loadLevel(level);
    // What waits hidden (a crate that falls in, rubble a quake throws) as it lands.
    for (const auto& entry : game.getUnits())
        if (entry.second->getState() == eUnitState::hidden && entry.second->typeName != L"hero")
            entry.second->setState(eUnitState::idle, -1);
    const auto unitsOf = [&](const std::string& type)
    { return game.getUnits().equal_range(GameConfig::instance().getTypeId(Engine::fromUtf8(type))); };
    cBriefing& briefing = CPlayState::instance().getBriefing();

    const Engine::tPropertiesPtr layout = readXml(*fixture.files, "UI/BreafPanel.xml");
    Engine::cVector2 leftUp, rightDown;
    Engine::fromString(leftUp, layout->getAttribute(L"PointerLeftUp"));
    Engine::fromString(rightDown, layout->getAttribute(L"PointerRightDown"));
    // Where the pointer points for a target: the fingertip of its picture (the middle of the
    // lowest solid row) at the lowest point of its bob between "PointerLeftUp" and
    // "PointerRightDown"; from there it bobs up and down again.
    Engine::cPicture& pointer = *briefing.getPointer();
    pointer.setPosition(Engine::cVector2(0.0f, 0.0f));
    const SolidBounds hand = solidBounds(pointer, *fixture.files, pictures);
    const Engine::cVector2 fingertip =
        Engine::cVector2(hand.bottom, hand.y1) + (leftUp + rightDown) * 0.5f + (rightDown - leftUp);

    for (const WrittenBriefing& written : writtenBriefings(*fixture.files, level))
    {
        const std::string brief = "level n" + std::to_string(level) + " briefing \"" + written.id + "\"";
        // The game reads every action of the file, in the file's order.
        const auto read = briefing.getBriefings().find(written.id);
        if (read == briefing.getBriefings().end() || read->second.size() != written.actions.size())
        {
            faults.push_back(brief + ": the game does not read all of its actions");
            continue;
        }
        for (size_t i = 0; i < written.actions.size(); ++i)
            if (read->second[i].type != written.actions[i].type ||
                read->second[i].start != written.actions[i].start)
                faults.push_back(brief + " action " + std::to_string(i + 1) +
                                 ": out of the order of its start");

        // The move that stands, and what was said under it.
        const Written* move = nullptr;
        std::string told;
        const auto closeMove = [&]
        {
            if (!move)
                return;
            const std::string what = brief + " move to " + where(move->target);
            if (!move->unit.empty() && !names(told, typeOf(move->unit)))
                faults.push_back(what + ": its speeches do not name its " + move->unit + ": \"" + told +
                                 "\"");
            if (!move->place.empty() && !says(told, lower(move->place)))
                faults.push_back(what + ": its speeches do not name its place \"" + move->place + "\": \"" +
                                 told + "\"");
        };
        for (size_t i = 0; i < written.actions.size(); ++i)
        {
            const Written& action = written.actions[i];
            const std::string what = brief + " action " + std::to_string(i + 1);
            if (action.type == cBriefing::kCamera || action.type == cBriefing::kPointerMove)
            {
                closeMove();
                move = &action;
                told.clear();
                if (action.unit.empty() == action.place.empty())
                {
                    faults.push_back(what + " (to " + where(action.target) +
                                     "): means neither one unit nor one place");
                    continue;
                }
                if (action.unit.empty())
                    continue;
                if (action.type != cBriefing::kPointerMove)
                    faults.push_back(what + ": a camera cut to " + action.unit + " shows no pointer on it");
                const auto range = unitsOf(typeOf(action.unit));
                cUnit::Ptr unit;
                int seen = 0;
                for (auto it = range.first; it != range.second && !unit; ++it)
                    if (++seen == numberOf(action.unit))
                        unit = it->second;
                UnitView* view = unit ? unit->getUnitView() : nullptr;
                if (!view)
                {
                    faults.push_back(what + ": the level has no " + action.unit);
                    continue;
                }
                const SolidBounds bounds = solidBounds(*view, *fixture.files, pictures);
                const Engine::cVector2 at = action.target + fingertip;
                const Engine::cVector2 middle((bounds.x0 + bounds.x1) * 0.5f, (bounds.y0 + bounds.y1) * 0.5f);
                if (bounds.contains(at))
                    continue;
                // A unit of the type that it points at instead, as when the units were numbered anew.
                std::string instead;
                seen = 0;
                for (auto it = range.first; it != range.second; ++it, ++seen)
                    if (UnitView* other = it->second->getUnitView();
                        other && solidBounds(*other, *fixture.files, pictures).contains(at))
                        instead = "; it points at " + typeOf(action.unit) + "#" + std::to_string(seen + 1);
                faults.push_back(what + ": the pointer for " + where(action.target) + " points at " +
                                 where(at) + ", off " + action.unit + "'s picture (" + bounds.text() +
                                 "; the target " + where(middle - fingertip) + " points at its middle" +
                                 instead + ")");
                continue;
            }
            if (action.type != cBriefing::kSpeech)
                continue;
            const std::string speech = what + " \"" + action.text.substr(0, 40) + "...\"";
            if (!move)
            {
                faults.push_back(speech + ": no camera cut or pointer move of its briefing stands before it");
                continue;
            }
            told += action.text + " ";
            if (move->type == cBriefing::kPointerMove && move->start + move->duration > action.start + 1e-3f)
                faults.push_back(speech + ": begins before its pointer arrives");
            // A place's own name ("Bridge Street") names no unit.
            std::string words = lower(action.text);
            if (const size_t at = words.find(lower(move->place));
                !move->place.empty() && at != std::string::npos)
                words.erase(at, move->place.size());
            if (move->unit.empty())
                for (const auto& entry : unitWords())
                    if (names(words, entry.first) &&
                        unitsOf(entry.first).first != unitsOf(entry.first).second)
                    {
                        faults.push_back(speech + ": names a " + entry.first + " but stands on the place \"" +
                                         move->place + "\"");
                        break;
                    }
        }
        closeMove();
    }
    return faults;
}

// The faults of a level's speeches' times on the screen: from its first letter until the next
// speech or camera cut replaces it, unless a wait comes first.
std::vector<std::string> readingFaults(int level, Engine::cFileSystem& files)
{
    std::vector<std::string> faults;
    for (const WrittenBriefing& written : writtenBriefings(files, level))
        for (size_t i = 0; i < written.actions.size(); ++i)
        {
            const Written& speech = written.actions[i];
            if (speech.type != cBriefing::kSpeech)
                continue;
            std::ostringstream name;
            name << "level n" << level << " briefing \"" << written.id << "\" action " << i + 1 << " \""
                 << speech.text.substr(0, 40) << "...\": ";
            const float letters = static_cast<float>(Engine::fromUtf8(speech.text).size());
            const float whole = speech.start + speech.duration;
            for (size_t j = i + 1; j < written.actions.size(); ++j)
            {
                const Written& next = written.actions[j];
                if (next.type == cBriefing::kWait)
                {
                    if (next.start + 1e-3f < whole)
                        faults.push_back(name.str() + "the wait at " + std::to_string(next.start) +
                                         " s comes before its last letter at " + std::to_string(whole) +
                                         " s");
                    break;
                }
                if (next.type != cBriefing::kSpeech && next.type != cBriefing::kCamera)
                    continue;
                const float shown = next.start - speech.start;
                if (shown + 1e-3f < letters / 15.0f || next.start - whole + 1e-3f < 1.5f)
                {
                    std::ostringstream fault;
                    fault << name.str() << letters << " letters on the screen " << shown << " s, whole "
                          << next.start - whole << " s";
                    faults.push_back(fault.str());
                }
                break;
            }
        }
    return faults;
}

int levelsCount()
{
    GameFixture fixture;
    return GameConfig::instance().getConstants().LevelsCount;
}

} // namespace

TEST(LevelBriefings, EveryMoveStandsOnWhatItsSpeechesName)
{
    std::map<std::string, Platform::Image> pictures;
    const int levels = levelsCount();
    ASSERT_GT(levels, 0);
    for (int level = 0; level < levels; ++level)
        for (const std::string& fault : pointerFaults(level, pictures))
            ADD_FAILURE() << fault;
}

TEST(LevelBriefings, EverySpeechStaysLongEnoughToBeRead)
{
    GameFixture fixture;
    const int levels = GameConfig::instance().getConstants().LevelsCount;
    ASSERT_GT(levels, 0);
    for (int level = 0; level < levels; ++level)
        for (const std::string& fault : readingFaults(level, *fixture.files))
            ADD_FAILURE() << fault;
}
