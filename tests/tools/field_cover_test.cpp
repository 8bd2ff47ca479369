// What a player clicks lies in sight on every shipped level: no pile, crate, animal or bonus lies
// more than a fifth under the pictures of other units drawn over it, none under the status panel
// drawn over the field (its clock, resource bar, menu button and goal list), and a press on its
// middle takes it; so also for the crates of help that fall on the level's help points. Each
// level is loaded by the game's level model with the real unit views and the real status panel
// (on the recording render device), and each view's sprite, as the renderer gets it, is read
// against its picture's pixels.
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cView.h"
#include "game/hud/cStatusPanel.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"
#include "platform/image/ImageDecoder.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// A quad as the renderer draws it, with the picture it shows (none for a plain colour).
struct Drawn
{
    // Null for the panel's quads.
    const UnitView* view = nullptr;
    Engine::cQuad sprite;
    const Platform::Image* picture = nullptr;

    // Whether the quad is solid (alpha above half) at a screen point: the point is taken to the
    // sprite's own axes (corner 0 to corner 1, corner 0 to corner 2) and on to its texel; a
    // quad without a picture by its colour.
    bool solidAt(float x, float y) const
    {
        const Engine::cQuadCorner* c = sprite.corners;
        const float ax = c[1].x - c[0].x, ay = c[1].y - c[0].y;
        const float bx = c[2].x - c[0].x, by = c[2].y - c[0].y;
        const float det = ax * by - ay * bx;
        const float s = det == 0.0f ? -1.0f : ((x - c[0].x) * by - (y - c[0].y) * bx) / det;
        const float t = det == 0.0f ? -1.0f : (ax * (y - c[0].y) - ay * (x - c[0].x)) / det;
        if (s < 0.0f || s >= 1.0f || t < 0.0f || t >= 1.0f)
            return false;
        if (!picture)
            return (c[0].color >> 24) > 128;
        if (picture->width == 0)
            return false;
        const float u = std::clamp(sprite.uvFrom.x + s * (sprite.uvTo.x - sprite.uvFrom.x), 0.0f, 0.9999f);
        const float v = std::clamp(sprite.uvFrom.y + t * (sprite.uvTo.y - sprite.uvFrom.y), 0.0f, 0.9999f);
        return picture->row(static_cast<uint32_t>(v * static_cast<float>(picture->height)))
                   [static_cast<uint32_t>(u * static_cast<float>(picture->width)) * 4 + 3] > 128;
    }
};

bool ofCategory(const cUnit& unit, const wchar_t* category)
{
    GameConfig& config = GameConfig::instance();
    const auto type = config.getTypeInfo(unit.getTypeId());
    return type && type->categoryId == config.getCategoryId(category);
}

// Loads a level and names every clickable unit that lies more than a fifth under other units'
// pictures or whose middle a press does not take. Everything that shows on the field while the
// level is played stands at its place: the units waiting hidden (a crate that falls in, the
// flood, rubble a quake throws) as they land, but not the heroes, who walk. With `help`, a crate
// of help also lies on each of the level's help points, moved by `offset` (the game drops each
// up to ten pixels either way from the point's middle).
std::vector<std::string> faultsOf(int level, std::map<std::string, Platform::Image>& pictures, bool help,
                                  const Engine::cVector2& offset)
{
    GameFixture fixture;
    Game& game = fixture.newGame();
    game.loadLevel(level);
    for (const auto& entry : game.getUnits())
        if (entry.second->getState() == eUnitState::hidden && !ofCategory(*entry.second, UnitCategory::hero))
            entry.second->setState(eUnitState::idle, -1);
    if (help)
        for (const Engine::cPoint& cell : game.getCheatPoints())
            game.addUnit(GameConfig::instance().unitNames().find(L"Cement"), 0, -1, eUnitState::idle, 0.0f,
                         game.cellToPos(cell) + offset, {}, L"");

    // The status panel as the play state puts it over the field at the start: every goal row
    // of the level, the medal times, the clock, the resources and the menu button.
    auto* panel = new cStatusPanel(getPlayView());
    panel->enable();
    game.buildLevelGoals();
    panel->updateGoals();
    panel->update();

    // The pictures from the data folder.
    const auto pictureOf = [&](const Engine::cView& view) -> const Platform::Image*
    {
        const std::string path = view.getTextureName();
        if (path.empty())
            return nullptr;
        if (!pictures.count(path))
        {
            std::vector<char> bytes;
            if (fixture.files->isKnown(path))
                fixture.files->readFile(path, bytes);
            pictures[path] =
                bytes.empty()
                    ? Platform::Image()
                    : Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        return &pictures[path];
    };
    // The shown unit views in drawing order, and every quad the panel's shown views draw.
    std::vector<Drawn> drawn;
    std::vector<std::pair<std::string, Drawn>> panelQuads;
    for (Engine::cView* view : Engine::cView::getRenderOrder())
    {
        if (!view->isShown())
            continue;
        const auto* unitView = dynamic_cast<const UnitView*>(view);
        if (unitView && unitView->getUnit())
            drawn.push_back({unitView, view->getSprite(), pictureOf(*view)});
        const Engine::cControl* above = view;
        while (above && above != panel)
            above = above->getParent();
        // Its effects draw particles, not quads, and only for a moment.
        if (!above || dynamic_cast<const Engine::cPyro*>(view))
            continue;
        // A text covers its letters' boxes.
        const auto* text = dynamic_cast<const Engine::cTextLine*>(view);
        const std::string what =
            text ? "text \"" + Engine::toUtf8(text->getText()) + "\"" : view->getTextureName();
        for (const Engine::cQuad& quad : view->getSprites())
            panelQuads.push_back({what, {nullptr, quad, text ? nullptr : pictureOf(*view)}});
    }
    std::vector<std::string> faults;
    for (size_t i = 0; i < drawn.size(); ++i)
    {
        const cUnit::Ptr& unit = drawn[i].view->getUnit();
        if (!ofCategory(*unit, UnitCategory::resource) && !ofCategory(*unit, UnitCategory::animal) &&
            !ofCategory(*unit, UnitCategory::bonus))
            continue;
        std::ostringstream name;
        name << "level " << level << ": " << Engine::toUtf8(unit->typeName) << " at " << game.unitPos(unit).x
             << ";" << game.unitPos(unit).y;
        // Its solid pixels (the sprite's corners bound them), those under a solid pixel of a unit
        // drawn after it, and those under the panel.
        float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
        for (const Engine::cQuadCorner& corner : drawn[i].sprite.corners)
        {
            x0 = std::min(x0, corner.x), x1 = std::max(x1, corner.x);
            y0 = std::min(y0, corner.y), y1 = std::max(y1, corner.y);
        }
        int solid = 0, covered = 0, hidden = 0;
        std::map<std::wstring, int> over;
        std::map<std::string, int> underPanel;
        for (float y = std::floor(y0) + 0.5f; y < y1; y += 1.0f)
            for (float x = std::floor(x0) + 0.5f; x < x1; x += 1.0f)
            {
                if (!drawn[i].solidAt(x, y))
                    continue;
                ++solid;
                bool under = false;
                for (size_t j = i + 1; j < drawn.size(); ++j)
                    if (drawn[j].solidAt(x, y))
                    {
                        ++over[drawn[j].view->getUnit()->typeName];
                        under = true;
                    }
                covered += under ? 1 : 0;
                bool panelled = false;
                for (const auto& [picture, quad] : panelQuads)
                    if (quad.solidAt(x, y))
                    {
                        ++underPanel[picture];
                        panelled = true;
                    }
                hidden += panelled ? 1 : 0;
            }
        if (solid == 0 || covered * 5 > solid)
        {
            std::ostringstream fault;
            fault << name.str() << " has " << covered << " of its " << solid << " solid pixels ("
                  << (solid ? 100 * covered / solid : 0) << "%) under";
            for (const auto& [type, pixels] : over)
                fault << " " << Engine::toUtf8(type) << " (" << pixels << ")";
            faults.push_back(fault.str());
        }
        if (hidden > 0)
        {
            std::ostringstream fault;
            fault << name.str() << " has " << hidden << " of its " << solid
                  << " solid pixels under the status panel:";
            for (const auto& [picture, pixels] : underPanel)
                fault << " " << picture << " (" << pixels << ")";
            faults.push_back(fault.str());
        }
        // A press goes to the view of the greatest deep whose rectangle holds the pointer, among
        // those that compete for it (buildings, piles, animals; not smoke or pigeons). The whole
        // rectangle takes it, clear pixels too: a unit in sight may still lose a press on its
        // middle (where levelplay, and a player, press) to a building behind it, so that is
        // checked apart.
        const Engine::cVector2 middle = drawn[i].view->getPosition();
        const UnitView* taker = nullptr;
        for (auto it = drawn.rbegin(); it != drawn.rend() && !taker; ++it)
            if (it->view->getIsDeepProcessing() && it->view->containsPoint(middle))
                taker = it->view;
        if (taker != drawn[i].view)
            faults.push_back(name.str() + ": a press on its middle goes to " +
                             (taker ? Engine::toUtf8(taker->getUnit()->typeName) : std::string("nothing")));
    }
    return faults;
}

} // namespace

TEST(FieldCover, EveryClickableUnitLiesInSightAndTakesAPressOnItsMiddle)
{
    std::map<std::string, Platform::Image> pictures;
    int levels = 0;
    {
        GameFixture fixture;
        levels = GameConfig::instance().getConstants().LevelsCount;
    }
    ASSERT_GT(levels, 0);
    const Engine::cVector2 offsets[] = {{0, 0}, {-10, -10}, {10, -10}, {-10, 10}, {10, 10}};
    for (int level = 0; level < levels; ++level)
    {
        const std::vector<std::string> placed = faultsOf(level, pictures, false, {});
        for (const std::string& fault : placed)
            ADD_FAILURE() << fault;
        // Each fault the crates of help bring, once, with the offsets that bring it.
        std::map<std::string, std::string> helped;
        for (const Engine::cVector2& offset : offsets)
            for (const std::string& fault : faultsOf(level, pictures, true, offset))
                if (std::find(placed.begin(), placed.end(), fault) == placed.end())
                    helped[fault] += " " + std::to_string(static_cast<int>(offset.x)) + ";" +
                                     std::to_string(static_cast<int>(offset.y));
        for (const auto& [fault, moves] : helped)
            ADD_FAILURE() << fault << " (a crate of help on each help point, moved by" << moves << ")";
    }
}
