// The benchmark programs' target check (bench/Targets.h): a benchmark of this test states a
// target, and the run that reports it passes or fails as a benchmark program does.
#include "bench/Targets.h"
#include "tests/support/ScopedEnv.h"

#include <benchmark/benchmark.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// What the benchmark of this test measures and states.
struct tProbe
{
    double value = 0.0;
    Bench::Bound bound = Bench::Bound::AtMost;
    double limit = 0.0;
    bool fails = false;
};

tProbe& probe()
{
    static tProbe current;
    return current;
}

void registerProbe()
{
    static const bool registered = []
    {
        benchmark::RegisterBenchmark("BM_TargetProbe",
                                     [](benchmark::State& state)
                                     {
                                         for (auto _ : state)
                                         {
                                         }
                                         if (probe().fails)
                                         {
                                             state.SkipWithError("the probe could not run");
                                             return;
                                         }
                                         Bench::checkTarget(state, "ratio", probe().value, probe().bound,
                                                            probe().limit, "the start took 140 ms",
                                                            "the plain program took 100 ms");
                                     })
            ->Iterations(1);
        return true;
    }();
    static_cast<void>(registered);
}

struct tRun
{
    int status = -1;
    std::string output;
};

// A run of the benchmark program "bench_probe" over the benchmarks the filter names.
tRun runProgram(const std::string& filter = "^BM_TargetProbe/")
{
    registerProbe();
    std::vector<std::string> arguments = {"/somewhere/bench_probe", "--benchmark_filter=" + filter};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    tRun run;
    testing::internal::CaptureStdout();
    run.status = Bench::runBenchmarks(static_cast<int>(arguments.size()), argv.data());
    run.output = testing::internal::GetCapturedStdout();
    return run;
}

TEST(BenchmarkTargets, AMetTargetIsShownOnTheBenchmarksLineAndTheProgramPasses)
{
    probe() = tProbe{1.2, Bench::Bound::AtMost, 1.3, false};
    const tRun run = runProgram();
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("ratio 1.2, target ratio <= 1.3: met"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("MISSED"), std::string::npos) << run.output;
}

TEST(BenchmarkTargets, AMissedTargetFailsTheProgramNamingBenchmarkFigureBaselineAndTarget)
{
    probe() = tProbe{1.4, Bench::Bound::AtMost, 1.3, false};
    tRun run = runProgram();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("MISSED bench_probe BM_TargetProbe: ratio 1.4, target ratio <= 1.3 (the start "
                              "took 140 ms; baseline: the plain program took 100 ms)\n"),
              std::string::npos)
        << run.output;

    // A lower bound: a rate below it misses, one on it is met.
    probe() = tProbe{994.0, Bench::Bound::AtLeast, 1000.0, false};
    run = runProgram();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("MISSED bench_probe BM_TargetProbe: ratio 994, target ratio >= 1000"),
              std::string::npos)
        << run.output;
    probe().value = 1000.0;
    EXPECT_EQ(runProgram().status, 0);
}

TEST(BenchmarkTargets, ATargetSetOutOfReachForARunFailsIt)
{
    probe() = tProbe{1.2, Bench::Bound::AtMost, 1.3, false};
    {
        ::Test::ScopedEnv limits("QUILL_BENCH_TARGETS", "BM_Other.ratio=9,BM_TargetProbe.ratio=0.5");
        const tRun run = runProgram();
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("MISSED bench_probe BM_TargetProbe: ratio 1.2, target ratio <= 0.5"),
                  std::string::npos)
            << run.output;
    }
    {
        // A limit that no figure of the run takes misses.
        ::Test::ScopedEnv limits("QUILL_BENCH_TARGETS", "BM_TargetProbe.rate=0.5");
        const tRun run = runProgram();
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(
            run.output.find("MISSED bench_probe BM_TargetProbe: the target BM_TargetProbe.rate=0.5 names no "
                            "figure it checks (it checks: ratio)\n"),
            std::string::npos)
            << run.output;
    }
    for (const char* malformed :
         {"BM_TargetProbe.ratio", "ratio=0.5", "BM_TargetProbe.ratio=low", ".ratio=1"})
    {
        ::Test::ScopedEnv limits("QUILL_BENCH_TARGETS", malformed);
        testing::internal::CaptureStderr();
        const tRun run = runProgram();
        const std::string error = testing::internal::GetCapturedStderr();
        EXPECT_EQ(run.status, 2) << malformed;
        EXPECT_NE(error.find("is not <benchmark>.<figure>=<limit>"), std::string::npos) << error;
    }
}

TEST(BenchmarkTargets, ABenchmarkThatCannotRunFailsTheProgramAndOneNotRunChangesNothing)
{
    probe() = tProbe{1.2, Bench::Bound::AtMost, 1.3, true};
    const tRun run = runProgram();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("FAILED bench_probe BM_TargetProbe: the probe could not run"),
              std::string::npos)
        << run.output;

    probe() = tProbe{1.4, Bench::Bound::AtMost, 1.3, false};
    testing::internal::CaptureStderr();
    const tRun none = runProgram("^BM_NoSuchBenchmark/");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(none.status, 0) << none.output;
    EXPECT_EQ(none.output.find("MISSED"), std::string::npos) << none.output;
}

} // namespace
