// Draws every picture of the game from the sources in tools/art and writes them into the
// data folder's art pack, the manifest of the pack, or contact sheets to look at.
//
//   artgen <art folder> [--pack <file.pack>] [--manifest <file>]
//          [--contact <folder> [--zoom <n>] [--only <regular expression>]]
//   artgen --screens <sheet.png> <screen.png>...
//
// The second form lays screens a run of the game saved side by side on one sheet, to compare
// their look.
//
// With --only and neither --pack nor --manifest, only the pictures whose path matches are drawn.
//
// The sources are the palette ("palette.txt"), the shared look ("style.art", read first) and
// every other "*.art" file below the folder, read in path order. tools/art/README.md describes
// them. The pack and the manifest are the same bytes on every run.
#include "platform/image/JpegCodec.h"
#include "platform/image/PngCodec.h"
#include "tools/artgen/AtlasSheet.h"
#include "tools/artgen/ContactSheet.h"
#include "tools/artgen/Interpreter.h"
#include "tools/artgen/Lettering.h"
#include "tools/artgen/Manifest.h"
#include "tools/artgen/PackWriter.h"
#include "tools/artgen/Palette.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

struct Options
{
    std::string art;
    std::string pack;
    std::string manifest;
    std::string contact;
    std::string only;
    int zoom = 2;
};

std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path.string() + ": cannot be read");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "style.art" first, then every other source in path order.
std::vector<std::filesystem::path> sources(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".art" &&
            entry.path().filename() != "style.art")
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    found.insert(found.begin(), folder / "style.art");
    return found;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            throw std::runtime_error("cannot write " + temporary);
    }
    std::filesystem::rename(temporary, path);
}

// A ".jpg" picture is a JPEG of quality 90 (backdrops and map pages, which cover their whole
// frame); anything else is a PNG.
std::string encode(const ArtGen::SheetOutput& output)
{
    const Platform::Image& image = output.image;
    const std::string& path = output.info.path;
    if (path.compare(path.size() - 4, 4, ".jpg") != 0)
    {
        const std::vector<uint8_t> png = Platform::encodePng(image);
        return std::string(png.begin(), png.end());
    }
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(image.width) * image.height * 3);
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
        {
            const uint8_t* p = image.row(y) + x * 4;
            if (p[3] != 255)
                throw std::runtime_error(output.info.source + ": " + path +
                                         " is a JPEG and must cover its whole frame; the pixel at " +
                                         std::to_string(x) + "," + std::to_string(y) + " is not covered");
            rgb.insert(rgb.end(), {p[2], p[1], p[0]});
        }
    const std::vector<uint8_t> jpeg = Platform::encodeJpeg(rgb.data(), image.width, image.height, 3, 90);
    return std::string(jpeg.begin(), jpeg.end());
}

int run(const Options& options)
{
    const std::filesystem::path folder(options.art);
    ArtGen::Palette palette;
    palette.load((folder / "palette.txt").string(), (folder / "palette.txt").string());
    ArtGen::Interpreter interpreter(palette);
    for (const std::filesystem::path& source : sources(folder))
        interpreter.load(readText(source), source.string());

    std::map<std::string, std::string> members;
    std::vector<ArtGen::SheetInfo> sheets;
    std::vector<std::unique_ptr<ArtGen::SheetOutput>> kept;
    const bool looking = !options.contact.empty();
    const std::regex only(options.only);
    // Only looking at a few pictures: the others need not be drawn.
    if (options.pack.empty() && options.manifest.empty() && !options.only.empty())
        interpreter.setWanted([&](const std::string& path) { return std::regex_search(path, only); });
    // The pictures the atlases gather (an atlas is declared before the sheets it gathers).
    std::map<std::string, Platform::Image> drawn;
    const bool packing = !options.pack.empty() || !options.manifest.empty();
    interpreter.run(
        [&](ArtGen::SheetOutput& output)
        {
            if (!output.scene)
            {
                members[output.info.path] = encode(output);
                sheets.push_back(output.info);
                for (const ArtGen::AtlasInfo& atlas : interpreter.atlases())
                    if (packing && atlas.gathers(output.info.path))
                        drawn[output.info.path] = output.image;
            }
            if (looking && std::regex_search(output.info.path, only))
                kept.push_back(std::make_unique<ArtGen::SheetOutput>(output));
        },
        looking);

    if (packing)
        for (const ArtGen::AtlasInfo& atlas : interpreter.atlases())
        {
            std::map<std::string, Platform::Image> gathered;
            for (const auto& [path, image] : drawn)
                if (atlas.gathers(path))
                    gathered[path] = image;
            const ArtGen::AtlasSheet sheet = ArtGen::layAtlas(atlas, gathered);
            if (members.count(atlas.path) || members.count(atlas.map))
                throw std::runtime_error(atlas.source + ": " + atlas.path + " or " + atlas.map +
                                         " is also drawn by a sheet");
            const std::vector<uint8_t> png = Platform::encodePng(sheet.image);
            members[atlas.path] = std::string(png.begin(), png.end());
            members[atlas.map] = sheet.map;
            ArtGen::SheetInfo info;
            info.path = atlas.path;
            info.frameWidth = static_cast<int>(sheet.image.width);
            info.frameHeight = static_cast<int>(sheet.image.height);
            info.anchorX = info.frameWidth / 2.0;
            info.anchorY = info.frameHeight / 2.0;
            info.bleed = true;
            info.use = "the " + std::to_string(gathered.size()) + " pictures of " + atlas.map +
                       " on one sheet, drawn in their place by their own names (data/atlases.xml)";
            info.source = atlas.source;
            sheets.push_back(info);
        }

    if (!options.pack.empty())
        ArtGen::PackWriter::write(options.pack, members);
    if (!options.manifest.empty())
        writeFile(options.manifest, ArtGen::manifestText(sheets));
    if (looking)
    {
        std::vector<const ArtGen::SheetOutput*> outputs;
        for (const auto& output : kept)
            outputs.push_back(output.get());
        for (const std::string& file : ArtGen::writeContactSheets(outputs, options.contact, options.zoom))
            std::cout << file << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "--screens")
    {
        if (argc < 4)
        {
            std::cerr << "usage: artgen --screens <sheet.png> <screen.png>...\n";
            return 2;
        }
        int status = 1;
        try
        {
            ArtGen::writeScreenSheet(std::vector<std::string>(argv + 3, argv + argc), argv[2]);
            status = 0;
        }
        catch (const std::exception& error)
        {
            std::cerr << "artgen: " << error.what() << "\n";
        }
        ArtGen::Lettering::shutDown();
        return status;
    }
    Options options;
    bool good = argc >= 3;
    for (int i = 2; good && i < argc; i += 2)
    {
        const std::string key = argv[i];
        if (i + 1 >= argc)
            good = false;
        else if (key == "--pack")
            options.pack = argv[i + 1];
        else if (key == "--manifest")
            options.manifest = argv[i + 1];
        else if (key == "--contact")
            options.contact = argv[i + 1];
        else if (key == "--only")
            options.only = argv[i + 1];
        else if (key == "--zoom")
            options.zoom = std::max(1, std::min(8, std::atoi(argv[i + 1])));
        else
            good = false;
    }
    if (!good)
    {
        std::cerr
            << "usage: artgen <art folder> [--pack <file.pack>] [--manifest <file>] [--contact <folder>]"
               " [--zoom <n>]\n";
        return 2;
    }
    options.art = argv[1];
    int status = 1;
    try
    {
        status = run(options);
    }
    catch (const std::exception& error)
    {
        std::cerr << "artgen: " << error.what() << "\n";
    }
    ArtGen::Lettering::shutDown();
    return status;
}
