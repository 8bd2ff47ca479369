#include "engine/ui/cButtonPrototype.h"

#include "engine/core/cLogic.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundSample.h"
#include "engine/devices/cTextureFile.h"
#include "engine/ui/LayoutKeys.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

cButtonPrototype* cButtonPrototype::buttonUnderPointer = nullptr;
int32_t cButtonPrototype::pendingAction = 0;

namespace
{

constexpr float DegreesToRadians = 3.14159265358979323846f / 180.0f;

enum ePendingAction : int32_t
{
    NoAction = 0,
    HoverAction = 1,
    PressAction = 2,
};

// A mask index for a place along a side of `length` units mapped onto `count` mask pixels,
// kept inside the mask whatever the place.
uint32_t maskIndex(float place, float length, uint32_t count)
{
    if (count == 0)
        return 0;
    const float last = static_cast<float>(count - 1);
    const float index = last * place / length;
    if (!(index > 0.0f))
        return 0;
    return static_cast<uint32_t>(std::min(index, last));
}

} // namespace

cButtonPrototype::cButtonPrototype(cControl* parent) : cPicture(parent) {}

cButtonPrototype::cButtonPrototype(const cButtonPrototype& other) : cPicture(other)
{
    copyButtonFrom(other);
    m_soundsEnabled = true;
}

cButtonPrototype::~cButtonPrototype()
{
    // No signal is raised from here: whoever listens may be part of what is being destroyed.
    disconnectInput();
    dropPointer();
}

void cButtonPrototype::copyButtonFrom(const cButtonPrototype& other)
{
    m_state = other.m_state;
    m_clickSound = other.m_clickSound;
    m_hoverSound = other.m_hoverSound;
    m_hasMask = other.m_hasMask;
    m_mask = other.m_hasMask ? other.m_mask : cAlphaMask();
    m_soundsEnabled = other.m_soundsEnabled;
    m_soundOnUnclick = other.m_soundOnUnclick;
    m_isDeepProcessing = other.m_isDeepProcessing;
    m_showDisabled = other.m_showDisabled;
    m_normalLock = other.m_normalLock;
}

// ---------------------------------------------------------------------------------------------
// Layout

void cButtonPrototype::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (!node)
        return;
    readKey(node, L"IsDeepProcessing", m_isDeepProcessing);
    readKey(node, L"SoundOnUnclick", m_soundOnUnclick);

    std::string maskName;
    readKey(node, L"texture_mask", maskName);
    m_hasMask = false;
    m_mask = cAlphaMask();
    if (!maskName.empty())
    {
        if (cRender* render = cRender::instance())
            render->loadAlphaMask(maskName, m_mask);
        else
            cTextureFile::readAlphaMask(maskName, m_mask);
        m_hasMask = m_mask.getBitCount() != 0;
    }

    tPropertiesPtr sounds;
    if (node->getChild(L"Sounds", sounds) && sounds)
    {
        const auto sound = [&sounds](const wchar_t* key)
        {
            std::string name;
            readKey(sounds, key, name);
            cResourceManager* manager = cResourceManager::instance();
            return name.empty() || !manager ? boost::shared_ptr<cSoundSample>() : manager->getSound(name);
        };
        m_clickSound = sound(L"Click");
        m_hoverSound = sound(L"Hover");
    }
}

// ---------------------------------------------------------------------------------------------
// States

void cButtonPrototype::setState(int32_t state)
{
    if (state == m_state)
        return;
    showState(state);
    showLocks();
    m_state = state;
}

void cButtonPrototype::showState(int32_t) {}

void cButtonPrototype::showLocks()
{
    // The disabled look is shown last: it also refuses presses, so it must not be hidden.
    if (m_normalLock)
        showState(StateNormal);
    if (m_showDisabled)
        showState(StateDisabled);
}

void cButtonPrototype::refreshLook()
{
    if (m_state != StateNone)
        showState(m_state);
    showLocks();
}

void cButtonPrototype::setNormalLock(bool on)
{
    m_normalLock = on;
    if (!on && m_state != StateNone)
        showState(m_state);
    showLocks();
}

void cButtonPrototype::setShowDisabled(const bool& on)
{
    m_showDisabled = on;
    if (!on && m_state != StateNone)
        showState(m_state);
    showLocks();
}

void cButtonPrototype::onHover()
{
    if (isInputLocked())
        return;
    setState(StateHover);
    showLocks();
    highlightOnSignal(this);
    // A handler may have changed the state: the sound belongs to a hover that lasted.
    if (m_soundsEnabled && m_hoverSound && m_state == StateHover)
        playSound(m_hoverSound);
}

void cButtonPrototype::onLeave()
{
    if (isInputLocked())
        return;
    if (m_isDeepProcessing && buttonUnderPointer == this)
        buttonUnderPointer = nullptr;
    setState(StateNormal);
    highlightOffSignal(this);
    showLocks();
}

void cButtonPrototype::onPress()
{
    if (isInputLocked())
        return;
    if (m_showDisabled)
    {
        showState(StateDisabled);
        return;
    }
    if (!m_soundOnUnclick && m_soundsEnabled && m_clickSound)
        playSound(m_clickSound);
    if (isEffectivelyEnabled())
    {
        setState(StatePressed);
        highlightOffSignal(this);
        pressSignal(this);
    }
    else
    {
        setState(StateDisabled);
    }
}

void cButtonPrototype::onClick()
{
    if (isInputLocked())
        return;
    if (m_showDisabled)
    {
        showState(StateDisabled);
        return;
    }
    // Every release of a pressed button sounds, inside or not.
    if (m_soundOnUnclick && m_soundsEnabled && m_clickSound)
        playSound(m_clickSound);
    if (pointerInside())
    {
        setState(StateHover);
        highlightOnSignal(this);
        clickSignal(this);
    }
    else
    {
        onLeave();
    }
}

// ---------------------------------------------------------------------------------------------
// Input

void cButtonPrototype::onMouseDown()
{
    if (!pointerInside())
        return;
    if (!m_isDeepProcessing)
        onPress();
    else if (buttonUnderPointer == this)
        pendingAction = PressAction;
}

void cButtonPrototype::onMouseUp()
{
    // A press still waiting for this frame's update (a deep button) is taken first: a click
    // whose press and release come in one frame is a click all the same.
    if (m_isDeepProcessing && buttonUnderPointer == this && pendingAction == PressAction)
    {
        pendingAction = NoAction;
        onPress();
    }
    if (m_state == StatePressed)
        onClick();
}

void cButtonPrototype::onControl(eControl, long)
{
    if (!pointerInside())
    {
        // A pressed button keeps its press while the pointer is away.
        if (m_state == StateHover)
            onLeave();
        if (buttonUnderPointer == this)
            buttonUnderPointer = nullptr;
        return;
    }
    if (m_state == StateHover || m_state == StatePressed)
        return;
    if (!m_isDeepProcessing)
    {
        onHover();
        return;
    }
    // The deepest button keeps the pointer; among equal depths the one that has it. A button
    // the pointer has left keeps nothing, though its own handler may not have run yet.
    cButtonPrototype* current = buttonUnderPointer;
    if (current && current->pointerInside() && getDeep() <= current->getDeep())
        return;
    if (current && current != this)
        current->onLeave();
    buttonUnderPointer = this;
    pendingAction = HoverAction;
}

void cButtonPrototype::update()
{
    cPicture::update();
    if (!m_isDeepProcessing || buttonUnderPointer != this)
        return;
    const int32_t action = pendingAction;
    pendingAction = NoAction;
    if (action == HoverAction)
        onHover();
    else if (action == PressAction)
        onPress();
}

void cButtonPrototype::onEnable()
{
    cPicture::onEnable();
    if (cInput* input = cInput::instance())
    {
        m_pressConnection = input->connectKey(CONTROL_MOUSE_PRESSED, [this] { onMouseDown(); });
        m_releaseConnection = input->connectKey(CONTROL_MOUSE_RELEASED, [this] { onMouseUp(); });
        m_moveConnection = input->connectMouse([this](eControl code, long value) { onControl(code, value); });
    }
    onControl(static_cast<eControl>(0), 0);
    // Enabled, it never keeps the disabled look: away from the pointer, or under it while its
    // hover waits for the next update (or another deep button holds the pointer), it is normal.
    if (!pointerInside() || m_state == StateNone || m_state == StateDisabled)
    {
        setState(StateNormal);
        showLocks();
    }
}

void cButtonPrototype::onDisable()
{
    cPicture::onDisable();
    if (m_isDeepProcessing && buttonUnderPointer == this)
        buttonUnderPointer = nullptr;
    disconnectInput();
    setState(StateDisabled);
}

bool cButtonPrototype::dropPointer()
{
    if (buttonUnderPointer != this)
        return false;
    buttonUnderPointer = nullptr;
    pendingAction = NoAction;
    return true;
}

void cButtonPrototype::letGoOfPointer()
{
    if (!dropPointer())
        return;
    if (cInput* input = cInput::instance())
        input->emulateMouseMove();
}

void cButtonPrototype::disconnectInput()
{
    m_pressConnection.disconnect();
    m_releaseConnection.disconnect();
    m_moveConnection.disconnect();
}

bool cButtonPrototype::pointerInside() const
{
    const cLogic* logic = cLogic::instance();
    return logic && containsPoint(logic->getMousePosition());
}

bool cButtonPrototype::containsPoint(const cVector2& point) const
{
    if (!hitTest(point))
        return false;
    if (!m_hasMask)
        return true;
    // Into the button's own unrotated frame with the rotation `hitTest` undoes, then mirrored
    // as the texture is, so the mask lies where its picture is drawn.
    float x = point.x - getPosition().x;
    float y = point.y - getPosition().y;
    if (getAngle() != 0.0f)
    {
        const float a = getAngle() * DegreesToRadians;
        const float c = std::cos(a);
        const float s = std::sin(a);
        const float rx = x * c - y * s;
        y = x * s + y * c;
        x = rx;
    }
    if (getInverceX())
        x = -x;
    if (getInverceY())
        y = -y;
    const cVector2& size = getSize();
    const uint32_t mx = maskIndex(x + size.x * 0.5f, size.x, m_mask.getWidth());
    const uint32_t my = maskIndex(y + size.y * 0.5f, size.y, m_mask.getHeight());
    return m_mask.test(mx, my);
}

boost::signals2::connection cButtonPrototype::connectClick(const boost::function<void(cView*)>& slot)
{
    return clickSignal.connect(slot);
}

boost::signals2::connection cButtonPrototype::connectClickAction(const boost::function<void()>& action)
{
    return clickSignal.connect([action](cView*) { action(); });
}

void cButtonPrototype::playSound(const boost::shared_ptr<cSoundSample>& sound) const
{
    if (cSound* device = cSound::instance())
        device->playSound(sound);
}

} // namespace Engine
