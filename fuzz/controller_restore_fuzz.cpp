// Hands a saved level taken in the middle of play (heroes walking and working, goals waiting,
// production and cataclysms running), with bytes changed, to the level model as "continue"
// does. The planner's block holds the running actions and the goals: a record that does not
// fit the level must be refused with the save set aside. A save that is taken plays on for a few
// seconds, with the actions it restored, and unless that wins the level saves again; that save
// restores and saves to the very same bytes. A crash, a read past the end or a fatal error
// while playing is a finding.
#include "engine/core/FileUtils.h"
#include "engine/core/cTimer.h"
#include "fuzz/level_fuzz_engine.h"
#include "game/world/GameConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

class FuzzTimer final : public Engine::cTimer
{
public:
    // Frames of an eighth of a second: a few seconds of play in few frames.
    float getFrameTime() const override { return 1.0f / 8.0f; }
};

// Frames of the level; false when the game failed with one of its error texts (a restored
// record the items cannot go on from), which the game would show as a fatal error.
bool play(Game& game, int frames)
{
    return !LevelFuzz::failsCleanly(
        [&]
        {
            for (int i = 0; i < frames && !game.isLevelOver(); ++i)
            {
                Engine::cControl::enabledPass();
                game.update();
                Engine::cControl::deletePending();
            }
        });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LevelFuzz::startEngine();
    static FuzzTimer* timer = new FuzzTimer();
    (void)timer;
    const std::string path = GameConfig::instance().savePath();
    Engine::writeWholeFile(path, data, size);
    auto game = std::make_unique<Game>();
    if (game->restoreLevel())
    {
        if (!play(*game, 40))
            std::abort();
        // A level won in play is never saved again: the win drops the unfinished level, and the
        // player's values name the next one.
        if (game->isLevelOver())
        {
            LevelFuzz::dropLevel(game);
            return 0;
        }
        const std::vector<uint8_t> saved = game->saveLevelBytes();
        LevelFuzz::dropLevel(game);
        game = std::make_unique<Game>();
        if (LevelFuzz::failsCleanly([&] { game->restoreLevelBytes(saved, path); }))
            std::abort();
        if (game->saveLevelBytes() != saved)
            std::abort();
    }
    else if (Engine::cFileSystem::instance()->isKnown(path) || game->getRestoreError().empty() ||
             !Engine::cFileSystem::instance()->isKnown(path + ".damaged"))
        std::abort();
    LevelFuzz::dropSetAside(path);
    LevelFuzz::dropLevel(game);
    return 0;
}
