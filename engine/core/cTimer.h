#pragma once

#include "engine/core/cSingleton.h"

#include <cstdint>

namespace Engine
{

// Measures each frame, holds the frame rate between MinFps and MaxFps and says when a frame
// is due for drawing.
//
// A step sleeps until 1/MaxFps has passed since the previous step ended, then yields the frame
// time: the time since the previous step, capped at 1/MinFps so that a stall slows the game
// down instead of making it jump. Drawing is paced to about min(MaxFps, 60) frames a second
// from the timer's own frames-per-second figure; a capped frame is always drawn.
//
// The running time is kept in double precision: a float sum of seconds loses millisecond
// resolution after a few hours of play. The clock, the sleep and the yield are
// Platform::timeMs, Platform::sleepMs and Platform::yieldThread, which tests replace.
class cTimer : public cSingleton<cTimer>
{
public:
    static constexpr float DefaultMinFps = 15.0f;
    static constexpr float DefaultMaxFps = 200.0f;

    // The application passes the constants "Time"/"MinFps" and "Time"/"MaxFps".
    explicit cTimer(float minFps = DefaultMinFps, float maxFps = DefaultMaxFps);
    virtual ~cTimer();

    virtual void step();
    // A step, after which this frame and the next have a frame time of 0.
    virtual void reset();
    virtual float getFrameTime() const { return m_frameTime; }
    virtual float getRawFrameTime() const { return m_rawFrameTime; }
    virtual float getTimeScale() const { return m_timeScale; }
    virtual void setTimeScale(float scale) { m_timeScale = scale; }
    virtual float getMinFps() const { return m_minFps; }
    virtual void setMinFps(float minFps);
    virtual float frameTime() const { return m_frameTime; }
    virtual float getFps() const { return m_fps; }
    // Seconds since construction.
    virtual float getTime() const { return static_cast<float>(m_time); }
    // Returns the draw-due flag and clears it.
    virtual bool takeDrawDue();
    // Whether the frame being run is to be drawn: the draw-due flag, left as it is.
    bool isDrawDue() const { return m_drawDue; }
    // Sets the draw-due flag and returns its old value.
    virtual bool exchangeDrawDue(bool value);

    float getMaxFps() const { return m_maxFps; }
    float getDrawRate() const { return m_drawRate; }
    double getPreciseTime() const { return m_time; }

private:
    void readClock();

    uint32_t m_lastClock = 0;
    bool m_reset = false;
    double m_time = 0.0;
    float m_timeScale = 1.0f;
    float m_rawFrameTime = 0.0f;
    float m_frameTime = 0.0f;
    // 1/MaxFps in milliseconds, so that whole milliseconds of the clock compare exactly.
    double m_minFrameIntervalMs = 0.0;
    // 1/MinFps in seconds.
    double m_maxFrameTime = 0.0;
    float m_minFps = DefaultMinFps;
    float m_maxFps = DefaultMaxFps;
    float m_fps = 0.0f;
    uint32_t m_fpsCount = 0;
    double m_lastFpsTime = 0.0;
    bool m_drawDue = true;
    float m_drawAccumulator = 0.0f;
    float m_drawRate = 60.0f;
    // The whole milliseconds counted into m_time; frame lengths are differences of these.
    uint64_t m_totalMs = 0;
};

} // namespace Engine
