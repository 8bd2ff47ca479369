// Hands arbitrary bytes to the level model as the player's saved unfinished level, as
// "continue" does. A save the reader refuses must be set aside as "<name>.damaged", so that
// "continue" never fails twice and its bytes are kept. One it takes is saved again, and that save must
// restore and save to the very same bytes (the first round may drop what a restore drops: tips already
// shown). Anything else (a crash, a read past the end, a huge allocation) is a finding.
#include "engine/core/FileUtils.h"
#include "fuzz/level_fuzz_engine.h"
#include "game/world/GameConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LevelFuzz::startEngine();
    const std::string path = GameConfig::instance().savePath();
    Engine::writeWholeFile(path, data, size);
    auto game = std::make_unique<Game>();
    if (game->restoreLevel())
    {
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
