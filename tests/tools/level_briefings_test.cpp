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
//
// Played by the game's own briefing frame by frame, every letter of every speech, laid out in
// the bubble the briefing picks for it, lies on that bubble's body (its paper, not its border
// nor its tail), and the reporter on the screen while a bubble stands is the one its tail
// points at, clear of the point the speech shows. Every briefing but the opening one is named
// by a unit with a goal, the only units whose goals start a briefing.
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/ui/cGlyphView.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cView.h"
#include "game/screens/cBriefing.h"
#include "game/screens/cBriefingBubble.h"
#include "game/world/UnitView.h"
#include "platform/image/ImageDecoder.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
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

// The picture a view draws, read once.
const Platform::Image& pictureOf(Engine::cView& view, Engine::cFileSystem& files,
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
    return pictures[path];
}

SolidBounds solidBounds(Engine::cView& view, Engine::cFileSystem& files,
                        std::map<std::string, Platform::Image>& pictures)
{
    const Platform::Image& picture = pictureOf(view, files, pictures);
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

// Where the pointer points for a target, from the target: the fingertip of its picture (the
// middle of the lowest solid row) at the lowest point of its bob between "PointerLeftUp" and
// "PointerRightDown"; from there it bobs up and down again.
Engine::cVector2 fingertipOf(cBriefing& briefing, Engine::cFileSystem& files,
                             std::map<std::string, Platform::Image>& pictures)
{
    const Engine::tPropertiesPtr layout = readXml(files, "UI/BreafPanel.xml");
    Engine::cVector2 leftUp, rightDown;
    Engine::fromString(leftUp, layout->getAttribute(L"PointerLeftUp"));
    Engine::fromString(rightDown, layout->getAttribute(L"PointerRightDown"));
    Engine::cPicture& pointer = *briefing.getPointer();
    const Engine::cVector2 place = pointer.getPosition();
    pointer.setPosition(Engine::cVector2(0.0f, 0.0f));
    const SolidBounds hand = solidBounds(pointer, files, pictures);
    pointer.setPosition(place);
    return Engine::cVector2(hand.bottom, hand.y1) + (leftUp + rightDown) * 0.5f + (rightDown - leftUp);
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
    const Engine::cVector2 fingertip = fingertipOf(briefing, *fixture.files, pictures);

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

// The body of a speech bubble's picture: its paper, the opaque texels about as light as the
// picture's middle (the border round it is darker, its shadow clear), in the rows and the
// columns where the paper runs at least half as far as in the longest of them: the tail, a
// narrow run of rows or columns, is left out.
class BubbleBody
{
public:
    explicit BubbleBody(const Platform::Image& picture)
        : m_width(static_cast<int>(picture.width)), m_height(static_cast<int>(picture.height))
    {
        if (m_width < 16 || m_height < 16)
            return;
        const auto brightness = [&](int x, int y)
        {
            const uint8_t* texel = picture.row(static_cast<uint32_t>(y)) + x * 4;
            return texel[3] > 128 ? static_cast<float>(texel[0] + texel[1] + texel[2]) : 0.0f;
        };
        float middle = 0.0f;
        for (int y = m_height / 2 - 4; y < m_height / 2 + 4; ++y)
            for (int x = m_width / 2 - 4; x < m_width / 2 + 4; ++x)
                middle += brightness(x, y) / 64.0f;
        m_body.assign(static_cast<size_t>(m_width * m_height), false);
        std::vector<int> rows(static_cast<size_t>(m_height)), columns(static_cast<size_t>(m_width));
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (brightness(x, y) >= middle * 0.9f)
                {
                    m_body[static_cast<size_t>(y * m_width + x)] = true;
                    ++rows[static_cast<size_t>(y)];
                    ++columns[static_cast<size_t>(x)];
                }
        const int longestRow = *std::max_element(rows.begin(), rows.end());
        const int longestColumn = *std::max_element(columns.begin(), columns.end());
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (rows[static_cast<size_t>(y)] * 2 < longestRow ||
                    columns[static_cast<size_t>(x)] * 2 < longestColumn)
                    m_body[static_cast<size_t>(y * m_width + x)] = false;
    }

    // Whether a point of the screen lies on the body of the bubble as the view draws it.
    bool under(Engine::cView& bubble, const Engine::cVector2& point) const
    {
        if (m_body.empty())
            return false;
        const Engine::cQuad& quad = bubble.getSprite();
        const Engine::cQuadCorner* c = quad.corners;
        const Engine::cVector2 across(c[1].x - c[0].x, c[1].y - c[0].y);
        const Engine::cVector2 down(c[2].x - c[0].x, c[2].y - c[0].y);
        const Engine::cVector2 from(point.x - c[0].x, point.y - c[0].y);
        const float s = (from.x * across.x + from.y * across.y) / (across.x * across.x + across.y * across.y);
        const float t = (from.x * down.x + from.y * down.y) / (down.x * down.x + down.y * down.y);
        if (!(s >= 0.0f && s <= 1.0f && t >= 0.0f && t <= 1.0f))
            return false;
        const float u = quad.uvFrom.x + s * (quad.uvTo.x - quad.uvFrom.x);
        const float v = quad.uvFrom.y + t * (quad.uvTo.y - quad.uvFrom.y);
        const int x = std::clamp(static_cast<int>(u * static_cast<float>(m_width)), 0, m_width - 1);
        const int y = std::clamp(static_cast<int>(v * static_cast<float>(m_height)), 0, m_height - 1);
        return m_body[static_cast<size_t>(y * m_width + x)];
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<bool> m_body;
};

// The letters a bubble's text draws now, as quads of the screen.
std::vector<Engine::cQuad> drawnLetters(cBriefingBubble& text)
{
    std::vector<Engine::cQuad> letters;
    for (Engine::cTextLine* line : text.getLines())
    {
        if (!line->isShown())
            continue;
        line->getWidth();
        if (line->getMultiSprites())
        {
            for (const Engine::cQuad& quad : line->getSprites())
                letters.push_back(quad);
            continue;
        }
        for (Engine::cControl* child : line->getChildren())
            if (auto* glyph = dynamic_cast<Engine::cGlyphView*>(child); glyph && glyph->isShown())
                letters.push_back(glyph->getSprite());
    }
    return letters;
}

// What a player sees of a level's briefings, each played by the game's briefing frame by frame
// at 30 frames a second until it waits for the player or its time stands: the speeches with a
// letter off their bubble's body ("fit"), and those whose bubble stands while the reporter on
// the screen is not the one its tail points at, or stands over the point the speech shows
// ("speaker"). Each speech is named once for each.
struct PlayedFaults
{
    std::vector<std::string> fit;
    std::vector<std::string> speaker;
    int speeches = 0;
};

void playBriefings(int level, std::map<std::string, Platform::Image>& pictures, PlayedFaults& faults)
{
    GameFixture fixture;
    Game& game = fixture.newGame();
    game.loadLevel(level);
    cBriefing& briefing = CPlayState::instance().getBriefing();
    const Engine::cVector2 fingertip = fingertipOf(briefing, *fixture.files, pictures);
    std::map<bool, BubbleBody> bodies;
    std::map<bool, SolidBounds> reporters;
    for (bool upper : {false, true})
        bodies.emplace(upper, BubbleBody(pictureOf(*briefing.getBubble(upper), *fixture.files, pictures)));
    for (bool left : {false, true})
        reporters[left] = solidBounds(*briefing.getReporter(left), *fixture.files, pictures);

    std::vector<std::string> ids;
    for (const auto& entry : briefing.getBriefings())
        ids.push_back(entry.first);
    constexpr float dt = 1.0f / 30.0f;
    fixture.timer.frameTime = dt;
    for (const std::string& id : ids)
    {
        const std::string brief = "level n" + std::to_string(level) + " briefing \"" + id + "\"";
        briefing.start(id);
        const cBriefing::Action* said = nullptr;
        std::string speech;
        Engine::cVector2 shows;
        bool misfit = false;
        bool misspoken = false;
        float stands = 0.0f;
        for (int frame = 0; frame < 20000 && briefing.isPlaying(); ++frame)
        {
            const float time = briefing.getTime();
            if (frame > 0)
            {
                briefing.update();
                Engine::cControl::deletePending();
            }
            stands = briefing.getTime() == time ? stands + dt : 0.0f;
            if (const cBriefing::Action* active = briefing.getActive(cBriefing::kSpeech);
                active && active != said)
            {
                said = active;
                ++faults.speeches;
                speech = brief + " speech \"" + Engine::toUtf8(said->text).substr(0, 40) + "...\"";
                shows = briefing.getCameraView()->getPosition() + fingertip;
                misfit = misspoken = false;
            }
            for (bool upper : {false, true})
            {
                Engine::cPicture& bubble = *briefing.getBubble(upper);
                if (!bubble.isVisible() || !said)
                    continue;
                const bool manSpeaks = bubble.getInverceX();
                const std::string tail = manSpeaks ? "the man" : "the woman";
                std::ostringstream at;
                at << " at " << briefing.getTime() << " s: ";
                if (!misspoken && (!briefing.getReporter(!manSpeaks)->isVisible() ||
                                   briefing.getReporter(manSpeaks)->isVisible()))
                {
                    misspoken = true;
                    faults.speaker.push_back(speech + at.str() + "its bubble's tail points at " + tail +
                                             ", who is not the reporter on the screen");
                }
                else if (!misspoken && reporters[!manSpeaks].contains(shows))
                {
                    misspoken = true;
                    faults.speaker.push_back(speech + at.str() + tail + " stands over the point it shows, " +
                                             where(shows));
                }
                if (misfit)
                    continue;
                for (const Engine::cQuad& letter : drawnLetters(*briefing.getBubbleText(upper)))
                    for (const Engine::cQuadCorner& corner : letter.corners)
                        if (!misfit && !bodies.at(upper).under(bubble, Engine::cVector2(corner.x, corner.y)))
                        {
                            misfit = true;
                            faults.fit.push_back(speech + ": a letter reaches " +
                                                 where(Engine::cVector2(corner.x, corner.y)) + ", off the " +
                                                 (upper ? "upper" : "lower") + " bubble's body");
                        }
            }
            if (briefing.isWaiting() || briefing.isFinished() || stands > 3.0f)
                break;
        }
        briefing.finish();
    }
}

// The briefings of a level that nothing starts: every briefing but the opening one (the town
// hall's) is named by the "BreafId" of a unit whose goal, met, starts it.
std::vector<std::string> unstartedBriefings(int level)
{
    std::vector<std::string> faults;
    GameFixture fixture;
    Game& game = fixture.newGame();
    game.loadLevel(level);
    game.buildLevelGoals();
    std::set<std::string> started;
    for (const LevelGoal& goal : game.getLevelGoals())
        started.insert(goal.breafId);
    const cUnit::Ptr base = game.getBase();
    for (const auto& entry : CPlayState::instance().getBriefing().getBriefings())
        if (!(base && entry.first == base->breafId) && !started.count(entry.first))
            faults.push_back("level n" + std::to_string(level) + " briefing \"" + entry.first +
                             "\": no unit with a goal names it, so it never plays");
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

TEST(LevelBriefings, EverySpeechPlayedFitsItsBubbleAndIsSaidByTheReporterItsTailPointsAt)
{
    std::map<std::string, Platform::Image> pictures;
    const int levels = levelsCount();
    ASSERT_GT(levels, 0);
    PlayedFaults faults;
    for (int level = 0; level < levels; ++level)
        playBriefings(level, pictures, faults);
    EXPECT_GT(faults.speeches, levels) << "every level's speeches were played";
    for (const std::string& fault : faults.fit)
        ADD_FAILURE() << fault;
    for (const std::string& fault : faults.speaker)
        ADD_FAILURE() << fault;
}

TEST(LevelBriefings, EveryBriefingButTheOpeningOneIsStartedByAGoal)
{
    const int levels = levelsCount();
    ASSERT_GT(levels, 0);
    for (int level = 0; level < levels; ++level)
        for (const std::string& fault : unstartedBriefings(level))
            ADD_FAILURE() << fault;
}
