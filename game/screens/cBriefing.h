#pragma once

#include "engine/core/cSingleton.h"
#include "engine/core/cVector2.h"
#include "engine/devices/eControl.h"
#include "engine/ui/cComposite.h"
#include "engine/ui/cImage.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Engine
{
class cProperties;
class cTextLine;
class cTextStyleButton;
} // namespace Engine

class cBriefingBubble;

// The briefing that plays over the field before a level starts and when the level asks for
// one: two reporters, one on each side of the screen, speak in bubbles whose text appears
// letter by letter, a camera frame jumps or glides to points of the level, a pointer bobs over
// the point of interest, and the player presses a key or the forward button to go on.
//
// The scripts come from the level file's "BreafData": each child is one briefing with an "id",
// each of its children one action, ordered by "start" when read:
//   "type"     0 camera cut to "target", 1 a reporter says "text", 2 the camera glides to
//              "target" and the pointer shows it, 3 wait for the player
//   "start"    briefing time at which the action begins (seconds)
//   "duration" seconds the action lasts (0: it is over as soon as it begins)
//   "text", "target" (two numbers, "512;384"), "shape"
// An action of another type, a speech without words or a target off the screen is logged and
// left out.
//
// The briefing time runs while the player is not asked to act. It stands during a wait, and,
// once every action has begun, at a speech that has said everything while another action
// still runs; a key then ends the speech and the time goes on. It never runs past the start of
// an action before that action is on the screen (actions begin one a frame, and a frame may
// be slow), so each stands for its written time as the player sees it. When every action is
// over the forward button offers "StringNext" and any key ends the briefing. While a message
// told over every screen stands (CGameEngine::tell), the whole briefing waits for its OK.
//
// The reporter who speaks faces the point the speech's bubble is chosen for (the arrived
// pointer's, else the camera's); a pointer move that begins while a bubble stands leaves that
// bubble its speaker, and only a move that begins with no bubble shows its own reporter at once.
//
// The layout is "UI/BreafPanel.xml" (see the layout's comment for its parts). One view exists
// (a second throws "Object already exist."), made by the briefing state at the first level
// start and kept for every level after.
class cBriefing : public Engine::cComposite, public Engine::cSingleton<cBriefing>
{
public:
    // The actions' types, as "type" gives them.
    static constexpr uint32_t kCamera = 0;
    static constexpr uint32_t kSpeech = 1;
    static constexpr uint32_t kPointerMove = 2;
    static constexpr uint32_t kWait = 3;

    struct Action
    {
        uint32_t type = 0;
        float start = 0.0f;
        float duration = 0.0f;
        std::wstring text;
        Engine::cVector2 target;
        uint32_t shape = 0;

        float end() const { return start + duration; }
    };
    using Actions = std::vector<Action>;
    using Callback = boost::function<void()>;

    // A left, top, right, bottom rectangle of the screen, edges included.
    struct Bound
    {
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;

        bool contains(const Engine::cVector2& point) const
        {
            return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
        }
    };

    // Loads "UI/BreafPanel.xml"; the view starts hidden.
    explicit cBriefing(Engine::cControl* parent = nullptr);
    ~cBriefing() override;

    // While started: the pointer's bob, the blinks, the colour pulse, then the briefing's time.
    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Reads "BreafData": one action list per briefing id, each sorted by start (an action that
    // starts strictly earlier than one before it changes places with it).
    virtual void parseBriefings(const boost::shared_ptr<Engine::cProperties>& node);
    // Ends the active actions whose time is over, steps the others, and begins the next
    // action when its start has come (one per frame, none while waiting). Once every action
    // has begun, a speech whose time is over says everything and stays until a key ends it.
    virtual void stepActions();
    virtual void beginAction(const Action& action);
    virtual void updateAction(const Action& action);
    virtual void endAction(const Action& action);

    // Begins the briefing of that id; `callback` runs when it is finished. A briefing the level
    // does not have is logged and finished at once (false).
    bool start(const std::string& id, const Callback& callback = Callback());
    // A briefing that is not played: recorded as started and over at once (`callback` runs).
    void pass(const std::string& id, const Callback& callback = Callback());
    // The actions of the current briefing; throws the narrow string "cBriefing::actions():
    // briefing with id = " + id + " was not found" when the level has none.
    const Actions& actions() const;
    // Closes the view: the key goes, the status panel comes back, the callback runs.
    void finish();
    // A key (or a click) while the briefing plays: a wait ends, a speech says everything.
    void onKey();
    // Whether the key or button the input raises now answers the briefing: not an Alt key, nor
    // the release of one pressed before the briefing opened, which was meant for what lay under
    // the briefing (a click on the field must not close what it opened).
    bool answersTheBriefing();

    bool hasBriefing(const std::string& id) const { return m_briefings.count(id) != 0; }
    const std::map<std::string, Actions>& getBriefings() const { return m_briefings; }
    const std::string& getCurrentId() const { return m_currentId; }
    // Every briefing started since the last `clear`, in order.
    const std::vector<std::string>& getStarted() const { return m_started; }
    // Forgets the scripts of the last level.
    void clear();

    bool isPlaying() const { return m_playing; }
    bool isWaiting() const { return m_waiting; }
    // Every action has begun and every active one is over: a key ends the briefing.
    bool isFinished() const;
    float getTime() const { return m_time; }
    uint32_t getNextAction() const { return m_nextAction; }
    const Action* getActive(uint32_t type) const { return type < m_active.size() ? m_active[type] : nullptr; }
    const Engine::cVector2& getCamera() const { return m_camera; }

    // The parts, for the views' users and the tests.
    Engine::cTextStyleButton* getForwardButton() const { return m_forward; }
    Engine::cPicture* getReporter(bool left) const { return left ? m_reporterLeft : m_reporterRight; }
    Engine::cPicture* getLips(bool left) const { return left ? m_lipsLeft : m_lipsRight; }
    Engine::cPicture* getEyes(bool left) const { return left ? m_eyesLeft : m_eyesRight; }
    Engine::cPicture* getBubble(bool upper) const { return upper ? m_bubbleUp : m_bubbleDown; }
    cBriefingBubble* getBubbleText(bool upper) const { return upper ? m_textUp : m_textDown; }
    Engine::cPicture* getPointer() const { return m_pointer; }
    Engine::cPicture* getCameraView() const { return m_cameraView; }
    Engine::cTextLine* getPressAnyKey() const { return m_pressAnyKey; }
    const std::vector<Engine::cImage>& getLipImages() const { return m_lipImages; }

private:
    // Shows the reporter who faces the point: the right one for a point on the left
    // reporter's side, else the left one.
    void chooseReporter(const Engine::cVector2& point);
    // Shows the bubble that leaves the point free, its tail towards the speaking reporter.
    void chooseBubble(const Engine::cVector2& point);
    cBriefingBubble* shownText() const;
    void hideBubbles();
    void placePointer();
    // The colour of the pulse now: all four components the same.
    float pulse() const;
    // Every action has begun and every active one is over.
    void showFinished(float value);
    // The forward button and the finished state's key: the briefing ends.
    void onForward();
    void connectKey(const boost::function<void()>& handler);
    void setLips(Engine::cPicture* lips, size_t image);
    // The whole speech shown, both mouths closed.
    void sayEverything();

    Callback m_callback;
    std::map<std::string, Actions> m_briefings;
    std::string m_currentId;
    uint32_t m_nextAction = 0;
    float m_time = 0.0f;
    Engine::cVector2 m_camera{512.0f, 384.0f};
    uint32_t m_shape = 0;
    int32_t m_visibleLetters = -1;
    bool m_waiting = false;
    // Children (owned by the tree).
    Engine::cTextStyleButton* m_forward;
    Engine::cPicture* m_reporterLeft;
    Engine::cPicture* m_reporterRight;
    Engine::cPicture* m_eyesLeft;
    Engine::cPicture* m_eyesRight;
    Engine::cPicture* m_lipsLeft;
    Engine::cPicture* m_lipsRight;
    float m_eyeTimeMin = 2.0f;
    float m_eyeTimeMax = 5.0f;
    float m_eyeTimer = 0.0f;
    Engine::cPicture* m_bubbleDown;
    Engine::cPicture* m_bubbleUp;
    cBriefingBubble* m_textDown;
    cBriefingBubble* m_textUp;
    Bound m_reporterLeftBound;
    Bound m_bubbleDownBound;
    Engine::cVector2 m_pointerLeftUp;
    Engine::cVector2 m_pointerRightDown;
    float m_pointerPeriod = 1.0f;
    float m_pointerPhase = 0.0f;
    Engine::cPicture* m_cameraView;
    Engine::cPicture* m_pointer;
    Engine::cTextLine* m_pressAnyKey;
    std::vector<Engine::cImage> m_lipImages;
    float m_lipTimeMin = 0.1f;
    float m_lipTimeMax = 0.2f;
    float m_lipTimer = 0.0f;
    std::array<const Action*, 4> m_active{};
    boost::signals2::connection m_key;
    float m_colorMin = 0.5f;
    float m_colorMax = 1.0f;
    float m_colorPeriod = 1.0f;
    float m_colorPhase = 0.0f;
    std::wstring m_nextCaption;
    bool m_pressToggle = true;
    // The released codes of the keys and buttons held when the briefing opened.
    std::vector<Engine::eControl> m_earlierPresses;

    // Beside the fields the briefing reads: what the forward button said before the briefing
    // was finished, whether the finished state has begun, whether a briefing plays, and the
    // log of started ids.
    std::wstring m_forwardCaption;
    bool m_finishedShown = false;
    bool m_playing = false;
    std::vector<std::string> m_started;
};
