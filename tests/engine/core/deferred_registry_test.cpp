#include "engine/core/cDeferredRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace
{

using Engine::cDeferredRegistry;

// Members sorted by a depth, then by identity, as the render registry sorts its views.
using tKey = std::pair<float, int>;

std::vector<int> visit(cDeferredRegistry<tKey>& registry)
{
    std::vector<int> seen;
    registry.walk([&](const tKey& key) { seen.push_back(key.second); });
    return seen;
}

TEST(DeferredRegistry, HandlersChangeTheRegistryOnlyWhenTheOutermostWalkEnds)
{
    cDeferredRegistry<tKey> registry;
    for (int id = 1; id <= 4; ++id)
        registry.add({static_cast<float>(id), id});

    // During one walk: 1 removes 3 (not visited any more) and adds 5 (not visited yet), 2 moves
    // itself behind 4, 4 runs a nested walk, which applies nothing, and adds and removes 6.
    std::vector<int> seen;
    std::vector<int> nested;
    registry.walk(
        [&](const tKey& key)
        {
            seen.push_back(key.second);
            if (key.second == 1)
            {
                registry.remove({3.0f, 3});
                registry.add({0.5f, 5});
            }
            if (key.second == 2)
            {
                registry.remove({2.0f, 2});
                registry.add({9.0f, 2});
            }
            if (key.second == 4)
            {
                nested = visit(registry);
                EXPECT_TRUE(registry.isWalking());
                registry.add({7.0f, 6});
                registry.remove({7.0f, 6});
            }
            EXPECT_EQ(registry.size(), 4u);
        });
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(nested, (std::vector<int>{1, 4})) << "members that left are skipped in every walk";
    EXPECT_FALSE(registry.isWalking());
    EXPECT_EQ(visit(registry), (std::vector<int>{5, 1, 4, 2}));
    EXPECT_TRUE(registry.contains({9.0f, 2}));
    EXPECT_FALSE(registry.contains({2.0f, 2}));

    // A handler that throws still ends the walk: the change it made is applied.
    EXPECT_THROW(registry.walk(
                     [&](const tKey& key)
                     {
                         registry.remove(key);
                         throw std::runtime_error("handler failed");
                     }),
                 std::runtime_error);
    EXPECT_EQ(visit(registry), (std::vector<int>{1, 4, 2}));

    // A walk bracketed from outside, as the frame's pass operations do.
    registry.beginWalk();
    registry.remove({1.0f, 1});
    EXPECT_TRUE(registry.contains({1.0f, 1}));
    registry.endWalk();
    registry.endWalk(); // an end without a walk applies nothing more
    EXPECT_EQ(visit(registry), (std::vector<int>{4, 2}));
}

// Objects destroyed by a handler during the walk are never met afterwards (AddressSanitizer
// would report the read).
TEST(DeferredRegistry, AnObjectDestroyedDuringTheWalkIsNotVisited)
{
    struct Object
    {
        explicit Object(cDeferredRegistry<Object*>& owner, int number) : registry(owner), id(number)
        {
            registry.add(this);
        }
        ~Object() { registry.remove(this); }
        cDeferredRegistry<Object*>& registry;
        int id;
    };
    cDeferredRegistry<Object*> registry;
    std::vector<std::unique_ptr<Object>> objects;
    for (int id = 0; id < 8; ++id)
        objects.push_back(std::make_unique<Object>(registry, id));
    int visited = 0;
    registry.walk(
        [&](Object* object)
        {
            visited += object->id >= 0 ? 1 : 0;
            // The first one met destroys every object.
            objects.clear();
        });
    EXPECT_EQ(visited, 1);
    EXPECT_EQ(registry.size(), 0u);
}

} // namespace
