#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Platform
{

// A sample file opened for a sound that plays while it is read (music). The mixer's sound thread
// reads it and moves about in it; nothing else touches it meanwhile.
class SoundStream
{
public:
    virtual ~SoundStream() = default;
    virtual int64_t size() = 0;
    // Moves to `offset` from the start (origin 0), the current place (1) or the end (2); answers
    // the new place, or -1.
    virtual int64_t seek(int64_t offset, int origin) = 0;
    // Reads up to `count` bytes: the number read, 0 at the end, negative for a damaged file.
    virtual long read(void* buffer, size_t count) = 0;
};

// How a mixer reads sample files: through the program's own file system. Plain functions, so
// that the mixer never needs to know who answers them.
struct SoundFileCallbacks
{
    // A handle for the named file, or -1 when it cannot be opened.
    int (*open)(const char* name) = nullptr;
    // Answers the file's size for (0, origin 2); the mixer makes no other request.
    int (*seek)(int handle, int offset, int origin) = nullptr;
    // Reads up to `size` bytes from the start on, answering the number read (0 at the end).
    int (*read)(int handle, void* buffer, int size) = nullptr;
    void (*close)(int handle) = nullptr;
    // Opens the named file as a stream of its own for `playStream`; null when it cannot be
    // opened. Optional: without it streams are decoded whole like any sample.
    std::unique_ptr<SoundStream> (*openStream)(const char* name) = nullptr;
};

// What the mixer is opened with.
struct SoundSetup
{
    int sampleRate = 44100;
    int bitsPerSample = 16;
    // The number of sounds that can play at once.
    int channels = 16;
};

// The state of a channel id, as `getChannelStatus` answers it.
enum ChannelStatus
{
    // Finished, stopped, or its mixer channel has been given to a newer sound.
    ChannelStopped = 0,
    ChannelPlaying = 1,
    ChannelPaused = 2
};

// A sound mixer of the shape the engine's sound device calls: samples loaded through file
// callbacks, sounds played on channels in groups, group volumes, pause and stop.
//
// - Loading a sample reads only the head of its file, to check that it holds sound; the sound
//   is decoded the first time it plays, so a game with many sounds starts without decoding any.
//   Music is never decoded whole: `playStream` plays it as its file is read.
//
// - Channel ids are positive and never reused: an id stays bound to the one sound it started,
//   so asking about or stopping a sound that has ended can never touch a newer one.
// - When every channel is busy, the oldest sound of the same group gives way to the new one
//   (the oldest of all when the group has none); playing never fails for want of a channel.
// - Volumes run from 0 (silent) to 100 (full).
// - Groups: any positive number chosen by the caller.
class SoundMixer
{
public:
    virtual ~SoundMixer() = default;

    // Opens the output. A negative answer means no sound can be played here (no audio device);
    // the caller then frees the mixer and goes on silently.
    virtual int init(const SoundSetup& setup) = 0;
    // Stops everything, frees every sample and closes the output. Safe to call twice.
    virtual void free() = 0;
    // Negative when the callbacks are incomplete.
    virtual int setFileCallbacks(const SoundFileCallbacks& callbacks) = 0;
    // The room reverberation preset; nothing on this platform.
    virtual void setListenerPreset(int preset) = 0;

    // The volume of every sound of the group, those playing and those to come.
    virtual void setGroupVolume(int group, int volume) = 0;

    // Opens a sample file through the callbacks and checks its head. A sample id (positive), or
    // a negative value when the file cannot be read or holds no sound (`getLastError` says why).
    virtual int loadSample(const char* path) = 0;
    // Stops the sounds playing the sample and frees it.
    virtual void unloadSample(int sample) = 0;
    // The sample rate written in the file (44100 when the file gives none).
    virtual int getSampleFrequency(int sample) = 0;

    // Starts a sample on a channel of `group`; with `start` false the sound waits paused.
    // `frequency` and `pan` (0 left .. 50 centre .. 100 right) are accepted for the callers'
    // sake; sounds play at their own rate, centred. A channel id, or negative for an unknown
    // sample or a mixer that is not open.
    virtual int playSample(int sample, bool loop, int group, bool start, int volume, int frequency,
                           int pan) = 0;
    // Plays the sample's file as it is read, on a channel of its own beside the setup's: one
    // stream plays at a time, a new one stops the one before. Otherwise like `playSample`;
    // negative when the file cannot be opened or played.
    virtual int playStream(int sample, bool loop, int group, bool start, int volume) = 0;
    virtual int getChannelStatus(int channel) = 0;
    // Pauses (true) or resumes (false) one sound. A sound paused this way stays paused when
    // everything is resumed.
    virtual void pauseChannel(int channel, bool pause) = 0;
    virtual void stopChannel(int channel) = 0;
    // Pauses or resumes every sound (those started later too, until resumed).
    virtual void pauseAll(bool pause) = 0;
    virtual void stopAll() = 0;

    // The volume (0..100) and group of a channel id still bound to its sound; -1 otherwise.
    virtual int getChannelVolume(int channel) = 0;
    virtual int getChannelGroup(int channel) = 0;

    // Why the last failing call failed.
    virtual const std::string& getLastError() const = 0;
};

// The mixer over SDL2_mixer. Only one may be open at a time.
std::unique_ptr<SoundMixer> createSdlMixer();

} // namespace Platform
