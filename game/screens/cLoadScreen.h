#pragma once

#include "engine/core/cProperties.h"
#include "engine/core/cSingleton.h"
#include "engine/ui/cDialog.h"

#include <boost/function.hpp>

#include <cstdint>
#include <string>

namespace Engine
{
class cProgressFloat;
}

// The screen shown while a level is set up ("UI/Load.xml"). It waits four frames so that it is
// drawn, starts the level on the fifth, then preloads, a few a frame, the resources that earlier
// runs listed in the resource log and that the level needs, moving its progress bar. When it
// has gone through the log it calls back, hides itself and queues its own deletion.
//
// Its first frame and the frame in which it is done are drawn whatever the drawing pace says:
// the screen is seen before the level's start blocks the loop, and the level as soon as it is
// ready. Its layout and pictures stay loaded until the game shuts down, for the next level start.
//
// The screen has no parent and updates itself in the enabled pass, so the layout's root must be
// enabled. Only one exists at a time.
class cLoadScreen : public Engine::cDialog, public Engine::cSingleton<cLoadScreen>
{
public:
    using Callback = boost::function<void()>;

    // The frames the screen is shown before the level starts.
    static constexpr int32_t WaitFrames = 5;

    // `logName`: the resource log ("res_log.xml"); `onLoaded`: called once when preloading is
    // done; `entriesPerFrame`: log entries looked at per frame. The level is started by the play
    // state's `startLevel` unless `setStartLevel` says otherwise.
    cLoadScreen(const std::string& logName, const Callback& onLoaded, uint32_t entriesPerFrame,
                int32_t unused = 0);
    ~cLoadScreen() override;

    void update() override;
    // The dialog's keys and parts, then the child "Progress" into the progress bar, which stays
    // hidden until the level has started.
    void loadXML(const Engine::tPropertiesPtr& node) override;

    void setStartLevel(const Callback& start) { m_startLevel = start; }
    bool isStarting() const { return m_starting; }
    uint32_t getNextEntry() const { return m_nextEntry; }
    uint32_t getEntryCount() const { return m_entryCount; }
    Engine::cProgressFloat* getProgress() const { return m_progress; }
    // The resource paths preloaded so far, in order.
    const std::vector<std::string>& getPreloaded() const { return m_preloaded; }

private:
    void preloadBatch();

    std::string m_logName;
    Engine::tPropertiesPtr m_log;
    Callback m_onLoaded;
    Callback m_startLevel;
    uint32_t m_nextEntry = 0;
    uint32_t m_entryCount = 0;
    uint32_t m_entriesPerFrame;
    // A child of the screen (owned by the tree).
    Engine::cProgressFloat* m_progress;
    bool m_starting = true;
    int32_t m_frameCounter = 0;
    bool m_done = false;
    std::vector<std::string> m_preloaded;
};
