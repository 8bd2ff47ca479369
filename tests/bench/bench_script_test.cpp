// scripts/bench.sh over a build folder of stand-in benchmark programs (shell scripts that answer
// as the benchmark programs do): it passes when every program meets its targets, and fails,
// listing what was missed, when one misses a target, cannot run a benchmark or ends badly; and
// over the quickest real one, with targets set that name no figure of the run.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

namespace fs = std::filesystem;

// A stand-in benchmark program: lists `benchmark` when asked, else prints `output` and ends with
// `status`.
void writeProgram(const Test::TempDir& build, const std::string& name, const std::string& benchmark,
                  const std::string& output, int status)
{
    const fs::path program =
        build.write("bench/" + name, "#!/bin/sh\n"
                                     "for argument in \"$@\"; do\n"
                                     "  [ \"$argument\" = --benchmark_list_tests ] && { echo " +
                                         benchmark +
                                         "; exit 0; }\n"
                                         "done\n"
                                         "printf '%s\\n' \"" +
                                         output + "\"\nexit " + std::to_string(status) + "\n");
    fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
}

struct tRun
{
    int status = -1;
    std::string output;
};

// bench.sh over the programs of `build`; `arguments` follow the script's name, `environment`
// stands before it.
tRun runScript(const Test::TempDir& build, const std::string& arguments = "",
               const std::string& environment = "")
{
    const std::string command = environment + " QUILL_BENCH_BUILD='" + build.path().string() +
                                "' '" QUILL_SOURCE_DIR "/scripts/bench.sh' " + arguments + " 2>&1";
    tRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class BenchScript : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "bench.sh runs the benchmarks on a virtual X screen: xvfb-run is not installed";
    }

    ::Test::TempDir build;
};

TEST_F(BenchScript, PassesWhenEveryProgramMeetsItsTargets)
{
    writeProgram(build, "bench_one", "BM_One", "BM_One 1 ms ratio 1.2, target ratio <= 1.3: met", 0);
    writeProgram(build, "bench_two", "BM_Two", "BM_Two 1 ms", 0);
    const tRun run = runScript(build);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("== bench_one\nBM_One 1 ms ratio 1.2"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("== bench_two\nBM_Two 1 ms"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("bench: every target met"), std::string::npos) << run.output;
}

TEST_F(BenchScript, FailsListingEveryTargetMissedAndEveryProgramThatFailed)
{
    const std::string missed =
        "MISSED bench_one BM_One: ratio 1.4, target ratio <= 1.3 (the start took 140 ms; "
        "baseline: the plain program took 100 ms)";
    writeProgram(build, "bench_one", "BM_One", "BM_One 1 ms\n" + missed, 1);
    writeProgram(build, "bench_two", "BM_Two", "BM_Two 1 ms", 0);
    writeProgram(build, "bench_three", "BM_Three", "FAILED bench_three BM_Three: the probe could not run", 1);
    writeProgram(build, "bench_four", "BM_Four", "Segmentation fault", 139);
    const tRun run = runScript(build);
    EXPECT_EQ(run.status, 1) << run.output;
    const size_t summary = run.output.find("bench: 3 target(s) missed or benchmark(s) failed:\n");
    ASSERT_NE(summary, std::string::npos) << run.output;
    const std::string listed = run.output.substr(summary);
    EXPECT_NE(listed.find(missed + "\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find("FAILED bench_three BM_Three: the probe could not run\n"), std::string::npos)
        << listed;
    EXPECT_NE(listed.find("FAILED bench_four: it ended with status 139\n"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("bench_two"), std::string::npos) << listed;
}

// The quickest real benchmark program, alone in the build folder; false when it is not built.
bool useRealProgram(const Test::TempDir& build)
{
    const fs::path program = fs::path(QUILL_BINARY_DIR) / "bench" / "bench_strings";
    if (!fs::exists(program))
        return false;
    fs::create_directories(build.path() / "bench");
    fs::create_symlink(program, build.path() / "bench" / "bench_strings");
    return true;
}

// A target set for the run that none of its figures takes is missed, and so is one of a
// benchmark that no program runs.
TEST_F(BenchScript, FailsListingTargetsSetThatNameNoFigureOfTheRun)
{
    if (!useRealProgram(build))
        GTEST_SKIP() << "the benchmarks are not built here";
    const tRun run = runScript(build, "'^BM_HashString$'",
                               "QUILL_BENCH_TARGETS='BM_HashString.growth=-1,BM_PlayMemory.growth_kb=-1'");
    EXPECT_EQ(run.status, 1) << run.output;
    const size_t summary =
        run.output.find("bench: 2 target(s) missed or benchmark(s) failed:\n"
                        "MISSED bench_strings BM_HashString: the target BM_HashString.growth=-1 "
                        "names no figure it checks (it checks none)\n"
                        "MISSED BM_PlayMemory: the target BM_PlayMemory.growth_kb=-1 names no "
                        "benchmark of the run\n");
    EXPECT_NE(summary, std::string::npos) << run.output;
}

// Targets it cannot read fail the run with the program's own words, whatever the expression.
TEST_F(BenchScript, FailsNamingATargetTheProgramsCannotRead)
{
    if (!useRealProgram(build))
        GTEST_SKIP() << "the benchmarks are not built here";
    const tRun run = runScript(build, "PlayMemory", "QUILL_BENCH_TARGETS=garbage");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("FAILED bench_strings: it could not list its benchmarks (status 2): "
                              "QUILL_BENCH_TARGETS: \"garbage\" is not <benchmark>.<figure>=<limit>\n"),
              std::string::npos)
        << run.output;
}

TEST_F(BenchScript, FailsWhenNoBenchmarkMatches)
{
    writeProgram(build, "bench_one", "", "", 0);
    const tRun run = runScript(build);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("bench: no benchmark matches \".\""), std::string::npos) << run.output;
}

} // namespace
