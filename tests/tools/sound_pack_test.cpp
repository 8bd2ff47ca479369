// The game's sounds as the game gets them: every entry of "GameSounds.xml" names a file of the
// shipped data folder (the sound pack made at build time), which loads as the engine's sound
// sample and decodes through the SDL mixer to a sound of a sane length, audible, unclipped and
// no louder than the music. The music loops last exactly the bars of their scores and run on
// from their end into their start without a click.
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProperties.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundSample.h"
#include "game/world/SoundIds.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const std::string kData = QUILL_SOURCE_DIR "/data/";
const std::set<std::string> kLoops = {"main_menu_music", "map_music",  "brief_music",
                                      "winter_music",    "town_music", "village_music"};

// A sound decoded into the mixer's output format: 16-bit frames of `channels` values.
struct Pcm
{
    std::vector<int16_t> values;
    int rate = 0;
    int channels = 0;

    size_t frames() const { return values.size() / static_cast<size_t>(channels); }
    double seconds() const { return static_cast<double>(frames()) / rate; }
};

Pcm decode(const std::vector<char>& bytes)
{
    Pcm pcm;
    Uint16 format = 0;
    EXPECT_EQ(Mix_QuerySpec(&pcm.rate, &format, &pcm.channels), 1);
    EXPECT_EQ(format, AUDIO_S16SYS);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (!chunk)
    {
        ADD_FAILURE() << Mix_GetError();
        return pcm;
    }
    const auto* values = reinterpret_cast<const int16_t*>(chunk->abuf);
    pcm.values.assign(values, values + chunk->alen / 2);
    Mix_FreeChunk(chunk);
    return pcm;
}

double decibels(double value)
{
    return 20.0 * std::log10(std::max(value, 1e-6));
}

double peakOf(const Pcm& pcm)
{
    int peak = 0;
    for (int16_t v : pcm.values)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    return decibels(peak / 32768.0);
}

// The loudest 100 ms (root mean square, in dB of full scale); a loop's windows run round it.
double loudestOf(const Pcm& pcm, bool loop)
{
    const size_t frames = pcm.frames();
    const size_t channels = static_cast<size_t>(pcm.channels);
    const size_t window = static_cast<size_t>(pcm.rate / 10);
    const int16_t* values = pcm.values.data();
    // Running sums of the squares: sums[f] holds frames 0 .. f - 1.
    std::vector<double> sums(frames + 1, 0.0);
    double* sum = sums.data();
    for (size_t f = 0; f < frames; ++f)
    {
        double square = 0.0;
        for (size_t c = 0; c < channels; ++c)
        {
            const double v = values[f * channels + c] / 32768.0;
            square += v * v;
        }
        sum[f + 1] = sum[f] + square;
    }
    double loudest = 0.0;
    const size_t starts = loop ? frames : (frames > window ? frames - window + 1 : 1);
    for (size_t start = 0; start < starts; start += window / 4)
    {
        const size_t end = start + window;
        double inside = sum[std::min(end, frames)] - sum[start];
        if (loop && end > frames)
            inside += sum[end - frames];
        loudest = std::max(loudest, inside / static_cast<double>(window * channels));
    }
    return decibels(std::sqrt(loudest));
}

// How far the seam of a loop bends the wave: the second difference across it (end, end, start)
// against the same at other frames (every third one is plenty to know the usual). Lossy coding
// leaves the seam a little rougher than the rest; a click (a note cut off, an echo missing)
// bends it ten times more than most frames.
void expectSeamless(const Pcm& pcm, const std::string& id)
{
    const size_t frames = pcm.frames();
    const size_t channels = static_cast<size_t>(pcm.channels);
    const int16_t* values = pcm.values.data();
    for (size_t c = 0; c < channels; ++c)
    {
        const auto at = [&](size_t f) { return static_cast<double>(values[(f % frames) * channels + c]); };
        std::vector<double> bends(frames / 3 - 1);
        for (size_t i = 0; i < bends.size(); ++i)
        {
            const size_t f = 3 * i + 1;
            bends[i] = std::fabs(at(f + 1) - 2.0 * at(f) + at(f - 1));
        }
        auto percentile = bends.begin() + static_cast<std::ptrdiff_t>(bends.size() * 99 / 100);
        std::nth_element(bends.begin(), percentile, bends.end());
        const double seam = std::max(std::fabs(at(frames) - 2.0 * at(frames - 1) + at(frames - 2)),
                                     std::fabs(at(frames + 1) - 2.0 * at(frames) + at(frames - 1)));
        EXPECT_LE(seam, 2.0 * *percentile) << id << " clicks where it loops (channel " << c << ")";
    }
}

// The length of a loop from its score: bars x beats a bar at the tempo.
double scoreSeconds(const std::string& oggPath)
{
    fs::path source = fs::path(QUILL_SOURCE_DIR "/tools/sound") / oggPath;
    source.replace_extension(".score");
    std::ifstream in(source);
    std::map<std::string, double> header;
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream words(line);
        std::string key;
        double value = 0.0;
        if (words >> key >> value)
            header[key] = value;
    }
    EXPECT_GT(header["tempo"], 0.0) << source;
    return header["bars"] * header["meter"] * 60.0 / header["tempo"];
}

// The engine over the shipped data folder, with sound on SDL's dummy output.
class GameSoundFiles : public ::testing::Test
{
protected:
    GameSoundFiles() : dataHome("XDG_DATA_HOME", home.path().string()), files(Engine::fromUtf8(kData)) {}

    ::Test::TempDir home;
    ::Test::ScopedEnv dataHome;
    Engine::cFileSystem files;
    Engine::cResourceManager manager;
    Engine::cSound sound;
};

} // namespace

TEST_F(GameSoundFiles, EverySoundOfTheTableDecodesAudibleUnclippedAndNoLouderThanTheMusic)
{
    ASSERT_FALSE(sound.isDisabled()) << "no sound output (SDL_AUDIODRIVER=dummy gives one)";
    const Engine::tPropertiesPtr table = manager.getXml("GameSounds.xml", false);
    std::map<std::string, std::string> paths;
    for (unsigned i = 0; i < table->getChildCount(); ++i)
    {
        Engine::tPropertiesPtr entry;
        ASSERT_TRUE(table->getChildAt(i, entry));
        const std::string id = Engine::toUtf8(entry->getAttribute(L"id"));
        EXPECT_TRUE(paths.emplace(id, Engine::toUtf8(entry->getAttribute(L"path"))).second)
            << "twice: " << id;
    }
    for (const char* id : SoundId::all)
        EXPECT_EQ(paths.count(id), 1u) << "the table lacks " << id;

    std::map<std::string, double> loudest;
    double quietestMusic = 0.0;
    for (const auto& [id, path] : paths)
    {
        SCOPED_TRACE(id + " " + path);
        ASSERT_TRUE(files.isKnown(path));
        // The engine's own sample: loaded and decoded by the mixer.
        const boost::shared_ptr<Engine::cSoundSample> sample = manager.getSound(path);
        EXPECT_GT(sample->getId(), 0);

        std::vector<char> bytes;
        files.readFile(path, bytes);
        const Pcm pcm = decode(bytes);
        ASSERT_GT(pcm.frames(), 0u);
        const bool loop = kLoops.count(id) != 0;
        EXPECT_LE(peakOf(pcm), -0.5) << "clipped";
        EXPECT_GE(peakOf(pcm), -24.0) << "hardly audible";
        loudest[id] = loudestOf(pcm, loop);
        if (loop)
        {
            EXPECT_NEAR(pcm.seconds(), scoreSeconds(path), 0.5 / pcm.rate)
                << "a loop must last its bars exactly";
            EXPECT_GE(pcm.seconds(), 15.0);
            expectSeamless(pcm, id);
            quietestMusic = std::min(quietestMusic, loudest[id]);
        }
        else
        {
            EXPECT_GE(pcm.seconds(), 0.02);
            EXPECT_LE(pcm.seconds(), id == SoundId::finishLevel ? 12.0 : 6.0);
        }
    }
    // Music sits at one loudness; an effect may be quieter, never louder by surprise.
    for (const auto& [id, value] : loudest)
        EXPECT_LE(value, quietestMusic + 1.0) << id << " is louder than the music";
    EXPECT_GT(quietestMusic, -20.0);
}

TEST_F(GameSoundFiles, EveryFileOfThePackDecodes)
{
    std::list<std::string> known;
    files.listKnown("sounds/", known, true);
    files.listKnown("music/", known, true);
    // Sounds for every table entry, the buttons and the map pages.
    EXPECT_GE(known.size(), 45u);
    for (const char* button : {"sounds/button_click.wav", "sounds/button_hover.wav", "sounds/page.wav"})
        EXPECT_TRUE(files.isKnown(button)) << button;
    for (const std::string& path : known)
    {
        const std::string extension = fs::path(path).extension().string();
        if (extension != ".wav" && extension != ".ogg")
            continue; // the sources kept beside older sounds
        std::vector<char> bytes;
        files.readFile(path, bytes);
        const Pcm pcm = decode(bytes);
        EXPECT_GT(pcm.frames(), 0u) << path;
        EXPECT_GE(peakOf(pcm), -30.0) << path;
    }
}
