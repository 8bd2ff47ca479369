#include "game/world/cGameResources.h"

#include "game/world/LevelArchive.h"
#include "game/world/NameIdTable.h"
#include "game/world/UnitLevelInfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace
{

enum
{
    Money = 0,
    Steel = 1,
    Brick = 2
};

cGameResources setOf(std::map<int, int> items)
{
    cGameResources set;
    LevelArchive out;
    out.write4(static_cast<int32_t>(items.size()));
    for (const auto& [id, count] : items)
    {
        out.write4(static_cast<int32_t>(id));
        out.write4(static_cast<int32_t>(count));
    }
    LevelArchive in(out.bytes(), "set");
    set.load(in);
    return set;
}

// Runs one operation and returns how often the set's signal fired, and with what.
int signalsOf(cGameResources& set, const std::function<void()>& operation)
{
    int count = 0;
    auto connection = set.changed.connect(
        [&](cGameResources* sender)
        {
            EXPECT_EQ(sender, &set);
            ++count;
        });
    operation();
    connection.disconnect();
    return count;
}

} // namespace

TEST(GameResources, EachChangingOperationSignalsOnceAfterItsWork)
{
    cGameResources set = setOf({{Money, 7}, {Steel, 2}});
    const cGameResources none;
    int divisor = 3;
    EXPECT_EQ(signalsOf(set, [&] { set.add(none); }), 1);
    EXPECT_EQ(signalsOf(set, [&] { set.subtract(setOf({{Brick, 1}})); }), 1);
    EXPECT_EQ(signalsOf(set, [&] { set.subtractClamped(none); }), 1);
    EXPECT_EQ(signalsOf(set, [&] { set.divideClamped(divisor); }), 1);
    EXPECT_EQ(signalsOf(set, [&] { set.incrementPositive(); }), 1);
    EXPECT_EQ(signalsOf(set, [&] { set.assign(set); }), 1);
    EXPECT_EQ(signalsOf(set, [&] { set.clear(); }), 1);

    // The handler sees the finished result.
    cGameResources target;
    int seen = 0;
    target.changed.connect([&](cGameResources* s) { seen = s->getCount(Money); });
    target.add(setOf({{Money, 4}, {Steel, 1}}));
    EXPECT_EQ(seen, 4);

    // Loading raises nothing.
    LevelArchive out;
    setOf({{Money, 1}}).save(out);
    LevelArchive in(out.bytes(), "set");
    EXPECT_EQ(signalsOf(set, [&] { set.load(in); }), 0);
}

TEST(GameResources, Arithmetic)
{
    cGameResources set;
    set.subtract(setOf({{Steel, 5}}));
    EXPECT_EQ(set.getItems(), (cGameResources::Items{{Steel, -5}}));

    cGameResources empty;
    empty.subtractClamped(setOf({{Steel, 5}}));
    EXPECT_TRUE(empty.getItems().empty());

    cGameResources few = setOf({{Money, 4}});
    few.subtractClamped(setOf({{Money, 10}}));
    EXPECT_EQ(few.getCount(Money), 1);
    cGameResources zero = setOf({{Money, 0}});
    zero.subtractClamped(setOf({{Money, 10}}));
    EXPECT_EQ(zero.getCount(Money), 0);

    cGameResources parts = setOf({{Money, 7}, {Steel, 2}, {Brick, 0}});
    int three = 3;
    parts.divideClamped(three);
    EXPECT_EQ(parts.getItems(), (cGameResources::Items{{Money, 2}, {Steel, 1}, {Brick, 0}}));
    // A divisor of 0 from the data counts as 1.
    int none = 0;
    parts.divideClamped(none);
    EXPECT_EQ(parts.getItems(), (cGameResources::Items{{Money, 2}, {Steel, 1}, {Brick, 0}}));

    cGameResources mixed = setOf({{Money, 2}, {Steel, 0}, {Brick, -1}});
    mixed.incrementPositive();
    EXPECT_EQ(mixed.getItems(), (cGameResources::Items{{Money, 3}, {Steel, 0}, {Brick, -1}}));

    cGameResources sum = setOf({{Money, 1}});
    sum.add(setOf({{Money, 2}, {Brick, 3}}));
    EXPECT_EQ(sum.getItems(), (cGameResources::Items{{Money, 3}, {Brick, 3}}));

    // Assign replaces the entries and keeps the connections; clear removes every entry.
    int signals = 0;
    sum.changed.connect([&](cGameResources*) { ++signals; });
    sum.assign(setOf({{Steel, 9}}));
    EXPECT_EQ(sum.getItems(), (cGameResources::Items{{Steel, 9}}));
    sum.clear();
    EXPECT_TRUE(sum.getItems().empty());
    EXPECT_EQ(signals, 2);

    // A copy has the entries but not the connections.
    cGameResources copy(setOf({{Money, 5}}));
    copy.changed.connect([&](cGameResources*) { ++signals; });
    cGameResources copyOfCopy(copy);
    copyOfCopy.add(copy);
    EXPECT_EQ(signals, 2);
    EXPECT_EQ(copyOfCopy.getCount(Money), 10);
}

TEST(GameResources, Queries)
{
    EXPECT_TRUE(cGameResources().isEmpty());
    EXPECT_TRUE(setOf({{Money, 0}}).isEmpty());
    EXPECT_FALSE(setOf({{Money, -1}}).isEmpty());

    const cGameResources held = setOf({{Money, 5}, {Brick, 2}});
    EXPECT_TRUE(held.contains(setOf({{Money, 5}})));
    EXPECT_FALSE(held.contains(setOf({{Money, 6}})));
    EXPECT_FALSE(held.contains(setOf({{Steel, 1}})));
    EXPECT_TRUE(cGameResources().contains(setOf({{Money, 0}})));
    EXPECT_EQ(held.getCount(Steel), 0);

    NameIdTable names;
    names.idOf(L"Money");
    names.idOf(L"Steel");
    names.idOf(L"Brick");
    const cGameResources priced = setOf({{Money, 3}, {Brick, 2}});
    EXPECT_EQ(priced.toText(false, names), L"Money 3 Brick 2 ");
    EXPECT_EQ(priced.toText(true, names), L" 3  2 ");
    EXPECT_EQ(setOf({{9, 1}}).toText(false, names), L" 1 ");
}

TEST(GameResources, SaveRecord)
{
    LevelArchive empty;
    cGameResources().save(empty);
    EXPECT_EQ(empty.bytes(), std::vector<uint8_t>({0, 0, 0, 0}));

    LevelArchive out;
    setOf({{Brick, -3}, {Money, 0}}).save(out);
    EXPECT_EQ(out.bytes(), std::vector<uint8_t>({2, 0, 0, 0,                            //
                                                 0, 0, 0, 0, 0,    0,    0,    0,       // Money 0
                                                 2, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF})); // Brick -3

    // Loading inserts only ids the set lacks and does not clear it.
    cGameResources into = setOf({{Money, 8}});
    LevelArchive in(out.bytes(), "set");
    into.load(in);
    EXPECT_EQ(into.getItems(), (cGameResources::Items{{Money, 8}, {Brick, -3}}));
}

TEST(UnitLevelInfo, SaveRecordRoundTrips)
{
    UnitLevelInfo block;
    block.freeCell = 0;
    block.upgradeTime = 2.5f;
    block.produceTime = 4.0f;
    block.autoProduceTime = 8.25f;
    block.selection = 3;
    block.upIn.assign(setOf({{Money, 20}}));
    block.resOut.assign(setOf({{Brick, 2}, {Steel, 1}}));
    block.repairRes.assign(setOf({{Steel, 4}}));

    LevelArchive out;
    block.save(out);
    // 5 values, then the five sets: 4 + 8 + 4 + 20 + 4 + 12 bytes.
    EXPECT_EQ(out.bytes().size(), 20u + 12 + 4 + 20 + 4 + 12);

    UnitLevelInfo restored;
    LevelArchive in(out.bytes(), "block");
    restored.load(in);
    EXPECT_EQ(in.remaining(), 0u);
    LevelArchive again;
    restored.save(again);
    EXPECT_EQ(again.bytes(), out.bytes());

    UnitLevelInfo copy;
    block.assign(copy);
    LevelArchive copied;
    copy.save(copied);
    EXPECT_EQ(copied.bytes(), out.bytes());
}
