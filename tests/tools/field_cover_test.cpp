// What a player clicks lies in sight on every shipped level. Every unit a click reaches (see
// takesClicks) shows whole on the game's screen and beside what is drawn over the field with the
// status panel (its clock, resource bar, menu button and goal list, and the level's production
// clock): no solid pixel of its picture, nor of the pieces drawn for it, lies off the screen or
// under a solid pixel of those. The pieces are the tick a click puts over it, the upgrade arrow
// a press raises it by and the level indicator beside it, the progress bar of the work on it,
// and the arrow a hover of its goal's row swings over it; its picture is read in every frame it
// plays, for the signs drawn in it (a ruin's board of what it will make, a trapped animal's call
// for help, which bobs). So also for the hospital, which no click reaches but where the animals
// are taken. The scenery that stands among the units (houses, lamps, trees), drawn over what lies
// above its foot, covers none of the pieces nor any pixel of a ruin's sign, and little of the rest
// of a picture. The goal list takes no press, so a press on the hidden part of a building still
// reaches it: what fails the player is what is not seen, a building a goal needs that only
// hovering the goal list reveals, or a fire put out by a click on a sliver of flame. Its
// picture's clear corners may pass under the panel, as they pass under other units: nothing shows
// there. The small units (piles, crates, animals and bonuses) also lie no more than a fifth under
// the pictures of other units drawn over them, and a press on their middle takes them; so also
// for the crates of help that fall on the level's help points. Each level is loaded by the game's
// level model with the real unit views, the real status panel and the game's own bars and arrows
// (on the recording render device), and each view's sprite, as the renderer gets it, is read
// against its picture's pixels.
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cView.h"
#include "game/heroes/GameController.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/hud/cGoalArrow.h"
#include "game/hud/cStatusPanel.h"
#include "game/world/LevelGoal.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"
#include "platform/image/ImageDecoder.h"
#include "tests/game/world/game_test_tools.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
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
    // Its place in the drawing order: a quad drawn later lies over it.
    size_t order = 0;

    // Whether the quad is solid (alpha above half) at a screen point: the point is taken to the
    // sprite's own axes (corner 0 to corner 1, corner 0 to corner 2) and on to its texel; a
    // quad without a picture by its colour.
    bool solidAt(float x, float y) const
    {
        uint32_t column = 0, row = 0;
        if (!texelAt(x, y, column, row))
            return false;
        if (!picture)
            return (sprite.corners[0].color >> 24) > 128;
        return picture->row(row)[column * 4 + 3] > 128;
    }
    // Whether the quad covers a screen point, and the texel of its picture there (0, 0 without
    // a picture).
    bool texelAt(float x, float y, uint32_t& column, uint32_t& row) const
    {
        const Engine::cQuadCorner* c = sprite.corners;
        const float ax = c[1].x - c[0].x, ay = c[1].y - c[0].y;
        const float bx = c[2].x - c[0].x, by = c[2].y - c[0].y;
        const float det = ax * by - ay * bx;
        const float s = det == 0.0f ? -1.0f : ((x - c[0].x) * by - (y - c[0].y) * bx) / det;
        const float t = det == 0.0f ? -1.0f : (ax * (y - c[0].y) - ay * (x - c[0].x)) / det;
        if (s < 0.0f || s >= 1.0f || t < 0.0f || t >= 1.0f)
            return false;
        column = row = 0;
        if (!picture)
            return true;
        if (picture->width == 0)
            return false;
        const float u = std::clamp(sprite.uvFrom.x + s * (sprite.uvTo.x - sprite.uvFrom.x), 0.0f, 0.9999f);
        const float v = std::clamp(sprite.uvFrom.y + t * (sprite.uvTo.y - sprite.uvFrom.y), 0.0f, 0.9999f);
        column = static_cast<uint32_t>(u * static_cast<float>(picture->width));
        row = static_cast<uint32_t>(v * static_cast<float>(picture->height));
        return true;
    }
};

// The sign of what a ruin will make (tools/art/parts/building.art, "ruin_cut") stands on its
// posts at the right of the broken walls, apart from them. Of the pieces the solid pixels of the
// ruin's picture make, joined side by side, the walls are the largest and the sign is the one of
// the others that rises highest: the rubble about the walls' foot lies lower. The sign's texels
// of the picture's frame that the quad shows, each as row * width + column; none when the frame
// has no piece beside its largest.
std::set<uint32_t> signOf(const Drawn& quad)
{
    const Platform::Image& picture = *quad.picture;
    const auto edge = [](float uv, uint32_t size)
    { return static_cast<uint32_t>(std::lround(std::clamp(uv, 0.0f, 1.0f) * static_cast<float>(size))); };
    const uint32_t x0 = edge(std::min(quad.sprite.uvFrom.x, quad.sprite.uvTo.x), picture.width);
    const uint32_t x1 = edge(std::max(quad.sprite.uvFrom.x, quad.sprite.uvTo.x), picture.width);
    const uint32_t y0 = edge(std::min(quad.sprite.uvFrom.y, quad.sprite.uvTo.y), picture.height);
    const uint32_t y1 = edge(std::max(quad.sprite.uvFrom.y, quad.sprite.uvTo.y), picture.height);
    const auto solid = [&](uint32_t x, uint32_t y) { return picture.row(y)[x * 4 + 3] > 128; };
    std::set<uint32_t> seen;
    std::vector<std::vector<uint32_t>> pieces;
    for (uint32_t y = y0; y < y1; ++y)
        for (uint32_t x = x0; x < x1; ++x)
        {
            if (!solid(x, y) || !seen.insert(y * picture.width + x).second)
                continue;
            std::vector<uint32_t> piece{y * picture.width + x};
            for (size_t next = 0; next < piece.size(); ++next)
            {
                const uint32_t px = piece[next] % picture.width, py = piece[next] / picture.width;
                const std::pair<uint32_t, uint32_t> sides[] = {
                    {px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}};
                for (const auto& [nx, ny] : sides)
                    if (nx >= x0 && nx < x1 && ny >= y0 && ny < y1 && solid(nx, ny) &&
                        seen.insert(ny * picture.width + nx).second)
                        piece.push_back(ny * picture.width + nx);
            }
            pieces.push_back(std::move(piece));
        }
    if (pieces.size() < 2)
        return {};
    std::sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    // Pieces are found from the top down: the first pixel of each is its highest.
    const auto sign = std::min_element(pieces.begin() + 1, pieces.end(),
                                       [](const auto& a, const auto& b) { return a.front() < b.front(); });
    return std::set<uint32_t>(sign->begin(), sign->end());
}

bool ofCategory(const cUnit& unit, const wchar_t* category)
{
    GameConfig& config = GameConfig::instance();
    const auto type = config.getTypeInfo(unit.getTypeId());
    return type && type->categoryId == config.getCategoryId(category);
}

// The small units a player takes by a click on them.
bool isSmall(const cUnit& unit)
{
    return ofCategory(unit, UnitCategory::resource) || ofCategory(unit, UnitCategory::animal) ||
           ofCategory(unit, UnitCategory::bonus);
}

// The highest level the unit may reach: its type's last, or its "MaxLevel" where that is lower.
int topLevel(const cUnit& unit)
{
    const auto type = unit.getTypeInfo();
    const int last = type ? type->levelCount() - 1 : 0;
    return unit.getMaxLevel() == -1 ? last : std::min(unit.getMaxLevel(), last);
}

// Whether a click on the unit sets the heroes working, as the controller serves clicks: the small
// units, mills, plants, the town hall (which its arrow raises), barriers, any building on fire or
// damaged, and the roads, bridges, broken roads, fires across them and quest buildings that are
// still to be built or mended. Nobody clicks the flood (the pumping station drains it), a
// hospital that stands whole, nor the people and creatures that walk or fly about.
bool takesClicks(const cUnit& unit)
{
    if (unit.typeName == L"BarrierFlood")
        return false;
    if (unit.isInFireOrDamaged() || isSmall(unit))
        return true;
    for (const wchar_t* category :
         {UnitCategory::mill, UnitCategory::plant, UnitCategory::base, UnitCategory::barrier})
        if (ofCategory(unit, category))
            return true;
    for (const wchar_t* category : {UnitCategory::quest, UnitCategory::barrierroad, UnitCategory::road})
        if (ofCategory(unit, category))
            return unit.getLevel() < topLevel(unit);
    return false;
}

// Whether a goal needs the unit though no click reaches it: the hospital, where the heroes take
// the animals they save.
bool neededByGoals(const cUnit& unit)
{
    return ofCategory(unit, UnitCategory::service);
}

// The screen bounds of a quad's corners.
struct Bounds
{
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;

    explicit Bounds(const Engine::cQuad& quad)
    {
        for (const Engine::cQuadCorner& corner : quad.corners)
        {
            x0 = std::min(x0, corner.x), x1 = std::max(x1, corner.x);
            y0 = std::min(y0, corner.y), y1 = std::max(y1, corner.y);
        }
    }
    bool meets(const Bounds& other) const
    {
        return x0 < other.x1 && other.x0 < x1 && y0 < other.y1 && other.y0 < y1;
    }
};

// A quad drawn for a unit: its picture (a frame of its look) or a mark over it.
struct Piece
{
    std::string name;
    Drawn quad;
    bool picture = false;
};

// What stands on the field besides the level's units as they start.
struct Scene
{
    // The mills, plants and town hall raised to the highest level each may reach: a building
    // the player raises grows, and he goes on clicking it (to fetch from it, to raise it again).
    bool raised = false;
    // A crate of help on each of the level's help points, moved by `offset` (the game drops each
    // up to ten pixels either way from the point's middle).
    bool help = false;
    Engine::cVector2 offset;
};

// Loads a level and names every unit a click reaches that shows under the status panel, and
// every small one that lies more than a fifth under other units' pictures or whose middle a
// press does not take. Everything that shows on the field while the level is played stands at
// its place: the units waiting hidden (a crate that falls in, the flood, rubble a quake throws)
// as they land, but not the heroes, who walk.
std::vector<std::string> faultsOf(int level, std::map<std::string, Platform::Image>& pictures,
                                  const Scene& scene)
{
    GameFixture fixture;
    Game& game = fixture.newGame();
    game.loadLevel(level);
    for (const auto& entry : game.getUnits())
    {
        cUnit& unit = *entry.second;
        if (unit.getState() == eUnitState::hidden && !ofCategory(unit, UnitCategory::hero))
            unit.setState(eUnitState::idle, -1);
        const int top = topLevel(unit);
        if (scene.raised && top > unit.getLevel() &&
            (ofCategory(unit, UnitCategory::mill) || ofCategory(unit, UnitCategory::plant) ||
             ofCategory(unit, UnitCategory::base)))
            unit.setLevelAndState(top, eUnitState::idle, false);
    }
    if (scene.help)
        for (const Engine::cPoint& cell : game.getCheatPoints())
            game.addUnit(GameConfig::instance().unitNames().find(L"Cement"), 0, -1, eUnitState::idle, 0.0f,
                         game.cellToPos(cell) + scene.offset, {}, L"");

    // The status panel as the play state puts it over the field at the start: every goal row
    // of the level, the medal times, the clock, the resources and the menu button.
    auto* panel = new cStatusPanel(getPlayView());
    panel->enable();
    game.buildLevelGoals();
    panel->updateGoals();
    panel->update();

    // What the game draws for the units, each through its own code: the level's production
    // clock, which stands over the field with the panel; the progress bar of the work on a unit
    // (piles and bonuses are taken without one), where the work puts it; and the goal arrows
    // that a hover of each goal row puts over the row's units.
    GameController& controller = game.getController();
    controller.startAutoProduction();
    const ActionItem::Ptr& clock = controller.getAutoProductionItem();
    const Engine::cControl* clockBar = clock ? clock->getProgressView<Engine::cProgressFloat>() : nullptr;
    std::map<const Engine::cControl*, const UnitView*> drawnFor;
    for (const auto& entry : game.getUnits())
    {
        UnitView* view = entry.second->getUnitView();
        // The tick a click puts over the unit it sets the heroes working on.
        if (view && view->isShown() && takesClicks(*entry.second))
            view->showGoalTick(true);
        if (!view || !view->isShown() || !view->isDescribed() || !takesClicks(*entry.second) ||
            ofCategory(*entry.second, UnitCategory::resource) ||
            ofCategory(*entry.second, UnitCategory::bonus))
            continue;
        const auto work = boost::make_shared<UpgradeActionItem>(cUnit::Ptr(), entry.second, cUnit::Ptr());
        work->progressOn(entry.second);
        work->setProgress(100.0f);
        drawnFor[work->getProgressView<Engine::cProgressFloat>()] = view;
    }
    for (Engine::cForm* row : panel->getRows())
        if (row->isShown())
            panel->onAimHover(row->find<Engine::cView>(L"AimButton"));
    for (const auto& entry : cGoalArrow::arrows())
        if (const LevelGoal* goal = entry.first->getGoal())
            if (const cUnit::Ptr unit = goal->target.lock())
                drawnFor[entry.first] = unit->getUnitView();

    // The pictures from the data folder.
    const auto pictureOf = [&](const Engine::cView& view) -> const Platform::Image*
    {
        // A region of an atlas (the scenery's pictures) is drawn from the atlas' sheet, and its
        // quads' texels lie on that sheet.
        const std::string path = view.getAtlasIndex() >= 0 && view.getTexture()
                                     ? fixture.resources->getPath(view.getTexture())
                                     : view.getTextureName();
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
    // The looks a view takes as the game shows it: every frame of its animation (a trapped
    // animal's call for help bobs over them), and a goal arrow at each quarter of its swing.
    const auto looksOf = [&](Engine::cView& view)
    {
        std::vector<Engine::cQuad> quads;
        const auto take = [&]
        {
            for (const Engine::cQuad& quad : view.getSprites())
                quads.push_back(quad);
        };
        if (auto* arrow = dynamic_cast<cGoalArrow*>(&view))
        {
            const float frameTime = fixture.timer.frameTime;
            fixture.timer.frameTime = arrow->getPeriod() / 4.0f;
            arrow->phaseTime = 0.0f;
            for (int quarter = 0; quarter < 4; ++quarter)
            {
                arrow->update();
                take();
            }
            fixture.timer.frameTime = frameTime;
            return quads;
        }
        const float time = view.getAnimTime();
        for (uint32_t frame = 0; frame < (view.PlayAnimation ? std::max(view.frames_count, 1u) : 1u); ++frame)
        {
            view.setFrame(frame);
            take();
        }
        view.setAnimTime(time);
        return quads;
    };
    // The shown unit views in drawing order, the quads of each with the pieces drawn for it (the
    // parts of its look, its upgrade arrow, its bar, its goal arrow) in all their looks, and
    // every quad the panel's and the clock's shown views draw. Effects draw particles, not
    // quads, and only for a moment.
    std::vector<Drawn> drawn;
    std::map<const UnitView*, std::vector<Piece>> pieces;
    std::vector<std::pair<std::string, Drawn>> panelQuads;
    // The scenery that stands among the units, drawn over what lies above its foot.
    std::vector<std::pair<std::string, Drawn>> scenery;
    size_t order = 0;
    for (Engine::cView* view : Engine::cView::getRenderOrder())
    {
        ++order;
        if (!view->isShown() || dynamic_cast<const Engine::cPyro*>(view))
            continue;
        if (view->getParent() == game.getBackgroundContainer() && view->getDeep() > 0.0f)
        {
            // Named by the cell of its foot, as the level's grid places it: it stands at the deep
            // of a unit standing there, 5000 + the foot's y (the foot is not its picture's lowest
            // row), and its picture is drawn about its foot's x.
            const Bounds bounds(view->getSprite());
            const Engine::cPoint foot =
                game.posToCell({(bounds.x0 + bounds.x1) / 2.0f, view->getDeep() - 5000.0f});
            std::ostringstream what;
            what << view->getTextureName() << " standing on cell " << foot.x << ";" << foot.y;
            for (const Engine::cQuad& quad : view->getSprites())
                scenery.push_back({what.str(), {nullptr, quad, pictureOf(*view), order}});
            continue;
        }
        const auto* unitView = dynamic_cast<const UnitView*>(view);
        if (unitView && unitView->getUnit())
            drawn.push_back({unitView, view->getSprite(), pictureOf(*view), order});
        // The unit the view is drawn for, else the panel or the clock it is part of, if any.
        const UnitView* owner = nullptr;
        const Engine::cControl* above = view;
        for (; above && above != panel && above != clockBar && !owner; above = above->getParent())
        {
            const auto found = drawnFor.find(above);
            owner = found != drawnFor.end() ? found->second : dynamic_cast<const UnitView*>(above);
        }
        if (owner && owner->getUnit())
            for (const Engine::cQuad& quad : looksOf(*view))
                pieces[owner].push_back(
                    {view->getTextureName(), {owner, quad, pictureOf(*view), order}, view == owner});
        if (owner || !above)
            continue;
        // A text covers its letters' boxes.
        const auto* text = dynamic_cast<const Engine::cTextLine*>(view);
        const std::string what =
            text ? "text \"" + Engine::toUtf8(text->getText()) + "\""
                 : (above == clockBar ? "production clock " : "") + view->getTextureName();
        for (const Engine::cQuad& quad : view->getSprites())
            panelQuads.push_back({what, {nullptr, quad, text ? nullptr : pictureOf(*view), order}});
    }
    // The game's screen, which the field and the panel are drawn on whatever the window.
    const Engine::cVector2 screen(Engine::cSettings::DefaultWindowWidth,
                                  Engine::cSettings::DefaultWindowHeight);
    // Calls `at` on each solid pixel of a quad (its corners bound them).
    const auto forEachSolid = [](const Drawn& quad, const auto& at)
    {
        const Bounds bounds(quad.sprite);
        for (float y = std::floor(bounds.y0) + 0.5f; y < bounds.y1; y += 1.0f)
            for (float x = std::floor(bounds.x0) + 0.5f; x < bounds.x1; x += 1.0f)
                if (quad.solidAt(x, y))
                    at(x, y);
    };
    std::vector<std::string> faults;
    for (size_t i = 0; i < drawn.size(); ++i)
    {
        const cUnit::Ptr& unit = drawn[i].view->getUnit();
        const bool needed = !takesClicks(*unit);
        if (needed && !neededByGoals(*unit))
            continue;
        std::ostringstream name;
        name << "level " << level << ": " << Engine::toUtf8(unit->typeName) << " at " << game.unitPos(unit).x
             << ";" << game.unitPos(unit).y;
        // Its solid pixels off the screen or under a solid pixel of the panel or the clock, and
        // its marks' and its sign's under scenery drawn after them, piece by piece: a piece is
        // read only where it leaves the screen or the bounds of such a quad meet its own. Scenery
        // may stand before a little of the rest of its picture (a lamp before a house), no more
        // than a twentieth of it, a fifth of a small unit's.
        int hidden = 0, seen = 0, behind = 0;
        std::map<std::string, int> unseen, hiding;
        for (const Piece& piece : pieces[drawn[i].view])
        {
            const Drawn& quad = piece.quad;
            const Bounds bounds(quad.sprite);
            const bool inside =
                bounds.x0 >= 0.0f && bounds.y0 >= 0.0f && bounds.x1 <= screen.x && bounds.y1 <= screen.y;
            std::vector<const std::pair<std::string, Drawn>*> near, before;
            for (const auto& panelQuad : panelQuads)
                if (bounds.meets(Bounds(panelQuad.second.sprite)))
                    near.push_back(&panelQuad);
            for (const auto& standing : scenery)
                if (standing.second.order > quad.order && bounds.meets(Bounds(standing.second.sprite)))
                    before.push_back(&standing);
            if (near.empty() && before.empty() && inside)
                continue;
            // A ruin's picture, which the art names by its look, carries its sign.
            std::set<uint32_t> sign;
            if (piece.picture && quad.picture && piece.name.find("_ruin") != std::string::npos)
            {
                sign = signOf(quad);
                if (sign.empty())
                    faults.push_back(name.str() + ": no sign stands apart in its ruin's picture " +
                                     piece.name);
            }
            const auto onSign = [&](float x, float y)
            {
                uint32_t column = 0, row = 0;
                return !sign.empty() && quad.texelAt(x, y, column, row) &&
                       sign.count(row * quad.picture->width + column) > 0;
            };
            forEachSolid(
                quad,
                [&](float x, float y)
                {
                    bool out = x < 0.0f || y < 0.0f || x >= screen.x || y >= screen.y;
                    if (out)
                        ++unseen[piece.name + " off the screen"];
                    for (const auto* panelQuad : near)
                        if (panelQuad->second.solidAt(x, y))
                        {
                            ++unseen[piece.name + " under " + panelQuad->first];
                            out = true;
                        }
                    const auto standing =
                        std::find_if(before.begin(), before.end(),
                                     [&](const auto* other) { return other->second.solidAt(x, y); });
                    if (standing != before.end() && (!piece.picture || onSign(x, y)))
                    {
                        ++unseen[(piece.picture ? "the sign (" + std::to_string(sign.size()) + " pixels) of "
                                                : std::string()) +
                                 piece.name + " under " + (*standing)->first];
                        out = true;
                    }
                    if (!before.empty() && piece.picture)
                    {
                        ++seen;
                        if (standing != before.end())
                        {
                            ++behind;
                            ++hiding[(*standing)->first];
                        }
                    }
                    hidden += out ? 1 : 0;
                });
        }
        if (hidden > 0)
        {
            std::ostringstream fault;
            fault << name.str() << " has " << hidden << " solid pixels out of sight:";
            for (const auto& [what, pixels] : unseen)
                fault << " " << what << " (" << pixels << ")";
            faults.push_back(fault.str());
        }
        if (behind * (isSmall(*unit) ? 5 : 20) > seen)
        {
            std::ostringstream fault;
            fault << name.str() << " has " << behind << " of the " << seen
                  << " solid pixels of its pictures near scenery (" << 100 * behind / seen
                  << "%) behind scenery drawn after it:";
            for (const auto& [what, pixels] : hiding)
                fault << " " << what << " (" << pixels << ")";
            faults.push_back(fault.str());
        }
        if (needed)
            continue;
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
        if (!isSmall(*unit))
            continue;
        // Its solid pixels, and those under a solid pixel of a unit drawn after it.
        int solid = 0, covered = 0;
        std::map<std::wstring, int> over;
        forEachSolid(drawn[i],
                     [&](float x, float y)
                     {
                         ++solid;
                         bool under = false;
                         for (size_t j = i + 1; j < drawn.size(); ++j)
                             if (drawn[j].solidAt(x, y))
                             {
                                 ++over[drawn[j].view->getUnit()->typeName];
                                 under = true;
                             }
                         covered += under ? 1 : 0;
                     });
        if (solid == 0 || covered * 5 > solid)
        {
            std::ostringstream fault;
            fault << name.str() << " has " << covered << " of its " << solid << " solid pixels ("
                  << (solid ? 100 * covered / solid : 0) << "%) under";
            for (const auto& [type, pixels] : over)
                fault << " " << Engine::toUtf8(type) << " (" << pixels << ")";
            faults.push_back(fault.str());
        }
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
        const std::vector<std::string> placed = faultsOf(level, pictures, {});
        for (const std::string& fault : placed)
            ADD_FAILURE() << fault;
        const auto isNew = [&](const std::string& fault)
        { return std::find(placed.begin(), placed.end(), fault) == placed.end(); };
        for (const std::string& fault : faultsOf(level, pictures, {true, false, {}}))
            if (isNew(fault))
                ADD_FAILURE() << fault << " (its mills, plants and town hall raised to their highest levels)";
        // Each fault the crates of help bring, once, with the offsets that bring it.
        std::map<std::string, std::string> helped;
        for (const Engine::cVector2& offset : offsets)
            for (const std::string& fault : faultsOf(level, pictures, {false, true, offset}))
                if (isNew(fault))
                    helped[fault] += " " + std::to_string(static_cast<int>(offset.x)) + ";" +
                                     std::to_string(static_cast<int>(offset.y));
        for (const auto& [fault, moves] : helped)
            ADD_FAILURE() << fault << " (a crate of help on each help point, moved by" << moves << ")";
    }
}
