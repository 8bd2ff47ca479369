#pragma once

#include "platform/image/Image.h"
#include "tools/artgen/Interpreter.h"

#include <map>
#include <string>

namespace ArtGen
{

// An atlas laid out: the sheet and the text of its map.
struct AtlasSheet
{
    Platform::Image image;
    // The atlas map the game reads: <Map><Entry Name="path"><Pos>x;y</Pos><Size>w;h</Size></Entry>...
    std::string map;
};

// Lays the pictures (by path, drawn by the sheets the atlas gathers; a picture of frames keeps
// them together) in rows across the sheet, the tallest first. Each picture is framed by a
// border one pixel wide that repeats its edge, so a picture drawn scaled or between pixels never
// takes colour from its neighbour. The sheet is the narrowest of 256, 512, ... 4096 pixels wide
// that keeps it no higher than wide. Throws std::runtime_error naming the atlas when it gathers
// nothing or its pictures do not fit.
AtlasSheet layAtlas(const AtlasInfo& atlas, const std::map<std::string, Platform::Image>& pictures);

} // namespace ArtGen
