// Makes every sound of the game from the sources below a folder and writes them into the
// data folder's sound pack:
//
//   soundgen <sources folder> [--pack <file.pack>] [--out <folder>] [--report]
//
// Each "<path>.tones" (a sound effect, Tones.h) becomes the member "<path>.wav", each
// "<path>.score" (music, Score.h) "<path>.ogg". --out also writes every file into a folder to
// listen to; --report prints each sound's length, peak and loudness. The pack is the same
// bytes on every run.
#include "tools/DataFiles.h"
#include "tools/artgen/PackWriter.h"
#include "tools/sound/Sound.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

struct Options
{
    std::string sources;
    std::string pack;
    std::string out;
    bool report = false;
};

std::string decibels(double value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%6.1f", value);
    return text;
}

int run(const Options& options)
{
    std::vector<fs::path> sources;
    for (const auto& entry : fs::recursive_directory_iterator(options.sources))
        if (entry.is_regular_file() &&
            (entry.path().extension() == ".tones" || entry.path().extension() == ".score"))
            sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    if (sources.empty())
        throw std::runtime_error(options.sources + " holds no sound sources");

    std::map<std::string, std::string> members;
    if (options.report)
        std::cout << "file                              seconds  ch   peak  loudest  average (dBFS)\n";
    for (const fs::path& source : sources)
    {
        const bool score = source.extension() == ".score";
        std::string text;
        if (!Tools::readWholeFile(source.string(), text))
            throw std::runtime_error(source.string() + ": cannot be read");
        SoundGen::Sound sound;
        try
        {
            sound = SoundGen::renderSource(text, score ? "score" : "tones");
        }
        catch (const std::string& failure)
        {
            throw std::runtime_error(source.string() + ", " + failure);
        }
        fs::path member = fs::relative(source, options.sources);
        member.replace_extension(score ? ".ogg" : ".wav");
        const std::string name = member.generic_string();
        members[name] = score ? SoundGen::oggBytes(sound) : SoundGen::waveBytes(sound);
        if (options.report)
        {
            const SoundGen::Loudness loudness = SoundGen::measure(sound);
            std::string padded = name;
            padded.resize(std::max<size_t>(padded.size(), 32), ' ');
            std::cout << padded << decibels(loudness.seconds) << "   " << sound.channels << " "
                      << decibels(loudness.peak) << "  " << decibels(loudness.loudest) << "  "
                      << decibels(loudness.average) << "\n";
        }
    }
    if (!options.pack.empty())
        ArtGen::PackWriter::write(options.pack, members);
    if (!options.out.empty())
        for (const auto& [name, bytes] : members)
        {
            const fs::path path = fs::path(options.out) / name;
            fs::create_directories(path.parent_path());
            if (!Tools::writeWholeFile("soundgen", path.string(), bytes))
                return 1;
        }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    bool good = argc >= 2;
    for (int i = 2; good && i < argc; ++i)
    {
        const std::string key = argv[i];
        if (key == "--report")
            options.report = true;
        else if (i + 1 >= argc)
            good = false;
        else if (key == "--pack")
            options.pack = argv[++i];
        else if (key == "--out")
            options.out = argv[++i];
        else
            good = false;
    }
    if (!good)
    {
        std::cerr << "usage: soundgen <sources folder> [--pack <file.pack>] [--out <folder>] [--report]\n";
        return 2;
    }
    options.sources = argv[1];
    try
    {
        return run(options);
    }
    catch (const std::exception& error)
    {
        std::cerr << "soundgen: " << error.what() << "\n";
    }
    return 1;
}
