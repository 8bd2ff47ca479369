#include "tools/artgen/AtlasSheet.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace ArtGen
{

namespace
{

constexpr uint32_t kBorder = 1;
constexpr uint32_t kNarrowest = 256;
constexpr uint32_t kWidest = 4096;

// Copies the picture to (left, top) of the sheet with its edge pixels repeated around it.
void place(Platform::Image& sheet, const Platform::Image& picture, uint32_t left, uint32_t top)
{
    for (uint32_t y = 0; y < picture.height + 2 * kBorder; ++y)
    {
        const uint32_t from = std::min(std::max(y, kBorder) - kBorder, picture.height - 1);
        uint8_t* to = sheet.row(top - kBorder + y) + (left - kBorder) * 4;
        const uint8_t* row = picture.row(from);
        std::memcpy(to, row, 4);
        std::memcpy(to + 4 * kBorder, row, static_cast<size_t>(picture.width) * 4);
        std::memcpy(to + 4 * (kBorder + picture.width), row + (picture.width - 1) * 4, 4);
    }
}

} // namespace

namespace
{

struct Spot
{
    const std::string* path;
    const Platform::Image* picture;
    uint32_t left;
    uint32_t top;
};

// Shelves across a sheet `width` wide, the tallest pictures first; gives the height used.
uint32_t shelve(const std::vector<Spot*>& order, uint32_t width)
{
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t rowHeight = 0;
    for (Spot* spot : order)
    {
        const uint32_t w = spot->picture->width + 2 * kBorder;
        const uint32_t h = spot->picture->height + 2 * kBorder;
        if (x + w > width)
        {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        spot->left = x + kBorder;
        spot->top = y + kBorder;
        x += w;
        rowHeight = std::max(rowHeight, h);
    }
    return y + rowHeight;
}

} // namespace

AtlasSheet layAtlas(const AtlasInfo& atlas, const std::map<std::string, Platform::Image>& pictures)
{
    if (pictures.empty())
        throw std::runtime_error(atlas.source + ": the atlas " + atlas.path + " gathers no picture");
    std::vector<Spot> spots;
    uint32_t widest = 0;
    for (const auto& [path, picture] : pictures)
    {
        spots.push_back({&path, &picture, 0, 0});
        widest = std::max(widest, picture.width + 2 * kBorder);
    }
    std::vector<Spot*> order;
    for (Spot& spot : spots)
        order.push_back(&spot);
    std::stable_sort(order.begin(), order.end(),
                     [](const Spot* a, const Spot* b) { return a->picture->height > b->picture->height; });
    // The narrowest width of 256, 512, ... that keeps the sheet no higher than wide.
    uint32_t width = kNarrowest;
    while (width < widest)
        width *= 2;
    uint32_t height = shelve(order, width);
    while (height > width)
    {
        width *= 2;
        if (width > kWidest)
            throw std::runtime_error(atlas.source + ": the pictures of the atlas " + atlas.path +
                                     " do not fit on a sheet " + std::to_string(kWidest) + " pixels wide");
        height = shelve(order, width);
    }

    AtlasSheet result;
    result.image.width = width;
    result.image.height = height;
    result.image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    result.map = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<!-- Written by artgen: where each picture lies on " +
                 atlas.path + ". -->\n<Map>\n";
    for (const Spot& spot : spots)
    {
        place(result.image, *spot.picture, spot.left, spot.top);
        result.map += "\t<Entry Name=\"" + *spot.path + "\"><Pos>" + std::to_string(spot.left) + ";" +
                      std::to_string(spot.top) + "</Pos><Size>" + std::to_string(spot.picture->width) + ";" +
                      std::to_string(spot.picture->height) + "</Size></Entry>\n";
    }
    result.map += "</Map>\n";
    return result;
}

} // namespace ArtGen
