#include "engine/core/cLogic.h"

#include "engine/core/cControl.h"
#include "engine/core/cTimer.h"
#include "engine/ui/cView.h"
#include "platform/system/FakeClock.h"

#include <gtest/gtest.h>

#include <boost/signals2/signal.hpp>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Engine::cControl;
using Engine::cLogic;
using Engine::cView;

// Devices that write every call into one shared log, so a test can read the frame's order.
class RecordingDevices final : public Engine::cFrameDevices
{
public:
    explicit RecordingDevices(std::vector<std::string>& log) : m_log(log) {}

    void pollInput() override
    {
        m_log.push_back("input");
        if (onPoll)
            onPoll();
    }
    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        return keys[code].connect(slot);
    }
    Engine::cVector2 cursorInWindow() override
    {
        m_log.push_back("cursor");
        return cursor;
    }
    boost::signals2::connection
    connectPointer(const boost::function<void(const Engine::cVector2&)>& slot) override
    {
        return pointer.connect(slot);
    }
    void screenToVirtual(Engine::cVector2& point) override { point = point * 0.5f; }
    void beginFrame() override { m_log.push_back("begin"); }
    void drawView(cView& view) override { m_log.push_back("draw " + std::to_string(view.getDeep())); }
    void endFrame() override { m_log.push_back("end"); }
    void present() override { m_log.push_back("present"); }
    void takeScreenshot(const std::wstring& fileName) override
    {
        m_log.push_back("screenshot");
        screenshots.push_back(fileName);
    }

    std::map<int, boost::signals2::signal<void()>> keys;
    boost::signals2::signal<void(const Engine::cVector2&)> pointer;
    std::vector<std::wstring> screenshots;
    Engine::cVector2 cursor{100.0f, 60.0f};
    std::function<void()> onPoll;

private:
    std::vector<std::string>& m_log;
};

class Worker : public cControl
{
public:
    Worker(std::vector<std::string>& log, const std::string& name) : m_log(log), m_name(name) {}
    ~Worker() override { m_log.push_back("delete " + m_name); }
    void update() override { m_log.push_back("update " + m_name); }
    void updateActive() override { m_log.push_back("active " + m_name); }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

class LogicTest : public ::testing::Test
{
protected:
    LogicTest()
    {
        auto made = std::make_unique<RecordingDevices>(log);
        devices = made.get();
        logic = std::make_unique<cLogic>(std::move(made));
        logic->setFrameCallback([this] { log.push_back("callback"); });
    }
    ~LogicTest() override
    {
        cControl::deletePending();
        logic.reset();
    }

    // Runs one frame of `ms` milliseconds of work.
    void frame(uint32_t ms = 10)
    {
        clock.advance(ms);
        logic->update();
    }

    std::vector<std::string> log;
    Platform::FakeClock clock{1000};
    Engine::cTimer timer;
    RecordingDevices* devices = nullptr;
    std::unique_ptr<cLogic> logic;
};

TEST_F(LogicTest, OneFrameRunsItsStepsInOrder)
{
    auto* worker = new Worker(log, "w");
    worker->show();
    worker->enable();
    worker->activate();
    cView view;
    view.setDeep(3.0f);
    view.show();
    cControl::deleteLater(worker);

    frame();
    // The frame drawn in this update is presented in it.
    const std::vector<std::string> expected = {"cursor", "input",         "active w", "update w", "callback",
                                               "begin",  "draw 3.000000", "end",      "present",  "delete w"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(logic->getMousePosition(), Engine::cVector2(50.0f, 30.0f));
}

TEST_F(LogicTest, AButtonsPlaceMovesTheMousePositionConvertedAsThePolledOne)
{
    // The poll finds the pointer at (100, 60); a button of the frame happened at (300, 200):
    // its handlers see that place, in virtual units as the poll's (halved here).
    Engine::cVector2 atButton;
    devices->onPoll = [this, &atButton]
    {
        devices->pointer(Engine::cVector2(300.0f, 200.0f));
        atButton = logic->getMousePosition();
    };
    frame();
    EXPECT_EQ(atButton, Engine::cVector2(150.0f, 100.0f));
    devices->onPoll = nullptr;
    frame();
    EXPECT_EQ(logic->getMousePosition(), Engine::cVector2(50.0f, 30.0f)) << "the next frame's poll";
}

TEST_F(LogicTest, MinimisedFramesOnlyDelete)
{
    auto* worker = new Worker(log, "w");
    worker->show();
    worker->enable();
    cControl::deleteLater(worker);
    logic->setMinimized(true);
    const float before = timer.getTime();
    frame();
    EXPECT_EQ(log, std::vector<std::string>{"delete w"});
    EXPECT_EQ(timer.getTime(), before) << "the timer is not stepped";
    EXPECT_TRUE(logic->isMinimized());
}

TEST_F(LogicTest, InactiveFramesSkipTheObjectsButDrawAndDelete)
{
    auto* worker = new Worker(log, "w");
    worker->show();
    worker->enable();
    cView view;
    view.show();
    logic->setInactive(true);
    cControl::deleteLater(worker);
    frame();
    const std::vector<std::string> expected = {"cursor", "input",   "begin",   "draw 0.000000",
                                               "end",    "present", "delete w"};
    EXPECT_EQ(log, expected);
}

TEST_F(LogicTest, WhileADialogFadesInputArrivesButNoObjectIsUpdated)
{
    Worker worker(log, "w");
    worker.show();
    worker.enable();
    cControl dialog;
    dialog.fadeIn();
    frame();
    EXPECT_EQ(std::count(log.begin(), log.end(), "input"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "update w"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "callback"), 1);
    // 10 ms a frame at 3.3 a second: about 31 frames to fade in.
    int frames = 1;
    while (cControl::isFading() && frames < 100)
    {
        frame();
        ++frames;
    }
    EXPECT_FALSE(cControl::isFading());
    log.clear();
    frame();
    EXPECT_EQ(std::count(log.begin(), log.end(), "update w"), 1);
}

TEST_F(LogicTest, AnObjectQueuedByAnInputHandlerLivesUntilTheFrameEnds)
{
    auto* worker = new Worker(log, "w");
    worker->show();
    worker->enable();
    devices->onPoll = [worker] { cControl::deleteLater(worker); };
    frame();
    const auto update = std::find(log.begin(), log.end(), "update w");
    const auto deleted = std::find(log.begin(), log.end(), "delete w");
    ASSERT_NE(update, log.end());
    ASSERT_NE(deleted, log.end());
    EXPECT_LT(update, deleted);
    EXPECT_EQ(deleted, log.end() - 1);
}

TEST_F(LogicTest, DrawingFollowsTheTimer)
{
    // The first frame is drawn; after that at 60 a second out of 100 frames a second.
    frame();
    EXPECT_EQ(std::count(log.begin(), log.end(), "present"), 1);
    log.clear();
    for (int i = 0; i < 100; ++i)
        frame();
    const auto drawn = std::count(log.begin(), log.end(), "present");
    EXPECT_EQ(std::count(log.begin(), log.end(), "begin"), drawn);
    EXPECT_EQ(std::count(log.begin(), log.end(), "end"), drawn);
    EXPECT_GE(drawn, 50);
    EXPECT_LE(drawn, 61);
}

TEST_F(LogicTest, FpsCountsUpdatedFramesOverMoreThanAFifthOfASecond)
{
    for (int i = 0; i < 20; ++i)
        frame(10);
    EXPECT_EQ(logic->getFps(), 0.0f) << "0.2 s have not passed yet";
    frame(10);
    EXPECT_NEAR(logic->getFps(), 100.0f, 0.5f);

    // Inactive frames are not counted.
    logic->setInactive(true);
    for (int i = 0; i < 21; ++i)
        frame(10);
    EXPECT_EQ(logic->getFps(), 0.0f);
}

TEST_F(LogicTest, PrintScreenReleasedTakesAScreenshotOfTheNextDrawnFrameBeforeItIsPresented)
{
    devices->keys[cLogic::ScreenshotKey]();
    EXPECT_TRUE(devices->screenshots.empty()) << "the last frame is on the screen already";
    timer.exchangeDrawDue(false);
    logic->setMinimized(true);
    frame();
    EXPECT_TRUE(devices->screenshots.empty()) << "no frame was drawn";
    logic->setMinimized(false);
    timer.exchangeDrawDue(true);
    log.clear();
    frame();
    ASSERT_EQ(devices->screenshots.size(), 1u);
    EXPECT_EQ(devices->screenshots[0], L"screenshot.jpg");
    const std::vector<std::string> drawing(std::find(log.begin(), log.end(), "begin"), log.end());
    EXPECT_EQ(drawing, (std::vector<std::string>{"begin", "end", "screenshot", "present"}));
    frame(100);
    EXPECT_EQ(devices->screenshots.size(), 1u) << "one key, one screenshot";
    EXPECT_EQ(devices->keys[0x38].num_slots(), 1u);
    EXPECT_EQ(devices->keys[0x1B8].num_slots(), 1u);
}

TEST_F(LogicTest, TheRenderPassDrawsInDeepOrderAndDropsHiddenViews)
{
    cView root;
    root.show();
    auto* back = new cView(&root);
    auto* front = new cView(&root);
    front->setDeep(5.0f);
    back->setDeep(-2.0f);
    front->show();
    back->show();
    frame();
    const std::vector<std::string> expected = {"begin", "draw -2.000000", "draw 0.000000", "draw 5.000000",
                                               "end",   "present"};
    std::vector<std::string> drawing(std::find(log.begin(), log.end(), "begin"), log.end());
    EXPECT_EQ(drawing, expected);

    root.hide();
    EXPECT_FALSE(cView::isInRenderRegistry(front));
    log.clear();
    timer.exchangeDrawDue(true);
    frame();
    EXPECT_EQ(std::count(log.begin(), log.end(), "draw 5.000000"), 0);
}

TEST_F(LogicTest, TheSingletonIsReleased)
{
    EXPECT_EQ(cLogic::instance(), logic.get());
    logic.reset();
    EXPECT_EQ(cLogic::instance(), nullptr);
}

} // namespace
