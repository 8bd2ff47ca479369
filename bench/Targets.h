#pragma once

// The targets the benchmarks must meet, and the run that fails when one is missed.
//
// A benchmark that has a target states it once it has measured, with `Bench::checkTarget`: the
// figure's name and value, the bound it must keep and, in words with their numbers, what was
// measured and the baseline it was measured against. The verdict joins the benchmark's line of
// the report. `Bench::runBenchmarks` (the main of every benchmark program, bench/BenchMain.cpp)
// runs the benchmarks, then lists every target missed and every benchmark that could not run,
// each on a line of its own starting with "MISSED" or "FAILED", and ends the program with
// status 1 when there is one. scripts/bench.sh fails when a program does.
//
// A run may set a target's limit differently (a test sets one out of reach to see the run
// fail): QUILL_BENCH_TARGETS="<benchmark>.<figure>=<limit>[,...]", as in
// QUILL_BENCH_TARGETS="BM_PlayMemory.growth_kb=-1". A limit that no figure of the run takes (a
// figure or benchmark misspelt, or one the run did not select) is missed as well: the run it
// was meant to fail would otherwise pass, checked against nothing.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace Bench
{

enum class Bound
{
    AtMost,
    AtLeast
};

struct TargetCheck
{
    std::string figure;
    double value = 0.0;
    Bound bound = Bound::AtMost;
    double limit = 0.0;
    // What was measured and the baseline it was measured against, in words with their numbers.
    std::string measured;
    std::string baseline;

    bool met() const { return bound == Bound::AtMost ? value <= limit : value >= limit; }
};

// A number as the reports write it: at most `decimals` decimals, trailing zeros dropped.
inline std::string figureText(double value, int decimals = 2)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string written = text;
    if (written.find('.') != std::string::npos)
    {
        written.erase(written.find_last_not_of('0') + 1);
        if (written.back() == '.')
            written.pop_back();
    }
    return written;
}

inline std::string boundText(const TargetCheck& check)
{
    return check.figure + (check.bound == Bound::AtMost ? " <= " : " >= ") + figureText(check.limit, 4);
}

// The checks of the benchmark running now, by figure (the library may call a benchmark more
// than once while it settles its iteration count: the last call is the one it reports).
inline std::map<std::string, TargetCheck>& pendingTargets()
{
    static std::map<std::string, TargetCheck> checks;
    return checks;
}

// States a target of the running benchmark: `value` of `figure` must stay at most (or at least)
// `limit`. `measured` and `baseline` say in words what the figure compares. The figure is also
// one of the benchmark's counters.
inline void checkTarget(benchmark::State& state, const std::string& figure, double value, Bound bound,
                        double limit, const std::string& measured, const std::string& baseline)
{
    state.counters[figure] = value;
    pendingTargets()[figure] = TargetCheck{figure, value, bound, limit, measured, baseline};
}

// The limits a run sets in place of the benchmarks' own, by "<benchmark>.<figure>" (parsed
// from the text of QUILL_BENCH_TARGETS). A malformed entry is reported through `error`.
inline std::map<std::string, double> parseTargetLimits(const std::string& text, std::string& error)
{
    std::map<std::string, double> limits;
    std::istringstream entries(text);
    for (std::string entry; std::getline(entries, entry, ',');)
    {
        if (entry.empty())
            continue;
        const size_t equals = entry.find('=');
        const size_t dot = entry.rfind('.', equals);
        char* end = nullptr;
        const double limit =
            equals == std::string::npos ? 0.0 : std::strtod(entry.c_str() + equals + 1, &end);
        if (equals == std::string::npos || dot == std::string::npos || dot == 0 || dot + 1 >= equals ||
            end == entry.c_str() + equals + 1 || *end != '\0')
        {
            error = "QUILL_BENCH_TARGETS: \"" + entry + "\" is not <benchmark>.<figure>=<limit>";
            continue;
        }
        limits[entry.substr(0, equals)] = limit;
    }
    return limits;
}

// The console report with each benchmark's targets judged on its line; keeps what failed.
class TargetReporter final : public benchmark::ConsoleReporter
{
public:
    TargetReporter(std::string program, std::map<std::string, double> limits, OutputOptions options)
        : benchmark::ConsoleReporter(options), m_program(std::move(program)), m_limits(std::move(limits))
    {
    }

    void ReportRuns(const std::vector<Run>& reports) override
    {
        std::vector<Run> judged = reports;
        std::map<std::string, TargetCheck> checks;
        checks.swap(pendingTargets());
        for (Run& run : judged)
        {
            const std::string name = run.run_name.function_name;
            std::set<std::string>& figures = m_figures[name];
            if (run.error_occurred)
            {
                m_failures.push_back("FAILED " + m_program + " " + name + ": " + run.error_message);
                m_failed.insert(name);
                continue;
            }
            if (run.run_type != Run::RT_Iteration)
                continue;
            for (auto& entry : checks)
            {
                TargetCheck& check = entry.second;
                figures.insert(check.figure);
                const auto set = m_limits.find(name + "." + check.figure);
                if (set != m_limits.end())
                {
                    check.limit = set->second;
                    m_taken.insert(set->first);
                }
                const std::string verdict = check.figure + " " + figureText(check.value, 4) + ", target " +
                                            boundText(check) + (check.met() ? ": met" : ": MISSED");
                run.report_label += (run.report_label.empty() ? "" : "; ") + verdict;
                if (!check.met())
                    m_failures.push_back("MISSED " + m_program + " " + name + ": " + check.figure + " " +
                                         figureText(check.value, 4) + ", target " + boundText(check) + " (" +
                                         check.measured + "; baseline: " + check.baseline + ")");
            }
        }
        benchmark::ConsoleReporter::ReportRuns(judged);
    }

    // Once the run is over: each limit of the run that no figure took is missed, naming the
    // figures its benchmark checks. A benchmark that could not run is listed already.
    void missLimitsNotTaken()
    {
        for (const auto& [key, limit] : m_limits)
        {
            const size_t dot = key.rfind('.');
            const std::string name = key.substr(0, dot);
            if (m_taken.count(key) != 0 || m_failed.count(name) != 0)
                continue;
            const std::string target = key + "=" + figureText(limit, 4);
            const auto ran = m_figures.find(name);
            if (ran == m_figures.end())
            {
                m_failures.push_back("MISSED " + m_program + " " + name + ": the target " + target +
                                     " names no benchmark of the run");
                continue;
            }
            std::string figures;
            for (const std::string& figure : ran->second)
                figures += (figures.empty() ? "" : ", ") + figure;
            m_failures.push_back("MISSED " + m_program + " " + name + ": the target " + target +
                                 " names no figure it checks (" +
                                 (figures.empty() ? "it checks none" : "it checks: " + figures) + ")");
        }
    }

    const std::vector<std::string>& failures() const { return m_failures; }

private:
    std::string m_program;
    std::map<std::string, double> m_limits;
    std::vector<std::string> m_failures;
    // The figures each benchmark that ran checks, the benchmarks that could not run and the
    // limits a figure took.
    std::map<std::string, std::set<std::string>> m_figures;
    std::set<std::string> m_failed;
    std::set<std::string> m_taken;
};

// Runs the benchmarks the command line selects, reports them with their targets judged, then
// lists what failed. The program's exit status: 0 when every target was met, 1 when one was
// missed (a limit of QUILL_BENCH_TARGETS that no figure took included) or a benchmark could not
// run, 2 for a bad command line or QUILL_BENCH_TARGETS.
inline int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    std::string error;
    const char* set = std::getenv("QUILL_BENCH_TARGETS");
    std::map<std::string, double> limits = parseTargetLimits(set ? set : "", error);
    if (!error.empty())
    {
        std::cerr << error << "\n";
        return 2;
    }
    std::string program = argc > 0 && argv[0] ? argv[0] : "benchmark";
    program = program.substr(program.find_last_of('/') + 1);
    const auto options =
        isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color : benchmark::ConsoleReporter::OO_None;
    TargetReporter reporter(program, std::move(limits), options);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.missLimitsNotTaken();
    std::cout.flush();
    for (const std::string& failure : reporter.failures())
        std::cout << failure << "\n";
    std::cout.flush();
    return reporter.failures().empty() ? 0 : 1;
}

} // namespace Bench
