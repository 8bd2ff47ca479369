#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundChannel.h"
#include "engine/devices/cSoundSample.h"
#include "platform/sound/MixerBase.h"
#include "platform/sound/OggVorbisEncoder.h"
#include "platform/sound/SoundFileInfo.h"
#include "platform/sound/SoundMixer.h"
#include "tests/support/EngineFixture.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace
{

// `seconds` of a 440 Hz sine at half volume.
std::vector<float> tone(double seconds, int rate)
{
    std::vector<float> samples(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / rate));
    return samples;
}

} // namespace

// Music as the game ships it: an Ogg Vorbis file made by the sound tool's encoder, read through
// the engine's file system and played by the SDL mixer (SDL's dummy audio driver) to its end.
TEST(OggMusic, AGeneratedOggFilePlaysThroughTheMixerToItsEnd)
{
    const std::string ogg = Platform::encodeOggVorbis(tone(0.4, 22050), 22050);
    EXPECT_EQ(ogg, Platform::encodeOggVorbis(tone(0.4, 22050), 22050))
        << "the same sound gives the same bytes";
    Platform::SoundFileInfo info;
    std::string error;
    ASSERT_TRUE(Platform::inspectSoundFile(reinterpret_cast<const unsigned char*>(ogg.data()), ogg.size(),
                                           info, error))
        << error;
    EXPECT_EQ(info.kind, Platform::SoundFileInfo::Ogg);
    EXPECT_EQ(info.frequency, 22050);
    EXPECT_EQ(info.channels, 1);

    ::Test::EngineFixture engine("Ogg Test");
    engine.data("music/theme.ogg", ogg);
    Engine::cResourceManager& manager = engine.startResources();
    Engine::cSound sound;
    if (sound.isDisabled())
        GTEST_SKIP() << "no audio output here (SDL_AUDIODRIVER=dummy gives one)";
    const boost::shared_ptr<Engine::cSoundSample> sample = manager.getSound("Music/Theme.ogg");
    ASSERT_TRUE(sample);
    EXPECT_EQ(sound.getMixer()->getSampleFrequency(sample->getId()), 22050);

    // What the mixer decoded is the tone: its length and its loudness (a sine of amplitude
    // 0.5 has a root mean square of 0.354), in the output's own rate and channels.
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    ASSERT_EQ(format, AUDIO_S16SYS);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(ogg.data(), static_cast<int>(ogg.size())), 1);
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const size_t values = chunk->alen / 2;
    EXPECT_NEAR(static_cast<double>(values) / channels / rate, 0.4, 0.01);
    const auto* pcm = reinterpret_cast<const int16_t*>(chunk->abuf);
    double squares = 0.0;
    for (size_t i = 0; i < values; ++i)
        squares += static_cast<double>(pcm[i]) * pcm[i];
    EXPECT_NEAR(std::sqrt(squares / static_cast<double>(values)) / 32768.0, 0.354, 0.02);
    Mix_FreeChunk(chunk);

    const auto started = std::chrono::steady_clock::now();
    const boost::shared_ptr<Engine::cSoundChannel> channel = sound.playMusic(sample, false, true);
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->getStatus(), 1);
    while (channel->getStatus() == 1 && std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(channel->getStatus(), 0) << "the music never ended";
    EXPECT_GT(played, 0.3) << "the music ended before it could have been heard";
}

// Looped music streams from its file again and again: it plays on well past its length, and its
// sample is never decoded whole.
TEST(OggMusic, LoopedMusicPlaysOnFromItsFile)
{
    const std::string ogg = Platform::encodeOggVorbis(tone(0.2, 22050), 22050);
    ::Test::EngineFixture engine("Ogg Loop Test");
    engine.data("music/loop.ogg", ogg);
    Engine::cResourceManager& manager = engine.startResources();
    Engine::cSound sound;
    if (sound.isDisabled())
        GTEST_SKIP() << "no audio output here (SDL_AUDIODRIVER=dummy gives one)";
    const boost::shared_ptr<Engine::cSoundSample> sample = manager.getSound("music/loop.ogg");
    const boost::shared_ptr<Engine::cSoundChannel> channel = sound.playMusic(sample, true, true);
    ASSERT_TRUE(channel);
    // The sound thread plays in real time: three lengths of the tune have to pass.
    const auto started = std::chrono::steady_clock::now();
    while (channel->getStatus() == 1 &&
           std::chrono::steady_clock::now() - started < std::chrono::milliseconds(700))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(channel->getStatus(), 1) << "the looped music ended";
    const auto* mixer = dynamic_cast<const Platform::MixerBase*>(sound.getMixer());
    ASSERT_NE(mixer, nullptr);
    EXPECT_FALSE(mixer->isDecoded(sample->getId()));
}
