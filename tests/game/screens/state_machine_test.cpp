// The game's state machine: the order of the state operations and their trace lines, the
// dialog states' depths and closing, and the level path a command line names.
#include "engine/core/cControl.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cPicture.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CGameState.h"
#include "platform/input/ScriptedInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

// Every call a state receives, in order, as "<name> <operation>".
std::vector<std::string>& calls()
{
    static std::vector<std::string> list;
    return list;
}

class RecordingState final : public CGameState
{
public:
    explicit RecordingState(std::string name) : m_name(std::move(name)) {}
    void Init() override { calls().push_back(m_name + " Init"); }
    void Cleanup() override { calls().push_back(m_name + " Cleanup" + removing()); }
    void Pause() override { calls().push_back(m_name + " Pause" + removing()); }
    void Resume() override { calls().push_back(m_name + " Resume" + removing()); }
    void Update(CGameEngine*) override { calls().push_back(m_name + " Update"); }

private:
    static std::string removing() { return Engine::cControl::getRemovalFlag() ? " (removing)" : ""; }

    std::string m_name;
};

class TestPanel final : public Engine::cPicture
{
public:
    explicit TestPanel(Engine::cControl* parent) : Engine::cPicture(parent) {}
};

class OtherPanel final : public Engine::cPicture
{
public:
    explicit OtherPanel(Engine::cControl* parent) : Engine::cPicture(parent) {}
};

// An engine with an empty stack, the trace lines caught, and a scripted input for the keys.
class StateMachine : public ::testing::Test
{
protected:
    StateMachine() : input(makeInput())
    {
        calls().clear();
        // The first read acquires the devices.
        input->update();
        CGameEngine::setTraceSink([this](const std::wstring& line) { traces.push_back(line); });
    }
    ~StateMachine() override
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        CGameEngine::setTraceSink({});
    }

    std::unique_ptr<Engine::cInput> makeInput()
    {
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        return std::make_unique<Engine::cInput>(std::move(backend));
    }
    // A state for the engine's stack, living as long as the fixture: the destructor pops what a
    // test left on the stack, and a pop cleans up the state it takes away.
    RecordingState& makeState(std::string name)
    {
        states.push_back(std::make_unique<RecordingState>(std::move(name)));
        return *states.back();
    }
    // Escape pressed and released, delivered by the input's step.
    void pressEscape()
    {
        script->keyDown(1);
        script->keyUp(1);
        input->update();
    }

    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    std::vector<std::wstring> traces;
    std::vector<std::unique_ptr<RecordingState>> states;
};

TEST_F(StateMachine, TheScreenSettlesAfterEveryTraceOnceItsFramesRunWithoutAFade)
{
    CGameEngine& engine = CGameEngine::instance();
    RecordingState& menu = makeState("menu");
    RecordingState& dialog = makeState("dialog");
    const auto frames = [&engine](int count)
    {
        for (int i = 0; i < count; ++i)
            engine.Update();
    };
    engine.ChangeState(&menu);
    engine.PushState(&dialog);
    CGameEngine::trace(L"The dialog came\n");
    traces.clear();
    frames(CGameEngine::kSettleFrames - 1);
    EXPECT_TRUE(traces.empty());
    frames(1);
    EXPECT_EQ(traces, (std::vector<std::wstring>{L"Screen settled\n"}));
    frames(10);
    EXPECT_EQ(traces.size(), 1u) << "once, until the next line";

    // A fade holds the settling back until it ends.
    traces.clear();
    {
        Engine::cControl fading;
        fading.show();
        fading.fadeOut();
        engine.PopState();
        CGameEngine::trace(L"The dialog went\n");
        frames(CGameEngine::kSettleFrames + 2);
        EXPECT_EQ(traces, (std::vector<std::wstring>{L"The dialog went\n"})) << "not while a fade runs";
    }
    frames(CGameEngine::kSettleFrames);
    EXPECT_EQ(traces, (std::vector<std::wstring>{L"The dialog went\n", L"Screen settled\n"}));

    // Only the frames that are drawn count: the frame runs more often than it is drawn.
    traces.clear();
    Engine::cTimer timer;
    timer.exchangeDrawDue(false);
    CGameEngine::trace(L"A message came\n");
    frames(CGameEngine::kSettleFrames + 2);
    EXPECT_EQ(traces.size(), 1u) << "no frame drawn, no settling";
    for (int drawn = 0; drawn < CGameEngine::kSettleFrames; ++drawn)
    {
        EXPECT_EQ(traces.size(), 1u) << "settled after " << drawn << " drawn frames";
        timer.exchangeDrawDue(true);
        frames(1);
        timer.exchangeDrawDue(false);
        frames(2);
    }
    EXPECT_EQ(traces, (std::vector<std::wstring>{L"A message came\n", L"Screen settled\n"}));
}

TEST_F(StateMachine, ChangePushAndPopRunTheStatesInOrderAndOnlyTheTopUpdates)
{
    CGameEngine& engine = CGameEngine::instance();
    RecordingState& menu = makeState("menu");
    RecordingState& map = makeState("map");
    RecordingState& dialog = makeState("dialog");
    engine.ChangeState(&menu);
    engine.ChangeState(&map);
    engine.PushState(&dialog);
    engine.Update();
    EXPECT_EQ(engine.getStateCount(), 2u);
    engine.PopState();
    engine.Update();
    engine.PopState();
    EXPECT_EQ(engine.getStateCount(), 0u);
    engine.PopState();
    // Every clean-up runs with the tree's removal flag raised, and only the clean-up.
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"menu Init", "menu Cleanup (removing)", "map Init", "map Pause",
                                        "dialog Init", "dialog Update", "dialog Cleanup (removing)",
                                        "map Resume", "map Update", "map Cleanup (removing)"}))
        << "the last pop resumes nobody, and a pop of an empty stack does nothing";
    EXPECT_FALSE(Engine::cControl::getRemovalFlag()) << "put back after each clean-up";

    calls().clear();
    engine.ChangeState(&menu);
    engine.PushState(&map);
    engine.PushState(&dialog);
    engine.Cleanup();
    EXPECT_EQ(calls(), (std::vector<std::string>{"menu Init", "menu Pause", "map Init", "map Pause",
                                                 "dialog Init", "dialog Cleanup (removing)",
                                                 "map Cleanup (removing)", "menu Cleanup (removing)"}))
        << "shutdown cleans up from the top without resuming";
    EXPECT_FALSE(Engine::cControl::getRemovalFlag());
}

TEST_F(StateMachine, DialogsLieAboveTheirPusherAndPopOnceWhenTheirPanelHides)
{
    CGameEngine& engine = CGameEngine::instance();
    RecordingState& play = makeState("play");
    engine.ChangeState(&play);
    auto& first = CDialogState<TestPanel>::instance();
    first.setHideWhenPaused(false);
    first.setPopOnPanelClose(true);
    first.setCloseOnEscape(true);
    engine.PushState(&first);
    const boost::shared_ptr<TestPanel> panel = first.getPanel();
    ASSERT_TRUE(panel);
    EXPECT_FLOAT_EQ(panel->getDeep(), 12000.0f);
    EXPECT_TRUE(panel->isShown());
    EXPECT_TRUE(panel->isEnabled());

    auto& second = CDialogState<OtherPanel>::instance();
    second.setCloseOnEscape(false);
    engine.PushState(&second);
    EXPECT_FLOAT_EQ(second.getPanel()->getDeep(), 13000.0f);
    EXPECT_FALSE(panel->isEnabled()) << "the lower dialog is paused";
    EXPECT_TRUE(panel->isShown()) << "but stays on the screen";
    pressEscape();
    EXPECT_EQ(engine.getStateCount(), 3u) << "the upper dialog does not close on Escape, the lower is paused";

    second.getPanel()->hide();
    EXPECT_EQ(engine.getStateCount(), 2u);
    EXPECT_FALSE(second.getPanel()) << "every activation builds a fresh panel";
    EXPECT_TRUE(panel->isEnabled());
    pressEscape();
    EXPECT_EQ(engine.getStateCount(), 1u) << "Escape hides the panel, whose hide pops the state";
    EXPECT_FALSE(panel->isShown());
    pressEscape();
    EXPECT_EQ(engine.getStateCount(), 1u) << "exactly once";
    EXPECT_EQ(calls().back(), "play Resume");
    Engine::cControl::deletePending();
    EXPECT_FALSE(Engine::cControl::isAlive(panel.get()) && panel.use_count() > 1);

    const std::vector<std::wstring> expected = {L"CDialogState Init\n",   L"CDialogState Pause\n",
                                                L"CDialogState Init\n",   L"CDialogState Cleanup\n",
                                                L"CDialogState Resume\n", L"CDialogState Cleanup\n"};
    EXPECT_EQ(traces, expected);
}

TEST_F(StateMachine, ADialogThatStepsAsideForTheOneAboveIsHiddenNotClosed)
{
    CGameEngine& engine = CGameEngine::instance();
    RecordingState& play = makeState("play");
    engine.ChangeState(&play);
    auto& lower = CDialogState<TestPanel>::instance();
    lower.setPopOnPanelClose(true);
    lower.setHideWhenPaused(true);
    lower.setCloseOnEscape(false);
    engine.PushState(&lower);
    const boost::shared_ptr<TestPanel> panel = lower.getPanel();
    auto& upper = CDialogState<OtherPanel>::instance();
    upper.setCloseOnEscape(true);
    engine.PushState(&upper);
    EXPECT_EQ(engine.getStateCount(), 3u) << "hidden while paused, the lower dialog stays";
    EXPECT_EQ(engine.topState(), &upper);
    EXPECT_FALSE(panel->isShown());
    pressEscape();
    EXPECT_EQ(engine.topState(), &lower);
    EXPECT_TRUE(panel->isShown()) << "shown again when the upper one closes";
    panel->hide();
    EXPECT_EQ(engine.getStateCount(), 1u) << "its own hide still closes it";
    lower.setHideWhenPaused(false);
    upper.setCloseOnEscape(false);
}

} // namespace
