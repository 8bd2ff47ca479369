#pragma once

#include "engine/core/tween/TweenerParam.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace Engine::tween
{

// Runs a list of tweens. Its owner steps it from its own per-frame code with the frame time.
//
// Handlers run inside `step` may add tweens (they wait for the next step) and remove any tween,
// the one being processed included; a removed tween is not stepped again. They may even destroy
// the tweener: the step then ends at once.
class Tweener
{
public:
    using ParamPtr = boost::shared_ptr<TweenerParam>;
    using Signal = TweenerParam::Signal;

    Tweener();
    virtual ~Tweener();

    Tweener(const Tweener&) = delete;
    Tweener& operator=(const Tweener&) = delete;

    // Appends a tween. The same tween may be added twice; it is then stepped twice per step.
    // A null pointer is ignored.
    void add(const ParamPtr& param);
    // Takes every entry of this tween out of the list; nothing happens when it is absent.
    void remove(const ParamPtr& param);
    void removeAll(const ParamPtr& param);

    // Advances every listed tween by `dt` seconds: a tween starts in its first step and moves in
    // that same step; the delay is waited out first (time beyond it is dropped); the elapsed time
    // is clamped to the duration, the values applied and the step reported; a tween whose elapsed
    // time reaches its duration completes and leaves the list.
    void step(float dt);

    // The number of entries in the list.
    size_t size() const;

    Signal startSignal;
    Signal stepSignal;
    Signal completeSignal;

private:
    class StepScope;

    // Steps the entry at `index`; false when the tweener was destroyed by a handler.
    bool stepEntry(size_t index, const ParamPtr& param, float dt, const std::shared_ptr<bool>& alive);
    void sweep();

    // While a step runs, removed entries are set to null rather than erased, so positions stay
    // valid; they are swept out when the outermost step ends.
    std::vector<ParamPtr> m_params;
    int m_stepDepth = 0;
    // Cleared by the destructor, so a step can tell that a handler destroyed the tweener.
    std::shared_ptr<bool> m_alive;
};

} // namespace Engine::tween
