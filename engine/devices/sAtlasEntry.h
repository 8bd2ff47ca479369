#pragma once

#include "engine/core/cVector2.h"

#include <cstdint>

namespace Engine
{

// One named region of an atlas image, as the atlas map file gives it (pixels of the image).
struct sAtlasEntry
{
    // Position of the atlas image in the resource manager's list of atlas images.
    int32_t imageIndex = 0;
    cVector2 pos;
    cVector2 size;
};

} // namespace Engine
