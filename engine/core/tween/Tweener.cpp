#include "engine/core/tween/Tweener.h"

#include <algorithm>

namespace Engine::tween
{

// Marks a step as running for its whole length, also when a handler throws, and sweeps the
// removed entries when the outermost step ends (unless a handler destroyed the tweener).
class Tweener::StepScope
{
public:
    explicit StepScope(Tweener& tweener) : m_tweener(tweener), m_alive(tweener.m_alive)
    {
        ++m_tweener.m_stepDepth;
    }
    ~StepScope()
    {
        if (*m_alive && --m_tweener.m_stepDepth == 0)
            m_tweener.sweep();
    }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

    const std::shared_ptr<bool>& alive() const { return m_alive; }

private:
    Tweener& m_tweener;
    std::shared_ptr<bool> m_alive;
};

Tweener::Tweener() : m_alive(std::make_shared<bool>(true)) {}

Tweener::~Tweener()
{
    *m_alive = false;
}

void Tweener::add(const ParamPtr& param)
{
    if (param)
        m_params.push_back(param);
}

void Tweener::remove(const ParamPtr& param)
{
    removeAll(param);
}

void Tweener::removeAll(const ParamPtr& param)
{
    if (!param)
        return;
    if (m_stepDepth > 0)
        std::replace(m_params.begin(), m_params.end(), param, ParamPtr());
    else
        m_params.erase(std::remove(m_params.begin(), m_params.end(), param), m_params.end());
}

size_t Tweener::size() const
{
    return static_cast<size_t>(std::count_if(m_params.begin(), m_params.end(),
                                             [](const ParamPtr& param) { return param != nullptr; }));
}

void Tweener::step(float dt)
{
    if (m_params.empty())
        return;
    // Entries appended by handlers during this step wait for the next one.
    const size_t last = m_params.size() - 1;
    StepScope scope(*this);
    for (size_t index = 0; index <= last; ++index)
    {
        // A copy, so the tween stays alive when a handler removes it.
        const ParamPtr param = m_params[index];
        if (param && !stepEntry(index, param, dt, scope.alive()))
            return;
    }
}

bool Tweener::stepEntry(size_t index, const ParamPtr& param, float dt, const std::shared_ptr<bool>& alive)
{
    TweenerParam& tween = *param;
    if (!tween.m_started)
    {
        tween.onStart();
        if (*alive)
            tween.startSignal(param);
        if (*alive)
            startSignal(param);
        tween.m_started = true;
        if (!*alive)
            return false;
        // A tween moves in the step in which it starts, unless a start handler took it out.
        if (m_params[index] != param)
            return true;
    }

    tween.m_elapsed += dt;
    if (!tween.m_delayPassed)
    {
        // The time beyond the delay is dropped: the tween proper starts from 0 in the next step.
        if (tween.m_elapsed > tween.m_delay)
        {
            tween.m_delayPassed = true;
            tween.m_elapsed = 0;
        }
        return true;
    }

    if (tween.m_elapsed > tween.m_duration)
        tween.m_elapsed = tween.m_duration;
    tween.apply();
    tween.onStep();
    if (*alive)
        tween.stepSignal(param);
    if (*alive)
        stepSignal(param);
    if (!*alive)
        return false;

    if (tween.m_elapsed == tween.m_duration)
    {
        tween.onComplete();
        if (*alive)
            tween.completeSignal(param);
        if (*alive)
            completeSignal(param);
        if (!*alive)
            return false;
        removeAll(param);
    }
    return true;
}

void Tweener::sweep()
{
    m_params.erase(std::remove(m_params.begin(), m_params.end(), ParamPtr()), m_params.end());
}

} // namespace Engine::tween
