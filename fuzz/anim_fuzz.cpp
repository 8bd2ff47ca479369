// The animation reader: any bytes either make an animation that evaluates at any time without
// reading outside its tracks, or give a load error; nothing is read past their end.
#include "engine/devices/cAnimation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try
    {
        Engine::cAnimation animation(data, size);
        const std::vector<Engine::cMatrix> bones(3, Engine::cMatrix::scaling(2, 2, 2));
        for (float time : {0.0f, 0.25f, 1.5f, -3.0f, 1e9f})
            animation.evaluate(time, &bones);
        if (animation.getOutput().size() != animation.getTracks().size())
            std::abort();
    }
    catch (const char*)
    {
    }
    return 0;
}
