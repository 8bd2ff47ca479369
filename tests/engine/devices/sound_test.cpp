#include "engine/devices/cSound.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cSettings.h"
#include "engine/core/cStream.h"
#include "engine/core/cString.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSoundChannel.h"
#include "engine/devices/cSoundSample.h"
#include "platform/sound/RecordingMixer.h"
#include "platform/sound/SoundMixer.h"
#include "tests/platform/sound_test_wave.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;
using Platform::RecordingMixer;
using SamplePtr = boost::shared_ptr<cSoundSample>;

// A data folder with sound files, the file system over it, and the resource manager; the
// shared folder lives in the test's own temporary folder.
class SoundDevice : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    SoundDevice() : EngineFixture("Sound Test")
    {
        data("sounds/tone.wav", ::SoundTest::makeWave(2.0));
        data("sounds/click.wav", ::SoundTest::makeWave(0.2, 22050));
        data("sounds/notes.wav", "These are not sounds.");
        data("sys/settings.xml", "<main><Sound Music=\"64\" Sound=\"1\"/></main>");
        startResources();
    }

    // A sound object over a recording mixer (kept in `mixer`).
    void makeRecorded(bool working = true)
    {
        auto recording = std::make_unique<RecordingMixer>();
        recording->failInit(!working);
        mixer = recording.get();
        sound = std::make_unique<cSound>(std::move(recording));
    }
    SamplePtr sample(const char* path) { return manager->getSound(path); }

    RecordingMixer* mixer = nullptr;
    std::unique_ptr<cSound> sound;
};

TEST(SoundVolume, GroupVolumesFollowTheSquareRootOfTheSetting)
{
    EXPECT_EQ(cSound::groupVolumeOf(100), 100);
    EXPECT_EQ(cSound::groupVolumeOf(0), 0);
    EXPECT_EQ(cSound::groupVolumeOf(25), 50);
    EXPECT_EQ(cSound::groupVolumeOf(64), 79);
    EXPECT_EQ(cSound::groupVolumeOf(1), 9);
    EXPECT_EQ(cSound::groupVolumeOf(400), 100);
}

TEST_F(SoundDevice, StartsTheMixerAndSetsBothGroupVolumes)
{
    makeRecorded();
    const std::vector<std::string> expected = {"init 44100 16 16", "fileCallbacks", "preset 3",
                                               "groupVolume 2 100", "groupVolume 1 100"};
    EXPECT_EQ(mixer->log(), expected);

    sound->setSoundVolume(25);
    sound->setMusicVolume(0);
    EXPECT_EQ(sound->getSoundVolume(), 25u);
    EXPECT_EQ(sound->getMusicVolume(), 0u);
    EXPECT_EQ(mixer->log().at(5), "groupVolume 1 50");
    EXPECT_EQ(mixer->log().at(6), "groupVolume 2 0");
}

TEST_F(SoundDevice, VolumesComeFromTheSettingsAndGoBackToThem)
{
    {
        cSettings settings("sys/settings.xml");
        makeRecorded();
        EXPECT_EQ(sound->getMusicVolume(), 64u);
        EXPECT_EQ(sound->getMusicGroupVolume(), 79);
        EXPECT_EQ(sound->getSoundGroupVolume(), 9);
        sound->setSoundVolume(30);
        sound.reset();
        unsigned value = 0;
        EXPECT_TRUE(settings.get(L"Sound", L"Sound", value));
        EXPECT_EQ(value, 30u);
        EXPECT_TRUE(settings.get(L"Sound", L"Music", value));
        EXPECT_EQ(value, 64u);
    }
}

// A player's settings with values out of range, read by the sound and the render device's
// settings and written back: each comes back within the range its reader uses, a valid one as
// it was. Music, effects, sprites read; then as saved.
TEST_F(SoundDevice, SettingsOutOfRangeAreReadIntoRangeAndSavedSo)
{
    const std::vector<std::vector<std::wstring>> rows = {
        {L"64", L"100", L"2048", L"64", L"100", L"2048"},
        {L"500", L"-1", L"-1", L"100", L"0", L"1"},
        {L"4294967296", L"-4294967297", L"4294967295", L"100", L"0", L"16384"}};
    for (const auto& row : rows)
    {
        sharedFile("sys/settings.xml",
                   toNarrowString(L"<main><Sound Music=\"" + row[0] + L"\" Sound=\"" + row[1] +
                                  L"\"/><graphics reserve_sprite_count=\"" + row[2] + L"\"/></main>"));
        startFiles();
        {
            cSettings settings("sys/settings.xml");
            makeRecorded();
            const auto source = makeEngineRenderConfigSource();
            cRenderConfig config;
            readRenderSettings(*source, config);
            writeRenderSettings(*source, config);
            sound.reset();
        }
        startFiles();
        cSettings saved("sys/settings.xml");
        EXPECT_EQ((std::vector<std::wstring>{row[3], row[4], row[5]}),
                  (std::vector<std::wstring>{*saved.findText(L"Sound", L"Music"),
                                             *saved.findText(L"Sound", L"Sound"),
                                             *saved.findText(L"graphics", L"reserve_sprite_count")}));
    }
}

TEST_F(SoundDevice, PlayAndPlayMusicGiveChannelsOfTheirGroupsAtTheGroupVolume)
{
    makeRecorded();
    sound->setSoundVolume(25);
    sound->setMusicVolume(64);
    const SamplePtr tone = sample("sounds/tone.wav");
    mixer->clearLog();

    const auto effect = sound->play(tone, true, true);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->getGroup(), 1);
    EXPECT_EQ(effect->getSample(), tone);
    EXPECT_EQ(mixer->getChannelVolume(effect->getId()), 50);

    const auto music = sound->playMusic(tone, true, false);
    ASSERT_TRUE(music);
    EXPECT_EQ(music->getGroup(), 2);
    EXPECT_EQ(music->getStatus(), Platform::ChannelPaused);
    EXPECT_EQ(mixer->getChannelVolume(music->getId()), 79);
    EXPECT_EQ(mixer->count("stream 1 loop=1 group=2 start=0 volume=79"), 1);

    sound->playSound(tone);
    EXPECT_EQ(mixer->count("play 1 loop=0 group=1 start=1 volume=50"), 1);
    EXPECT_FALSE(sound->playMusic(SamplePtr(), true, true));
    EXPECT_FALSE(sound->play(SamplePtr(), true, true));
}

TEST_F(SoundDevice, PlayWithoutStartIsPausedAtOnceAndStaysPausedThroughPauseAll)
{
    makeRecorded();
    const SamplePtr tone = sample("sounds/tone.wav");
    const auto waiting = sound->play(tone, true, false);
    EXPECT_EQ(waiting->getStatus(), Platform::ChannelPaused);
    EXPECT_EQ(mixer->count("pauseChannel"), 1);

    const auto running = sound->play(tone, true, true);
    sound->pauseAll(true);
    sound->pauseAll(true);
    EXPECT_EQ(mixer->count("pauseAll 1"), 1);
    EXPECT_TRUE(sound->isPaused());
    EXPECT_EQ(running->getStatus(), Platform::ChannelPaused);

    // Paused on its own while everything is paused: it stays paused when everything resumes.
    const auto late = sound->play(tone, true, false);
    sound->pauseAll(false);
    EXPECT_EQ(running->getStatus(), Platform::ChannelPlaying);
    EXPECT_EQ(waiting->getStatus(), Platform::ChannelPaused);
    EXPECT_EQ(late->getStatus(), Platform::ChannelPaused);
}

TEST_F(SoundDevice, TheLastHolderOfAChannelStopsItAndTheSampleLivesAsLongAsTheChannel)
{
    makeRecorded();
    SamplePtr tone = sample("sounds/tone.wav");
    auto channel = sound->play(tone, true, true);
    const int id = channel->getId();
    manager->unload("sounds/tone.wav");
    tone.reset();
    EXPECT_EQ(mixer->count("unload"), 0);
    channel.reset();
    EXPECT_EQ(mixer->count("stopChannel " + std::to_string(id)), 1);
    EXPECT_EQ(mixer->getChannelStatus(id), Platform::ChannelStopped);
    EXPECT_EQ(mixer->count("unload 1"), 1);
}

TEST_F(SoundDevice, ASampleIsCheckedWhenLoadedAndDecodedTheFirstTimeItPlays)
{
    makeRecorded();
    const SamplePtr tone = sample("sounds/tone.wav");
    const SamplePtr click = sample("sounds/click.wav");
    EXPECT_FALSE(mixer->isDecoded(tone->getId()));
    EXPECT_FALSE(mixer->isDecoded(click->getId()));
    EXPECT_EQ(sound->getMixer()->getSampleFrequency(click->getId()), 22050) << "the header was read";

    sound->playSound(tone);
    EXPECT_TRUE(mixer->isDecoded(tone->getId()));
    EXPECT_FALSE(mixer->isDecoded(click->getId()));
    const auto again = sound->play(tone, false, true);
    EXPECT_EQ(again->getStatus(), Platform::ChannelPlaying);
}

// Music plays from a stream of its own that the mixer reads (on SDL's sound thread) while it
// plays; the sample is never decoded, and the stream closes with the music.
TEST_F(SoundDevice, MusicPlaysFromItsFileAsItIsRead)
{
    makeRecorded();
    const SamplePtr tone = sample("sounds/tone.wav");
    auto music = sound->playMusic(tone, true, true);
    ASSERT_TRUE(music);
    EXPECT_FALSE(mixer->isDecoded(tone->getId()));
    Platform::SoundStream* stream = mixer->playingStream();
    ASSERT_NE(stream, nullptr);
    const std::string bytes = ::SoundTest::makeWave(2.0);
    EXPECT_EQ(stream->size(), static_cast<int64_t>(bytes.size()));
    char head[4] = {};
    EXPECT_EQ(stream->read(head, 4), 4);
    EXPECT_EQ(std::string(head, 4), "RIFF");
    // It moves about as a decoder needs: to the end and back to the start for a loop.
    EXPECT_EQ(stream->seek(-4, 2), static_cast<int64_t>(bytes.size()) - 4);
    char tail[4] = {};
    EXPECT_EQ(stream->read(tail, 4), 4);
    EXPECT_EQ(std::string(tail, 4), bytes.substr(bytes.size() - 4));
    EXPECT_EQ(stream->seek(0, 0), 0);
    EXPECT_EQ(stream->read(head, 4), 4);
    EXPECT_EQ(std::string(head, 4), "RIFF");

    // A second music replaces the first: one stream plays at a time.
    const SamplePtr click = sample("sounds/click.wav");
    auto next = sound->playMusic(click, true, true);
    EXPECT_EQ(music->getStatus(), Platform::ChannelStopped);
    EXPECT_EQ(next->getStatus(), Platform::ChannelPlaying);
    next.reset();
    EXPECT_EQ(mixer->playingStream(), nullptr);
}

TEST_F(SoundDevice, FileHandlesStartAtTwoAndUnknownHandlesAreRefused)
{
    makeRecorded();
    const int first = cSound::openFile("sounds/click.wav");
    const int second = cSound::openFile("sounds/tone.wav");
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 3);
    EXPECT_EQ(cSound::openFile("sounds/none.wav"), -1);

    const std::string bytes = ::SoundTest::makeWave(0.2, 22050);
    EXPECT_EQ(cSound::seekFile(first, 0, 2), static_cast<int>(bytes.size()));
    // Any other seek answers 0 and leaves the stream where it was.
    EXPECT_EQ(cSound::seekFile(first, 10, 0), 0);
    char head[4] = {};
    EXPECT_EQ(cSound::readFile(first, head, 4), 4);
    EXPECT_EQ(std::string(head, 4), "RIFF");
    cSound::closeFile(first);
    cSound::closeFile(second);

    for (int handle : {first, 99})
    {
        try
        {
            cSound::readFile(handle, head, 4);
            ADD_FAILURE() << "no error for handle " << handle;
        }
        catch (const wchar_t* text)
        {
            EXPECT_EQ(std::wstring(text), L"Invalid handle.");
        }
        EXPECT_THROW(cSound::seekFile(handle, 0, 2), const wchar_t*);
        EXPECT_THROW(cSound::closeFile(handle), const wchar_t*);
    }
    // The mixer's own loads take the next handles.
    sample("sounds/tone.wav");
    EXPECT_EQ(cSound::openFile("sounds/click.wav"), 5);
    cSound::closeFile(5);
}

TEST_F(SoundDevice, FilesThatAreMissingOrNotSoundGiveTheLoadError)
{
    makeRecorded();
    for (const char* path : {"sounds/notes.wav", "sounds/missing.ogg"})
    {
        try
        {
            sample(path);
            ADD_FAILURE() << path << " loaded";
        }
        catch (const std::string& text)
        {
            EXPECT_EQ(text, std::string("Error loading sound file \"") + path + "\"");
            EXPECT_EQ(getErrorString().compare(0, text.size(), text), 0);
        }
    }
    EXPECT_NE(getErrorString().find("cannot be opened"), std::string::npos);
    // Nothing is cached: a second request tries again.
    EXPECT_THROW(sample("sounds/notes.wav"), std::string);
}

TEST_F(SoundDevice, ANegativeChannelIdIsAnEngineError)
{
    try
    {
        cSoundChannel channel(-3, SamplePtr());
        ADD_FAILURE();
    }
    catch (const cString<std::string>& text)
    {
        EXPECT_EQ(text, "Error sound channel creating. Error code:-3");
        EXPECT_EQ(getErrorString(), text);
    }
}

TEST_F(SoundDevice, ADisabledSoundObjectPlaysNothingButKeepsItsSettings)
{
    makeRecorded(false);
    EXPECT_TRUE(sound->isDisabled());
    mixer->clearLog();
    EXPECT_FALSE(sound->play(sample("sounds/tone.wav"), true, true));
    EXPECT_FALSE(sound->playMusic(sample("sounds/tone.wav"), true, true));
    sound->playSound(sample("sounds/tone.wav"));
    EXPECT_EQ(sample("sounds/tone.wav")->getId(), 0);
    sound->setSoundVolume(25);
    EXPECT_EQ(sound->getSoundVolume(), 25u);
    sound->pauseAll(true);
    EXPECT_TRUE(mixer->log().empty());
}

TEST_F(SoundDevice, WithoutASoundObjectSamplesAreSilent)
{
    EXPECT_EQ(sample("sounds/notes.wav")->getId(), 0);
}

// The same through SDL2_mixer on the dummy audio driver.
TEST_F(SoundDevice, OnTheMixerTheOldestEffectGivesWayAndStaleChannelsStopNothing)
{
    sound = std::make_unique<cSound>();
    ASSERT_FALSE(sound->isDisabled());
    const SamplePtr tone = sample("sounds/tone.wav");
    const auto music = sound->playMusic(tone, true, true);
    std::vector<boost::shared_ptr<cSoundChannel>> effects;
    // Music streams on a channel of its own: sixteen effects fill the others.
    for (int i = 0; i < 16; ++i)
        effects.push_back(sound->play(tone, true, true));
    const auto extra = sound->play(tone, true, true);
    EXPECT_EQ(extra->getStatus(), Platform::ChannelPlaying);
    EXPECT_EQ(effects[0]->getStatus(), Platform::ChannelStopped);
    EXPECT_EQ(music->getStatus(), Platform::ChannelPlaying);

    // Dropping the channel that gave way stops nothing that plays now.
    effects[0].reset();
    EXPECT_EQ(extra->getStatus(), Platform::ChannelPlaying);

    sound->pauseAll(true);
    EXPECT_EQ(music->getStatus(), Platform::ChannelPaused);
    sound->pauseAll(false);
    EXPECT_EQ(music->getStatus(), Platform::ChannelPlaying);
}

// A sound file damaged behind the head that loading checks: its first play finds the damage.
// The game plays on without the sound: no failure is thrown, its channels are silent and read
// as stopped, the log "sound" names the file once, and the file is not read again.
TEST_F(SoundDevice, ASoundThatCannotBeDecodedIsLoggedOnceAndTheGamePlaysOnWithoutIt)
{
    data("sounds/damaged.wav", ::SoundTest::makeDamagedAdpcmWave());
    startResources();
    sound = std::make_unique<cSound>();
    ASSERT_FALSE(sound->isDisabled());
    const std::string logBefore = ::Test::readFile(std::filesystem::current_path() / "sound.log");
    const SamplePtr damaged = sample("sounds/damaged.wav");
    const SamplePtr tone = sample("sounds/tone.wav");

    boost::shared_ptr<cSoundChannel> looped;
    ASSERT_NO_THROW(looped = sound->play(damaged, true, true));
    ASSERT_TRUE(looped);
    EXPECT_EQ(looped->getStatus(), Platform::ChannelStopped);
    const int nextHandle = cSound::openFile("sounds/tone.wav");
    cSound::closeFile(nextHandle);
    ASSERT_NO_THROW(sound->playSound(damaged));
    const auto paused = sound->play(damaged, false, false);
    EXPECT_EQ(paused->getStatus(), Platform::ChannelStopped);
    EXPECT_EQ(cSound::openFile("sounds/tone.wav"), nextHandle + 1) << "the damaged file was read again";
    cSound::closeFile(nextHandle + 1);

    const std::string log =
        ::Test::readFile(std::filesystem::current_path() / "sound.log").substr(logBefore.size());
    const std::string told = "\"sounds/damaged.wav\" cannot be decoded";
    const size_t first = log.find(told);
    EXPECT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("sounds/damaged.wav", first + told.size()), std::string::npos) << "told once: " << log;

    const auto playing = sound->play(tone, true, true);
    EXPECT_EQ(playing->getStatus(), Platform::ChannelPlaying) << "the other sounds play on";
    looped.reset();
    EXPECT_EQ(playing->getStatus(), Platform::ChannelPlaying) << "a silent channel stops nothing";
}

TEST_F(SoundDevice, WithNoAudioDeviceTheGameRunsSilently)
{
    const ::Test::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    sound = std::make_unique<cSound>();
    EXPECT_TRUE(sound->isDisabled());
    EXPECT_EQ(sample("sounds/tone.wav")->getId(), 0);
    EXPECT_FALSE(sound->playMusic(sample("sounds/tone.wav"), true, true));
    sound.reset();
    EXPECT_EQ(cSound::instance(), nullptr);
}

} // namespace
