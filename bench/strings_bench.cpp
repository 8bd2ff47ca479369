// The engine's text conversions against the plain library calls on the same inputs:
// fromString<float> against strtof, and the name hash against std::hash ("ratio": the
// engine's time over the library's).
#include "bench/LoopTimer.h"
#include "engine/core/FromString.h"
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace
{

struct Texts
{
    std::vector<std::string> narrow;
    std::vector<std::wstring> wide;
};

// Numbers as data files write them: short decimals, a few negative, some with an exponent.
const Texts& numberTexts()
{
    static const Texts texts = []
    {
        Texts t;
        Engine::seedRandom(12345);
        char buffer[64];
        for (int i = 0; i < 1024; ++i)
        {
            const double value = (Engine::random15() - 16384) / 7.0;
            const char* format = i % 8 == 0 ? "%g" : (i % 3 == 0 ? "%.0f" : "%.3f");
            std::snprintf(buffer, sizeof(buffer), format, value);
            t.narrow.emplace_back(buffer);
            t.wide.push_back(Engine::fromUtf8(buffer));
        }
        return t;
    }();
    return texts;
}

// Names as registries and property trees key them: attribute names, class names, paths.
const Texts& nameTexts()
{
    static const Texts texts = []
    {
        Texts t;
        const char* stems[] = {
            "Visible",  "TranparencySpeed",     "cButton", "UI/PanelStatus.xml", "kSlowCellSpeed",
            "graphics", "Units/StartPoint.xml", "x"};
        for (int i = 0; i < 1024; ++i)
        {
            std::string name = std::string(stems[i % 8]) + std::to_string(i);
            t.narrow.push_back(name);
            t.wide.push_back(Engine::fromUtf8(name));
        }
        return t;
    }();
    return texts;
}

void BM_Strtof(benchmark::State& state)
{
    const auto& texts = numberTexts().narrow;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const auto& text : texts)
            benchmark::DoNotOptimize(std::strtof(text.c_str(), nullptr));
    }
    timer.baseline("strtof");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_Strtof);

void BM_FromStringFloat(benchmark::State& state)
{
    const auto& texts = numberTexts().wide;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const auto& text : texts)
        {
            float value = 0.0f;
            benchmark::DoNotOptimize(Engine::fromString(value, text));
        }
    }
    timer.against("strtof");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_FromStringFloat);

void BM_StdHashWString(benchmark::State& state)
{
    const auto& texts = nameTexts().wide;
    const std::hash<std::wstring> hash;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const auto& text : texts)
            benchmark::DoNotOptimize(hash(text));
    }
    timer.baseline("std::hash<wstring>");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_StdHashWString);

void BM_HashWString(benchmark::State& state)
{
    const auto& texts = nameTexts().wide;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const auto& text : texts)
            benchmark::DoNotOptimize(Engine::hashWString(text));
    }
    timer.against("std::hash<wstring>");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_HashWString);

void BM_StdHashString(benchmark::State& state)
{
    const auto& texts = nameTexts().narrow;
    const std::hash<std::string> hash;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const auto& text : texts)
            benchmark::DoNotOptimize(hash(text));
    }
    timer.baseline("std::hash<string>");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_StdHashString);

void BM_HashString(benchmark::State& state)
{
    const auto& texts = nameTexts().narrow;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const auto& text : texts)
            benchmark::DoNotOptimize(Engine::hashString(text));
    }
    timer.against("std::hash<string>");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_HashString);

} // namespace
