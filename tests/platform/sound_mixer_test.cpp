#include "platform/sound/RecordingMixer.h"
#include "platform/sound/SdlMixer.h"
#include "platform/sound/SoundFileInfo.h"
#include "tests/platform/sound_test_wave.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace
{

using namespace Platform;
using SoundTest::makeWave;

// The files the mixers read, by name, and the handles open on them.
std::map<std::string, std::string> g_files;
std::map<int, std::string> g_open;
int g_lastHandle = 0;

int openFile(const char* name)
{
    if (!g_files.count(name))
        return -1;
    g_open[++g_lastHandle] = name;
    return g_lastHandle;
}
int seekFile(int handle, int offset, int origin)
{
    return offset == 0 && origin == 2 ? static_cast<int>(g_files.at(g_open.at(handle)).size()) : 0;
}
int readFile(int handle, void* buffer, int size)
{
    // Hands the bytes out in small pieces, as a packed file might.
    const std::string& bytes = g_files.at(g_open.at(handle));
    static std::map<int, size_t> position;
    size_t& at = position[handle];
    const size_t n = std::min<size_t>({static_cast<size_t>(size), bytes.size() - at, 1000});
    std::memcpy(buffer, bytes.data() + at, n);
    at += n;
    return static_cast<int>(n);
}
void closeFile(int handle)
{
    g_open.erase(handle);
}

SoundFileCallbacks callbacks()
{
    return SoundFileCallbacks{&openFile, &seekFile, &readFile, &closeFile};
}

using ::Test::ScopedEnv;

template <class Mixer> class MixerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_files = {{"tone.wav", makeWave(2.0)}, {"other.wav", makeWave(1.0, 22050)}, {"text.wav", "hello"}};
        ASSERT_EQ(mixer.init(SoundSetup()), 0) << mixer.getLastError();
        ASSERT_EQ(mixer.setFileCallbacks(callbacks()), 0);
        tone = mixer.loadSample("tone.wav");
        ASSERT_GT(tone, 0) << mixer.getLastError();
    }
    void TearDown() override
    {
        mixer.free();
        EXPECT_TRUE(g_open.empty()) << "a file was left open";
    }

    Mixer mixer;
    int tone = 0;
};

using Mixers = ::testing::Types<RecordingMixer, SdlMixer>;
TYPED_TEST_SUITE(MixerTest, Mixers);

TYPED_TEST(MixerTest, SamplesKnowTheirFileFrequency)
{
    EXPECT_EQ(this->mixer.getSampleFrequency(this->tone), 8000);
    const int other = this->mixer.loadSample("other.wav");
    ASSERT_GT(other, this->tone);
    EXPECT_EQ(this->mixer.getSampleFrequency(other), 22050);
}

TYPED_TEST(MixerTest, FilesThatAreNotSoundAreRefusedWithAReason)
{
    EXPECT_LT(this->mixer.loadSample("text.wav"), 0);
    EXPECT_NE(this->mixer.getLastError().find("\"text.wav\" is not a sound file"), std::string::npos)
        << this->mixer.getLastError();
    EXPECT_LT(this->mixer.loadSample("missing.wav"), 0);
    EXPECT_NE(this->mixer.getLastError().find("cannot be opened"), std::string::npos);
    // A well-formed header over nonsense sound data decodes or is refused, and never crashes.
    std::string odd = makeWave(0.1);
    odd[22] = 8; // eight channels over an odd number of bytes
    g_files["odd.wav"] = odd;
    this->mixer.loadSample("odd.wav");
}

TYPED_TEST(MixerTest, ChannelIdsAreNeverReusedSoAStaleIdStopsNothing)
{
    auto& played = this->mixer;
    const int first = played.playSample(this->tone, true, 1, true, 100, 8000, 50);
    ASSERT_GT(first, 0);
    EXPECT_EQ(played.getChannelStatus(first), ChannelPlaying);
    played.stopChannel(first);
    EXPECT_EQ(played.getChannelStatus(first), ChannelStopped);

    // The freed mixer channel goes to the next sound, under a new id.
    const int second = played.playSample(this->tone, true, 1, true, 100, 8000, 50);
    EXPECT_GT(second, first);
    played.stopChannel(first);
    played.pauseChannel(first, true);
    EXPECT_EQ(played.getChannelStatus(second), ChannelPlaying);
    EXPECT_EQ(played.getChannelVolume(first), -1);
}

TYPED_TEST(MixerTest, GroupsAndVolumes)
{
    auto& played = this->mixer;
    const int effect = played.playSample(this->tone, true, 1, true, 50, 8000, 50);
    const int music = played.playSample(this->tone, true, 2, true, 79, 8000, 50);
    EXPECT_EQ(played.getChannelGroup(effect), 1);
    EXPECT_EQ(played.getChannelGroup(music), 2);
    EXPECT_EQ(played.getChannelVolume(effect), 50);
    EXPECT_EQ(played.getChannelVolume(music), 79);

    played.setGroupVolume(1, 0);
    EXPECT_EQ(played.getChannelVolume(effect), 0);
    EXPECT_EQ(played.getChannelVolume(music), 79);
    EXPECT_EQ(played.getChannelStatus(effect), ChannelPlaying);
    played.setGroupVolume(2, 250);
    EXPECT_EQ(played.getChannelVolume(music), 100);
}

TYPED_TEST(MixerTest, PauseAllKeepsSoundsPausedOnTheirOwnPaused)
{
    auto& played = this->mixer;
    const int running = played.playSample(this->tone, true, 1, true, 100, 8000, 50);
    const int waiting = played.playSample(this->tone, true, 2, false, 100, 8000, 50);
    EXPECT_EQ(played.getChannelStatus(waiting), ChannelPaused);

    played.pauseAll(true);
    EXPECT_EQ(played.getChannelStatus(running), ChannelPaused);
    // A sound started meanwhile waits for the resume too.
    const int later = played.playSample(this->tone, true, 1, true, 100, 8000, 50);
    EXPECT_EQ(played.getChannelStatus(later), ChannelPaused);

    played.pauseAll(false);
    EXPECT_EQ(played.getChannelStatus(running), ChannelPlaying);
    EXPECT_EQ(played.getChannelStatus(later), ChannelPlaying);
    EXPECT_EQ(played.getChannelStatus(waiting), ChannelPaused);
    played.pauseChannel(waiting, false);
    EXPECT_EQ(played.getChannelStatus(waiting), ChannelPlaying);
}

TYPED_TEST(MixerTest, WhenEveryChannelIsBusyTheOldestOfTheGroupGivesWay)
{
    auto& played = this->mixer;
    std::vector<int> ids;
    ids.push_back(played.playSample(this->tone, true, 2, true, 100, 8000, 50));
    for (int i = 1; i < 16; ++i)
        ids.push_back(played.playSample(this->tone, true, 1, true, 100, 8000, 50));
    for (int id : ids)
        ASSERT_EQ(played.getChannelStatus(id), ChannelPlaying);

    // The music (group 2) is the oldest of all, but the oldest effect gives way.
    const int extra = played.playSample(this->tone, true, 1, true, 100, 8000, 50);
    ASSERT_GT(extra, 0);
    EXPECT_EQ(played.getChannelStatus(extra), ChannelPlaying);
    EXPECT_EQ(played.getChannelStatus(ids[0]), ChannelPlaying);
    EXPECT_EQ(played.getChannelStatus(ids[1]), ChannelStopped);
    EXPECT_EQ(played.getChannelStatus(ids[2]), ChannelPlaying);

    // A group with no channel takes the oldest of all.
    const int music = played.playSample(this->tone, true, 3, true, 100, 8000, 50);
    EXPECT_EQ(played.getChannelStatus(music), ChannelPlaying);
    EXPECT_EQ(played.getChannelStatus(ids[0]), ChannelStopped);
}

TYPED_TEST(MixerTest, UnloadingASampleStopsItsSounds)
{
    auto& played = this->mixer;
    const int other = played.loadSample("other.wav");
    const int a = played.playSample(this->tone, true, 1, true, 100, 8000, 50);
    const int b = played.playSample(other, true, 1, true, 100, 8000, 50);
    played.unloadSample(this->tone);
    EXPECT_EQ(played.getChannelStatus(a), ChannelStopped);
    EXPECT_EQ(played.getChannelStatus(b), ChannelPlaying);
    EXPECT_LT(played.playSample(this->tone, false, 1, true, 100, 8000, 50), 0);
}

TEST(RecordingMixer, SoundsEndAndFreeTheirChannel)
{
    g_files = {{"tone.wav", makeWave(0.5)}};
    RecordingMixer played;
    SoundSetup setup;
    setup.channels = 1;
    ASSERT_EQ(played.init(setup), 0);
    played.setFileCallbacks(callbacks());
    const int tone = played.loadSample("tone.wav");
    const int a = played.playSample(tone, false, 1, true, 100, 8000, 50);
    played.finish(a);
    EXPECT_EQ(played.getChannelStatus(a), ChannelStopped);
    const int b = played.playSample(tone, false, 2, true, 100, 8000, 50);
    EXPECT_EQ(played.getChannelStatus(b), ChannelPlaying);
    EXPECT_EQ(played.count("play "), 2);
}

TEST(SdlMixer, WithoutAnAudioDeviceInitFailsAtOnceAndFreeingIsHarmless)
{
    const ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SdlMixer played;
    EXPECT_LT(played.init(SoundSetup()), 0);
    EXPECT_NE(played.getLastError().find("No sound output"), std::string::npos);
    EXPECT_LT(played.loadSample("tone.wav"), 0);
    EXPECT_LT(played.playSample(1, false, 1, true, 100, 8000, 50), 0);
    played.free();
    played.free();
}

TEST(SdlMixer, OpensAgainAfterBeingFreed)
{
    for (int round = 0; round < 2; ++round)
    {
        SdlMixer played;
        ASSERT_EQ(played.init(SoundSetup()), 0) << played.getLastError();
    }
}

// Loading reads only a file's head: a file damaged behind it loads, and fails when it first
// plays. The failure names the file, and it is kept: later plays fail at once, without reading
// the file again.
TEST(SdlMixer, ASoundDamagedBehindItsHeadFailsToPlayOnceAndForAll)
{
    g_files = {{"sounds/damaged.wav", SoundTest::makeDamagedAdpcmWave()}, {"tone.wav", makeWave(0.5)}};
    ASSERT_GT(g_files["sounds/damaged.wav"].size(), 6000u);
    SdlMixer played;
    ASSERT_EQ(played.init(SoundSetup()), 0) << played.getLastError();
    played.setFileCallbacks(callbacks());
    const int damaged = played.loadSample("sounds/damaged.wav");
    ASSERT_GT(damaged, 0) << played.getLastError();
    EXPECT_FALSE(played.isDamaged(damaged));

    const int opened = g_lastHandle;
    EXPECT_LT(played.playSample(damaged, false, 1, true, 100, 22050, 50), 0);
    const std::string reason = played.getLastError();
    EXPECT_NE(reason.find("\"sounds/damaged.wav\" cannot be decoded"), std::string::npos) << reason;
    EXPECT_TRUE(played.isDamaged(damaged));
    EXPECT_EQ(g_lastHandle, opened + 1) << "the whole file was read once";

    EXPECT_LT(played.playSample(damaged, true, 1, true, 100, 22050, 50), 0);
    EXPECT_LT(played.playStream(damaged, true, 2, true, 100), 0);
    EXPECT_EQ(played.getLastError(), reason);
    EXPECT_EQ(g_lastHandle, opened + 1) << "the file is not read again";

    // The other sounds play on.
    const int tone = played.loadSample("tone.wav");
    EXPECT_GT(played.playSample(tone, false, 1, true, 100, 8000, 50), 0) << played.getLastError();
}

TEST(SdlMixer, TheGamesOwnSoundsLoad)
{
    g_files.clear();
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(QUILL_SOURCE_DIR) / "data/sounds"))
    {
        const std::string extension = entry.path().extension().string();
        if (extension == ".wav" || extension == ".ogg")
            g_files[entry.path().filename().string()] = ::Test::readFile(entry.path());
    }
    ASSERT_FALSE(g_files.empty());
    SdlMixer played;
    ASSERT_EQ(played.init(SoundSetup()), 0);
    played.setFileCallbacks(callbacks());
    for (const auto& file : g_files)
    {
        const int sample = played.loadSample(file.first.c_str());
        EXPECT_GT(sample, 0) << file.first << ": " << played.getLastError();
        EXPECT_FALSE(played.isDecoded(sample));
        // Playing it decodes it.
        EXPECT_GT(played.playSample(sample, false, 1, true, 0, 44100, 50), 0)
            << file.first << ": " << played.getLastError();
        EXPECT_TRUE(played.isDecoded(sample));
    }
}

TEST(SoundFileInfo, WaveAndOggHeadersAreReadAndAnythingElseIsRefused)
{
    SoundFileInfo info;
    std::string error;
    const std::string wave = makeWave(0.01, 11025);
    ASSERT_TRUE(
        inspectSoundFile(reinterpret_cast<const unsigned char*>(wave.data()), wave.size(), info, error));
    EXPECT_EQ(info.kind, SoundFileInfo::Wave);
    EXPECT_EQ(info.frequency, 11025);
    EXPECT_EQ(info.channels, 1);

    // Every cut of the header before the data section is refused.
    for (size_t n = 0; n < 44; ++n)
        EXPECT_FALSE(inspectSoundFile(reinterpret_cast<const unsigned char*>(wave.data()), n, info, error))
            << n;

    // The first page of an Ogg Vorbis stream: the identification packet gives the rate.
    std::string ogg = "OggS";
    ogg += std::string(1, '\0') + std::string(1, '\2') + std::string(20, '\0');
    ogg += std::string(1, '\1') + std::string(1, '\36');
    std::string packet = std::string(1, '\1') + "vorbis";
    SoundTest::putU32(packet, 0);
    packet.push_back(2);
    SoundTest::putU32(packet, 22050);
    packet += std::string(30 - packet.size(), '\0');
    ogg += packet;
    ASSERT_TRUE(inspectSoundFile(reinterpret_cast<const unsigned char*>(ogg.data()), ogg.size(), info, error))
        << error;
    EXPECT_EQ(info.kind, SoundFileInfo::Ogg);
    EXPECT_EQ(info.frequency, 22050);
    EXPECT_EQ(info.channels, 2);
    for (size_t n = 0; n < ogg.size() - 14; ++n)
        EXPECT_FALSE(inspectSoundFile(reinterpret_cast<const unsigned char*>(ogg.data()), n, info, error))
            << n;

    const std::string text = "<?xml version=\"1.0\"?>";
    EXPECT_FALSE(
        inspectSoundFile(reinterpret_cast<const unsigned char*>(text.data()), text.size(), info, error));
    EXPECT_EQ(error, "neither WAVE nor Ogg sound");
    EXPECT_FALSE(inspectSoundFile(nullptr, 0, info, error));
    EXPECT_EQ(error, "an empty file");
}

} // namespace
