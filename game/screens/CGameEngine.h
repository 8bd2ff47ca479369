#pragma once

#include "engine/core/SaveFailures.h"

#include <boost/function.hpp>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class CGameState;
class cSystemMessage;

namespace Engine
{
class cApplication;
}

// The game's state machine and what it keeps for the whole run.
//
// It holds the stack of states (bottom first; the states are function-local statics it only
// borrows) and the application it created. Only the top state gets the per-frame `Update`,
// so everything below it stands still. `ChangeState` replaces the top state (saving the
// player profiles in between), `PushState` pauses the top and puts a new one above it, and
// `PopState` takes the top away and resumes the one below.
//
// Every state operation but `Update` writes a trace line; traces go to stderr while the
// environment variable QUILLMOOR_TRACE is set, or to the sink a test installs. After any trace
// line, "Screen settled" follows once the top state has run for a few whole frames, each drawn
// (or due to be), with no fade running: what the line told of is drawn, shown and takes input.
class CGameEngine
{
public:
    using TraceSink = boost::function<void(const std::wstring&)>;

    static CGameEngine& instance();

    CGameEngine(const CGameEngine&) = delete;
    CGameEngine& operator=(const CGameEngine&) = delete;
    virtual ~CGameEngine();

    // Creates the application with the start-up record of the game (sound on, the data
    // folder "Data", the single-instance check on); the command line is the callbacks' user
    // data. A second copy of the program ends the process in here. The player's settings file,
    // found damaged and kept aside as the application read it, is told (traced as "CGameEngine
    // settings loss told").
    Engine::cApplication* Init(const std::wstring& commandLine, const char* dataFolderName = "Data",
                               bool singleInstance = true);
    // Makes `Update` the frame callback and runs the message loop until the window closes.
    void Run();
    // Every state leaves, top first (no Resume in between), then the application goes with
    // the engine singletons.
    void Cleanup();
    // The managers' shutdowns (see atShutdown), then the queued deletions.
    void runShutdowns();
    void ChangeState(CGameState* state);
    void PushState(CGameState* state);
    void PopState();
    // The frame callback: Update of the top state, then the settling of the screen.
    void Update();
    // Asks the main window to close; the loop ends and `Cleanup` follows.
    void Quit();
    // From now to `Cleanup` (`Init` calls it), each file of the player's whose write first fails
    // in the run is told to the player over everything: what cannot be saved (a system message
    // with the file's own text, traced as "CGameEngine save failure told: <its text's key>"), one
    // after the other. The game goes on.
    void watchSaveFailures();
    static void tellSaveFailure(Engine::eSavedFile file);
    // Alt+Enter asked for a window that does not fit the screen: the options panel's message
    // that the game stays in full screen (traced as "CGameEngine window refused").
    static void tellWindowRefused();
    // Tells the player the message of `layout` (one of cSystemMessage's; with `textKey`, the
    // text of that attribute of the layout's root in place of its own) over every state, and
    // holds the input for it: what lies under it takes no key, click or movement until its OK.
    // A message told while another is open waits for it; each comes alone, in the order told.
    // A message that is open or waiting (the same layout and text) is not told again: its
    // `then` follows the OK of the one that stands. `traced` is traced when the message shows,
    // and `then` runs after its OK, or at once when the message cannot be shown (which is
    // logged).
    static void tell(const char* layout, const wchar_t* traced, const boost::function<void()>& then = {},
                     const wchar_t* textKey = nullptr);
    // Whether a message told (see `tell`) stands over every state: what lies under it waits for
    // its OK (a briefing's clock, the tutorial's tips and their time).
    bool isTelling() const { return m_openMessage != nullptr; }
    size_t getStateCount() const { return m_states.size(); }
    CGameState* topState() const { return m_states.empty() ? nullptr : m_states.back(); }
    const std::vector<CGameState*>& getStates() const { return m_states; }
    bool isRunning() const { return m_running; }
    Engine::cApplication* getApplication() const { return m_application; }

    // The level won for the first time, for the map to celebrate; -1 when none.
    virtual int& newLevelIndex() { return m_newLevelIndex; }
    virtual CGameEngine& setNewLevelIndex(const int& level);
    // Set by the map when the player continues the saved level; read and cleared by the play
    // state.
    virtual bool& continueSavedLevel() { return m_continueSavedLevel; }
    virtual CGameEngine& setContinueSavedLevel(const bool& on);
    // Whether the map was entered from the main menu (true) or from the in-game menu.
    virtual bool& enteredFromMainMenu() { return m_enteredFromMainMenu; }
    virtual CGameEngine& setEnteredFromMainMenu(const bool& on);
    // The level file the program was started with (see LevelLocation: a path in the data
    // folder, or an absolute path on the disk); empty when levels are chosen on the map.
    virtual std::wstring& levelPath();
    // The level file given instead of a level number's (LevelLocation::selectedPath).
    const std::wstring& getLevelPath() const;
    virtual CGameEngine& setLevelPath(const std::wstring& path);

    // Registers a manager's shutdown (ManagerShutdowns): Cleanup runs every one (the last
    // registered first) after the states have left and before the application goes, so that no
    // function-local static touches the object tree or a device after they are gone.
    void atShutdown(const boost::function<void()>& shutdown);

    // Writes one trace line (the line ends in "\n"), through GameTrace.
    static void trace(const wchar_t* line);
    // Where trace lines go instead of stderr; an empty sink puts stderr back.
    static void setTraceSink(const TraceSink& sink);

    // Drawn frames the top state runs after a trace line before the screen counts as settled:
    // one to run, one drawn, one shown.
    static constexpr int kSettleFrames = 3;

private:
    // Listens to the trace: a line restarts the settling of the screen.
    CGameEngine();

    std::vector<CGameState*> m_states;
    bool m_running = false;
    int m_newLevelIndex = -1;
    bool m_continueSavedLevel = false;
    bool m_enteredFromMainMenu = true;
    // Frames without a fade since the last trace line; -1 once the screen settled.
    int m_quietFrames = -1;
    // Owned: created by Init, deleted by Cleanup.
    Engine::cApplication* m_application = nullptr;
    struct sMessage
    {
        const char* layout = "";
        std::wstring traced;
        boost::function<void()> then;
        const wchar_t* textKey = nullptr;
    };
    // Shows the first message waiting, unless one is open.
    void tellNext();
    void onMessageClosed();

    // The message over every state that the player has not closed yet (no parent owns it: the
    // engine deletes it when it ends), what was told with it, the input layer it holds, and the
    // messages waiting for it.
    cSystemMessage* m_openMessage = nullptr;
    sMessage m_openTold;
    uint32_t m_messageLayer = 0;
    std::deque<sMessage> m_waitingMessages;
    // The command line kept for the application's callbacks.
    std::wstring m_commandLine;
};
