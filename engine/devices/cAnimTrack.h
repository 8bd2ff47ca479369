#pragma once

#include "engine/devices/cMatrix.h"

#include <cstdint>
#include <vector>

namespace Engine
{

// One keyframe of a bone: its transform relative to the parent bone, and when it holds.
struct cAnimKey
{
    cMatrix matrix;
    float time = 0.0f;
};

// The keyframes of one bone in file order, and the track it hangs from.
struct cAnimTrack
{
    static constexpr uint32_t NoParent = 0xFFFFFFFFu;

    std::vector<cAnimKey> keys;
    uint32_t parent = NoParent;
};

} // namespace Engine
