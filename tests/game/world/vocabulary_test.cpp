#include "game/world/MapPages.h"
#include "game/world/NameIdTable.h"
#include "game/world/SoundIds.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitStates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(Vocabulary, StateNamesFollowTheStateValues)
{
    ASSERT_EQ(kUnitStateNames.size(), 17u);
    EXPECT_STREQ(unitStateName(eUnitState::idle), L"idle");
    EXPECT_STREQ(unitStateName(eUnitState::moveTo), L"moveTo");
    EXPECT_STREQ(unitStateName(eUnitState::damageRepair), L"damageRepair");
    EXPECT_EQ(static_cast<int>(eUnitState::damageRepair), 16);
    EXPECT_STREQ(unitStateName(17), L"");
    EXPECT_STREQ(unitStateName(-1), L"");
}

TEST(Vocabulary, CategoriesAndSoundIdsAreDistinct)
{
    std::set<std::wstring> categories(UnitCategory::all.begin(), UnitCategory::all.end());
    EXPECT_EQ(categories.size(), 16u);
    std::set<std::string> sounds(SoundId::all.begin(), SoundId::all.end());
    EXPECT_EQ(sounds.size(), 16u);
    EXPECT_EQ(std::string(SoundId::finishLevel), "finish_level");
}

TEST(Vocabulary, MapPageOfALevel)
{
    auto& pages = mapPages();
    const auto saved = pages;
    pages[0] = {0, 7, nullptr, {}};
    pages[1] = {8, 15, nullptr, {}};
    EXPECT_EQ(mapPageOfLevel(3), 0);
    EXPECT_EQ(mapPageOfLevel(8), 1);
    EXPECT_EQ(mapPageOfLevel(99), 0);
    pages = saved;
}

TEST(NameIdTable, IdsInOrderOfFirstLookUp)
{
    NameIdTable table;
    EXPECT_EQ(table.idOf(L"Steel"), 0);
    EXPECT_EQ(table.idOf(L"Money"), 1);
    EXPECT_EQ(table.idOf(L"Steel"), 0);
    // Case matters: a differently spelled name is a new one.
    EXPECT_EQ(table.idOf(L"steel"), 2);
    EXPECT_EQ(table.size(), 3);
    EXPECT_EQ(table.nameOf(1), L"Money");
    EXPECT_EQ(table.nameOf(7), L"");
    EXPECT_EQ(table.nameOf(-1), L"");
    EXPECT_EQ(table.find(L"Brick"), -1);
    EXPECT_EQ(table.size(), 3);
}
