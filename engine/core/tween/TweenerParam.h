#pragma once

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <vector>

namespace Engine::tween
{

// One tween: moves float values from their start to their final values over `duration` seconds
// along an easing equation, after an optional delay, and reports its start, every applied step
// and its completion. Held by `boost::shared_ptr`; stepped by a `Tweener`.
//
// A tween is waiting to start (not started), delaying (started, delay not passed) or running.
class TweenerParam
{
public:
    using Signal = boost::signals2::signal<void(boost::shared_ptr<TweenerParam>)>;

    // One value moved by the tween. The start is the target's value when the property is added.
    struct Property
    {
        float* target;
        float finalValue;
        float startValue;
    };

    // `transition` is the easing equation (0 Linear ... 10 Back), `kind` 0 easeIn, 1 easeOut,
    // 2 easeInOut; see ease().
    TweenerParam(float duration, int transition, int kind, float delay);
    virtual ~TweenerParam();

    TweenerParam(const TweenerParam&) = delete;
    TweenerParam& operator=(const TweenerParam&) = delete;

    // Appends a property whose start is *target now. A null target is kept but never written.
    void addProperty(float* target, float finalValue);
    // Sets every target to its eased value at the current elapsed time.
    void apply();

    // Hooks for subclasses, run just before the matching signals.
    virtual void onStart() {}
    virtual void onStep() {}
    virtual void onComplete() {}

    const std::vector<Property>& getProperties() const { return m_properties; }
    float getDuration() const { return m_duration; }
    int getTransition() const { return m_transition; }
    int getKind() const { return m_kind; }
    float getDelay() const { return m_delay; }
    bool isStarted() const { return m_started; }
    float getElapsed() const { return m_elapsed; }
    bool isDelayPassed() const { return m_delayPassed; }

    Signal startSignal;
    Signal stepSignal;
    Signal completeSignal;

private:
    friend class Tweener;

    std::vector<Property> m_properties;
    float m_duration;
    int m_transition;
    int m_kind;
    float m_delay;
    bool m_started = false;
    // Time into the delay, then into the tween.
    float m_elapsed = 0;
    bool m_delayPassed;
};

} // namespace Engine::tween
