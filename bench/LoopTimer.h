#pragma once

// Every benchmark here races the engine's code against a plain baseline doing the same work in
// the same program run. A raw time says little on its own (machines differ, a shared machine is
// busy), so each contender reports the "ratio" counter: its wall time per iteration divided by
// its baseline's. Below 1 the engine's code is faster than the baseline.
//
// A baseline is registered before its contenders so that it has run by the time they report;
// a contender whose baseline did not run (filtered out) says so in its label instead.

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>

namespace Bench
{

// Times one benchmark loop: made just before `for (auto _ : state)`, then `baseline` or
// `against` right after it. `pause`/`resume` stand in for State::PauseTiming/ResumeTiming.
class LoopTimer
{
public:
    explicit LoopTimer(benchmark::State& state) : m_state(state), m_start(Clock::now()) {}

    void pause()
    {
        m_state.PauseTiming();
        m_elapsed += Clock::now() - m_start;
    }
    void resume()
    {
        m_start = Clock::now();
        m_state.ResumeTiming();
    }

    // Records this loop's time per iteration as the baseline called `name`; its own ratio is 1.
    void baseline(const std::string& name)
    {
        baselines()[name] = perIteration();
        m_state.counters["ratio"] = 1.0;
    }

    // Reports this loop's time per iteration against the baseline called `name`.
    void against(const std::string& name)
    {
        const double own = perIteration();
        const auto found = baselines().find(name);
        if (found == baselines().end() || found->second <= 0.0)
        {
            m_state.SetLabel("baseline \"" + name + "\" did not run");
            return;
        }
        m_state.counters["ratio"] = own / found->second;
    }

private:
    using Clock = std::chrono::steady_clock;

    // The last run of each baseline: the library calls a benchmark several times while it
    // settles the iteration count, and the last call is the one it reports.
    static std::map<std::string, double>& baselines()
    {
        static std::map<std::string, double> table;
        return table;
    }

    double perIteration()
    {
        m_elapsed += Clock::now() - m_start;
        m_start = Clock::now();
        const auto iterations = m_state.iterations();
        return iterations > 0
                   ? std::chrono::duration<double>(m_elapsed).count() / static_cast<double>(iterations)
                   : 0.0;
    }

    benchmark::State& m_state;
    Clock::time_point m_start;
    Clock::duration m_elapsed{};
};

} // namespace Bench
