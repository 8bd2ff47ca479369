// Hands arbitrary bytes to the level model as a level file. A broken file may only end in a
// failure text naming what is wrong (the XML reader's, the file's element and value); a file
// that loads must start: heroes in the base, goals built, the first frames run.
#include "engine/core/FileUtils.h"
#include "fuzz/level_fuzz_engine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LevelFuzz::startEngine();
    Engine::writeWholeFile("levels/n77.xml", data, size);
    auto game = std::make_unique<Game>();
    bool loaded = false;
    const bool failed = LevelFuzz::failsCleanly(
        [&]
        {
            game->loadLevel(77);
            loaded = true;
        });
    if (!failed && !loaded)
        std::abort();
    if (loaded)
    {
        game->getController().init();
        for (int frame = 0; frame < 3; ++frame)
            game->update();
    }
    LevelFuzz::dropLevel(game);
    return 0;
}
