// soundgen run as the build runs it, on sources of the test's own: a loop lasts exactly its
// bars and the note ringing over its end sounds at its start, the same sources give the same
// pack, and a faulty score stops the tool with the file and line named and no pack written.
#include "engine/devices/cSound.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// Runs soundgen with `arguments`; its exit status, what it said in `said`.
int soundgen(const std::string& arguments, const fs::path& folder, std::string& said)
{
    const fs::path log = folder / "soundgen.log";
    const std::string command =
        std::string(QUILL_BINARY_DIR "/tools/sound/soundgen ") + arguments + " > " + log.string() + " 2>&1";
    const int status = std::system(command.c_str());
    said = ::Test::readFile(log.string());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The number of frames an Ogg Vorbis file decodes to: the granule position of its last page.
int64_t oggFrames(const std::string& bytes)
{
    const size_t page = bytes.rfind("OggS");
    if (page == std::string::npos || page + 14 > bytes.size())
        return -1;
    int64_t granule = 0;
    std::memcpy(&granule, bytes.data() + page + 6, sizeof granule);
    return granule;
}

// Root mean square of the decoded frames from `from` to `to` seconds.
double rms(const std::string& ogg, double from, double to)
{
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(ogg.data(), static_cast<int>(ogg.size())), 1);
    EXPECT_NE(chunk, nullptr) << Mix_GetError();
    if (!chunk)
        return 0.0;
    const auto* values = reinterpret_cast<const int16_t*>(chunk->abuf);
    const size_t first = static_cast<size_t>(from * rate) * static_cast<size_t>(channels);
    const size_t last =
        std::min<size_t>(static_cast<size_t>(to * rate) * static_cast<size_t>(channels), chunk->alen / 2);
    double sum = 0.0;
    for (size_t i = first; i < last; ++i)
        sum += (values[i] / 32768.0) * (values[i] / 32768.0);
    Mix_FreeChunk(chunk);
    return std::sqrt(sum / static_cast<double>(last - first));
}

} // namespace

TEST(SoundGen, ALoopRingsOnOverItsEndIntoItsStartAndTheSameSourcesGiveTheSamePack)
{
    ::Test::TempDir folder;
    // One bar at 120 beats a minute (two seconds); one note on its last beat, held to the end
    // and dying away over 0.4 s more.
    folder.write("sources/music/loop.score",
                 "tempo 120\nmeter 4\nbars 1\n"
                 "instrument lead partials 1,0.3 release 0.4 legato 1 volume 0.6\n"
                 "play lead r:h r:q a4:q |\n");
    folder.write("sources/sounds/beep.tones", "tone 0.1 880 decay 20\n");
    const fs::path sources = folder.path() / "sources";
    std::string said;
    ASSERT_EQ(soundgen(sources.string() + " --pack " + (folder.path() / "a.pack").string() + " --out " +
                           (folder.path() / "out").string(),
                       folder.path(), said),
              0)
        << said;
    ASSERT_EQ(
        soundgen(sources.string() + " --pack " + (folder.path() / "b.pack").string(), folder.path(), said), 0)
        << said;
    const std::string pack = ::Test::readFile((folder.path() / "a.pack").string());
    EXPECT_FALSE(pack.empty());
    EXPECT_EQ(pack, ::Test::readFile((folder.path() / "b.pack").string()));
    EXPECT_TRUE(fs::exists(folder.path() / "out/sounds/beep.wav"));

    const std::string loop = ::Test::readFile((folder.path() / "out/music/loop.ogg").string());
    EXPECT_EQ(oggFrames(loop), 88200) << "two seconds at 44100 frames a second, not a frame more";
    Engine::cSound sound;
    ASSERT_FALSE(sound.isDisabled()) << "no sound output (SDL_AUDIODRIVER=dummy gives one)";
    const double note = rms(loop, 1.55, 1.95);
    const double echo = rms(loop, 0.0, 0.1);
    const double rest = rms(loop, 0.6, 1.4);
    EXPECT_GT(note, 0.05);
    EXPECT_GT(echo, note / 20.0) << "the note's end belongs at the start of the loop";
    EXPECT_LT(rest, note / 100.0);
}

TEST(SoundGen, AFaultySourceStopsItNamingFileAndLine)
{
    ::Test::TempDir folder;
    folder.write("sources/music/bad.score", "tempo 100\nmeter 4\nbars 2\ninstrument lead\n"
                                            "play lead c4:q d4:q e4:q |\n");
    folder.write("sources/sounds/bad.tones", "tone 0.2 440 wave sine\n");
    const fs::path pack = folder.path() / "sound.pack";
    std::string said;
    EXPECT_EQ(
        soundgen((folder.path() / "sources").string() + " --pack " + pack.string(), folder.path(), said), 1);
    EXPECT_NE(said.find("bad.score, line 5: a bar of 3 beats where the meter has 4"), std::string::npos)
        << said;
    EXPECT_FALSE(fs::exists(pack));

    folder.write("sources/music/bad.score", "tempo 100\nmeter 4\nbars 2\ninstrument lead\n"
                                            "play lead c4:w | h4:w |\n");
    EXPECT_EQ(
        soundgen((folder.path() / "sources").string() + " --pack " + pack.string(), folder.path(), said), 1);
    EXPECT_NE(said.find("line 5: \"h4\" is no pitch"), std::string::npos) << said;

    folder.write("sources/music/bad.score",
                 "tempo 100\nmeter 4\nbars 2\ninstrument lead\nplay lead c4:w |\n");
    EXPECT_EQ(
        soundgen((folder.path() / "sources").string() + " --pack " + pack.string(), folder.path(), said), 1);
    EXPECT_NE(said.find("the part of lead lasts 4 beats, the piece 8"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(pack));
}
