// Loading a large XML document into each node class, against Expat's bare parse of the same
// bytes (handlers that only count). The figure to read is "ratio": each tree load's time over
// the bare parse of the same encoding; reading the pre-parsed image is set against the bare
// parse of the UTF-8 text it replaces. BM_SmallDocuments loads the game's unit descriptions
// (data/Units, about a kilobyte each, a parser and a tree per file as a level start loads
// them) against BM_ExpatSmallDocuments, the bare parse of each; BM_LevelDocument the largest
// shipped level file against BM_ExpatLevelDocument.
#include "bench/BareParse.h"
#include "bench/BenchHome.h"
#include "bench/LoopTimer.h"
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/core/xml/cXmlImage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

// About 6 MB: 20,000 units in 400 groups, each unit with attributes, child elements and text,
// laid out and indented as the game's data files are.
std::string makeDocument()
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Units>\n";
    for (int group = 0; group < 400; ++group)
    {
        text += "\t<Group Name=\"group" + std::to_string(group) + "\" Layer=\"" + std::to_string(group % 4) +
                "\">\n";
        for (int unit = 0; unit < 50; ++unit)
        {
            const std::string id = std::to_string(group * 50 + unit);
            text += "\t\t<Unit Id=\"" + id + "\" Type=\"Building" + std::to_string(unit % 7) +
                    "\" Category=\"resource\" Cell=\"" + std::to_string(unit) + ";" + std::to_string(group) +
                    "\" Offset=\"0.5 -12.25\">\n";
            text += "\t\t\t<Level Index=\"1\" UpgradeTime=\"12.5\" ProduceTime=\"4\" ResOut=\"Money:10\"/>\n";
            text += "\t\t\t<Level Index=\"2\" UpgradeTime=\"20\" ProduceTime=\"3.5\" ResOut=\"Money:15\"/>\n";
            text += "\t\t\t<View Texture=\"units/building" + id + ".png\" Deep=\"1000\" RenderType=\"3\"/>\n";
            text += "\t\t\t<Description>A unit of the town, number " + id +
                    ", with its production.</Description>\n";
            text += "\t\t</Unit>\n";
        }
        text += "\t</Group>\n";
    }
    text += "</Units>\n";
    return text;
}

std::string toUtf16(const std::string& utf8)
{
    // The document is ASCII apart from the declaration, which names the encoding.
    std::string ascii = utf8;
    const std::string from = "encoding=\"UTF-8\"";
    ascii.replace(ascii.find(from), from.size(), "encoding=\"UTF-16\"");
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii)
    {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

const std::string& document(bool utf16)
{
    static const std::string utf8 = makeDocument();
    static const std::string wide = toUtf16(utf8);
    return utf16 ? wide : utf8;
}

std::string bareParseOf(bool utf16)
{
    return utf16 ? "Expat UTF-16" : "Expat UTF-8";
}

void BM_ExpatBareParse(benchmark::State& state)
{
    const bool utf16 = state.range(0) != 0;
    const std::string& bytes = document(utf16);
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        if (!Bench::bareParse(bytes))
            std::abort();
    }
    timer.baseline(bareParseOf(utf16));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// Destroys a tree outside the timing. Freeing a large tree leaves the allocator's small-chunk
// lists full, and the allocator merges them at its next large request, which would land in the
// next timed load; that request is made here instead.
template <class Ptr> void dropTree(Bench::LoopTimer& timer, Ptr& root)
{
    timer.pause();
    root.reset();
    void* large = std::malloc(64 * 1024);
    benchmark::DoNotOptimize(large);
    std::free(large);
    timer.resume();
}

template <class T> void BM_Tree(benchmark::State& state)
{
    const bool utf16 = state.range(0) != 0;
    const std::string& bytes = document(utf16);
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        auto root = T::fromBuffer(bytes.data(), bytes.size(), "bench.xml");
        benchmark::DoNotOptimize(root.get());
        dropTree(timer, root);
    }
    timer.against(bareParseOf(utf16));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// Reading the pre-parsed image of the same tree instead of the XML.
template <class T> void BM_Image(benchmark::State& state)
{
    static const std::string image = []
    {
        const std::string& bytes = document(false);
        return Engine::xml::writeImage(*T::fromBuffer(bytes.data(), bytes.size(), "bench.xml"),
                                       std::is_same_v<T, Engine::cXmlProperties>);
    }();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        auto root = T::fromBuffer(image.data(), image.size(), "bench.img");
        benchmark::DoNotOptimize(root.get());
        dropTree(timer, root);
    }
    timer.against(bareParseOf(false));
}

// The bytes of every unit description in the data folder.
const std::vector<std::string>& smallDocuments()
{
    static const std::vector<std::string> files = []
    {
        std::vector<std::string> texts;
        const auto folder = Bench::dataFolder() / "Units";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
        {
            if (entry.path().extension() != ".xml")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return texts;
    }();
    return files;
}

// The bytes of the largest shipped level file.
const std::string& levelDocument()
{
    static const std::string bytes = []
    {
        std::string largest;
        const auto folder = Bench::dataFolder() / "Levels";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
        {
            if (entry.path().extension() != ".xml")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.size() > largest.size())
                largest = std::move(text);
        }
        return largest;
    }();
    return bytes;
}

void BM_ExpatLevelDocument(benchmark::State& state)
{
    const std::string& bytes = levelDocument();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        if (!Bench::bareParse(bytes))
            std::abort();
    }
    timer.baseline("Expat level document");
}

void BM_LevelDocument(benchmark::State& state)
{
    const std::string& bytes = levelDocument();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        auto root = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "level.xml");
        benchmark::DoNotOptimize(root.get());
        dropTree(timer, root);
    }
    timer.against("Expat level document");
}

void BM_ExpatSmallDocuments(benchmark::State& state)
{
    const auto& files = smallDocuments();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const std::string& bytes : files)
        {
            if (!Bench::bareParse(bytes))
                std::abort();
        }
    }
    timer.baseline("Expat small documents");
    state.counters["files"] = static_cast<double>(files.size());
}

void BM_SmallDocuments(benchmark::State& state)
{
    const auto& files = smallDocuments();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (const std::string& bytes : files)
        {
            auto root = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "unit.xml");
            benchmark::DoNotOptimize(root.get());
        }
    }
    timer.against("Expat small documents");
}

// Argument: 0 UTF-8 document, 1 the same as UTF-16.
BENCHMARK(BM_ExpatBareParse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Tree, Engine::cXmlPropertiesPooled)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Tree, Engine::cXmlProperties)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Image, Engine::cXmlPropertiesPooled)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Image, Engine::cXmlProperties)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpatLevelDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExpatSmallDocuments)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SmallDocuments)->Unit(benchmark::kMicrosecond);

} // namespace
