#pragma once

// The action items on a level of the test's own: the real level model, its planner and the
// real views (recording render device, recording mixer), a frame timer the test sets, and
// the saved record of an item written and read back through the factory.

#include "engine/core/FileUtils.h"
#include "game/heroes/ActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/world/LevelArchive.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/SilentParticles.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ItemTest
{

using namespace GameTest;

// The effect files the items play, entered as silent effects for as long as the level's views
// may hold their emitters (a base of the fixture, so it goes after the level).
class QuietEffectFiles : public Test::SilentParticles
{
public:
    QuietEffectFiles() : Test::SilentParticles({"Effects/Smoke.pyro", "Effects/Sparkle.pyro"}) {}
};

class ItemFixture : private QuietEffectFiles, public GameFixture
{
public:
    // A level with a free field of 31 x 21 cells and the given buildings; the planner starts
    // nothing until the test says so.
    Game& level(const std::string& buildings, const std::string& extra = "")
    {
        return load(961, levelXml(buildings, extra));
    }

    cUnit::Ptr add(const wchar_t* type, const Engine::cVector2& position, int upgrade = 0,
                   eUnitState state = eUnitState::idle)
    {
        return game->addUnit(typeId(type), upgrade, -1, state, 0.0f, position, {}, L"");
    }

    cUnit::Ptr first(const wchar_t* type) const { return game->getUnits().find(typeId(type))->second; }

    // Starts an item the way the planner starts its chains: registered when it starts.
    void startRegistered(const ActionItem::Ptr& item)
    {
        item->started.connect(
            boost::bind(&GameController::registerChain, &game->getController(), boost::placeholders::_1));
        item->start();
    }

    // A chain of the given items, started as the planner starts one.
    boost::shared_ptr<BaseActionsItem> startChain(std::initializer_list<ActionItem::Ptr> items)
    {
        auto chain = boost::make_shared<BaseActionsItem>();
        for (const ActionItem::Ptr& item : items)
            chain->add(item);
        startRegistered(chain);
        return chain;
    }

    // Level frames of `dt` seconds until the item is no longer active; the number of frames
    // run, or -1 when it was still active after `limit` frames.
    int runUntilDone(const ActionItem::Ptr& item, float dt, int limit)
    {
        for (int frame = 1; frame <= limit; ++frame)
        {
            run(1, dt);
            if (!item->isActive())
                return frame;
        }
        return -1;
    }

    // The level's units numbered as the saved level numbers them.
    std::vector<cUnit::Ptr> numberedUnits() const
    {
        std::vector<cUnit::Ptr> units;
        for (const auto& entry : game->getUnits())
            units.push_back(entry.second);
        return units;
    }

    std::vector<uint8_t> record(const ActionItem::Ptr& item) const
    {
        UnitNumbering numbering;
        const std::vector<cUnit::Ptr> units = numberedUnits();
        for (size_t i = 0; i < units.size(); ++i)
            numbering[units[i]] = static_cast<int>(i);
        LevelArchive archive;
        item->save(archive, numbering);
        return archive.bytes();
    }

    // Reads a record back as the planner's restore does: type id, factory, load.
    ActionItem::Ptr restore(const std::vector<uint8_t>& bytes) const
    {
        LevelArchive archive(bytes, "item record");
        int32_t typeId = -1;
        archive.read4(typeId);
        const ActionItem::Ptr item = ActionItemFactory(typeId);
        if (!item)
            throw std::runtime_error("no action of type " + std::to_string(typeId));
        item->load(archive, numberedUnits());
        if (archive.remaining() != 0)
            throw std::runtime_error(std::to_string(archive.remaining()) + " bytes left after the record");
        return item;
    }
};

// Little-endian fields of a record, for checking its layout.
inline int32_t int32At(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes.at(at + i)) << (8 * i);
    return static_cast<int32_t>(value);
}

inline float floatAt(const std::vector<uint8_t>& bytes, size_t at)
{
    const int32_t raw = int32At(bytes, at);
    float value = 0.0f;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

} // namespace ItemTest
