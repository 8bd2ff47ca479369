// Finding a file among 10,000 indexed names: the file system's lookups against a plain
// std::map lookup of the same keys, and opening a loose file against a bare open/close
// ("ratio": the file system's time over the plain call's).
#include "bench/LoopTimer.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int FileCount = 10000;

// A data folder of FileCount small files in 100 folders, indexed once for every benchmark.
class Setup
{
public:
    Setup()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmoor-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_root = pattern;
        ::setenv("XDG_DATA_HOME", (m_root / "share").c_str(), 1);
        write("Data/sys/constants.xml", "<constants><game app_directory=\"Bench\"/></constants>");
        for (int i = 0; i < FileCount; ++i)
        {
            const std::string key =
                "units/group" + std::to_string(i % 100) + "/unit" + std::to_string(i) + ".xml";
            write("Data/" + key, "<unit/>");
            keys.push_back(key);
            mixedCase.push_back("Units\\Group" + std::to_string(i % 100) + "\\Unit" + std::to_string(i) +
                                ".XML");
            fullPaths.push_back((m_root / "Data" / key).string());
            plain[key] = i;
        }
        fileSystem = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8((m_root / "Data").string()));
    }
    ~Setup()
    {
        fileSystem.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    std::vector<std::string> keys;
    std::vector<std::string> mixedCase;
    std::vector<std::string> fullPaths;
    std::map<std::string, int> plain;
    std::unique_ptr<Engine::cFileSystem> fileSystem;

private:
    void write(const std::string& relative, const std::string& text)
    {
        const std::filesystem::path path = m_root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    std::filesystem::path m_root;
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// Keys in a scattered order so lookups do not walk the tree in sequence.
size_t nextIndex(size_t& i)
{
    i = (i + 7919) % FileCount;
    return i;
}

void BM_PlainMapFind(benchmark::State& state)
{
    Setup& s = setup();
    size_t i = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.plain.find(s.keys[nextIndex(i)]) != s.plain.end());
    timer.baseline("map find");
}
BENCHMARK(BM_PlainMapFind);

void BM_IsKnown(benchmark::State& state)
{
    Setup& s = setup();
    size_t i = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.fileSystem->isKnown(s.keys[nextIndex(i)]));
    timer.against("map find");
}
BENCHMARK(BM_IsKnown);

// A path as data written on Windows spells it: lower-cased and "/"-separated before the search.
void BM_IsKnownMixedCase(benchmark::State& state)
{
    Setup& s = setup();
    size_t i = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.fileSystem->isKnown(s.mixedCase[nextIndex(i)]));
    timer.against("map find");
}
BENCHMARK(BM_IsKnownMixedCase);

void BM_PlainOpenClose(benchmark::State& state)
{
    Setup& s = setup();
    size_t i = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        const int fd = ::open(s.fullPaths[nextIndex(i)].c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(fd);
        ::close(fd);
    }
    timer.baseline("open/close");
}
BENCHMARK(BM_PlainOpenClose);

void BM_OpenFile(benchmark::State& state)
{
    Setup& s = setup();
    size_t i = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        std::unique_ptr<Engine::cStream> stream = s.fileSystem->openFile(s.keys[nextIndex(i)]);
        benchmark::DoNotOptimize(stream.get());
    }
    timer.against("open/close");
}
BENCHMARK(BM_OpenFile);

} // namespace
