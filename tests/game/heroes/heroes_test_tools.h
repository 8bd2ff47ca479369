#pragma once

// The level fixture of the world's tests, with view descriptions for the unit types a test
// works on, written into the test's shared folder (read before the data folder).

#include "engine/core/FileUtils.h"
#include "game/heroes/ActionItem.h"
#include "game/heroes/GameController.h"
#include "tests/game/world/game_test_tools.h"

#include <initializer_list>
#include <string>

namespace GameTest
{

class HeroesFixture : public GameFixture
{
public:
    static void write(const std::string& path, const std::string& text)
    {
        Engine::writeWholeFile(path, text.data(), text.size());
    }

    // A view description for each type, so that work on its units shows a progress bar.
    static void describe(std::initializer_list<const char*> types)
    {
        for (const char* type : types)
            write(std::string("Units/") + type + ".xml", std::string("<View name=\"") + type + "\"/>");
    }

    cUnit::Ptr first(const wchar_t* type, int index = 1)
    {
        const auto range = game->getUnits().equal_range(typeId(type));
        for (auto it = range.first; it != range.second; ++it)
            if (--index == 0)
                return it->second;
        return cUnit::Ptr();
    }

    GameController& controller() { return game->getController(); }

    // Runs frames until the chains the level started with (the base dropping in) are over.
    void settle()
    {
        runUntil([this] { return game->getController().runningChainCount() == 0; }, 5.0f);
    }

    // Runs frames of `dt` until `done` holds or `seconds` have passed; the frames run.
    template <class Predicate> int runUntil(Predicate done, float seconds, float dt = 1.0f / 64.0f)
    {
        int frames = 0;
        for (; frames * dt < seconds && !done(); ++frames)
            run(1, dt);
        return frames;
    }
};

} // namespace GameTest
