#include "game/screens/cBriefing.h"

#include "engine/core/FromString.h"
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cTooltipView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cBriefingBubble.h"
#include "game/world/Game.h"
#include "platform/input/KeyCodes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace
{

constexpr float kTwoPi = 6.28318530718f;

// Makes a part under `parent` from the layout's child of that name; a missing child throws.
template <class T>
T* loadPart(Engine::cControl* parent, const Engine::tPropertiesPtr& node, const wchar_t* name)
{
    auto* part = new T(parent);
    if (!Engine::loadChildPart(*part, node, name))
        throw std::string("UI/BreafPanel.xml: the briefing has no \"" + Engine::toUtf8(name) + "\".");
    return part;
}

// Two floats separated by one character.
void readPair(const Engine::tPropertiesPtr& node, const wchar_t* key, float& first, float& second)
{
    Engine::cVector2 pair(first, second);
    Engine::readKey(node, key, pair);
    first = pair.x;
    second = pair.y;
}

// Four floats, "left;top;right;bottom".
void readBound(const Engine::tPropertiesPtr& node, const wchar_t* key, cBriefing::Bound& bound)
{
    Engine::cVector4 values(bound.left, bound.top, bound.right, bound.bottom);
    Engine::readKey(node, key, values);
    bound.left = values.x;
    bound.top = values.y;
    bound.right = values.z;
    bound.bottom = values.w;
}

float frameTime()
{
    const Engine::cTimer* timer = Engine::cTimer::instance();
    return timer ? timer->getFrameTime() : 0.0f;
}

bool onScreen(const Engine::cVector2& point)
{
    const Engine::cVector2 screen = cTooltipView::screenSize();
    return point.x >= 0.0f && point.x <= screen.x && point.y >= 0.0f && point.y <= screen.y;
}

// Why an action cannot be played as the file gives it; empty for a good one.
std::string problemOf(const cBriefing::Action& action)
{
    if (action.type > cBriefing::kWait)
        return "the type " + std::to_string(action.type) + " is not 0 to 3";
    if (!(action.duration >= 0.0f) || !std::isfinite(action.start))
        return "its start or duration is not a time";
    if (action.type == cBriefing::kSpeech && action.text.empty())
        return "the speech has no text";
    if (action.type != cBriefing::kWait && !onScreen(action.target))
        return "the target " +
               Engine::toUtf8(Engine::toString(action.target.x) + L";" + Engine::toString(action.target.y)) +
               " lies off the screen";
    return std::string();
}

} // namespace

cBriefing::cBriefing(Engine::cControl* parent) : Engine::cComposite(parent)
{
    Engine::loadLayout(*this, "UI/BreafPanel.xml");
    hide();
}

// The parts are children and go with the view; the key connection goes with it too.
cBriefing::~cBriefing()
{
    m_key.disconnect();
}

void cBriefing::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(node);
    m_pressAnyKey = loadPart<Engine::cTextLine>(this, node, L"PressAnyKey");
    m_forward = loadPart<Engine::cTextStyleButton>(this, node, L"FwdButton");
    m_reporterLeft = loadPart<Engine::cPicture>(this, node, L"ReporterLeft");
    m_reporterRight = loadPart<Engine::cPicture>(this, node, L"ReporterRight");
    m_lipsLeft = loadPart<Engine::cPicture>(m_reporterLeft, node, L"ReporterLipsLeft");
    m_lipsRight = loadPart<Engine::cPicture>(m_reporterRight, node, L"ReporterLipsRight");
    m_eyesLeft = loadPart<Engine::cPicture>(m_reporterLeft, node, L"ReporterEyeLeft");
    m_eyesRight = loadPart<Engine::cPicture>(m_reporterRight, node, L"ReporterEyeRight");
    m_bubbleDown = loadPart<Engine::cPicture>(this, node, L"BubleDown");
    m_textDown = loadPart<cBriefingBubble>(m_bubbleDown, node, L"TextDown");
    m_bubbleUp = loadPart<Engine::cPicture>(this, node, L"BubleUp");
    m_textUp = loadPart<cBriefingBubble>(m_bubbleUp, node, L"TextUp");
    m_pointer = loadPart<Engine::cPicture>(this, node, L"Pointer");
    m_cameraView = loadPart<Engine::cPicture>(this, node, L"Camera");

    readPair(node, L"EyePlayTime", m_eyeTimeMin, m_eyeTimeMax);
    readPair(node, L"LipTime", m_lipTimeMin, m_lipTimeMax);
    readPair(node, L"ColorParams", m_colorMin, m_colorMax);
    Engine::readKey(node, L"PointerLeftUp", m_pointerLeftUp);
    Engine::readKey(node, L"PointerRightDown", m_pointerRightDown);
    readBound(node, L"ReporterLeftBound", m_reporterLeftBound);
    readBound(node, L"BubleDownBound", m_bubbleDownBound);
    Engine::readKey(node, L"ColorPeriod", m_colorPeriod);
    Engine::readKey(node, L"PointerPeriod", m_pointerPeriod);
    Engine::readKey(node, L"StringNext", m_nextCaption);

    const Engine::tPropertiesPtr lips = Engine::cProperties::getChildRequired(
        node, L"Lips", L"UI/BreafPanel.xml: the briefing has no \"Lips\".");
    m_lipImages.clear();
    Engine::tPropertiesList images;
    lips->getChildren(images);
    for (size_t i = 0; i < images.size() && i < 3; ++i)
    {
        Engine::cImage image;
        image.loadXML(images[i]);
        m_lipImages.push_back(image);
    }
    if (m_lipImages.empty())
        throw std::string("UI/BreafPanel.xml: \"Lips\" has no image.");

    m_pointer->hide();
    m_pressAnyKey->hide();
    m_forwardCaption = m_forward->getCaption()->getText();
    m_forward->connectClickAction([this] { onForward(); });
    for (Engine::cPicture* eyes : {m_eyesLeft, m_eyesRight})
    {
        eyes->PlayAnimation = true;
        eyes->setAnimTime(0.0f);
    }
    m_eyeTimer = randomRange(m_eyeTimeMin, m_eyeTimeMax);
}

void cBriefing::parseBriefings(const boost::shared_ptr<Engine::cProperties>& node)
{
    if (!node)
        return;
    Engine::tPropertiesList briefings;
    node->getChildren(briefings);
    for (const auto& briefing : briefings)
    {
        const std::string id = Engine::toUtf8(briefing->getAttribute(L"id"));
        Actions actions;
        Engine::tPropertiesList items;
        briefing->getChildren(items);
        for (size_t i = 0; i < items.size(); ++i)
        {
            const Engine::tPropertiesPtr& item = items[i];
            Action action;
            Engine::fromString(action.type, item->getAttribute(L"type"));
            Engine::fromString(action.start, item->getAttribute(L"start"));
            Engine::fromString(action.duration, item->getAttribute(L"duration"));
            action.text = item->getAttribute(L"text");
            Engine::fromString(action.target, item->getAttribute(L"target"));
            Engine::fromString(action.shape, item->getAttribute(L"shape"));
            const std::string problem = problemOf(action);
            if (!problem.empty())
            {
                Game::reportError("Briefing \"" + id + "\", action " + std::to_string(i + 1) +
                                  " is left out: " + problem);
                continue;
            }
            actions.push_back(action);
        }
        for (size_t i = 0; i < actions.size(); ++i)
            for (size_t j = i + 1; j < actions.size(); ++j)
                if (actions[j].start < actions[i].start)
                    std::swap(actions[i], actions[j]);
        m_briefings[id] = std::move(actions);
    }
}

void cBriefing::clear()
{
    m_briefings.clear();
    m_currentId.clear();
    m_started.clear();
    m_active.fill(nullptr);
    m_playing = false;
}

const cBriefing::Actions& cBriefing::actions() const
{
    const auto found = m_briefings.find(m_currentId);
    if (found == m_briefings.end())
        throw std::string("cBriefing::actions(): briefing with id = ") + m_currentId + " was not found";
    return found->second;
}

bool cBriefing::start(const std::string& id, const Callback& callback)
{
    m_currentId = id;
    m_active.fill(nullptr);
    if (!hasBriefing(id))
    {
        // A level that names a briefing it does not have still starts.
        try
        {
            actions();
        }
        catch (const std::string& text)
        {
            Game::reportError(text);
        }
        pass(id, callback);
        return false;
    }
    m_started.push_back(id);
    m_callback = callback;
    m_playing = true;
    const Engine::cInput* input = Engine::cInput::instance();
    m_earlierPresses = input ? input->getHeldControls() : std::vector<Engine::eControl>();
    connectKey([this] { onKey(); });
    m_pressToggle = true;
    m_waiting = false;
    m_finishedShown = false;
    m_pointer->hide();
    m_pressAnyKey->hide();
    hideBubbles();
    m_textDown->setVisibleLetters(-1);
    m_textUp->setVisibleLetters(-1);
    m_forward->setCaptionText(m_forwardCaption);
    m_forward->setState(m_forward->getState());
    chooseReporter(m_camera);
    m_cameraView->setPosition(m_camera);
    show();
    if (cStatusPanel* panel = cStatusPanel::instance())
        panel->hide();
    m_time = 0.0f;
    m_pointerPhase = 0.0f;
    m_nextAction = 0;
    update();
    return true;
}

void cBriefing::pass(const std::string& id, const Callback& callback)
{
    m_started.push_back(id);
    if (callback)
        callback();
}

void cBriefing::connectKey(const boost::function<void()>& handler)
{
    m_key.disconnect();
    if (Engine::cInput* input = Engine::cInput::instance())
        m_key = input->connectKey(Engine::CONTROL_ANY, handler);
}

void cBriefing::finish()
{
    m_key.disconnect();
    m_playing = false;
    m_waiting = false;
    m_active.fill(nullptr);
    hide();
    if (cStatusPanel* panel = cStatusPanel::instance())
        panel->show();
    const Callback callback = std::move(m_callback);
    m_callback.clear();
    if (callback)
        callback();
}

bool cBriefing::isFinished() const
{
    const auto found = m_briefings.find(m_currentId);
    if (found == m_briefings.end() || m_nextAction < found->second.size())
        return false;
    for (const Action* action : m_active)
        if (action && m_time < action->end())
            return false;
    return true;
}

float cBriefing::pulse() const
{
    const float middle = (m_colorMin + m_colorMax) * 0.5f;
    if (m_colorPeriod <= 0.0f)
        return middle;
    return middle + std::sin(kTwoPi * m_colorPhase / m_colorPeriod) * (m_colorMax - m_colorMin) * 0.5f;
}

void cBriefing::update()
{
    Engine::cComposite::update();
    // Under a message over every screen the briefing waits where it stands, its clock, its
    // speech and its camera, until the message's OK.
    if (!m_playing || CGameEngine::instance().isTelling())
        return;
    const float dt = frameTime();

    if (m_pointer->isVisible())
    {
        if (m_pointerPeriod > 0.0f)
        {
            m_pointerPhase += dt;
            if (m_pointerPhase > m_pointerPeriod)
                m_pointerPhase -= m_pointerPeriod;
        }
        placePointer();
    }

    m_eyeTimer -= dt;
    if (m_eyeTimer < 0.0f)
    {
        m_eyeTimer = randomRange(m_eyeTimeMin, m_eyeTimeMax);
        (m_reporterLeft->isVisible() ? m_eyesLeft : m_eyesRight)->setAnimTime(0.0f);
    }

    m_colorPhase -= dt;
    if (m_colorPhase < 0.0f)
        m_colorPhase = m_colorPeriod;
    const float value = pulse();

    if (isFinished())
    {
        showFinished(value);
        return;
    }
    const Action* speech = m_active[kSpeech];
    if (speech && m_time >= speech->end())
        return;
    if (m_waiting)
    {
        m_pressAnyKey->setColor(Engine::cColor(value, value, value, value));
        stepActions();
        return;
    }
    m_time += dt;
    stepActions();
}

void cBriefing::showFinished(float value)
{
    // The caption pulses in its own colour (a grey of the pulse's value would vanish into the
    // button's light face): the pulse goes into its opacity.
    Engine::cButtonCaption* caption = m_forward->getCaption();
    Engine::cColor pulse = caption->getStateColor(m_forward->getState());
    pulse.a *= value;
    caption->setColor(pulse);
    if (m_finishedShown)
        return;
    m_finishedShown = true;
    CGameEngine::trace(L"Briefing at its end\n");
    m_forward->setCaptionText(m_nextCaption);
    m_pressAnyKey->hide();
    // The next key ends the briefing.
    connectKey(
        [this]
        {
            if (answersTheBriefing())
                onForward();
        });
}

void cBriefing::stepActions()
{
    const auto found = m_briefings.find(m_currentId);
    if (found == m_briefings.end())
        return;
    const Actions& list = found->second;
    const bool allBegun = m_nextAction >= list.size();
    // Actions begin one a frame, and a slow frame (the first one drawn, with its pictures to
    // load) may pass the start of the next: the time runs no further than that start before
    // the action is on the screen, so that every action stands as long as it is written to.
    if (!allBegun && !m_waiting && m_time > list[m_nextAction].start)
        m_time = list[m_nextAction].start;
    for (const Action* action : m_active)
    {
        if (!action)
            continue;
        if (m_time < action->end())
            updateAction(*action);
        else if (action->type == kSpeech && allBegun)
            // The last words stay until the player has read them: the key ends the speech.
            sayEverything();
        else
            endAction(*action);
    }
    if (allBegun || m_waiting || m_time < list[m_nextAction].start)
        return;
    const Action& next = list[m_nextAction];
    if (const Action* same = m_active[next.type])
        endAction(*same);
    beginAction(next);
    ++m_nextAction;
}

void cBriefing::sayEverything()
{
    if (m_visibleLetters != -1)
        CGameEngine::trace(L"Briefing speech said whole\n");
    m_visibleLetters = -1;
    m_textDown->setVisibleLetters(-1);
    m_textUp->setVisibleLetters(-1);
    setLips(m_lipsLeft, 0);
    setLips(m_lipsRight, 0);
}

void cBriefing::beginAction(const Action& action)
{
    switch (action.type)
    {
    case kCamera:
        m_camera = action.target;
        m_cameraView->setPosition(m_camera);
        m_shape = action.shape;
        chooseReporter(m_camera);
        hideBubbles();
        break;
    case kSpeech:
    {
        // The speaker and the bubble face the same point: the bubble's tail points at the
        // reporter who speaks, on the side away from what the speech shows.
        const Action* move = m_active[kPointerMove];
        const Engine::cVector2 point = move ? move->target : m_camera;
        chooseReporter(point);
        chooseBubble(point);
        cBriefingBubble* text = shownText();
        text->setText(action.text, true);
        m_visibleLetters = 0;
        text->setVisibleLetters(0);
        m_lipTimer = randomRange(m_lipTimeMin, m_lipTimeMax);
        CGameEngine::trace(L"Briefing speaks\n");
        break;
    }
    case kPointerMove:
        // A speech still standing keeps its speaker until its bubble goes (the next speech
        // or a camera cut); the pointer may glide on meanwhile.
        if (!m_bubbleDown->isVisible() && !m_bubbleUp->isVisible())
            chooseReporter(action.target);
        break;
    case kWait:
        m_waiting = true;
        m_pressAnyKey->show();
        CGameEngine::trace(L"Briefing waits\n");
        break;
    default:
        return;
    }
    m_active[action.type] = &action;
}

void cBriefing::updateAction(const Action& action)
{
    const float elapsed = m_time - action.start;
    switch (action.type)
    {
    case kSpeech:
    {
        const float length = static_cast<float>(action.text.size());
        // A speech without duration says everything at once.
        m_visibleLetters = action.duration > 0.0f ? static_cast<int32_t>(length * elapsed / action.duration)
                                                  : static_cast<int32_t>(length);
        shownText()->setVisibleLetters(m_visibleLetters);
        m_lipTimer -= frameTime();
        if (m_lipTimer < 0.0f)
        {
            m_lipTimer = randomRange(m_lipTimeMin, m_lipTimeMax);
            const int image = randomInt(0, 3);
            setLips(m_lipsLeft->isShown() ? m_lipsLeft : m_lipsRight, static_cast<size_t>(image));
        }
        break;
    }
    case kPointerMove:
    {
        const float share = action.duration > 0.0f ? std::min(elapsed / action.duration, 1.0f) : 1.0f;
        m_cameraView->setPosition(m_camera + (action.target - m_camera) * share);
        break;
    }
    default:
        break;
    }
}

void cBriefing::endAction(const Action& action)
{
    if (action.type >= m_active.size() || m_active[action.type] != &action)
        return;
    m_active[action.type] = nullptr;
    switch (action.type)
    {
    case kSpeech:
        sayEverything();
        break;
    case kPointerMove:
        m_camera = action.target;
        m_cameraView->setPosition(m_camera);
        m_pointer->show();
        m_pointer->setPosition(Engine::cVector2(-100.0f, -100.0f));
        break;
    default:
        break;
    }
}

bool cBriefing::answersTheBriefing()
{
    const Engine::cInput* input = Engine::cInput::instance();
    if (!input)
        return true;
    const Engine::eControl raised = input->getRaisedControl();
    // The Alt keys are the window's (Alt+Enter switches the screen), never an answer.
    if (const Engine::eControl key = Engine::cInput::releasedControl(raised);
        key == Engine::keyReleased(Platform::Key::LeftAlt) ||
        key == Engine::keyReleased(Platform::Key::RightAlt))
        return false;
    if (m_earlierPresses.empty())
        return true;
    const Engine::eControl control = Engine::cInput::releasedControl(raised);
    const bool pressed = Engine::cInput::isPressedControl(raised);
    const bool earlier =
        std::find(m_earlierPresses.begin(), m_earlierPresses.end(), control) != m_earlierPresses.end();
    // Every handler of the release (its own code's, then the any-control code's) passes it by.
    if (earlier && !pressed)
        return false;
    // What was let go since, or is pressed anew, is the player's again.
    const std::vector<Engine::eControl> held = input->getHeldControls();
    m_earlierPresses.erase(std::remove_if(m_earlierPresses.begin(), m_earlierPresses.end(),
                                          [&](Engine::eControl c) {
                                              return c == control ||
                                                     std::find(held.begin(), held.end(), c) == held.end();
                                          }),
                           m_earlierPresses.end());
    return true;
}

void cBriefing::onKey()
{
    if (!answersTheBriefing())
        return;
    m_pressToggle = !m_pressToggle;
    if (m_pressToggle)
        return;
    m_pressAnyKey->hide();
    if (m_waiting)
    {
        m_pointer->hide();
        m_waiting = false;
        hideBubbles();
        CGameEngine::trace(L"Briefing goes on\n");
    }
    if (const Action* speech = m_active[kSpeech])
        endAction(*speech);
}

void cBriefing::onForward()
{
    if (!m_playing || CGameEngine::instance().isTelling())
        return;
    m_pressAnyKey->hide();
    m_waiting = false;
    BriefState::instance().end();
}

void cBriefing::chooseReporter(const Engine::cVector2& point)
{
    const bool rightSpeaks = m_reporterLeftBound.contains(point);
    (rightSpeaks ? m_reporterRight : m_reporterLeft)->show();
    (rightSpeaks ? m_reporterLeft : m_reporterRight)->hide();
}

void cBriefing::chooseBubble(const Engine::cVector2& point)
{
    const bool upper = m_bubbleDownBound.contains(point);
    Engine::cPicture* shown = upper ? m_bubbleUp : m_bubbleDown;
    (upper ? m_bubbleDown : m_bubbleUp)->hide();
    shown->show();
    shown->setInverceX(m_reporterLeftBound.contains(point));
}

cBriefingBubble* cBriefing::shownText() const
{
    return m_textUp->isShown() ? m_textUp : m_textDown;
}

void cBriefing::hideBubbles()
{
    m_bubbleDown->hide();
    m_bubbleUp->hide();
}

void cBriefing::placePointer()
{
    const float bob = m_pointerPeriod > 0.0f ? std::sin(kTwoPi * m_pointerPhase / m_pointerPeriod) : 0.0f;
    m_pointer->setPosition(m_camera + (m_pointerLeftUp + m_pointerRightDown) * 0.5f +
                           (m_pointerRightDown - m_pointerLeftUp) * bob);
}

void cBriefing::setLips(Engine::cPicture* lips, size_t image)
{
    if (image >= m_lipImages.size())
        image = 0;
    static_cast<Engine::cImage&>(*lips) = m_lipImages[image];
    lips->invalidate();
}
