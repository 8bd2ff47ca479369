// The cost of one frame of cLogic over a tree of 10,000 views (the active, enabled and fade
// passes and a render pass whose drawing does nothing), against a plain loop that makes the
// same calls on the same objects ("ratio": the frame's time over the loop's).
#include "bench/LoopTimer.h"

#include "engine/core/cControl.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/ui/cView.h"
#include "platform/system/FakeClock.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{

constexpr int Roots = 100;
constexpr int ChildrenPerRoot = 99;

class Counter final : public Engine::cView
{
public:
    explicit Counter(Engine::cControl* parent) : cView(parent) {}
    void update() override { ++updates; }
    void updateActive() override { ++updates; }
    long updates = 0;
};

class NullDevices final : public Engine::cFrameDevices
{
public:
    void pollInput() override {}
    boost::signals2::connection connectKey(int, const boost::function<void()>&) override
    {
        return boost::signals2::connection();
    }
    Engine::cVector2 cursorInWindow() override { return Engine::cVector2(); }
    void screenToVirtual(Engine::cVector2&) override {}
    void beginFrame() override {}
    void present() override {}
    void drawView(Engine::cView& view) override { benchmark::DoNotOptimize(&view); }
    void endFrame() override {}
    void takeScreenshot(const std::wstring&) override {}
};

// 100 shown, enabled and active roots with 99 such children each, at varied depths.
struct Tree
{
    Tree()
    {
        for (int r = 0; r < Roots; ++r)
        {
            auto* root = new Counter(nullptr);
            roots.push_back(root);
            all.push_back(root);
            for (int c = 0; c < ChildrenPerRoot; ++c)
                all.push_back(new Counter(root));
        }
        int deep = 0;
        for (Counter* view : all)
        {
            view->setDeep(static_cast<float>(deep++ % 97));
            view->show();
            view->enable();
            view->activate();
        }
    }
    ~Tree()
    {
        for (Counter* root : roots)
            delete root;
    }

    std::vector<Counter*> roots;
    std::vector<Counter*> all;
};

void BM_PlainLoop(benchmark::State& state)
{
    Tree tree;
    NullDevices devices;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        for (Counter* view : tree.all)
            view->updateActive();
        for (Counter* view : tree.all)
            view->update();
        for (Counter* view : tree.all)
            if (view->isShown())
                devices.drawView(*view);
    }
    timer.baseline("plain loop");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tree.all.size()));
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMicrosecond);

void BM_Frame(benchmark::State& state)
{
    // The clock never moves by itself and the sleeps are instant, so the timer adds only its
    // own arithmetic.
    Platform::FakeClock clock(0);
    Engine::cTimer timer;
    Engine::cLogic logic(std::make_unique<NullDevices>());
    Tree tree;
    Bench::LoopTimer loopTimer(state);
    for (auto _ : state)
    {
        timer.exchangeDrawDue(true);
        logic.update();
    }
    loopTimer.against("plain loop");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tree.all.size()));
    if (Engine::cView::renderRegistrySize() != tree.all.size())
        state.SkipWithError("not every view was drawn");
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

} // namespace
